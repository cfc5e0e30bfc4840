// libFuzzer entry: every input is parsed as an MP4 atom tree, opened and read by the ALAC reader,
// and scanned as an ADTS stream. Any crash, sanitizer report, leak or hang fails the run.
#include "common/reader/FileReader/FileReadAac.h"
#include "common/reader/FileReader/FileReadAlac.h"
#include "common/reader/Mp4AtomParser.h"
#include "common/reader/qm/FFmpegSourceReader.h"

#include <cstdio>
#include <cstdlib>

namespace
{
[[noreturn]] void fail (const char* what)
{
    std::fprintf (stderr, "broken invariant: %s\n", what);
    std::abort();
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
    {
        juce::MemoryInputStream input (data, size, false);
        quelbix::Mp4AtomParser parser;
        parser.parse (input);

        // Whatever was indexed lies inside the input.
        for (auto& frame : parser.frames)
            if (frame.byteOffset < 0 || (size_t)frame.byteOffset + (size_t)frame.getByteSize() > size)
                fail ("an MP4 packet lies outside the input");

        if (parser.configSize > size)
            fail ("the codec configuration is larger than the input");
    }

    {
        quelbix::FileReadAlac reader;
        auto* input = new juce::MemoryInputStream (data, size, false);

        if (reader.openStream (input, "fuzz.m4a", true))
        {
            quelbix::StereoSample frames[2048];
            const int length = reader.getLengthInSamples();

            for (int start : {0, length / 2, length - 100, 5})
                reader.read (start, frames, 2048);
        }
    }

    {
        juce::MemoryInputStream input (data, size, false);
        quelbix::FileReadAac::AdtsScan scan;
        quelbix::FileReadAac::scanAdts (input, scan);

        // A last frame may be cut short by the end of the file, but it starts inside it.
        for (auto& frame : scan.frames)
            if (frame.byteOffset < 0 || (size_t)frame.byteOffset >= size || frame.getByteSize() <= 0)
                fail ("an ADTS frame starts outside the input or is empty");

        if (scan.frames.size() > size)
            fail ("more ADTS frames than input bytes");
    }

    return 0;
}
