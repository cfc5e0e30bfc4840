#include "common/reader/FileReader/FileReadAiff.h"

#include "common/reader/FileReader/ChunkWalker.h"

#include <cmath>

namespace quelbix
{
namespace
{
constexpr int commFieldsSize = 18;
constexpr int commWithCompressionSize = 22;
constexpr int ssndFieldsSize = 8; // offset and block size after the chunk header
} // namespace

FileReadAiff::~FileReadAiff()
{
    frames.release();
    close();
}

double FileReadAiff::extendedToDouble (const juce::uint8 bytes[10]) noexcept
{
    const bool negative = (bytes[0] & 0x80) != 0;
    const int exponent = ((bytes[0] & 0x7f) << 8) | bytes[1];
    juce::uint64 mantissa = 0;

    for (int i = 2; i < 10; ++i)
        mantissa = (mantissa << 8) | bytes[i];

    double value = 0.0;

    if (exponent == 0 && mantissa == 0)
        value = 0.0;
    else if (exponent == 0x7fff)
        value = std::numeric_limits<double>::infinity();
    else
        value = std::ldexp ((double)mantissa, exponent - 16383 - 63);

    return negative ? -value : value;
}

bool FileReadAiff::analyze()
{
    frames.release();
    dataStart = 0;
    swapBytes = true;

    if (stream == nullptr)
        return false;

    auto& input = *stream;
    juce::uint8 form[12];

    if (!input.setPosition (0) || !readFully (input, form, sizeof (form)) || memcmp (form, "FORM", 4) != 0)
        return false;

    const bool compressed = memcmp (form + 8, "AIFC", 4) == 0;

    if (!compressed && memcmp (form + 8, "AIFF", 4) != 0)
        return false;

    ChunkWalker walker (input, {true, true});
    juce::int64 chunk = 12;
    juce::uint32 commSize = 0;

    if (!walker.find (chunk, "COMM", commSize) || commSize < commFieldsSize)
        return false;

    juce::uint8 comm[commFieldsSize];

    if (!readFully (input, comm, sizeof (comm)))
        return false;

    const auto channels = (juce::uint16)juce::ByteOrder::bigEndianShort (comm);
    const auto bits = (juce::uint16)juce::ByteOrder::bigEndianShort (comm + 6);
    const double rate = std::trunc (extendedToDouble (comm + 8));

    // Each property is stored before it is checked, so a rejected file still reports what it is.
    if (std::isfinite (rate) && std::abs (rate) <= (double)std::numeric_limits<juce::int32>::max())
        sampleRate = (juce::int32)rate;

    if (rate != 44100.0 && rate != 48000.0)
        return false;

    numChannels = channels;

    if (channels != 1 && channels != 2)
        return false;

    bitsPerSample = bits;

    if (bits != 16 && bits != 24)
        return false;

    gainLeft = gainRight = 1.0f / 2147483648.0f;
    bytesPerSample = (juce::uint16) (bits / 8);
    bitRate = channels * bits * sampleRate;

    if (compressed && commSize >= commWithCompressionSize)
    {
        char compression[4];

        if (!readFully (input, compression, sizeof (compression)))
            return false;

        if (memcmp (compression, "sowt", 4) == 0)
            swapBytes = false;
        else if (memcmp (compression, "NONE", 4) != 0 && memcmp (compression, "twos", 4) != 0 &&
                 memcmp (compression, "in24", 4) != 0)
            return false;
    }

    chunk += 8 + (juce::int64)commSize;
    juce::uint32 ssndSize = 0;

    if (!walker.find (chunk, "SSND", ssndSize))
        return false;

    if (ssndSize == 0)
    {
        lengthInSamples = 0;
        return false;
    }

    juce::uint8 ssnd[ssndFieldsSize];

    if (!readFully (input, ssnd, sizeof (ssnd)))
        return false;

    // The offset skips bytes before the first frame (block alignment); almost always 0.
    const auto offset = (juce::int64)juce::ByteOrder::bigEndianInt (ssnd);
    dataStart = chunk + 8 + ssndFieldsSize + offset;

    // A truncated file plays the frames that are really there.
    const auto frameBytes = (juce::int64)channels * bytesPerSample;
    const auto declared = juce::jmax ((juce::int64)0, (juce::int64)ssndSize - ssndFieldsSize - offset);
    const auto present = juce::jmax ((juce::int64)0, walker.getTotalLength() - dataStart);
    const auto frameCount = juce::jmin (declared, present) / frameBytes;
    lengthInSamples =
        (juce::int32)juce::jmin (frameCount, (juce::int64)std::numeric_limits<juce::int32>::max());

    frames.prepare ({dataStart, lengthInSamples, channels, bytesPerSample, swapBytes, gainLeft, gainRight});
    return true;
}

void FileReadAiff::read (int startSample, StereoSample* dest, int numFrames)
{
    frames.read (stream.get(), startSample, dest, numFrames);
}

std::unique_ptr<AbstractReader> FileReadAiffFactory::createReader (const juce::String& path)
{
    if (hasExtension (path, {".AIF", ".AIFF"}))
        return std::make_unique<FileReadAiff>();

    return nullptr;
}
} // namespace quelbix
