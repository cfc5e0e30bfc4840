#include "common/reader/qm/WMAudioReader.h"

#include <cmath>

namespace qm::WindowsMediaCodec
{
namespace
{
constexpr juce::int64 hundredNsPerSecond = 10000000;
constexpr int scanBlockFrames = 2048;
constexpr int resetAttempts = 5;
constexpr int timeoutsBeforePatience = 3;
constexpr int maxNextPointerRetries = 3;

juce::String currentThreadName()
{
    if (auto* thread = juce::Thread::getCurrentThread())
        return thread->getThreadName();

    return {};
}

bool currentThreadShouldExit()
{
    auto* thread = juce::Thread::getCurrentThread();
    return thread != nullptr && thread->threadShouldExit();
}

void clearChannels (int* const* channels, int numChannels, int offset, juce::int64 numSamples)
{
    if (channels == nullptr || numSamples <= 0)
        return;

    for (int c = 0; c < numChannels; ++c)
        if (channels[c] != nullptr)
            std::fill_n (channels[c] + offset, (size_t)numSamples, 0);
}
} // namespace

// What one readSamples call carries from pass to pass.
struct WMAudioReader::Call
{
    int* const* dest = nullptr;
    int numDestChannels = 0;
    int destOffset = 0;
    juce::int64 pos = 0;
    juce::int64 remaining = 0;
    juce::int64 preroll = 0;
    bool seeking = false;
    bool jumped = false;
    juce::int64 stepBack = 0;
    juce::int64 toDiscard = 0;
    int nextPointerRetries = 0;
    int corruptResets = 0;
    int waitMs = initialWaitMs;
    juce::String prefix;

