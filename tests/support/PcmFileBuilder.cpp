#include "support/PcmFileBuilder.h"

#include <cmath>

namespace glorvak::test
{
PcmSamples makeTestPattern (int numFrames, int numChannels, int bitsPerSample)
{
    const std::int64_t maxValue = (std::int64_t (1) << (bitsPerSample - 1)) - 1;
    const std::int64_t minValue = -maxValue - 1;
    PcmSamples samples;
    samples.reserve ((size_t)numFrames * (size_t)numChannels);

    for (int frame = 0; frame < numFrames; ++frame)
    {
        for (int channel = 0; channel < numChannels; ++channel)
        {
            std::int64_t value = 0;

            switch ((frame + channel) % 5)
            {
                case 0:
                    value = maxValue;
                    break;
                case 1:
                    value = minValue;
                    break;
                // Distinct bytes in every position of the sample.
                case 2:
                    value = (std::int64_t) (frame * 2654435761u) % (maxValue + 1);
                    break;
                case 3:
                    value = -((std::int64_t) (frame * 40503u + channel * 977u) % (maxValue + 1));
                    break;
                default:
                    value = (channel == 0 ? 1 : -1) * (std::int64_t)frame;
                    break;
            }

            samples.push_back ((std::int32_t)value);
        }
    }

    return samples;
}

juce::MemoryBlock packSamples (const PcmSamples& samples, int bitsPerSample, bool bigEndian)
{
    const int bytes = bitsPerSample / 8;
    juce::MemoryBlock out (samples.size() * (size_t)bytes);
    auto* dest = static_cast<juce::uint8*> (out.getData());

    for (auto sample : samples)
    {
        const auto word = (std::uint32_t)sample;

        for (int i = 0; i < bytes; ++i)
        {
            const int shift = bigEndian ? 8 * (bytes - 1 - i) : 8 * i;
            *dest++ = (juce::uint8) ((word >> shift) & 0xff);
        }
    }

    return out;
}

namespace
{
void appendLittle (juce::MemoryBlock& block, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
    {
        const auto byte = (char)((value >> (8 * i)) & 0xff);
        block.append (&byte, 1);
    }
}

void appendBig (juce::MemoryBlock& block, std::uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
    {
        const auto byte = (char)((value >> (8 * i)) & 0xff);
        block.append (&byte, 1);
    }
}
} // namespace

juce::MemoryBlock wavFmtBody (int formatTag, int numChannels, int sampleRate, int bitsPerSample,
                              int extraBytes)
{
    juce::MemoryBlock body;
    const int blockAlign = numChannels * bitsPerSample / 8;
    appendLittle (body, (std::uint32_t)formatTag, 2);
    appendLittle (body, (std::uint32_t)numChannels, 2);
    appendLittle (body, (std::uint32_t)sampleRate, 4);
    appendLittle (body, (std::uint32_t) (sampleRate * blockAlign), 4);
    appendLittle (body, (std::uint32_t)blockAlign, 2);
    appendLittle (body, (std::uint32_t)bitsPerSample, 2);

    if (extraBytes > 0)
    {
        juce::MemoryBlock zeros ((size_t)extraBytes, true);
        body.append (zeros.getData(), zeros.getSize());
    }

    return body;
}

juce::MemoryBlock extendedRate (double rate)
{
    juce::MemoryBlock out;
    std::uint16_t signAndExponent = 0;
    std::uint64_t mantissa = 0;

    if (rate != 0.0)
    {
        int exponent = 0;
        const double fraction = std::frexp (std::abs (rate), &exponent); // 0.5 <= fraction < 1
        signAndExponent = (std::uint16_t) ((exponent - 1 + 16383) | (rate < 0 ? 0x8000 : 0));
        mantissa = (std::uint64_t)std::ldexp (fraction, 64);
    }

    appendBig (out, signAndExponent, 2);
    appendBig (out, (std::uint32_t) (mantissa >> 32), 4);
    appendBig (out, (std::uint32_t) (mantissa & 0xffffffffu), 4);
    return out;
}

juce::MemoryBlock aiffCommBody (int numChannels, std::uint32_t numFrames, int bitsPerSample,
                                double sampleRate, const char* compressionType)
{
    juce::MemoryBlock body;
    appendBig (body, (std::uint32_t)numChannels, 2);
    appendBig (body, numFrames, 4);
    appendBig (body, (std::uint32_t)bitsPerSample, 2);
    auto rate = extendedRate (sampleRate);
    body.append (rate.getData(), rate.getSize());

    if (compressionType != nullptr)
    {
        body.append (compressionType, 4);
        const char emptyName[2] = {0, 0}; // a zero-length Pascal string, padded to even
        body.append (emptyName, 2);
    }

    return body;
}

juce::MemoryBlock aiffSsndBody (const juce::MemoryBlock& sampleBytes, std::uint32_t offset)
{
    juce::MemoryBlock body;
    appendBig (body, offset, 4);
    appendBig (body, 0, 4);

    if (offset > 0)
    {
        juce::MemoryBlock skipped ((size_t)offset, true);
        body.append (skipped.getData(), skipped.getSize());
    }

    body.append (sampleBytes.getData(), sampleBytes.getSize());
    return body;
}

ChunkFileBuilder::ChunkFileBuilder (const char* containerId, const char* formType, bool bigEndian)
    : bigEndianSizes (bigEndian)
{
    memcpy (container, containerId, 4);
    memcpy (formTypeId, formType, 4);
}

ChunkFileBuilder ChunkFileBuilder::riff (const char* formType)
{
    return ChunkFileBuilder ("RIFF", formType, false);
}

ChunkFileBuilder ChunkFileBuilder::form (const char* formType)
{
    return ChunkFileBuilder ("FORM", formType, true);
}

void ChunkFileBuilder::appendSize (std::uint32_t size)
{
    if (bigEndianSizes)
        appendBig (body, size, 4);
    else
        appendLittle (body, size, 4);
}

ChunkFileBuilder& ChunkFileBuilder::chunk (const char* identifier, const juce::MemoryBlock& chunkBody,
                                           bool pad)
{
    chunkWithSize (identifier, (std::uint32_t)chunkBody.getSize(), chunkBody);

    if (pad && (chunkBody.getSize() & 1) != 0)
    {
        const char zero = 0;
        body.append (&zero, 1);
    }

    return *this;
}

ChunkFileBuilder& ChunkFileBuilder::chunkWithSize (const char* identifier, std::uint32_t declaredSize,
                                                   const juce::MemoryBlock& chunkBody)
{
    body.append (identifier, 4);
    appendSize (declaredSize);
    body.append (chunkBody.getData(), chunkBody.getSize());
    return *this;
}

ChunkFileBuilder& ChunkFileBuilder::raw (const juce::MemoryBlock& bytes)
{
    body.append (bytes.getData(), bytes.getSize());
    return *this;
}

juce::MemoryBlock ChunkFileBuilder::build() const
{
    juce::MemoryBlock out;
    out.append (container, 4);

    const auto size = (std::uint32_t) (body.getSize() + 4);
    if (bigEndianSizes)
        appendBig (out, size, 4);
    else
        appendLittle (out, size, 4);

    out.append (formTypeId, 4);
    out.append (body.getData(), body.getSize());
    return out;
}

juce::MemoryBlock PcmFileBuilder::wav (const PcmFormat& format, const PcmSamples& samples)
{
    return ChunkFileBuilder::riff ("WAVE")
        .chunk ("fmt ", wavFmtBody (1, format.numChannels, format.sampleRate, format.bitsPerSample))
        .chunk ("data", packSamples (samples, format.bitsPerSample, false))
        .build();
}

juce::MemoryBlock PcmFileBuilder::aiff (const PcmFormat& format, const PcmSamples& samples,
                                        const char* compressionType)
{
    const bool littleEndian = compressionType != nullptr && memcmp (compressionType, "sowt", 4) == 0;
    const auto frames = (std::uint32_t) (samples.size() / (size_t)juce::jmax (1, format.numChannels));

    return ChunkFileBuilder::form (compressionType != nullptr ? "AIFC" : "AIFF")
        .chunk ("COMM", aiffCommBody (format.numChannels, frames, format.bitsPerSample, format.sampleRate,
                                      compressionType))
        .chunk ("SSND", aiffSsndBody (packSamples (samples, format.bitsPerSample, !littleEndian)))
        .build();
}

bool writeBytes (const juce::File& file, const juce::MemoryBlock& bytes)
{
    return file.replaceWithData (bytes.getData(), bytes.getSize());
}

FixtureFolder::FixtureFolder()
    : folder (juce::File::getSpecialLocation (juce::File::tempDirectory)
                  .getNonexistentChildFile ("fixtures", "", false))
{
    folder.createDirectory();
}

FixtureFolder::~FixtureFolder()
{
    folder.deleteRecursively();
}

juce::File FixtureFolder::write (const juce::String& name, const juce::MemoryBlock& bytes) const
{
    const auto file = folder.getChildFile (name);
    return writeBytes (file, bytes) ? file : juce::File();
}
} // namespace glorvak::test
