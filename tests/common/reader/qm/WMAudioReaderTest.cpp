#include "common/reader/qm/WMAudioReader.h"
#include "support/AacFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <deque>

namespace
{
using qm::WindowsMediaCodec::ISourceReader;
using qm::WindowsMediaCodec::ISourceReaderFactory;
using qm::WindowsMediaCodec::JuceIMFByteStream;
using qm::WindowsMediaCodec::WMAudioReader;

constexpr int rate = 44100;
constexpr int chunkFrames = 1024;
constexpr juce::int64 totalFrames = 10 * rate;

// Sample i of the scripted stream: distinct per position and channel.
int valueAt (juce::int64 i, int channel)
{
    const auto v = (int)(i % 30000) + 1;
    return channel == 0 ? v : -v;
}

// What the scripted decoders do on each request; when the script is empty they decode.
enum class Step
{
    timeout,
    corrupt
};

struct Script
{
    std::deque<Step> steps;
    bool alwaysCorrupt = false;
    bool refuseNewReaders = false; // the decoder cannot be rebuilt any more
    juce::int64 timeShift = 0;     // 100-ns units added to every chunk's time
    int readersCreated = 0;
    std::vector<juce::int64> positions; // 100-ns times the readers were positioned at
};

// A source reader over a stream of known samples, in chunks of 1024 frames stamped with the
// nearest 100-ns time, as real decoders round them.
class ScriptedSourceReader : public ISourceReader
{
public:
    explicit ScriptedSourceReader (Script& s)
        : script (s)
    {
    }

    Result selectAudioStream (MediaType& type) override
    {
        type = {rate, 2, 16};
        return ok;
    }

    Result getDuration (juce::int64& duration) override
    {
        duration = totalFrames * 10000000 / rate;
        return ok;
    }

    Result flush() override
    {
        pending = false;
        return ok;
    }

    Result setCurrentPosition (juce::int64 time) override
    {
        script.positions.push_back (time);
        next = juce::jmax ((juce::int64)0, (juce::int64) ((double)(time - script.timeShift) * rate / 1e7) /
                                               chunkFrames * chunkFrames);
        return ok;
    }

    Result requestChunk() override
    {
        if (script.alwaysCorrupt)
            return corruptData;

        if (!script.steps.empty())
        {
            const auto step = script.steps.front();
            script.steps.pop_front();

            if (step == Step::corrupt)
                return corruptData;

            pending = false; // a stalled decoder: the chunk never arrives
            return ok;
        }

        pending = true;
        return ok;
    }

    bool waitForChunk (int, Chunk& chunk) override
    {
        if (!pending)
            return false;

        pending = false;
        chunk.timestamp = std::llround ((double)next * 1e7 / rate) + script.timeShift;
        chunk.endOfStream = next >= totalFrames;

        if (chunk.endOfStream)
        {
            chunk.bytes.setSize (0);
            return true;
        }

        const auto frames = (int)juce::jmin ((juce::int64)chunkFrames, totalFrames - next);
        chunk.bytes.setSize ((size_t)frames * 4);
        auto* out = static_cast<juce::int16*> (chunk.bytes.getData());

        for (int i = 0; i < frames; ++i)
            for (int c = 0; c < 2; ++c)
                out[i * 2 + c] = (juce::int16)valueAt (next + i, c);

        next += frames;
        return true;
    }

private:
    Script& script;
    juce::int64 next = 0;
    bool pending = false;
};

class ScriptedFactory : public ISourceReaderFactory
{
public:
    explicit ScriptedFactory (Script& s)
        : script (s)
    {
    }

    std::unique_ptr<ISourceReader> create (JuceIMFByteStream&, int) override
    {
        if (script.refuseNewReaders)
            return nullptr;

        ++script.readersCreated;
        return std::make_unique<ScriptedSourceReader> (script);
    }

private:
    Script& script;
};

class CapturingLogger : public juce::Logger
{
public:
    CapturingLogger() { juce::Logger::setCurrentLogger (this); }
    ~CapturingLogger() override { juce::Logger::setCurrentLogger (nullptr); }

    void logMessage (const juce::String& message) override { lines.add (message); }

