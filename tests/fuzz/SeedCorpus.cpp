// Writes the fuzzers' seed corpora. The container target's folder gets short ALAC files in each
// layout the reader knows, and AAC in M4A and ADTS. The reader target's folder gets small WAV,
// AIFF, FLAC, MP3 and ALAC files, each led by the byte that picks its reader, and the same files
// again (with AAC) led by the path byte of the reader factory and an extension byte. A third
// folder, when named, gets the data-file target's seeds (DataSeedCorpus.cpp). The factory's seeds
// also hold what only the last-resort reader opens: MPEG-2.5 MP3, Layer II and Windows Media Audio.
#include "DataSeedCorpus.h"
#include "support/AacFixtures.h"
#include "support/AlacFixtures.h"
#include "support/PcmFileBuilder.h"

#include <juce_events/juce_events.h>

#include <cstdio>

namespace
{
// The reader target's leading bytes (tests/fuzz/ReaderFuzzTarget.cpp).
enum ReaderPath : juce::uint8
{
    wavPath,
    aiffPath,
    flacPath,
    mp3Path,
    alacPath,
    factoryPath
};

// Indexes into the reader target's list of extensions for the factory path.
enum FactoryExtension : juce::uint8
{
    wavExtension = 0,
    aiffExtension = 2,
    mp3Extension = 3,
    m4aExtension = 4,
    aacExtension = 6,
    flacExtension = 7,
    mp2Extension = 9,
    wmaExtension = 10,
    asfExtension = 12
};

juce::MemoryBlock led (std::initializer_list<juce::uint8> leading, const juce::MemoryBlock& body)
{
    juce::MemoryBlock result;

    for (auto byte : leading)
        result.append (&byte, 1);

    result.append (body.getData(), body.getSize());
    return result;
}

// An ID3v2 tag before the frames and an ID3v1 tag after them, as most MP3 files have.
juce::MemoryBlock withId3Tags (const juce::MemoryBlock& frames)
{
    const juce::uint8 header[] = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 20};
    juce::MemoryBlock result (header, sizeof (header));
    result.append (juce::MemoryBlock (20, true).getData(), 20);
    result.append (frames.getData(), frames.getSize());
    juce::MemoryBlock trailer (128, true);
    std::memcpy (trailer.getData(), "TAG", 3);
    result.append (trailer.getData(), trailer.getSize());
    return result;
}
} // namespace

