// Writes a full data folder, as a user who has filled everything leaves it, for the start-up
// figures of bench/startup/measure-startup:
//
//   glorvak_full_data_folder <data folder> [seconds per SLOT]
//
// "model/model.json" with all 15 BANKs x 4 SLOTs holding a sample, and
// "bankcollection/bankcollection.json" with 100 stored BANKs of 4 SLOTs each, every SLOT with its
// own 24-bit stereo WAV at 96000 Hz (3.5 s by default, so that a BANK stays below the unit's 16 s).
// The folder is emptied first.

#include "support/FullDataFolder.h"

#include <cstdio>

int main (int argc, char* argv[])
{
    if (argc < 2 || argc > 3)
    {
        std::fprintf (stderr, "usage: glorvak_full_data_folder <data folder> [seconds per SLOT]\n");
        return 2;
    }

    const auto dataFolder = juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]);
    glorvak::test::FullDataFolder shape;

    if (argc > 2)
        shape.secondsPerSlot = juce::String (argv[2]).getDoubleValue();

    if (!shape.isValid())
    {
        std::fprintf (stderr, "seconds per SLOT: above 0 and at most 4\n");
        return 2;
    }

    if (!shape.write (dataFolder))
    {
        std::fprintf (stderr, "could not write everything below %s\n",
                      dataFolder.getFullPathName().toRawUTF8());
        return 1;
    }

    std::printf ("%s: 15 BANKs x 4 SLOTs, %d stored BANKs, %.2f s per SLOT\n",
                 dataFolder.getFullPathName().toRawUTF8(), shape.storedBanks, shape.secondsPerSlot);
    return 0;
}
