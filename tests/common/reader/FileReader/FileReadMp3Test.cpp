#include "common/reader/FileReader/FileReadMp3.h"
#include "support/EncodedAudioFixtures.h"

#include <gtest/gtest.h>

using quelbix::FileReadMp3;
using quelbix::Mpg123DynamicLibraryHandle;
using quelbix::StereoSample;

namespace
{
//==============================================================================
// Independent frame walk: where each frame begins and how long it is, by the MPEG tables.
struct ExpectedFrame
{
    int offset;
    int firstSample;
    int bytes;
};

std::vector<ExpectedFrame> walkFrames (const juce::MemoryBlock& data, int offset, int endOffset)
{
    static const int rates[2][3] = {{22050, 24000, 16000}, {44100, 48000, 32000}};
    static const int kbps[5][15] = {
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448}, // MPEG-1 Layer I
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},    // MPEG-1 Layer II
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},     // MPEG-1 Layer III
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},    // MPEG-2 Layer I
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},         // MPEG-2 Layer II, III
    };

    std::vector<ExpectedFrame> frames;
    const auto* bytes = static_cast<const juce::uint8*> (data.getData());
    int samples = 0;

    while (offset + 4 <= endOffset && bytes[offset] == 0xff)
    {
        const bool mpeg1 = (bytes[offset + 1] & 0x08) != 0;
        const int layerNumber = 4 - ((bytes[offset + 1] >> 1) & 3); // 1, 2 or 3
        const int row = mpeg1 ? layerNumber - 1 : (layerNumber == 1 ? 3 : 4);
        const int bitRate = kbps[row][bytes[offset + 2] >> 4] * 1000;
        const int rate = rates[mpeg1 ? 1 : 0][(bytes[offset + 2] >> 2) & 3];
        const int padding = (bytes[offset + 2] >> 1) & 1;
        const int spf = layerNumber == 1 ? 384 : (layerNumber == 3 && !mpeg1 ? 576 : 1152);
        const int size =
            layerNumber == 1 ? (12 * bitRate / rate + padding) * 4 : spf / 8 * bitRate / rate + padding;
        frames.push_back ({offset, samples, size});
        offset += size;
        samples += spf;
    }

    return frames;
}

//==============================================================================
// MPEG files assembled from encoder output, with optional tags around the frames.
struct MpegFile
{
    juce::MemoryBlock data;
    int framesStart = 0;
    int framesEnd = 0;
};

MpegFile withTags (const juce::MemoryBlock& frames, bool id3v2, bool id3v1,
                   const juce::MemoryBlock& firstFrame = {})
{
    MpegFile file;

    if (id3v2)
    {
        // ID3v2.3 with a 300-byte body whose text holds header-like bytes.
        const juce::uint8 header[] = {'I', 'D', '3', 3, 0, 0, 0, 0, 0x02, 0x2c};
        file.data.append (header, sizeof (header));
        juce::MemoryBlock body (300, true);
        static_cast<juce::uint8*> (body.getData())[40] = 0xff;
        static_cast<juce::uint8*> (body.getData())[41] = 0xfb;
        file.data.append (body.getData(), body.getSize());
    }

    file.framesStart = (int)file.data.getSize();
    file.data.append (firstFrame.getData(), firstFrame.getSize());
    file.data.append (frames.getData(), frames.getSize());
    file.framesEnd = (int)file.data.getSize();

    if (id3v1)
    {
        juce::MemoryBlock tag (128, true);
        std::memcpy (tag.getData(), "TAGtitle", 8);
        file.data.append (tag.getData(), tag.getSize());
    }

    return file;
}