    // A reset or retry gives up the jump in progress: the next pass repositions the new decoder.
    void abandonSeek (WMAudioReader& reader)
    {
        if (seeking)
        {
            seeking = false;
            pos += stepBack;
        }

        if (!jumped)
            reader.bufferEnd = reader.bufferStart;
    }
};

WMAudioReader::WMAudioReader (juce::InputStream* in, std::shared_ptr<ISourceReaderFactory> factoryToUse,
                              const juce::String& formatName, int trackId)
    : juce::AudioFormatReader (in, formatName)
    , factory (std::move (factoryToUse))
    , audioTrackId (trackId)
{
    sampleRate = 0;
    bitsPerSample = 0;
    lengthInSamples = 0;
    numChannels = 0;
    usesFloatingPointData = false;

    if (input != nullptr && factory != nullptr && openSourceReader() && sampleRate > 0)
        scanStartOffset();
    else
        sampleRate = 0;
}

WMAudioReader::~WMAudioReader()
{
    sourceReader.reset();
    byteStream.reset();
}

bool WMAudioReader::isCorrupt (ISourceReader::Result result) noexcept
{
    return result == ISourceReader::corruptData || result == ISourceReader::outputTypeNotSet;
}

bool WMAudioReader::openSourceReader()
{
    if (sourceReader != nullptr)
    {
        const auto flushed = sourceReader->flush();

        if (flushed != ISourceReader::ok && !isCorrupt (flushed))
            return false;
    }

    sourceReader.reset();
    byteStream = std::make_unique<JuceIMFByteStream> (*input);
    sourceReader = factory->create (*byteStream, audioTrackId);

    ISourceReader::MediaType type;
    juce::int64 duration = 0;

    if (sourceReader == nullptr || sourceReader->selectAudioStream (type) != ISourceReader::ok ||
        type.numChannels <= 0 || type.bitsPerSample != 16 ||
        sourceReader->getDuration (duration) != ISourceReader::ok || duration < 0)
    {
        sourceReader.reset();
        return false;
    }

    if (type.sampleRate > 0)
        sampleRate = type.sampleRate;

    numChannels = (unsigned int)type.numChannels;
    bitsPerSample = (unsigned int)type.bitsPerSample;

    const auto rate = (juce::int64)sampleRate;
    lengthInSamples = rate > 0 && duration > std::numeric_limits<juce::int64>::max() / rate
                          ? std::numeric_limits<juce::int64>::max() / hundredNsPerSecond
                          : rate * duration / hundredNsPerSecond;
    return true;
}

ISourceReader::Result WMAudioReader::positionSourceReader (juce::int64 sample)
{
    if (sourceReader == nullptr || sampleRate <= 0)
        return ISourceReader::failed;

    if (const auto flushed = sourceReader->flush(); flushed != ISourceReader::ok)
        return flushed;

    // A damaged stream may stamp its start years in: the time saturates rather than overflows.
    const auto samples = juce::jmax ((juce::int64)0, sample + startOffset);
    const auto rate = (juce::int64)sampleRate;
    const auto seconds = samples / rate;
    const auto time = seconds >= std::numeric_limits<juce::int64>::max() / hundredNsPerSecond - 1
                          ? std::numeric_limits<juce::int64>::max()
                          : seconds * hundredNsPerSecond + samples % rate * hundredNsPerSecond / rate;
    return sourceReader->setCurrentPosition (time);
}

void WMAudioReader::scanStartOffset()
{
    positionSourceReader (0);

    // Decodes from the start until a chunk with a non-zero timestamp fixes the start offset; a
    // stream that ends or stops first keeps the offset found so far.
    for (juce::int64 p = 0; firstSampleTime == 0 && !decodingStopped && !endOfStreamSeen;
         p += scanBlockFrames)
    {
        if (!readSamples (nullptr, 0, 0, p, scanBlockFrames))
        {
            startOffset = 0;
            firstSampleTime = -1;
            break;
        }
    }

    bufferStart = bufferEnd = 0;
    endOfStreamSeen = false;
    positionSourceReader (0);
}

juce::int64 WMAudioReader::sampleAtTime (juce::int64 timestamp) const
{
    // Nearest sample: a ceiling would put the audio after a jump one sample late.
    return std::llround ((double)timestamp / (double)hundredNsPerSecond * sampleRate);
}

juce::String WMAudioReader::getFileName() const
{
    if (auto* file = dynamic_cast<juce::FileInputStream*> (input))
        return file->getFile().getFileName().quoted();

    return juce::String ("<unknown>").quoted();
}

bool WMAudioReader::readSamples (int* const* destChannels, int numDestChannels, int startOffsetInDestBuffer,
                                 juce::int64 startSampleInFile, int numSamples)
{
    if (sampleRate <= 0)
        return false;

    if (decodingStopped)
    {
        clearChannels (destChannels, numDestChannels, startOffsetInDestBuffer, numSamples);
        return true;
    }

    // A decoder that could not be rebuilt after a failure is gone for good.
    if (sourceReader == nullptr)
    {
        clearChannels (destChannels, numDestChannels, startOffsetInDestBuffer, numSamples);
        return false;
    }

    Call call;
    call.dest = destChannels;
    call.numDestChannels = destChannels != nullptr ? numDestChannels : 0;
    call.destOffset = startOffsetInDestBuffer;
    call.pos = startSampleInFile;
    call.remaining = numSamples;
    call.preroll = scanBlockFrames * (1 + (std::abs (startOffset) + scanBlockFrames - 1) / scanBlockFrames);

    while (call.remaining > 0)
    {
        if (currentThreadShouldExit())
            return false;

        call.prefix = currentThreadName();

        if (!(bufferStart <= call.pos && call.pos < bufferEnd))
        {
            call.jumped = false;

            if (!call.seeking && call.pos != bufferEnd)
            {
                call.jumped = true;
                call.stepBack = juce::jmin (call.pos, call.preroll);
                call.pos -= call.stepBack;
                call.toDiscard = call.stepBack;
                call.seeking = true;
                // The chunk in hand must not serve the pre-roll's positions.
                bufferStart = bufferEnd = call.pos;

                const auto positioned = positionSourceReader (call.pos);

                if (positioned != ISourceReader::ok)
                {
                    if (!isCorrupt (positioned))
                        return false;

                    const auto next = handleCorruptData (call);

                    if (next != Next::retry)
                        return next == Next::stop;

                    continue;
                }
            }

            const auto next = requestAndWait (call);

            if (next == Next::retry)
                continue;

            if (next != Next::carryOn)
                return next == Next::stop;

            const auto frameBytes = (juce::int64)numChannels * 2;
            const auto frames = (juce::int64)chunk.bytes.getSize() / frameBytes;
            bool fromSeek = call.jumped;

            if (call.seeking)
            {
                if (!chunk.endOfStream && call.toDiscard >= frames)
                {
                    call.toDiscard -= frames;
                    continue;
                }

                call.seeking = false;
                call.pos += call.stepBack;
                fromSeek = true;
            }

            if (placeChunk (call, fromSeek) == Next::fail)
                return false;
        }

        copyOut (call);
    }

    return true;
}

WMAudioReader::Next WMAudioReader::requestAndWait (Call& call)
{
    const auto requested = sourceReader->requestChunk();

    if (requested != ISourceReader::ok)
    {
        juce::Logger::writeToLog (call.prefix + " ReadSample() fails. (0x" +
                                  juce::String::toHexString ((int)requested) + ")");

        if (!isCorrupt (requested))
            return Next::fail;

        juce::Logger::writeToLog ("Invalid or corrupt data was encountered @ " + juce::String (call.pos));
        return handleCorruptData (call);
    }

    if (!sourceReader->waitForChunk (call.waitMs, chunk))
        return handleTimeout (call);

    timeoutCount = 0;
    return Next::carryOn;
}

WMAudioReader::Next WMAudioReader::handleCorruptData (Call& call)
{
    // A decoder that keeps hitting corrupt data would otherwise be rebuilt forever on one call.
    if (++call.corruptResets > maxCorruptResetsPerCall)
        return stopDecoding (call) ? Next::stop : Next::fail;

    if (!openSourceReader())
        return Next::fail;

    call.abandonSeek (*this);
    return Next::retry;
}

WMAudioReader::Next WMAudioReader::handleTimeout (Call& call)
{
    juce::Logger::outputDebugString (call.prefix + " ReadSample timeouts.");

    if (++timeoutCount < timeoutsBeforePatience)
    {
        juce::Logger::outputDebugString (call.prefix + " reset decoder.");

        for (int attempt = 0; attempt < resetAttempts && !openSourceReader(); ++attempt)
        {
        }

        if (sourceReader == nullptr)
            return Next::fail;

        juce::Logger::outputDebugString (call.prefix + " retry ReadSample().");
        call.abandonSeek (*this);
        return Next::retry;
    }

    timeoutCount = 0;

    if (++call.nextPointerRetries > maxNextPointerRetries)
        return stopDecoding (call) ? Next::stop : Next::fail;

    juce::Logger::outputDebugString (call.prefix + " retry ReadSample() from the next file pointer. (" +
                                     juce::String (call.nextPointerRetries) + ")");
    call.waitMs = patientWaitMs;
    return Next::retry;
}

bool WMAudioReader::stopDecoding (Call& call)
{
    juce::Logger::writeToLog (call.prefix + " Stop decoding. " + getFileName() + " maybe corrupt?");
    decodingStopped = true;
    clearChannels (call.dest, call.numDestChannels, call.destOffset, call.remaining);
    call.remaining = 0;
    return true;
}

WMAudioReader::Next WMAudioReader::placeChunk (Call& call, bool fromSeek)
{
    const auto frameBytes = (juce::int64)numChannels * 2;

    if (chunk.endOfStream)
    {
        keepEndOfStream (call.pos);
        return Next::carryOn;
    }

    if (fromSeek)
    {
        auto first = sampleAtTime (chunk.timestamp) - startOffset;

        while (call.pos > first + (juce::int64)chunk.bytes.getSize() / frameBytes)
        {
            if (sourceReader->requestChunk() != ISourceReader::ok ||
                !sourceReader->waitForChunk (seekSkipWaitMs, chunk))
                return Next::fail;

            if (chunk.endOfStream)
            {
                keepEndOfStream (call.pos);
                return Next::carryOn;
            }

            first = sampleAtTime (chunk.timestamp) - startOffset;
        }

        bufferStart = first;
    }
    else
    {
        if (firstSampleTime == 0)
        {
            const auto t0 = sampleAtTime (chunk.timestamp);
            firstSampleTime = t0;

            if (call.pos == 0)
                startOffset = t0;
            else if (t0 - call.pos < startOffset)
                startOffset = t0 - call.pos;
        }

        bufferStart = bufferEnd;
    }

    keepChunk();
    return Next::carryOn;
}

void WMAudioReader::keepChunk()
{
    decodedChannels = (int)numChannels;
    const auto values = chunk.bytes.getSize() / sizeof (juce::int16);

    if (values > decodedCapacity)
    {
        decodedData.realloc (values);
        decodedCapacity = values;
    }

    if (values > 0)
        std::memcpy (decodedData.get(), chunk.bytes.getData(), values * sizeof (juce::int16));

    bufferEnd = bufferStart + (juce::int64) (values / (size_t)decodedChannels);
}

void WMAudioReader::keepEndOfStream (juce::int64 pos)
{
    decodedChannels = (int)numChannels;
    const auto values = (size_t)endOfStreamFrames * (size_t)decodedChannels;

    if (values > decodedCapacity)
    {
        decodedData.realloc (values);
        decodedCapacity = values;
    }

    std::fill_n (decodedData.get(), values, (juce::int16)0);
    bufferStart = pos;
    bufferEnd = pos + endOfStreamFrames;
    endOfStreamSeen = true;
}

void WMAudioReader::copyOut (Call& call)
{
    const auto off = juce::jmax ((juce::int64)0, call.pos - bufferStart);
    const auto from = juce::jmax (call.pos, bufferStart);
    const auto n = juce::jmax ((juce::int64)0, juce::jmin (bufferEnd - bufferStart - off, call.remaining));

    for (int c = 0; c < call.numDestChannels; ++c)
    {
        auto* out = call.dest[c];

        if (out == nullptr)
            continue;

        const auto source = juce::jmin (c, decodedChannels - 1);

        for (juce::int64 j = 0; j < n; ++j)
            out[call.destOffset + j] = (int)decodedData[(off + j) * decodedChannels + source] * 65536;
    }

    call.pos = from + n;
    call.destOffset += (int)n;
    call.remaining -= n;
}
} // namespace qm::WindowsMediaCodec
