#include "common/reader/FileReader/AbstractFileReadDec.h"

#include <gtest/gtest.h>

#include <set>

namespace
{
constexpr int samplesPerFrame = 100;

// Frames of 100 samples whose decoded value is the sample's own index, so every output frame
// shows which sample it came from. Records every decoded frame.
class CountingDecoder : public quelbix::AbstractFileReadDec
{
public:
    explicit CountingDecoder (int numFrames, int prerollToUse = 3, int channelsToUse = 1)
        : frames (numFrames)
        , preroll (prerollToUse)
        , channels (channelsToUse)
    {
        values.resize ((size_t)samplesPerFrame * (size_t)channels);
    }

    bool analyze() override
    {
        frameIndex.clear();

        for (int f = 0; f < frames; ++f)
            frameIndex.push_back ({f * 10, f * samplesPerFrame, samplesPerFrame, 10 | (int)0x80000000});

        lengthInSamples = frames * samplesPerFrame;
        numChannels = (juce::uint16)channels;
        gainLeft = 1.0f;
        gainRight = -1.0f;
        bytesPerSample = 2;
        return true;
    }

    bool createDecoder (bool) override { return true; }
    void deleteDecoder() override {}
    int getPrerollFrames() override { return preroll; }

    bool decodeFrame (int sample, int frameToDecode, bool seek) override
    {
        bufferPosition = bufferCount = 0;

        if (seek)
            decoded.push_back (-1);

        for (int f = frameToDecode;; ++f)
        {
            if (f < 0 || f >= (int)frameIndex.size() || failing.count (f) != 0)
                return false;

            decoded.push_back (f);

            if (f < currentFrame)
                continue;

            for (int i = 0; i < samplesPerFrame; ++i)
                for (int c = 0; c < channels; ++c)
                    values[(size_t)(i * channels + c)] =
                        (juce::int16) (f * samplesPerFrame + i + c * channelStep);

            ++currentFrame;
            bufferPosition = (sample - frameIndex[(size_t)f].firstSample) * channels;
            bufferCount = samplesPerFrame * channels;
            decodeBuffer = values.data();
            return true;
        }
    }

    // Overwrites the first samples of the index (corrupt, unsorted indexes).
    void setFirstSamples (const std::vector<int>& firstSamples)
    {
        for (size_t f = 0; f < firstSamples.size() && f < frameIndex.size(); ++f)
            frameIndex[f].firstSample = firstSamples[f];
    }

    // The file ends inside its last frame, as a stream cut by its encoder's delay does.
    void cutLength (int samples) { lengthInSamples = samples; }