// A Layer III frame that carries only a "Xing" (with a frame count) or "Info" tag, shaped after
// the stream's first header.
juce::MemoryBlock makeTagFrame (const juce::MemoryBlock& frames, const char* tag)
{
    const auto* first = static_cast<const juce::uint8*> (frames.getData());
    const juce::uint8 header[4] = {first[0], first[1], (juce::uint8) (first[2] & ~0x02), first[3]};
    FileReadMp3::FrameHeader parsed;
    FileReadMp3::FrameHeader::parse (header, parsed);

    juce::MemoryBlock frame ((size_t)parsed.frameBytes, true);
    auto* bytes = static_cast<juce::uint8*> (frame.getData());
    std::memcpy (bytes, header, 4);
    std::memcpy (bytes + 4 + parsed.getSideInfoSize(), tag, 4);
    bytes[4 + parsed.getSideInfoSize() + 7] = 1; // flags: frame count present
    return frame;
}

// Silent Layer I frames (no bit allocation) at 44100 Hz, 128 kbit/s; every third one padded.
juce::MemoryBlock makeLayerOneFrames (int count)
{
    juce::MemoryBlock frames;

    for (int i = 0; i < count; ++i)
    {
        const int padding = i % 3 == 2 ? 1 : 0;
        juce::MemoryBlock frame ((size_t)((12 * 128000 / 44100 + padding) * 4), true);
        const juce::uint8 header[] = {0xff, 0xff, (juce::uint8) (0x40 | (padding << 1)), 0x00};
        std::memcpy (frame.getData(), header, 4);
        frames.append (frame.getData(), frame.getSize());
    }

    return frames;
}

//==============================================================================
// The whole file decoded by libmpg123 in its own file mode, as interleaved 16-bit values.
struct Decoded
{
    std::vector<juce::int16> values;
    int channels = 0;
    int frames = 0;
};

Decoded decodeWholeFile (const juce::File& file, int rate, int channels)
{
    auto& library = Mpg123DynamicLibraryHandle::getInstance();
    Decoded decoded;

    if (!library.loadLibrary())
        return decoded;

    const auto& f = library.getFunctions();
    auto* openFile = reinterpret_cast<int (*) (Mpg123DynamicLibraryHandle::Decoder*, const char*)> (
        library.getFunction ("mpg123_open"));
    auto* closeFile = reinterpret_cast<int (*) (Mpg123DynamicLibraryHandle::Decoder*)> (
        library.getFunction ("mpg123_close"));

    f.init();
    int error = 0;
    auto* handle = f.newDecoder (nullptr, &error);
    f.param (handle, Mpg123DynamicLibraryHandle::paramVerbose, 0, 0.0);
    f.param (handle, Mpg123DynamicLibraryHandle::paramFlags, 0x300, 0.0); // no gapless trimming
    f.formatNone (handle);
    f.format (handle, rate, channels, Mpg123DynamicLibraryHandle::encodingSigned16);

    if (openFile (handle, file.getFullPathName().toRawUTF8()) == 0)
    {
        for (;;)
        {
            off_t number = 0;
            unsigned char* audio = nullptr;
            size_t bytes = 0;
            const int result = f.decodeFrame (handle, &number, &audio, &bytes);

            if (result == Mpg123DynamicLibraryHandle::newFormat)
                continue;

            if (result != 0)
                break;

            const auto* values = reinterpret_cast<const juce::int16*> (audio);
            decoded.values.insert (decoded.values.end(), values, values + bytes / 2);
            ++decoded.frames;
        }

        closeFile (handle);
    }

    f.deleteDecoder (handle);
    library.release();
    decoded.channels = channels;
    return decoded;
}

std::vector<StereoSample> readAll (FileReadMp3& reader, int blockSize)
{
    std::vector<StereoSample> frames ((size_t)reader.getLengthInSamples());

    for (int start = 0; start < reader.getLengthInSamples(); start += blockSize)
        reader.read (start, frames.data() + start,
                     juce::jmin (blockSize, reader.getLengthInSamples() - start));

    return frames;
}