int main (int argc, char** argv)
{
    if (argc != 3 && argc != 4)
    {
        std::fprintf (stderr,
                      "usage: %s <container corpus folder> <reader corpus folder> [<data corpus folder>]\n",
                      argv[0]);
        return 2;
    }

    const juce::File folder (juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]));
    const juce::File readerFolder (juce::File::getCurrentWorkingDirectory().getChildFile (argv[2]));
    folder.createDirectory();
    readerFolder.createDirectory();
    int written = 0, missing = 0;

    auto saveIn = [&] (const juce::File& where, const juce::String& name, const juce::MemoryBlock& data)
    {
        if (data.getSize() > 0 && where.getChildFile (name).replaceWithData (data.getData(), data.getSize()))
            ++written;
        else
        {
            ++missing;
            std::fprintf (stderr, "seed %s not made\n", name.toRawUTF8());
        }
    };

    auto save = [&] (const juce::String& name, const juce::MemoryBlock& data)
    { saveIn (folder, name, data); };

    // A file for the reader's own path, and the same file through the factory.
    auto saveReader = [&] (const juce::String& name, ReaderPath reader, FactoryExtension extension,
                           const juce::MemoryBlock& data)
    {
        if (data.getSize() == 0)
        {
            ++missing;
            std::fprintf (stderr, "seed %s not made\n", name.toRawUTF8());
            return;
        }

        saveIn (readerFolder, name, led ({reader}, data));
        saveIn (readerFolder, "factory-" + name, led ({factoryPath, extension}, data));
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

    using namespace glorvak::test;

    for (auto format : {PcmFormat{44100, 2, 16}, PcmFormat{48000, 1, 24}})
    {
        const auto samples = makeTestPattern (300, format.numChannels, format.bitsPerSample);
        const auto suffix = juce::String (format.numChannels) + "ch" + juce::String (format.bitsPerSample);
        saveReader ("pcm" + suffix + ".wav", wavPath, wavExtension, PcmFileBuilder::wav (format, samples));
        saveReader ("pcm" + suffix + ".aiff", aiffPath, aiffExtension,
                    PcmFileBuilder::aiff (format, samples));
        saveReader ("pcm" + suffix + "-sowt.aifc", aiffPath, aiffExtension,
                    PcmFileBuilder::aiff (format, samples, "sowt"));
    }

    for (bool declared : {true, false})
    {
        testfixtures::FlacOptions options;
        options.blockSize = 256;
        options.bitsPerSample = declared ? 16 : 24;
        options.declareLength = declared;
        saveReader (declared ? "stereo16.flac" : "undeclared24.flac", flacPath, flacExtension,
                    testfixtures::encodeFlac (
                        testfixtures::makeTestPcm (declared ? 2 : 1, 1500, options.bitsPerSample), options));
    }

    const auto mp3 =
        testfixtures::encodeMpegAudio ("libmp3lame", testfixtures::makeTestPcm (2, 6000, 16), 44100, 64000);
    saveReader ("layer3.mp3", mp3Path, mp3Extension, mp3);
    saveReader ("layer3-tagged.mp3", mp3Path, mp3Extension, withId3Tags (mp3));
    saveReader ("layer2.mp3", mp3Path, mp3Extension,
                testfixtures::encodeMpegAudio ("mp2", testfixtures::makeTestPcm (1, 4000, 16), 22050, 32000));

    // What only the last-resort reader opens: MPEG-2.5 (refused by the MP3 reader), Layer II in an
    // ".mp2" file, and Windows Media Audio in ASF.
    auto saveFactorySeed =
        [&] (const juce::String& name, FactoryExtension extension, const juce::MemoryBlock& data)
    {
        if (data.getSize() == 0)
        {
            ++missing;
            std::fprintf (stderr, "seed %s not made\n", name.toRawUTF8());
            return;
        }

        saveIn (readerFolder, "factory-" + name, led ({factoryPath, extension}, data));
    };

    saveFactorySeed (
        "mpeg25.mp3", mp3Extension,
        testfixtures::encodeMpegAudio ("libmp3lame", testfixtures::makeTestPcm (2, 3000, 16), 11025, 32000));
    saveFactorySeed (
        "layer2.mp2", mp2Extension,
        testfixtures::encodeMpegAudio ("mp2", testfixtures::makeTestPcm (2, 4000, 16), 44100, 128000));
    saveFactorySeed ("wmav1.wma", wmaExtension,
                     testfixtures::encodeInContainer ("wmav1", "asf", testfixtures::makeTestPcm (2, 6000, 16),
                                                      22050, 48000));
    saveFactorySeed ("wmav2.asf", asfExtension,
                     testfixtures::encodeInContainer ("wmav2", "asf", testfixtures::makeTestPcm (1, 6000, 16),
                                                      22050, 32000));

    alacfixtures::AlacOptions alacOptions;
    alacOptions.frameSize = 256;
    saveReader ("alac.m4a", alacPath, m4aExtension,
                alacfixtures::encodeAlac (testfixtures::makeTestPcm (2, 1000, 16), alacOptions));

    for (auto name : {"aac.aac", "aac.m4a"})
    {
        juce::MemoryBlock data;
        folder.getChildFile (name).loadFileAsData (data);
        const bool adts = juce::String (name).endsWith (".aac");
        saveIn (readerFolder, juce::String ("factory-") + name,
                led ({factoryPath, adts ? aacExtension : m4aExtension}, data));
    }

    std::printf ("%d seeds in %s and %s\n", written, folder.getFullPathName().toRawUTF8(),
                 readerFolder.getFullPathName().toRawUTF8());

    if (argc == 4)
        missing += datafuzz::writeDataSeeds (juce::File::getCurrentWorkingDirectory().getChildFile (argv[3]));

    juce::DeletedAtShutdown::deleteAll();
    return missing == 0 ? 0 : 1;
}
