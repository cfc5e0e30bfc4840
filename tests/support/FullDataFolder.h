#pragma once

#include <juce_core/juce_core.h>

namespace glorvak::test
{
/** A data folder as a user who has filled everything leaves it: "model/model.json" with all 15
    BANKs x 4 SLOTs holding a sample, and "bankcollection/bankcollection.json" with stored BANKs
    of 4 SLOTs each, every SLOT with its own 24-bit stereo WAV at 96000 Hz in the samples folder
    beside its JSON file. The start-up figures (bench/startup) and the tests of long file
    operations use it.

    Threads: any; it touches files only. */
struct FullDataFolder
{
    /** Length of every SLOT's WAV: above 0 and at most 4 s, so that a BANK stays within the
        unit's 16 s. */
    double secondsPerSlot = 3.5;
    int storedBanks = 100;
    /** Frames cut off the end of every SLOT's playback range: an export then writes each SLOT
        through the WAV reader and writer instead of copying its file. */
    int trimmedFrames = 0;
    /** Shifts every tone's pitch: folders written with different seeds hold the same names and
        file sizes but other samples. */
    int seed = 0;

    bool isValid() const
    {
        return secondsPerSlot > 0.0 && secondsPerSlot * 4 <= 16.0 && storedBanks >= 0 && trimmedFrames >= 0 &&
               trimmedFrames < secondsPerSlot * 96000.0;
    }

    /** Empties the model and bank-collection folders below dataFolder and writes them anew; false
        when the shape is invalid or something could not be written. */
    bool write (const juce::File& dataFolder) const;
};
} // namespace glorvak::test