    std::vector<int> decoded; // frame numbers, -1 for each seek
    std::set<int> failing;
    int channelStep = 0; // channel c decodes as the sample's index + c * channelStep

private:
    int frames;
    int preroll;
    int channels;
    std::vector<juce::int16> values;
};

std::unique_ptr<CountingDecoder> openDecoder (int numFrames, int preroll = 3, int channels = 1)
{
    auto reader = std::make_unique<CountingDecoder> (numFrames, preroll, channels);
    EXPECT_TRUE (
        reader->openStream (new juce::MemoryInputStream (juce::MemoryBlock (100), true), "mem", true));
    return reader;
}

// Every output frame must be sample startSample + i, or zero where expectZero says so.
void expectSamples (
    const std::vector<quelbix::StereoSample>& out, int startSample,
    const std::function<bool (int)>& expectZero = [] (int) { return false; })
{
    for (size_t i = 0; i < out.size(); ++i)
    {
        const int sample = startSample + (int)i;
        const float expected = expectZero (sample) ? 0.0f : (float)sample;
        ASSERT_EQ (out[i].left, expected) << "sample " << sample;
        ASSERT_EQ (out[i].right, -expected) << "sample " << sample;
    }
}

std::vector<quelbix::StereoSample> readFrames (quelbix::AbstractReader& reader, int start, int count)
{
    std::vector<quelbix::StereoSample> out ((size_t)count, {7.0f, 7.0f});
    reader.read (start, out.data(), count);
    return out;
}

TEST (AbstractFileReadDec, ConsecutiveReadsDecodeEachFrameOnce)
{
    auto reader = openDecoder (10);
    expectSamples (readFrames (*reader, 0, 250), 0);
    expectSamples (readFrames (*reader, 250, 250), 250);
    EXPECT_EQ (reader->decoded, (std::vector<int>{-1, 0, 1, 2, 3, 4}));
}

TEST (AbstractFileReadDec, JumpDecodesTheReadersOwnPrerollFirst)
{
    for (int preroll : {0, 3, 20})
    {
        SCOPED_TRACE (preroll);
        auto reader = openDecoder (40, preroll);
        expectSamples (readFrames (*reader, 3000, 10), 3000);
        reader->decoded.clear();

        expectSamples (readFrames (*reader, 1234, 10), 1234);
        std::vector<int> expected{-1};
        for (int f = juce::jmax (0, 12 - preroll); f <= 12; ++f)
            expected.push_back (f);
        EXPECT_EQ (reader->decoded, expected);
    }
}

TEST (AbstractFileReadDec, ForwardJumpIntoTheNextFrameLandsOnTheWantedSample)
{
    auto reader = openDecoder (10);
    expectSamples (readFrames (*reader, 0, 150), 0); // frame 1 is in the buffer, frame 2 is next
    reader->decoded.clear();

    expectSamples (readFrames (*reader, 230, 100), 230);
    EXPECT_EQ (reader->decoded, (std::vector<int>{2, 3})); // no seek, no frame decoded twice
}

TEST (AbstractFileReadDec, ReadsAtAndAcrossTheEndGiveZeros)
{
    auto reader = openDecoder (3);
    expectSamples (readFrames (*reader, 290, 30), 290, [] (int s) { return s >= 300; });
    expectSamples (readFrames (*reader, 300, 5), 300, [] (int) { return true; });
    expectSamples (readFrames (*reader, 5000, 5), 5000, [] (int) { return true; });
}

TEST (AbstractFileReadDec, StereoTakesFirstAndLastChannel)
{
    auto reader = openDecoder (5, 3, 2);
    expectSamples (readFrames (*reader, 120, 200), 120);
}

// Reads of uneven lengths cross frames, end inside the last one and run past the file's end: every
// frame takes the first and the last channel of its own sample, and nothing past the end.
TEST (AbstractFileReadDec, PiecesAcrossFramesTakeTheFirstAndLastChannelOfEachSample)
{
    for (int channels : {1, 2, 3})
    {
        SCOPED_TRACE (juce::String (channels) + " channels");
        auto reader = openDecoder (6, 3, channels);
        reader->channelStep = 1000;
        const int length = 6 * samplesPerFrame - 17;
        reader->cutLength (length);
        const float lastOffset = (float)((channels - 1) * 1000);
        int start = 40;

        for (int count : {1, 59, 37, 100, 201, 3, 250})
        {
            const auto out = readFrames (*reader, start, count);

            for (int i = 0; i < count; ++i)
            {
                const int sample = start + i;
                const bool inside = sample < length;
                ASSERT_EQ (out[(size_t)i].left, inside ? (float)sample : 0.0f) << "sample " << sample;
                ASSERT_EQ (out[(size_t)i].right, inside ? -((float)sample + lastOffset) : 0.0f)
                    << "sample " << sample;
            }

            start += count;
        }
    }
}

TEST (AbstractFileReadDec, UndecodableFrameAfterJumpPlaysAsSilence)
{
    auto reader = openDecoder (10, 0);
    reader->failing = {5};
    expectSamples (readFrames (*reader, 520, 200), 520, [] (int s) { return s >= 500 && s < 600; });

    // Every frame failing: silence, and no endless retry.
    auto broken = openDecoder (10, 2);
    for (int f = 0; f < 10; ++f)
        broken->failing.insert (f);
    expectSamples (readFrames (*broken, 0, 1000), 0, [] (int) { return true; });
}

TEST (AbstractFileReadDec, UnsortedFrameIndexThatFailsToDecodeStillEnds)
{
    // The frame after the failing one may start at or before the wanted sample: the skip must
    // still move on, or read would retry the same sample for ever.
    for (const auto& starts :
         {std::vector<int>{0, 300, 100, 50}, std::vector<int>{0, 0, 0, 0}, std::vector<int>{0, 390, 10, 0}})
    {
        auto reader = openDecoder (4, 1);
        reader->setFirstSamples (starts);
        reader->failing = {0, 1, 2, 3};
        std::vector<quelbix::StereoSample> out (400, {7.0f, 7.0f});
        reader->read (0, out.data(), (int)out.size());
        EXPECT_TRUE (
            std::all_of (out.begin(), out.end(), [] (auto f) { return f.left == 0.0f && f.right == 0.0f; }));
    }
}

TEST (AbstractFileReadDec, ClosedReaderGivesZeros)
{
    CountingDecoder reader (4);
    expectSamples (readFrames (reader, 0, 10), 0, [] (int) { return true; });
    reader.read (0, nullptr, 10);
}
} // namespace
