#include "common/reader/FileReader/FileReadWav.h"

#include "common/reader/FileReader/ChunkWalker.h"

namespace quelbix
{
namespace
{
constexpr int pcmFormatTag = 1;
constexpr int fmtFieldsSize = 16;

bool isSupportedRate (int rate) noexcept
{
    return rate == 44100 || rate == 48000;
}
} // namespace

FileReadWav::~FileReadWav()
{
    frames.release();
    close();
}

bool FileReadWav::analyze()
{
    frames.release();
    dataStart = 0;

    if (stream == nullptr)
        return false;

    auto& input = *stream;
    juce::uint8 riff[12];

    if (!input.setPosition (0) || !readFully (input, riff, sizeof (riff)))
        return false;

    if (memcmp (riff, "RIFF", 4) != 0 || memcmp (riff + 8, "WAVE", 4) != 0)
        return false;

    ChunkWalker walker (input, {false, false});
    juce::int64 chunk = 12;
    juce::uint32 fmtSize = 0;

    if (!walker.find (chunk, "fmt ", fmtSize) || fmtSize < fmtFieldsSize)
        return false;

    juce::uint8 fmt[fmtFieldsSize];

    if (!readFully (input, fmt, sizeof (fmt)))
        return false;

    const int formatTag = juce::ByteOrder::littleEndianShort (fmt);
    const auto channels = (juce::uint16)juce::ByteOrder::littleEndianShort (fmt + 2);
    const auto rate = (juce::int32)juce::ByteOrder::littleEndianInt (fmt + 4);
    const auto bits = (juce::uint16)juce::ByteOrder::littleEndianShort (fmt + 14);

    // Each property is stored before it is checked, so a rejected file still reports what it is.
    sampleRate = rate;
    if (!isSupportedRate (rate))
        return false;

    numChannels = channels;
    if (channels > 2)
        return false;

    bitsPerSample = bits;
    if (formatTag != pcmFormatTag || (bits != 16 && bits != 24))
        return false;

    gainLeft = gainRight = 1.0f / 2147483648.0f;
    bytesPerSample = (juce::uint16) (bits / 8);
    bitRate = bits * channels * rate;

    // The data chunk must follow the format chunk.
    chunk += 8 + (juce::int64)fmtSize;
    juce::uint32 dataSize = 0;

    if (!walker.find (chunk, "data", dataSize) || channels == 0)
        return false;

    dataStart = chunk + 8;

    // A truncated file plays the frames that are really there.
    const auto frameBytes = (juce::int64)bytesPerSample * channels;
    const auto bytesPresent = juce::jmax ((juce::int64)0, walker.getTotalLength() - dataStart);
    const auto frameCount = juce::jmin ((juce::int64)dataSize, bytesPresent) / frameBytes;
    lengthInSamples =
        (juce::int32)juce::jmin (frameCount, (juce::int64)std::numeric_limits<juce::int32>::max());

    frames.prepare ({dataStart, lengthInSamples, channels, bytesPerSample, false, gainLeft, gainRight});
    return true;
}

void FileReadWav::read (int startSample, StereoSample* dest, int numFrames)
{
    frames.read (stream.get(), startSample, dest, numFrames);
}

std::unique_ptr<AbstractReader> FileReadWavFactory::createReader (const juce::String& path)
{
    if (hasExtension (path, {".WAV"}))
        return std::make_unique<FileReadWav>();

    return nullptr;
}
} // namespace quelbix
