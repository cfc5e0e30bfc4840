#pragma once

#include <juce_core/juce_core.h>

namespace vantor::dataset
{
/** Which WAV names the saved JSON files still name, per samples folder.

    A samples folder that belongs to an autosaved JSON file (the model's, the collection's) is
    guarded: a SLOT there never deletes a WAV itself, since the file on disk may still name it until
    the next save has landed; the clean-up after that save removes it. And a new WAV never takes a
    name the saved file names, even when that file is missing from the disk, so that a crash before
    the save cannot make a SLOT play another SLOT's sample. SLOTs of other folders (the clipboard's
    copies in the temporary folder) own their files outright.

    Threads: the owners and the SLOTs use it on the message thread; a lock keeps it consistent for
    any other reader. */
class SavedSampleNames
{
public:
    /** The names (compared ignoring letter case) that owner's saved file names in the folder;
        replaces what the owner set before, also for another folder. */
    static void set (const void* owner, const juce::File& samplesFolder, const juce::StringArray& names);
    /** The owner no longer guards any folder. */
    static void forget (const void* owner);

    static bool isGuarded (const juce::File& samplesFolder);
    static bool isNamed (const juce::File& samplesFolder, const juce::String& name);

    /** The "file_name" of every slot object in an array of bank objects. */
    static juce::StringArray namesIn (const juce::var& bankObjects);

    /** A name for a new WAV in the folder: stem.wav, or numbered with JUCE's rules when taken; never
        one that exists or that a saved file names. */
    static juce::File makeFreshFile (const juce::File& samplesFolder, const juce::String& stem);

private:
    SavedSampleNames() = delete;
};
} // namespace vantor::dataset
