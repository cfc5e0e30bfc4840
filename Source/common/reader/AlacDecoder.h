#pragma once

#include <juce_core/juce_core.h>

#include <memory>

namespace quelbix
{
// Decoder of Apple Lossless packets: set up once from the 24-byte ALAC specific config (the
// "magic cookie"), then fed one packet at a time. Output is interleaved little-endian PCM,
// 2 bytes per sample at 16 bits and packed 3 bytes at 24 bits. Runs over libavcodec's ALAC
// decoder; one object is used by one thread at a time.
class AlacDecoder
{
public:
    // Status values of init and decode.
    enum Status : juce::int32
    {
        noError = 0,
        paramError = -50,   // the cookie or the arguments are not acceptable
        decodeError = -1000 // the packet does not decode
    };

    // The bytes of one packet, as handed to decode.
    struct BitBuffer
    {
        void init (const juce::uint8* bytes, juce::uint32 byteCount) noexcept
        {
            data = bytes;
            size = byteCount;
        }

        const juce::uint8* data = nullptr;
        juce::uint32 size = 0;
    };

    // The fields of the ALAC specific config, big-endian in the cookie.
    struct SpecificConfig
    {
        static constexpr int size = 24;

        juce::uint32 frameLength = 0;
        juce::uint8 compatibleVersion = 0;
        juce::uint8 bitDepth = 0;
        juce::uint8 pb = 0, mb = 0, kb = 0;
        juce::uint8 numChannels = 0;
        juce::uint16 maxRun = 0;
        juce::uint32 maxFrameBytes = 0;
        juce::uint32 avgBitRate = 0;
        juce::uint32 sampleRate = 0;

        // False when fewer than 24 bytes are given.
        bool parse (const juce::uint8* bytes, size_t numBytes) noexcept;
    };

    AlacDecoder();
    ~AlacDecoder();

    // Reads the cookie (optionally led by a "frma" and an "alac" atom header) and opens the
    // decoder for it. noError on success.
    juce::int32 init (const void* magicCookie, juce::uint32 magicCookieSize);

    // Decodes one packet into sampleBuffer, which holds numSamples frames of numChannels samples.
    // A packet that states more samples is cut to numSamples, so the buffer is never written
    // past. outNumSamples receives the frames written.
    juce::int32 decode (const BitBuffer& bits, juce::uint8* sampleBuffer, juce::uint32 numSamples,
                        juce::uint32 numChannels, juce::uint32* outNumSamples);

    const SpecificConfig& getConfig() const noexcept { return config; }

private:
    struct Codec; // libavcodec's objects

    SpecificConfig config;
    std::unique_ptr<Codec> codec;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AlacDecoder)
};
} // namespace quelbix
