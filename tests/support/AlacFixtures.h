#pragma once

#include "support/EncodedAudioFixtures.h"

// ALAC in MP4 made at test time with libavcodec's ALAC encoder and libavformat's muxers, plus a
// builder of atom trees for cases no muxer writes.
namespace alacfixtures
{
struct AlacOptions
{
    int sampleRate = 44100;
    int bitsPerSample = 16; // 16 or 24
    int frameSize = 4096;   // samples per packet
    // libavformat muxer: "ipod" (M4A, version-0 sound description), "mov" (QuickTime, the
    // cookie inside a "wave" atom) or "mp4".
    const char* muxer = "ipod";
    // libavformat's "movflags", e.g. "frag_keyframe+empty_moov" for a fragmented file.
    const char* movflags = "";
    const char* fragmentDuration = ""; // microseconds per fragment, with movflags
};

// The encoded file of the PCM (values in bitsPerSample bits), in memory; empty when the encoder
// or muxer refused.
juce::MemoryBlock encodeAlac (const testfixtures::PlanarPcm& pcm, const AlacOptions& options);

// Builds an atom tree: atoms nest by begin/end, payload bytes are appended big-endian.
class AtomBuilder
{
public:
    // Opens an atom; a large one gets a 64-bit size field.
    AtomBuilder& begin (const char* type, bool largeSize = false);
    AtomBuilder& end();
    // An atom with a raw payload.
    AtomBuilder& atom (const char* type, const juce::MemoryBlock& payload);
    AtomBuilder& u8 (juce::uint8 value);
    AtomBuilder& u16 (juce::uint16 value);
    AtomBuilder& u32 (juce::uint32 value);
    AtomBuilder& u64 (juce::uint64 value);
    AtomBuilder& bytes (const void* data, size_t size);
    AtomBuilder& zeros (size_t count);

    size_t size() const { return data.getSize(); }
    const juce::MemoryBlock& getData() const { return data; }
    // Overwrites a big-endian u32 at an absolute position.
    void patchU32 (size_t position, juce::uint32 value);

private:
    struct Open
    {
        size_t start;
        bool large;
    };

    juce::MemoryBlock data;
    std::vector<Open> open;
};

// Finds the first atom of a type in an MP4 file by a plain byte search; the position of its
// size field, or -1.
juce::int64 findAtom (const juce::MemoryBlock& file, const char* type, size_t from = 0);
} // namespace alacfixtures