    juce::StringArray lines;
};

class WMAudioReaderTest : public testing::Test
{
protected:
    WMAudioReaderTest()
    {
        file = aacfixtures::makeTempFile ("scripted.m4a");
        file.replaceWithText ("bytes the scripted decoder never reads");
        reader = std::make_unique<WMAudioReader> (file.createInputStream().release(),
                                                  std::make_shared<ScriptedFactory> (script), "test");
    }

    // Reads n samples from start; true when every sample is the scripted stream's.
    ::testing::AssertionResult readsStream (juce::int64 start, int n)
    {
        std::vector<int> left ((size_t)n, 7), right ((size_t)n, 7);
        int* channels[] = {left.data(), right.data()};

        if (!reader->readSamples (channels, 2, 0, start, n))
            return ::testing::AssertionFailure() << "readSamples failed";

        for (int i = 0; i < n; ++i)
            if (left[(size_t)i] != valueAt (start + i, 0) * 65536 ||
                right[(size_t)i] != valueAt (start + i, 1) * 65536)
                return ::testing::AssertionFailure()
                       << "sample " << start + i << " is " << left[(size_t)i] / 65536;

        return ::testing::AssertionSuccess();
    }

    bool readsSilence (juce::int64 start, int n)
    {
        std::vector<int> left ((size_t)n, 7), right ((size_t)n, 7);
        int* channels[] = {left.data(), right.data()};
        return reader->readSamples (channels, 2, 0, start, n) && left == std::vector<int> ((size_t)n) &&
               right == std::vector<int> ((size_t)n);
    }

