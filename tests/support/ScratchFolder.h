#pragma once

#include <juce_core/juce_core.h>

namespace glorvak::test
{
// A fresh folder in the test program's private home, removed with everything in it. (The shared
// temporary folder is also used by the test programs of others running at the same time.)
class ScratchFolder
{
public:
    ScratchFolder()
        : folder (juce::File::getSpecialLocation (juce::File::userHomeDirectory)
                      .getNonexistentChildFile ("scratch", {}, false))
    {
        folder.createDirectory();
    }

    ~ScratchFolder() { folder.deleteRecursively(); }

    const juce::File& get() const { return folder; }
    juce::File child (const juce::String& path) const { return folder.getChildFile (path); }

private:
    juce::File folder;

    JUCE_DECLARE_NON_COPYABLE (ScratchFolder)
};
} // namespace glorvak::test
