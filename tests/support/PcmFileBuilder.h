#pragma once

#include <juce_core/juce_core.h>

#include <cstdint>
#include <vector>

namespace glorvak::test
{
// Builds the bytes of small WAV and AIFF files in memory, well-formed or deliberately broken, so
// that tests can compare what a reader delivers with the integers they wrote.
//
//   auto wav = PcmFileBuilder::wav (PcmFormat { 48000, 2, 24 }, samples);
//   auto odd = ChunkFileBuilder::riff ("WAVE").chunk ("LIST", someBytes)
//                  .chunk ("fmt ", wavFmtBody (1, 2, 44100, 16)).chunk ("data", pcm).build();

struct PcmFormat
{
    int sampleRate = 44100;
    int numChannels = 2;
    int bitsPerSample = 16;
};

// Interleaved integer samples, each within the signed range of the format's bit depth.
using PcmSamples = std::vector<std::int32_t>;

// A deterministic pattern of numFrames frames that reaches both extremes of the bit depth and
// differs between channels, so swapped channels, bytes or offsets show up.
PcmSamples makeTestPattern (int numFrames, int numChannels, int bitsPerSample);

// Samples packed as bitsPerSample / 8 bytes each, little- or big-endian.
juce::MemoryBlock packSamples (const PcmSamples& samples, int bitsPerSample, bool bigEndian);

// The body of a WAV "fmt " chunk: 16 bytes, plus extraBytes zero bytes (a cbSize field and more).
juce::MemoryBlock wavFmtBody (int formatTag, int numChannels, int sampleRate, int bitsPerSample,
                              int extraBytes = 0);

// An AIFF sample rate as an 80-bit IEEE 754 extended value.
juce::MemoryBlock extendedRate (double rate);

// The body of an AIFF "COMM" chunk (18 bytes), with a compression type and an empty name for
// AIFC when compressionType is not null.
juce::MemoryBlock aiffCommBody (int numChannels, std::uint32_t numFrames, int bitsPerSample,
                                double sampleRate, const char* compressionType = nullptr);

// The body of an "SSND" chunk: offset, block size, then the sample bytes.
juce::MemoryBlock aiffSsndBody (const juce::MemoryBlock& sampleBytes, std::uint32_t offset = 0);

// Chunks in a RIFF (little-endian sizes) or FORM (big-endian sizes) container.
class ChunkFileBuilder
{
public:
    static ChunkFileBuilder riff (const char* formType = "WAVE");
    static ChunkFileBuilder form (const char* formType = "AIFF");

    // Appends a chunk with its true size; odd bodies get their zero pad byte unless pad is false.
    ChunkFileBuilder& chunk (const char* identifier, const juce::MemoryBlock& body, bool pad = true);
    // Appends a chunk whose header states declaredSize whatever the body holds (corrupt files).
    ChunkFileBuilder& chunkWithSize (const char* identifier, std::uint32_t declaredSize,
                                     const juce::MemoryBlock& body);
    // Appends raw bytes outside any chunk.
    ChunkFileBuilder& raw (const juce::MemoryBlock& bytes);

    // The file, with the container size filled in.
    juce::MemoryBlock build() const;

private:
    ChunkFileBuilder (const char* containerId, const char* formType, bool bigEndian);
    void appendSize (std::uint32_t size);

    char container[4];
    char formTypeId[4];
    bool bigEndianSizes;
    juce::MemoryBlock body;
};

// Whole files in the usual layout.
struct PcmFileBuilder
{
    static juce::MemoryBlock wav (const PcmFormat& format, const PcmSamples& samples);
    // compressionType null gives a plain AIFF; otherwise an AIFC with that type ("sowt" packs
    // little-endian samples, every other type big-endian).
    static juce::MemoryBlock aiff (const PcmFormat& format, const PcmSamples& samples,
                                   const char* compressionType = nullptr);
};

// Writes bytes to a file, replacing it; false on failure.
bool writeBytes (const juce::File& file, const juce::MemoryBlock& bytes);

// A fresh folder under the temporary folder for a test's fixture files, deleted with the object.
class FixtureFolder
{
public:
    FixtureFolder();
    ~FixtureFolder();

    // Writes the bytes as a file of that name in the folder and returns it.
    juce::File write (const juce::String& name, const juce::MemoryBlock& bytes) const;

    const juce::File folder;

    JUCE_DECLARE_NON_COPYABLE (FixtureFolder)
};
} // namespace glorvak::test
