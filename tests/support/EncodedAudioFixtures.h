#pragma once

#include <juce_core/juce_core.h>

#include <vector>

// Compressed audio made at test time by the system's encoders, so that readers are checked
// against files whose PCM the test knows.
namespace testfixtures
{
// Planar integer PCM: one vector per channel, all of the same length.
using PlanarPcm = std::vector<std::vector<juce::int32>>;

// A deterministic, non-silent signal in bitsPerSample bits: a different mix of tones and noise
// per channel, so that a swapped, shifted or dropped sample shows.
PlanarPcm makeTestPcm (int numChannels, int numFrames, int bitsPerSample, juce::uint32 seed = 1);

struct FlacOptions
{
    int sampleRate = 44100;
    int bitsPerSample = 16;
    int blockSize = 4096;
    // False writes a stream whose header leaves the number of samples unknown.
    bool declareLength = true;
};

// A complete FLAC file of the PCM, written by libFLAC's encoder.
juce::MemoryBlock encodeFlac (const PlanarPcm& pcm, const FlacOptions& options);

// The raw frames (no tags, no Xing header) of an MPEG audio stream of the PCM (16-bit values),
// written by libavcodec's encoder of that name: "libmp3lame" (Layer III) or "mp2" (Layer II,
// MPEG-2 at 16, 22.05 and 24 kHz). Empty when the encoder is missing or refuses the settings.
juce::MemoryBlock encodeMpegAudio (const char* encoderName, const PlanarPcm& pcm, int sampleRate,
                                   int bitRate);

// A complete file of the PCM (16-bit values) in the container of libavformat's muxer of that
// name, written by libavcodec's encoder of that name: "wmav1" or "wmav2" in "asf", for instance.
// Empty when the encoder or the muxer is missing or refuses the settings.
juce::MemoryBlock encodeInContainer (const char* encoderName, const char* muxerName, const PlanarPcm& pcm,
                                     int sampleRate, int bitRate);

// The whole audio of a file as libavformat and libavcodec decode it on their own, every format
// and codec admitted: the reference that the program's decoders are held to. No channels when
// the file does not decode.
struct DecodedAudio
{
    int sampleRate = 0;
    std::vector<std::vector<float>> channels; // planar, -1 .. +1
};

DecodedAudio decodeWithLibav (const juce::File& file);

// Writes the block to a new file (a unique variant of name) in the test's private home folder.
juce::File writeTempFile (const juce::String& name, const juce::MemoryBlock& data);
} // namespace testfixtures