//==============================================================================
struct Mp3Case
{
    const char* name;
    const char* encoder; // null: silent Layer I frames made by hand
    int sampleRate;
    int channels;
    int bitRate;
    int layer; // header code: 1 = III, 2 = II, 3 = I
    bool mpeg1;
    int samplesPerFrame;
    const char* tagFrame; // "Xing", "Info" or null
};

class Mp3Streams : public ::testing::TestWithParam<Mp3Case>
{
};

TEST_P (Mp3Streams, IndexMatchesTheHeadersAndOutputEqualsAWholeFileDecode)
{
    const auto& c = GetParam();
    juce::MemoryBlock frames;

    if (c.encoder != nullptr)
    {
        frames = testfixtures::encodeMpegAudio (
            c.encoder, testfixtures::makeTestPcm (c.channels, 3 * c.sampleRate / 2, 16), c.sampleRate,
            c.bitRate);
        ASSERT_GT (frames.getSize(), 0u) << "encoder " << c.encoder << " is not available";
    }
    else
    {
        frames = makeLayerOneFrames (150);
    }

    const auto tagFrame = c.tagFrame != nullptr ? makeTagFrame (frames, c.tagFrame) : juce::MemoryBlock();
    const auto mpeg = withTags (frames, true, true, tagFrame);
    const auto file = testfixtures::writeTempFile (juce::String (c.name) + ".mp3", mpeg.data);

    FileReadMp3 reader;
    ASSERT_TRUE (reader.open (file.getFullPathName()));

    // The frame index against an independent walk over the frames.
    const auto expected = walkFrames (mpeg.data, mpeg.framesStart, mpeg.framesEnd);
    const auto& index = reader.getFrameIndex();
    ASSERT_EQ (index.size(), expected.size());
    ASSERT_EQ (expected.back().offset + expected.back().bytes, mpeg.framesEnd);

    for (size_t i = 0; i < index.size(); ++i)
    {
        SCOPED_TRACE ("frame " + juce::String ((int)i));
        EXPECT_EQ (index[i].byteOffset, expected[i].offset);
        EXPECT_EQ (index[i].firstSample, expected[i].firstSample);
        EXPECT_EQ (index[i].getByteSize(), expected[i].bytes);
    }

    EXPECT_EQ (reader.getLengthInSamples(), (int)index.size() * c.samplesPerFrame);
    EXPECT_EQ (reader.getSampleRate(), c.sampleRate);
    EXPECT_EQ (reader.getNumChannels(), c.channels);
    EXPECT_EQ (reader.getLayer(), c.layer);
    EXPECT_EQ (reader.isMpeg1(), c.mpeg1);
    EXPECT_EQ (reader.getBitRate(),
               c.tagFrame != nullptr && std::strcmp (c.tagFrame, "Xing") == 0 ? 0 : c.bitRate);

    // libmpg123 drops the tag frame itself; the reader delivers it as silence.
    const int skip = reader.getSkipSamples();
    EXPECT_EQ (skip, c.tagFrame != nullptr ? c.samplesPerFrame : 0);
    const auto reference = decodeWholeFile (file, c.sampleRate, c.channels);
    ASSERT_EQ (reference.frames, (int)index.size() - (skip > 0 ? 1 : 0));
    ASSERT_EQ ((int)reference.values.size(), (reader.getLengthInSamples() - skip) * c.channels);

    const auto sequential = readAll (reader, 1000);
    int audible = 0;

    for (int i = 0; i < reader.getLengthInSamples(); ++i)
    {
        const auto& got = sequential[(size_t)i];

        if (i < skip)
        {
            ASSERT_TRUE (got.left == 0.0f && got.right == 0.0f) << "tag frame sample " << i;
            continue;
        }

        const auto* values = reference.values.data() + (size_t)(i - skip) * (size_t)c.channels;
        ASSERT_EQ (got.left, values[0] / 32768.0f) << "sample " << i;
        ASSERT_EQ (got.right, values[c.channels - 1] / 32768.0f) << "sample " << i;
        audible += values[0] != 0 ? 1 : 0;
    }

    if (c.encoder != nullptr)
    {
        // The last frame carries audio, so equality above shows it was decoded.
        const auto lastFrame = reference.values.end() - c.samplesPerFrame * c.channels;
        EXPECT_TRUE (std::any_of (lastFrame, reference.values.end(), [] (auto v) { return v != 0; }));
        EXPECT_GT (audible, reader.getLengthInSamples() / 2);
    }

    // Jumps anywhere give what sequential reading gave. Layer III decoding restarts without the
    // bit reservoir and the synthesis state of the frames before the pre-roll: on some streams a
    // rare sample then rounds to the neighbouring 16-bit step. Layers I and II must match exactly.
    const float tolerance = c.layer == 1 ? 1.0f / 32768.0f : 0.0f;
    juce::Random random (5);
    int inexact = 0;

    for (int jump = 0; jump < 30; ++jump)
    {
        const int start = random.nextInt (reader.getLengthInSamples() + 200);
        const int count = 1 + random.nextInt (5000);
        std::vector<StereoSample> jumped ((size_t)count, StereoSample{9.0f, 9.0f});
        reader.read (start, jumped.data(), count);

        for (int k = 0; k < count; ++k)
        {
            const int i = start + k;
            const auto want = i < reader.getLengthInSamples() ? sequential[(size_t)i] : StereoSample{};
            const auto& got = jumped[(size_t)k];
            ASSERT_LE (std::abs (got.left - want.left), tolerance) << "jump to " << start << ": sample " << i;
            ASSERT_LE (std::abs (got.right - want.right), tolerance)
                << "jump to " << start << ": sample " << i;
            inexact += got.left != want.left || got.right != want.right ? 1 : 0;
        }
    }

    EXPECT_LT (inexact, 50) << "off-by-one-step samples must stay rare";
}