    Script script;
    juce::File file;
    std::unique_ptr<WMAudioReader> reader;
};

TEST_F (WMAudioReaderTest, OpensWithTheSourceReadersFormatAndStartOffsetZero)
{
    EXPECT_EQ (reader->sampleRate, rate);
    EXPECT_EQ ((int)reader->numChannels, 2);
    EXPECT_EQ ((int)reader->bitsPerSample, 16);
    EXPECT_EQ (reader->lengthInSamples, totalFrames);
    EXPECT_EQ (reader->getStartOffset(), 0);
    EXPECT_EQ (script.readersCreated, 1);
}

TEST_F (WMAudioReaderTest, SequentialReadsNeverRepositionAndJumpsStepBackOnePreRoll)
{
    script.positions.clear();
    EXPECT_TRUE (readsStream (0, 100));
    EXPECT_TRUE (readsStream (100, 100));
    EXPECT_TRUE (script.positions.empty());

    EXPECT_TRUE (readsStream (50000, 500));
    ASSERT_EQ (script.positions.size(), 1u);
    EXPECT_EQ (script.positions[0], (juce::int64) (50000 - 2048) * 10000000 / rate);

    // Chunks stamped with times rounded up still land on their own samples.
    for (juce::int64 start : {1000, 77777, 123457, 300001, 4095, 4096})
    {
        SCOPED_TRACE (start);
        EXPECT_TRUE (readsStream (start, 3000));
    }

    EXPECT_EQ (script.positions.back(), (juce::int64) (4096 - 2048) * 10000000 / rate);
}

TEST_F (WMAudioReaderTest, ReadsPastTheEndAreSilent)
{
    EXPECT_TRUE (readsSilence (totalFrames + 5, 1000));
    EXPECT_TRUE (readsSilence (totalFrames * 3, 1000));
}

TEST_F (WMAudioReaderTest, TwoTimeoutsGiveTwoResetsAndTheRightSamples)
{
    script.steps = {Step::timeout, Step::timeout};
    EXPECT_TRUE (readsStream (20000, 3000));
    EXPECT_EQ (script.readersCreated, 1 + 2);
    EXPECT_FALSE (reader->isDecodingStopped());
}

TEST_F (WMAudioReaderTest, TwelveTimeoutsInARowStopDecodingForGood)
{
    CapturingLogger log;
    script.steps.assign (12, Step::timeout);

    EXPECT_TRUE (readsSilence (20000, 3000));
    EXPECT_TRUE (reader->isDecodingStopped());
    // Two resets before each of the first three patient retries and after the third one.
    EXPECT_EQ (script.readersCreated, 1 + 8);
    EXPECT_TRUE (log.lines.contains (" Stop decoding. \"" + file.getFileName() + "\" maybe corrupt?"))
        << log.lines.joinIntoString ("\n");

    // Silence from now on, although the decoder would deliver again.
    EXPECT_TRUE (readsSilence (0, 3000));
    EXPECT_EQ (script.readersCreated, 1 + 8);
}

TEST_F (WMAudioReaderTest, ElevenTimeoutsStillRecover)
{
    script.steps.assign (11, Step::timeout);
    EXPECT_TRUE (readsStream (20000, 3000));
    EXPECT_FALSE (reader->isDecodingStopped());
}

TEST_F (WMAudioReaderTest, CorruptDataResetsTheDecoderAndGoesOn)
{
    CapturingLogger log;
    script.steps = {Step::corrupt};
    EXPECT_TRUE (readsStream (20000, 3000));
    EXPECT_EQ (script.readersCreated, 2);
    EXPECT_TRUE (log.lines.contains (" ReadSample() fails. (0xc00d002f)")) << log.lines.joinIntoString ("\n");
    EXPECT_TRUE (log.lines.contains ("Invalid or corrupt data was encountered @ 17952"));
}

TEST_F (WMAudioReaderTest, PersistentCorruptDataStopsWithinTheBound)
{
    CapturingLogger log;
    script.alwaysCorrupt = true;

    EXPECT_TRUE (readsSilence (20000, 3000));
    EXPECT_TRUE (reader->isDecodingStopped());
    EXPECT_EQ (script.readersCreated, 1 + WMAudioReader::maxCorruptResetsPerCall);
    EXPECT_TRUE (log.lines.contains (" Stop decoding. \"" + file.getFileName() + "\" maybe corrupt?"));
}

TEST_F (WMAudioReaderTest, ADecoderThatCannotBeRebuiltFailsEveryLaterRead)
{
    script.steps = {Step::corrupt};
    script.refuseNewReaders = true;

    // Corrupt data asks for a new decoder, which is refused; the reader has none from then on,
    // whether the next read goes on where the failed one began or jumps.
    EXPECT_FALSE (readsStream (0, 100));

    for (auto start : {0, 20000, 100})
    {
        SCOPED_TRACE (start);
        std::vector<int> left (100, 7), right (100, 7);
        int* channels[] = {left.data(), right.data()};
        EXPECT_FALSE (reader->readSamples (channels, 2, 0, start, 100));
        EXPECT_EQ (left, std::vector<int> (100));
        EXPECT_EQ (right, std::vector<int> (100));
    }
}

TEST (WMAudioReader, AStreamStartingAtAHugeTimeReadsFromItsStart)
{
    // A damaged container may stamp its first packet years into the stream.
    for (juce::int64 shift : {(juce::int64)1 << 40, (juce::int64)1 << 50, (juce::int64)1 << 58})
    {
        SCOPED_TRACE (shift);
        Script script;
        script.timeShift = shift;
        auto file = aacfixtures::makeTempFile ("late.m4a");
        file.replaceWithText ("bytes the scripted decoder never reads");
        WMAudioReader reader (file.createInputStream().release(), std::make_shared<ScriptedFactory> (script),
                              "test");

        std::vector<int> left (100), right (100);
        int* channels[] = {left.data(), right.data()};
        EXPECT_TRUE (reader.readSamples (channels, 2, 0, 0, 100));
        EXPECT_EQ (left[5], valueAt (5, 0) * 65536);
        EXPECT_TRUE (reader.readSamples (channels, 2, 0, 50000, 100));
    }
}

TEST_F (WMAudioReaderTest, AThreadAskedToExitGetsFalse)
{
    struct Reading : juce::Thread
    {
        Reading()
            : juce::Thread ("reading")
        {
        }
        void run() override
        {
            signalThreadShouldExit();
            int buffer[10];
            int* channels[] = {buffer};
            result = reader->readSamples (channels, 1, 0, 1000, 10);
        }
        WMAudioReader* reader = nullptr;
        bool result = true;
    } thread;

    thread.reader = reader.get();
    thread.startThread();
    ASSERT_TRUE (thread.waitForThreadToExit (10000));
    EXPECT_FALSE (thread.result);
}
} // namespace
