#include "common/audiofile/AudioFileToolsStereoWav24Writer.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

using common::AudioFileToolsImpl::StereoWav24Writer;

namespace
{
// Interleaved stereo test signals, each stressing the rounding somewhere else.
struct Signal
{
    const char* name;
    std::function<float (int index)> value;
    int frames;
};

std::vector<float> interleavedOf (const Signal& signal)
{
    std::vector<float> values ((size_t)signal.frames * 2);

    for (size_t i = 0; i < values.size(); ++i)
        values[i] = signal.value ((int)i);

    return values;
}

juce::MemoryBlock writtenByJuce (const std::vector<float>& interleaved, double rate)
{
    const int frames = (int)interleaved.size() / 2;
    juce::AudioBuffer<float> planar (2, frames);

    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < 2; ++c)
            planar.setSample (c, i, interleaved[(size_t)(i * 2 + c)]);

    juce::MemoryBlock bytes;
    juce::WavAudioFormat format;
    std::unique_ptr<juce::AudioFormatWriter> writer (format.createWriterFor (
        new juce::MemoryOutputStream (bytes, false), rate, juce::AudioChannelSet::stereo(), 24, {}, 0));
    writer->writeFromFloatArrays (planar.getArrayOfReadPointers(), 2, frames);
    writer.reset();
    return bytes;
}

// The conversion hands the writer interleaved frames when the rates agree and one array per
// channel after a rate change.
enum class Layout
{
    interleaved,
    planar
};

juce::MemoryBlock writtenByUs (const std::vector<float>& interleaved, double rate, size_t piece,
                               Layout layout = Layout::interleaved)
{
    const auto frames = interleaved.size() / 2;
    std::vector<float> left (frames), right (frames);

    for (size_t i = 0; i < frames; ++i)
    {
        left[i] = interleaved[i * 2];
        right[i] = interleaved[i * 2 + 1];
    }

    juce::MemoryBlock bytes;
    {
        juce::MemoryOutputStream out (bytes, false);
        StereoWav24Writer writer (out, rate);

        // In pieces of any size, as the conversion's blocks come.
        for (size_t done = 0; done < frames;)
        {
            const auto n = juce::jmin (piece, frames - done);
            EXPECT_TRUE (layout == Layout::interleaved
                             ? writer.write (interleaved.data() + done * 2, n)
                             : writer.write (left.data() + done, right.data() + done, 1, n));
            done += n;
        }

        EXPECT_TRUE (writer.finish());
        EXPECT_EQ (writer.getFramesWritten(), (juce::int64)interleaved.size() / 2);
    }
    return bytes;
}

TEST (StereoWav24Writer, WritesTheSameBytesAsJucesWavWriter)
{
    juce::Random random (3);
    const float nan = std::numeric_limits<float>::quiet_NaN();

    const Signal signals[] = {
        {"random in range", [&] (int) { return random.nextFloat() * 2.0f - 1.0f; }, 5000},
        {"full scale and beyond",
         [] (int i)
         {
             const float values[] = {1.0f, -1.0f, 1.5f, -7.0f, 0.99999994f, -0.99999994f, 0.0f, -0.0f};
             return values[i % 8];
         },
         64},
        {"halfway between 24-bit steps", [] (int i) { return ((float)(i - 500) + 0.5f) / 8388608.0f; }, 1000},
        {"tiny and odd values",
         [nan] (int i)
         {
             const float values[] = {1.0e-30f,
                                     -1.0e-30f,
                                     nan,
                                     std::numeric_limits<float>::infinity(),
                                     -std::numeric_limits<float>::infinity(),
                                     3.0e-8f};
             return values[i % 6];
         },
         60},
        // Longer than one block of the writer, so that the block boundary is crossed.
        {"several blocks", [] (int i) { return (float)std::sin (i * 0.001); }, 400000},
    };

    for (const auto& signal : signals)
        for (size_t piece : {(size_t)1, (size_t)777, (size_t)1 << 20})
            for (auto layout : {Layout::interleaved, Layout::planar})
            {
                SCOPED_TRACE (juce::String (signal.name) + ", pieces of " + juce::String ((int)piece) +
                              (layout == Layout::planar ? ", planar" : ", interleaved"));
                const auto values = interleavedOf (signal);
                const auto theirs = writtenByJuce (values, 96000.0);
                const auto ours = writtenByUs (values, 96000.0, piece, layout);
                ASSERT_EQ (ours.getSize(), theirs.getSize());
                EXPECT_TRUE (ours == theirs);
            }
}

// The writer converts most samples several at a time and the last few of a piece one by one: over
// a sweep of the whole float range (every sign, exponent and a spread of mantissas) and the values
// closest to full scale, both ways give JUCE's bytes.
TEST (StereoWav24Writer, EveryKindOfFloatGetsJucesBytes)
{
    std::vector<float> values;

    for (juce::uint64 bits = 0; bits <= 0xffffffffu; bits += 4093)
    {
        float value;
        const auto pattern = (juce::uint32)bits;
        std::memcpy (&value, &pattern, sizeof (value));
        values.push_back (value);
    }

    for (float value : {1.0f, -1.0f})
        for (int step = 0; step < 64; ++step)
        {
            values.push_back (value);
            value = std::nextafter (value, 0.0f);
        }

    // An even count of samples for whole frames.
    values.resize (values.size() & ~(size_t)1, 0.0f);
    const auto theirs = writtenByJuce (values, 96000.0);

    for (size_t piece : {(size_t)5, (size_t)4096})
        for (auto layout : {Layout::interleaved, Layout::planar})
        {
            SCOPED_TRACE (juce::String ("pieces of ") + juce::String ((int)piece) +
                          (layout == Layout::planar ? ", planar" : ", interleaved"));
            EXPECT_TRUE (writtenByUs (values, 96000.0, piece, layout) == theirs);
        }
}

TEST (StereoWav24Writer, EveryRateAndAnEmptyFileHaveJucesHeader)
{
    for (double rate : {96000.0, 44100.0, 8000.0, 22050.5})
    {
        SCOPED_TRACE (rate);
        for (int frames : {0, 1, 3})
        {
            const std::vector<float> values ((size_t)frames * 2, 0.25f);
            EXPECT_TRUE (writtenByUs (values, rate, 1) == writtenByJuce (values, rate));
        }
    }
}

// A stream that refuses every byte past a limit, like a full disk.
class LimitedStream : public juce::MemoryOutputStream
{
public:
    explicit LimitedStream (size_t limitToUse)
        : limit (limitToUse)
    {
    }

    bool write (const void* data, size_t numBytes) override
    {
        if ((size_t)getPosition() + numBytes > limit)
            return false;

        return juce::MemoryOutputStream::write (data, numBytes);
    }

private:
    size_t limit;
};

TEST (StereoWav24Writer, AFailedWriteIsReportedAndStaysFailed)
{
    const std::vector<float> values ((size_t)400000 * 2, 0.5f); // 2.4 MB

    for (size_t limit : {(size_t)0, (size_t)50, (size_t)104 + 1000, (size_t)1 << 21})
    {
        SCOPED_TRACE ((int)limit);
        LimitedStream out (limit);
        StereoWav24Writer writer (out, 96000.0);
        writer.write (values.data(), values.size() / 2);
        EXPECT_FALSE (writer.finish());
        EXPECT_FALSE (writer.isOk());
        EXPECT_FALSE (writer.write (values.data(), 1));
    }
}
} // namespace