INSTANTIATE_TEST_SUITE_P (
    Layers, Mp3Streams,
    ::testing::Values (
        Mp3Case{"mpeg1LayerIIIStereo", "libmp3lame", 44100, 2, 128000, 1, true, 1152, nullptr},
        Mp3Case{"mpeg1LayerIIIInfoFrame", "libmp3lame", 48000, 2, 160000, 1, true, 1152, "Info"},
        Mp3Case{"mpeg1LayerIIIXingFrame", "libmp3lame", 32000, 1, 64000, 1, true, 1152, "Xing"},
        Mp3Case{"mpeg2LayerIIIMono", "libmp3lame", 22050, 1, 48000, 1, false, 576, nullptr},
        Mp3Case{"mpeg1LayerII", "mp2", 48000, 2, 192000, 2, true, 1152, nullptr},
        Mp3Case{"mpeg2LayerII", "mp2", 22050, 2, 64000, 2, false, 1152, nullptr},
        Mp3Case{"mpeg1LayerI", nullptr, 44100, 2, 128000, 3, true, 384, nullptr}),
    [] (const auto& info) { return std::string (info.param.name); });

TEST (FileReadMp3, TooFewFramesOrMpeg25AreNotOpened)
{
    const auto frames =
        testfixtures::encodeMpegAudio ("libmp3lame", testfixtures::makeTestPcm (2, 44100, 16), 44100, 128000);
    ASSERT_GT (frames.getSize(), 0u);
    const auto index = walkFrames (frames, 0, (int)frames.getSize());
    ASSERT_GT (index.size(), 10u);

    auto twoFrames = juce::MemoryBlock (frames.getData(), (size_t)(index[2].offset));
    auto mpeg25 = frames;
    for (const auto& frame : index) // clear the version bit that separates MPEG-2.5 from MPEG-2
        static_cast<juce::uint8*> (mpeg25.getData())[frame.offset + 1] &= 0xe7;

    for (const auto& [name, data] :
         {std::pair<const char*, juce::MemoryBlock> ("twoFrames.mp3", twoFrames),
          std::pair<const char*, juce::MemoryBlock> ("mpeg25.mp3", mpeg25),
          std::pair<const char*, juce::MemoryBlock> ("empty.mp3", juce::MemoryBlock (1, true))})
    {
        SCOPED_TRACE (name);
        testing::internal::CaptureStdout();
        FileReadMp3 reader;
        EXPECT_FALSE (reader.open (testfixtures::writeTempFile (name, data).getFullPathName()));
        testing::internal::GetCapturedStdout();
    }
}

