#pragma once

#include <juce_core/juce_core.h>

#include <vector>

// AAC files made at test time with libavcodec's native AAC-LC encoder and libavformat's muxers,
// plus hand-built ADTS headers for the scanner's cases.
namespace aacfixtures
{
struct AacOptions
{
    int sampleRate = 44100;
    int numChannels = 2;
    int numFrames = 44100;
    // libavformat muxer: "ipod" (M4A), "mp4" or "adts".
    const char* muxer = "ipod";
    int bitRate = 128000;
    // Written into the container in place of the encoder's AudioSpecificConfig when not empty.
    std::vector<juce::uint8> audioSpecificConfig;
};

// Writes a file of a stereo-distinct sine sweep; false when the encoder or muxer refused.
bool writeAacFile (const juce::File& file, const AacOptions& options);

// An MP4 container ("ipod" or "mp4") with a short MPEG-4 video track first when asked, then one
// AAC track per entry of audioTracks (the muxer of each entry is ignored).
bool writeMp4File (const juce::File& file, const char* muxer, bool videoFirst,
                   const std::vector<AacOptions>& audioTracks);

// A unique new file in the test's private temporary folder.
juce::File makeTempFile (const juce::String& name);

// A 7-byte ADTS header (no CRC) for a frame of frameLength bytes in total.
std::vector<juce::uint8> adtsHeader (int sampleRateIndex, int channelConfiguration, int frameLength);

// The ADTS frames of a file: offset and length of each, as the headers say.
struct AdtsFrame
{
    size_t offset = 0;
    size_t length = 0;
};
std::vector<AdtsFrame> splitAdts (const juce::MemoryBlock& data);
} // namespace aacfixtures
