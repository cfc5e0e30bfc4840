#pragma once

#include <juce_core/juce_core.h>

namespace vantor::dataset
{
/** Facts about a SLOT's WAV file as read from its header. All zero when there is no file or it
    cannot be read. */
struct WyxSlotFileInfo
{
    juce::int64 fileSize = 0;
    juce::int64 sampleCount = 0;
    double sampleRate = 0.0;
    int channelCount = 0;
};

/** Every SLOT's WAV lies directly in this child of the SLOT's folder. */
juce::File getSamplesFolder (const juce::File& folder);

/** Reads the WAV header; false (and the record untouched) when the file cannot be opened or is no
    valid WAV. */
bool readWavFileInfo (const juce::File& wavFile, WyxSlotFileInfo& info);

struct SplitFileName
{
    juce::String base;
    juce::String extension; // with its dot, or empty
};

/** Splits a file name into base and extension and drops a trailing bracketed number from the
    base ("Kick (2).wav" gives "Kick" and ".wav"). */
SplitFileName splitFileName (const juce::String& fileName);

/** True for a name that can only mean a file directly inside a folder: not empty, not "." or "..",
    no path separator of any system. Stored names are checked with this before they are used. */
bool isBareFileName (const juce::String& name);

/** The file of a bare name inside the folder, or an empty File for any other name. Unlike
    juce::File::getChildFile this never expands "~" or follows "..". */
juce::File getBareChildFile (const juce::File& folder, const juce::String& name);

/** The sample file a stored bare name means: the file of that exact name when there is one, else
    the one file directly inside the folder whose name differs only in letter case (the first in
    sorted order if several do). Data written on a case-insensitive system may name its WAV in
    another case than the disk holds; deleteUnusedSamples keeps such a file, so it is found here
    too. Gives the exact-name file, which does not exist, when nothing matches, and an empty File
    for a name that is not bare. */
juce::File findSampleFile (const juce::File& folder, const juce::String& name);

/** A name stem for a new WAV that neither hides the file (leading dot), nor reads as a home
    folder ("~"), nor carries a separator, nor is empty. */
juce::String makeSafeFileStem (const juce::String& base);

/** The two kinds of hidden WAV that stand in the samples folder while a SLOT's new WAV is put in
    place: the new one while it is written, the SLOT's old one while the new one moves in. */
enum class StagedWav
{
    incoming, // ".import.wav", ".import2.wav", ...
    replaced  // ".replaced.wav", ".replaced2.wav", ...
};

/** A free name of that kind directly in the samples folder. */
juce::File makeStagedWavFile (const juce::File& samplesFolder, StagedWav kind);

/** True for a name that makeStagedWavFile gives. Such a file is only ever there for the length of
    one import, so one found later is the leftover of a crash. */
bool isStagedWavName (const juce::String& fileName);

/** Deletes every non-hidden WAV directly inside samplesFolder whose name is not in
    referencedNames, and every leftover staged WAV there, but only when jsonFile exists: the file
    is the record of what is in use.

    Names, and the ".wav" extension, are compared ignoring letter case. On Linux "Kick.wav" and "kick.wav" are
   two files, but data written on a case-insensitive system (a restored backup, a copied folder) may name a
   WAV in another case than the disk holds; keeping an unreferenced look-alike costs some space, deleting a
   sample a SLOT still means would lose it. Returns the number of files deleted. */
int deleteUnusedSamples (const juce::File& jsonFile, const juce::File& samplesFolder,
                         const juce::StringArray& referencedNames);
} // namespace vantor::dataset
