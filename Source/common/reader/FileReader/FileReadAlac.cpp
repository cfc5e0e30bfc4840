#include "common/reader/FileReader/FileReadAlac.h"

#include "common/reader/Mp4AtomParser.h"

namespace quelbix
{
namespace
{
constexpr int largestSampleRate = 48000;
constexpr int largestPacketDuration = 65534;
// A packet may exceed its raw PCM size by the escape header of an uncompressed ALAC frame.
constexpr size_t packetHeadroom = 8;
} // namespace

FileReadAlac::FileReadAlac()
{
    sampleRate = largestSampleRate;
    bufferMode = pageBuffered;
}

FileReadAlac::~FileReadAlac()
{
    deleteDecoder();
}

bool FileReadAlac::analyze()
{
    if (stream == nullptr)
        return false;

    {
        Mp4AtomParser parser;

        if (!parser.parse (*stream) || parser.findAtom (Mp4AtomParser::fourCC ("alac")) == nullptr)
            return false;

        magicCookie.malloc (parser.configSize);
        std::memcpy (magicCookie.get(), parser.config.get(), parser.configSize);
        magicCookieSize = parser.configSize;
        lengthInSamples = parser.lengthInSamples;
        sampleRate = parser.sampleRate;
        numChannels = parser.numChannels;
        bitsPerSample = parser.bitsPerSample;
        bitRate = parser.bitRate;
        frameIndex = std::move (parser.frames);
        largestFrameDuration = parser.largestFrameDuration;
    }

    // The rate is a 32-bit field of the file: a negative one is as unplayable as a fast one.
    if (sampleRate <= 0 || sampleRate > largestSampleRate || numChannels > 2 ||
        (bitsPerSample != 16 && bitsPerSample != 24) || largestFrameDuration < 1 ||
        largestFrameDuration > largestPacketDuration)
        return false;

    bytesPerSample = (juce::uint16) (bitsPerSample / 8);
    gainLeft = gainRight = 1.0f / (float)(1u << 31);
    nextSample = -1;
    currentFrame = -1;
    return createDecoder (false);
}

bool FileReadAlac::resetDecoder()
{
    auto fresh = std::make_unique<AlacDecoder>();

    if (fresh->init (magicCookie.get(), magicCookieSize) != AlacDecoder::noError)
        return false;

    decoder = std::move (fresh);
    return true;
}

bool FileReadAlac::createDecoder (bool)
{
    if (!resetDecoder())
        return false;

    bitBuffer = {};

    const auto pcmBytes = (size_t)bitsPerSample * numChannels * (size_t)largestFrameDuration / 8;
    inputBuffer.free();
    pcmBuffer.free();
    packetBufferSize = pcmBytes + packetHeadroom;
    inputBuffer.malloc (packetBufferSize);
    pcmBuffer.malloc (pcmBytes);
    decodeBuffer = pcmBuffer.get();
    return true;
}

void FileReadAlac::deleteDecoder()
{
    inputBuffer.free();
    packetBufferSize = 0;
    pcmBuffer.free();
    decodeBuffer = nullptr;
    bitBuffer = {};
    decoder.reset();
    magicCookie.free();
    magicCookieSize = 0;
}

bool FileReadAlac::decodeFrame (int sample, int frameIndexToDecode, bool restart)
{
    bufferPosition = 0;
    bufferCount = 0;

    if (decoder == nullptr || stream == nullptr)
        return false;

    if (restart && !resetDecoder())
        return false;

    for (int i = juce::jmax (0, frameIndexToDecode); i < (int)frameIndex.size(); ++i)
    {
        const auto& entry = frameIndex[(size_t)i];
        const auto size = (size_t)entry.getByteSize();
        juce::uint32 decoded = 0;
        bool ok = false;

        // A packet larger than the buffer is no packet of this file: it fails like a corrupt one.
        if (size <= packetBufferSize && stream->setPosition (entry.byteOffset))
        {
            size_t got = 0;

            while (got < size)
            {
                const int n = stream->read (inputBuffer.get() + got, (int)(size - got));

                if (n <= 0)
                    break;

                got += (size_t)n;
            }

            bitBuffer.init (inputBuffer.get(), (juce::uint32)got);
            ok = decoder->decode (bitBuffer, pcmBuffer.get(), (juce::uint32)juce::jmax (0, entry.sampleCount),
                                  numChannels, &decoded) == AlacDecoder::noError;
        }

        // Pre-roll output is dropped; one that fails only settles the decoder less, so go on.
        if (i < currentFrame)
            continue;

        if (!ok)
            return false;

        ++currentFrame;
        bufferPosition = (int)(((juce::int64)sample - entry.firstSample) * numChannels);
        bufferCount = (int)(numChannels * decoded);
        return bufferCount != 0;
    }

    return false;
}

juce::int32 FileReadAlac::pcmValue (int valueIndex) const noexcept
{
    const auto* bytes = pcmBuffer.get() + (size_t)valueIndex * bytesPerSample;
    juce::uint32 value = 0;

    for (int b = 0; b < bytesPerSample; ++b)
        value |= (juce::uint32)bytes[b] << (32 - 8 * (bytesPerSample - b));

    return (juce::int32)value;
}

void FileReadAlac::read (int startSample, StereoSample* dest, int numFrames)
{
    if (dest == nullptr || numFrames <= 0)
        return;

    auto zero = [dest] (int from, int to) { std::fill (dest + from, dest + to, StereoSample{}); };

    if (stream == nullptr)
    {
        zero (0, numFrames);
        return;
    }

    const int channels = juce::jmax (1, (int)numChannels);
    const auto entries = (int)frameIndex.size();
    int j = 0;

    // A jump: decode from a few packets before the one holding the start. A packet that cannot be
    // decoded plays as silence up to the next packet, where the jump is tried again.
    for (bool jump = startSample != nextSample; jump && j < numFrames;)
    {
        jump = false;
        const auto position = (juce::int64)startSample + j;

        if (position < 0 || position >= lengthInSamples)
            break;

        const int found = findFrame ((int)position);
        bool decoded = false;

        // The packet that would be decoded next: no restart needed, only the place in it.
        if (found == currentFrame)
        {
            decoded = decodeFrame ((int)position, found, false);
        }
        else
        {
            currentFrame = found;
            decoded = decodeFrame ((int)position, juce::jmax (found - getPrerollFrames(), 0), true);
        }

        if (decoded)
            break;

        nextSample = -1;
        currentFrame = -1;

        if (found + 1 >= entries)
        {
            zero (j, numFrames);
            return;
        }

        const auto gap = (juce::int64)frameIndex[(size_t)found + 1].firstSample - position;
        const int skip = (int)juce::jlimit ((juce::int64)1, (juce::int64) (numFrames - j), gap);
        zero (j, j + skip);
        j += skip;
        jump = true;
    }

    for (; j < numFrames; ++j)
    {
        const auto position = (juce::int64)startSample + j;
        auto& out = dest[j];
        out = {};

        if (position < 0 || position >= lengthInSamples)
            continue;

        if (bufferPosition >= bufferCount && !decodeFrame ((int)position, currentFrame, false))
        {
            // The rest of this request is silence; the next one jumps and tries again.
            zero (j, numFrames);
            nextSample = -1;
            return;
        }

        if (bufferPosition < 0)
        {
            bufferPosition += channels; // before the packet's first decoded sample
        }
        else if (bufferPosition + channels - 1 < bufferCount)
        {
            // Every whole frame left in the packet, up to the request and the file's end, in one
            // plain loop: the checks above hold for all of them.
            const auto run =
                (int)juce::jmin ((juce::int64) (numFrames - j), (juce::int64)lengthInSamples - position,
                                 (juce::int64) ((bufferCount - bufferPosition) / channels));

            for (int k = 0; k < run; ++k, bufferPosition += channels)
            {
                dest[j + k].left = (float)pcmValue (bufferPosition) * gainLeft;
                dest[j + k].right = (float)pcmValue (bufferPosition + channels - 1) * gainRight;
            }

            j += run - 1;
        }
    }

    nextSample =
        (int)juce::jmin ((juce::int64)startSample + numFrames, (juce::int64)std::numeric_limits<int>::max());
}

std::unique_ptr<AbstractReader> FileReadAlacFactory::createReader (const juce::String& path)
{
    if (hasExtension (path, {".M4A", ".MP4"}))
        return std::make_unique<FileReadAlac>();

    return nullptr;
}
} // namespace quelbix
