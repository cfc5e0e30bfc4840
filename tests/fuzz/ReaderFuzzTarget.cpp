// libFuzzer entry for every reader the program opens files with. The first byte picks the path:
//   0 WAV, 1 AIFF, 2 FLAC, 3 MP3, 4 ALAC: the reader opens the rest of the input from memory;
//   5: the rest (after an extension byte) becomes a file that the reader factory opens the way
//      the program does, choosing readers by the extension and falling back to JUCE's formats and
//      the platform decoder's (MPEG audio, Windows Media Audio in ASF, AAC and ALAC in MP4).
// Whatever opens is read sequentially from the start and at awkward positions. Any crash,
// sanitizer report, leak or hang fails the run.
#include "common/reader/AudioReaderFactory.h"
#include "common/reader/FileReader/FileReadAiff.h"
#include "common/reader/FileReader/FileReadAlac.h"
#include "common/reader/FileReader/FileReadFlac.h"
#include "common/reader/FileReader/FileReadMp3.h"
#include "common/reader/FileReader/FileReadWav.h"
#include "common/reader/qm/FFmpegSourceReader.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <typeinfo>
#include <unistd.h>

namespace
{
const char* readerInUse = "none"; // named in a failure, since the factory path may pick any reader

[[noreturn]] void fail (const char* what)
{
    std::fprintf (stderr, "broken invariant: %s (reader %s)\n", what, readerInUse);
    std::abort();
}

enum Path : uint8_t
{
    wav,
    aiff,
    flac,
    mp3,
    alac,
    factory,
    numPaths
};

// New extensions go at the end: the seed corpus names them by their index.
const char* const factoryExtensions[] = {".wav", ".aif", ".aiff", ".mp3", ".m4a", ".mp4", ".aac", ".flac",
                                         ".fla", ".mp2", ".wma",  ".MP3", ".asf", ".wmv", ".wm"};

// Bounds the work per input: a header may declare two billion samples over a few bytes, which
// reads as silence but would take the fuzzer minutes to walk through.
constexpr int sequentialLimit = 1 << 16;
constexpr int blockFrames = 2048;

void checkFrames (const quelbix::StereoSample* frames, int count, bool integerSamples)
{
    for (int i = 0; i < count; ++i)
    {
        const auto l = frames[i].left, r = frames[i].right;

        if (!std::isfinite (l) || !std::isfinite (r))
            fail ("a reader delivered a value that is not finite");

        // The program's own readers scale integer samples into -1 .. +1.
        if (integerSamples && (std::abs (l) > 1.0f || std::abs (r) > 1.0f))
            fail ("a reader delivered a value outside -1 .. +1");
    }
}

void exercise (quelbix::AbstractReader& reader, const uint8_t* data, size_t size)
{
    readerInUse = typeid (reader).name();
    // The JUCE wrapper is the only reader not of the program's own.
    const bool integerSamples = dynamic_cast<quelbix::FileReader*> (&reader) != nullptr;
    const int length = reader.getLengthInSamples();

    if (length < 0)
        fail ("a reader reports a negative length");

    juce::ignoreUnused (reader.getSampleRate(), reader.getFileSampleRate(), reader.getBitsPerSample(),
                        reader.getBitRate(), reader.getNumChannels(), reader.getBufferedPercent());

    static quelbix::StereoSample frames[blockFrames];

    // From the start, block by block, as the conversion reads.
    for (int start = 0; start < juce::jmin (length, sequentialLimit); start += blockFrames)
    {
        reader.read (start, frames, blockFrames);
        checkFrames (frames, blockFrames, integerSamples);
    }

    // Jumps: around the ends, beyond them, near the largest position, and a few from the input.
    juce::Random random ((juce::int64)juce::DefaultHashFunctions::generateHash (
        juce::String::fromUTF8 ((const char*)data, (int)juce::jmin (size, (size_t)64)), 1 << 30));
    const int maxInt = std::numeric_limits<int>::max();
    const int positions[] = {length / 2,
                             juce::jmax (0, length - 100),
                             length,
                             length + 5,
                             -100,
                             maxInt - 10,
                             length > 0 ? random.nextInt (length) : 0,
                             length > 0 ? random.nextInt (length) : 0,
                             3};

    for (int start : positions)
    {
        const int count = 1 + random.nextInt (blockFrames);
        reader.read (start, frames, count);
        checkFrames (frames, count, integerSamples);
    }

    reader.close();

    // A closed reader reads silence.
    reader.read (0, frames, 16);
}

template <typename Reader>
void openFromMemory (const uint8_t* data, size_t size, const char* path)
{
    Reader reader;

    if (reader.openStream (new juce::MemoryInputStream (data, size, false), path, true))
        exercise (reader, data, size);
}

juce::File scratchFile (const char* extension)
{
    // One folder per process, since several fuzzing jobs may run side by side; libFuzzer may end
    // without running destructors, so the folder is removed after each input.
    const auto folder = juce::File::getSpecialLocation (juce::File::tempDirectory)
                            .getChildFile ("glorvak-reader-fuzz-" + juce::String ((int)getpid()));
    folder.createDirectory();
    return folder.getChildFile (juce::String ("input") + extension);
}

void openThroughFactory (const uint8_t* data, size_t size)
{
    if (size < 1)
        return;

    const auto* extension = factoryExtensions[data[0] % std::size (factoryExtensions)];
    const auto file = scratchFile (extension);

    if (!file.replaceWithData (data + 1, size - 1))
        fail ("the scratch file cannot be written");

    static quelbix::AudioReaderFactory readers;

    if (readers.getNumFactories() == 0)
        readers.addDefaultFactories();

    if (auto reader = readers.createReader (file.getFullPathName()))
        exercise (*reader, data, size);

    file.getParentDirectory().deleteRecursively();
}
} // namespace

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    // The decoder library set up as the program sets it up (quiet, bounded allocations); the
    // readers' own reports of refused files on standard output would only slow the run down.
    qm::WindowsMediaCodec::FFmpegSourceReader::configureLibrary();

    if (std::freopen ("/dev/null", "w", stdout) == nullptr)
        return 0;

    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;

    const auto* body = data + 1;
    const auto bodySize = size - 1;

    switch (data[0] % numPaths)
    {
        case wav:
            openFromMemory<quelbix::FileReadWav> (body, bodySize, "fuzz.wav");
            break;
        case aiff:
            openFromMemory<quelbix::FileReadAiff> (body, bodySize, "fuzz.aif");
            break;
        case flac:
            openFromMemory<quelbix::FileReadFlac> (body, bodySize, "fuzz.flac");
            break;
        case mp3:
            openFromMemory<quelbix::FileReadMp3> (body, bodySize, "fuzz.mp3");
            break;
        case alac:
            openFromMemory<quelbix::FileReadAlac> (body, bodySize, "fuzz.m4a");
            break;
        default:
            openThroughFactory (body, bodySize);
            break;
    }

    return 0;
}