TEST (FileReadMp3, WithoutTheLibraryOpeningFailsWithOneAnalyzeLine)
{
    const auto frames =
        testfixtures::encodeMpegAudio ("libmp3lame", testfixtures::makeTestPcm (2, 20000, 16), 44100, 128000);
    const auto file = testfixtures::writeTempFile ("nolibrary.mp3", frames);

    const auto savedName = Mpg123DynamicLibraryHandle::getLibraryName();
    Mpg123DynamicLibraryHandle::setLibraryName ("libmpg123-not-installed.so.0");

    testing::internal::CaptureStdout();
    {
        FileReadMp3 reader;
        EXPECT_FALSE (reader.open (file.getFullPathName()));
        std::vector<StereoSample> frames2 (100, StereoSample{1.0f, 1.0f});
        reader.read (0, frames2.data(), 100);
        EXPECT_TRUE (std::all_of (frames2.begin(), frames2.end(),
                                  [] (auto s) { return s.left == 0.0f && s.right == 0.0f; }));
    }
    const auto output = juce::String (testing::internal::GetCapturedStdout());
    Mpg123DynamicLibraryHandle::setLibraryName (savedName);

    juce::StringArray lines;
    lines.addLines (output.trim());
    ASSERT_EQ (lines.size(), 1) << output;
    EXPECT_TRUE (lines[0].startsWith ("ERROR : file analyze ")) << output;
    EXPECT_TRUE (lines[0].endsWith (file.getFullPathName())) << output;

    FileReadMp3 reader;
    EXPECT_TRUE (reader.open (file.getFullPathName())) << "the library loads again under its real name";
}
} // namespace

namespace
{
TEST (FileReadMp3, DamagedFilesNeitherCrashNorHang)
{
    const auto frames =
        testfixtures::encodeMpegAudio ("libmp3lame", testfixtures::makeTestPcm (2, 44100, 16), 44100, 128000);
    const auto whole = withTags (frames, true, true).data;
    const auto size = (int)whole.getSize();
    juce::Random random (11);
    std::vector<juce::MemoryBlock> damaged;

    for (int cut = 0; cut < size; cut += size / 23)
        damaged.emplace_back (whole.getData(), (size_t)cut);

    for (int i = 0; i < 20; ++i)
    {
        auto copy = whole;

        for (int hits = 0; hits < 1 + i * 5; ++hits)
            static_cast<juce::uint8*> (copy.getData())[random.nextInt (size)] =
                (juce::uint8)random.nextInt (256);

        damaged.push_back (copy);
    }

    testing::internal::CaptureStdout();

    for (size_t i = 0; i < damaged.size(); ++i)
    {
        SCOPED_TRACE ("damaged file " + juce::String ((int)i));
        FileReadMp3 reader;

        if (!reader.open (testfixtures::writeTempFile ("damaged.mp3", damaged[i]).getFullPathName()))
            continue;

        const auto frames2 = readAll (reader, 4096);
        EXPECT_TRUE (std::all_of (frames2.begin(), frames2.end(),
                                  [] (auto s)
                                  { return std::abs (s.left) <= 1.0f && std::abs (s.right) <= 1.0f; }));

        std::vector<StereoSample> jumped (3000);
        reader.read (reader.getLengthInSamples() / 2, jumped.data(), 3000);
    }

    testing::internal::GetCapturedStdout();
}
} // namespace
