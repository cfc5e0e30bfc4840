// Writes the fuzzer's seed corpus into the folder given: short ALAC files in each layout the
// reader knows, and AAC in M4A and ADTS, all made by libavcodec and libavformat.
#include "support/AacFixtures.h"
#include "support/AlacFixtures.h"

#include <cstdio>

int main (int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf (stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }

    const juce::File folder (juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]));
    folder.createDirectory();
    int written = 0;

    auto save = [&] (const juce::String& name, const juce::MemoryBlock& data)
    {
        if (data.getSize() > 0 && folder.getChildFile (name).replaceWithData (data.getData(), data.getSize()))
            ++written;
        else
            std::fprintf (stderr, "seed %s not made\n", name.toRawUTF8());
    };

    struct AlacSeed
    {
        const char* name;
        int channels, bits;
        const char* muxer;
        const char* movflags;
        const char* fragmentDuration;
    };

    const AlacSeed alacSeeds[] = {
        {"alac-stereo16.m4a", 2, 16, "ipod", "faststart", ""},
        {"alac-mono24.m4a", 1, 24, "ipod", "", ""},
        {"alac-quicktime.mov", 2, 16, "mov", "", ""},
        {"alac-fragments.mp4", 1, 16, "mp4", "frag_keyframe+empty_moov+default_base_moof+global_sidx",
         "20000"},
    };

    for (auto& seed : alacSeeds)
    {
        alacfixtures::AlacOptions options;
        options.bitsPerSample = seed.bits;
        options.frameSize = 256; // several small packets keep the seed short
        options.muxer = seed.muxer;
        options.movflags = seed.movflags;
        options.fragmentDuration = seed.fragmentDuration;
        save (seed.name,
              alacfixtures::encodeAlac (testfixtures::makeTestPcm (seed.channels, 1000, seed.bits), options));
    }

    for (auto muxer : {"adts", "ipod"})
    {
        aacfixtures::AacOptions options;
        options.numFrames = 4000;
        options.muxer = muxer;
        const juce::TemporaryFile temporary (".aac");

        if (aacfixtures::writeAacFile (temporary.getFile(), options))
        {
            juce::MemoryBlock data;
            temporary.getFile().loadFileAsData (data);
            save (juce::String ("aac.") + (juce::String (muxer) == "adts" ? "aac" : "m4a"), data);
        }
    }

    std::printf ("%d seeds in %s\n", written, folder.getFullPathName().toRawUTF8());
    return written == 6 ? 0 : 1;
}
