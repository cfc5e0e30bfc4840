#include "common/reader/FileReader/FileReadAac.h"

namespace quelbix
{
namespace
{
constexpr juce::int32 adtsSampleRates[] = {96000, 88200, 64000, 48000, 44100, 32000,
                                           24000, 22050, 16000, 12000, 11025, 8000};
constexpr int adtsHeaderSize = 7;
constexpr juce::int32 maxSampleRate = 48000;
constexpr juce::int32 sbrRateLimit = 24000;

// Serves the scan's small positioned reads from one block, so that resynchronising over junk
// byte by byte does not cost a stream read per byte.
class ByteWindow
{
public:
    explicit ByteWindow (juce::InputStream& in)
        : input (in)
    {
    }

    // Bytes actually read at offset, up to numBytes.
    int readAt (juce::int64 offset, juce::uint8* dest, int numBytes)
    {
        if (offset < blockStart || offset + numBytes > blockStart + blockSize)
        {
            blockStart = offset;
            blockSize = 0;

            if (input.setPosition (offset))
            {
                const int got = input.read (block, (int)sizeof (block));
                blockSize = juce::jmax (0, got);
            }
        }

        const int available =
            (int)juce::jlimit ((juce::int64)0, (juce::int64)numBytes, blockStart + blockSize - offset);
        std::memcpy (dest, block + (offset - blockStart), (size_t)available);
        return available;
    }

private:
    juce::InputStream& input;
    juce::uint8 block[65536];
    juce::int64 blockStart = 0;
    int blockSize = 0;
};
} // namespace

bool FileReadAac::scanAdts (juce::InputStream& input, AdtsScan& scan)
{
    scan = {};
    auto window = std::make_unique<ByteWindow> (input);
    juce::int64 offset = 0;
    juce::int64 samples = 0;
    juce::uint8 b[adtsHeaderSize];

    while (scan.frames.size() < maxFrames && window->readAt (offset, b, 4) == 4)
    {
        if (b[0] == 'T' && b[1] == 'A' && b[2] == 'G')
            break;

        if (b[0] == 'I' && b[1] == 'D' && b[2] == '3')
        {
            juce::uint8 size[4];

            if (window->readAt (offset + 6, size, 4) != 4)
                return false;

            offset += ((juce::int64) (size[0] & 0x7F) << 21 | (size[1] & 0x7F) << 14 | (size[2] & 0x7F) << 7 |
                       (size[3] & 0x7F)) +
                      10;
            continue;
        }

        if (b[0] == 'A' && b[1] == 'D' && b[2] == 'I' && b[3] == 'F')
            break; // not supported

        const int rateIndex = (b[2] >> 2) & 0x0F;

        if (b[0] != 0xFF || (b[1] & 0xF0) != 0xF0 || (b[1] & 0x06) != 0 || rateIndex > 11)
        {
            ++offset;
            continue;
        }

        if (window->readAt (offset + 4, b + 4, 3) != 3)
            break;

        const int frameLength = ((b[3] & 3) << 11) | (b[4] << 3) | (b[5] >> 5);

        // A length that does not even cover the header would never move on: not a frame.
        if (frameLength < adtsHeaderSize)
        {
            ++offset;
            continue;
        }

        auto rate = adtsSampleRates[rateIndex];

        if (rate > maxSampleRate)
            return false;

        if (rate <= sbrRateLimit)
        {
            scan.sbr = true;
            rate *= 2;
        }

        const int channelConfiguration = ((b[2] & 1) << 2) | (b[3] >> 6);

        if (channelConfiguration > 2)
            return false;

        const int samplesPerFrame = scan.sbr ? 2048 : 1024;

        if (samples + samplesPerFrame > std::numeric_limits<juce::int32>::max())
            break;

        scan.sampleRate = rate;
        scan.numChannels = channelConfiguration == 1 ? 2 : channelConfiguration;
        scan.samplesPerFrame = samplesPerFrame;
        scan.frames.push_back (
            {(juce::int32)juce::jmin (offset, (juce::int64)std::numeric_limits<juce::int32>::max()),
             (juce::int32)samples, 0, (juce::int32) ((juce::uint32)frameLength | 0x80000000u)});
        offset += frameLength;
        samples += samplesPerFrame;
    }

    scan.lengthInSamples = (juce::int32)samples;
    return true;
}

bool FileReadAac::analyze()
{
    frameIndex.clear();

    if (stream == nullptr)
        return false;

    AdtsScan scan;

    if (!scanAdts (*stream, scan) || scan.frames.empty())
        return false;

    frameIndex = std::move (scan.frames);
    sampleRate = scan.sampleRate;
    numChannels = (juce::uint16)scan.numChannels;
    lengthInSamples = scan.lengthInSamples;
    samplesPerFrame = scan.samplesPerFrame;
    bitRate = 0;
    setDecodedSampleFormat();

    if (!createDecoder (false))
        return false;

    // A stream at 24000 Hz or below was assumed to carry SBR; the decoder knows.
    adoptDecoderRate();
    return true;
}

std::unique_ptr<AbstractReader> FileReadAacFactory::createReader (const juce::String& path)
{
    if (hasExtension (path, {".AAC"}))
        return std::make_unique<FileReadAac>();

    return nullptr;
}
} // namespace quelbix
