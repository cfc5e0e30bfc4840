#include "common/reader/AlacDecoder.h"
#include "common/reader/Mp4AtomParser.h"
#include "support/AlacFixtures.h"

#include <gtest/gtest.h>

using quelbix::AlacDecoder;

namespace
{
struct Stream
{
    testfixtures::PlanarPcm pcm;
    juce::MemoryBlock file;
    quelbix::Mp4AtomParser parser;
};

std::unique_ptr<Stream> makeStream (int channels, int bits)
{
    auto s = std::make_unique<Stream>();
    s->pcm = testfixtures::makeTestPcm (channels, 4096 * 2, bits);
    alacfixtures::AlacOptions options;
    options.bitsPerSample = bits;
    s->file = alacfixtures::encodeAlac (s->pcm, options);
    juce::MemoryInputStream input (s->file, false);
    EXPECT_TRUE (s->parser.parse (input));
    return s;
}

// Sample i of channel c as the decoder writes it: 2 or 3 little-endian bytes.
juce::int32 valueAt (const std::vector<juce::uint8>& pcm, int bits, int channels, int i, int c)
{
    const int width = bits / 8;
    const auto* b = pcm.data() + ((size_t)i * (size_t)channels + (size_t)c) * (size_t)width;
    juce::uint32 v = 0;

    for (int k = 0; k < width; ++k)
        v |= (juce::uint32)b[k] << (32 - 8 * (width - k));

    return (juce::int32)v >> (32 - bits);
}

TEST (AlacDecoder, DecodesPacketsIntoInterleavedLittleEndianPcm)
{
    for (auto [channels, bits] : {std::pair{1, 16}, {2, 16}, {1, 24}, {2, 24}})
    {
        SCOPED_TRACE (juce::String (channels) + " channels, " + juce::String (bits) + " bits");
        const auto s = makeStream (channels, bits);
        AlacDecoder decoder;
        ASSERT_EQ (decoder.init (s->parser.config.get(), s->parser.configSize), AlacDecoder::noError);
        EXPECT_EQ (decoder.getConfig().frameLength, 4096u);
        EXPECT_EQ (decoder.getConfig().bitDepth, bits);
        EXPECT_EQ (decoder.getConfig().numChannels, channels);
        EXPECT_EQ (decoder.getConfig().sampleRate, 44100u);

        const auto& packet = s->parser.frames[1];
        const auto* bytes = static_cast<const juce::uint8*> (s->file.getData()) + packet.byteOffset;
        AlacDecoder::BitBuffer bitBuffer;
        bitBuffer.init (bytes, (juce::uint32)packet.getByteSize());
        std::vector<juce::uint8> out ((size_t)(4096 * channels * bits / 8));
        juce::uint32 decoded = 0;
        ASSERT_EQ (decoder.decode (bitBuffer, out.data(), 4096, (juce::uint32)channels, &decoded),
                   AlacDecoder::noError);
        ASSERT_EQ (decoded, 4096u);

        for (int i = 0; i < 4096; ++i)
            for (int c = 0; c < channels; ++c)
                ASSERT_EQ (valueAt (out, bits, channels, i, c), s->pcm[(size_t)c][(size_t)(4096 + i)])
                    << i << "/" << c;
    }
}

TEST (AlacDecoder, APacketLongerThanTheBufferIsCutNotWrittenPast)
{
    const auto s = makeStream (2, 24);
    AlacDecoder decoder;
    ASSERT_EQ (decoder.init (s->parser.config.get(), s->parser.configSize), AlacDecoder::noError);
    const auto& packet = s->parser.frames[0];
    AlacDecoder::BitBuffer bitBuffer;
    bitBuffer.init (static_cast<const juce::uint8*> (s->file.getData()) + packet.byteOffset,
                    (juce::uint32)packet.getByteSize());

    // Exactly 1000 frames of room: the sanitizer sees any byte written beyond.
    std::vector<juce::uint8> out (1000 * 2 * 3);
    juce::uint32 decoded = 0;
    ASSERT_EQ (decoder.decode (bitBuffer, out.data(), 1000, 2, &decoded), AlacDecoder::noError);
    EXPECT_EQ (decoded, 1000u);
    EXPECT_EQ (valueAt (out, 24, 2, 999, 1), s->pcm[1][999]);
}

TEST (AlacDecoder, RefusesBadCookiesAndPackets)
{
    const auto s = makeStream (2, 16);
    const auto* cookie = s->parser.config.get();

    auto withByte = [cookie] (int index, juce::uint8 value)
    {
        std::vector<juce::uint8> bytes (cookie, cookie + 24);
        bytes[(size_t)index] = value;
        return bytes;
    };

    struct Case
    {
        const char* name;
        std::vector<juce::uint8> bytes;
    };

    const Case refused[] = {
        {"short", std::vector<juce::uint8> (cookie, cookie + 23)},
        {"newer version", withByte (4, 1)},
        {"20 bits", withByte (5, 20)},
        {"no channels", withByte (9, 0)},
        {"frame length 0",
         [&]
         {
             auto b = withByte (0, 0);
             b[1] = b[2] = b[3] = 0;
             return b;
         }()},
    };

    for (auto& c : refused)
    {
        SCOPED_TRACE (c.name);
        AlacDecoder decoder;
        EXPECT_EQ (decoder.init (c.bytes.data(), (juce::uint32)c.bytes.size()), AlacDecoder::paramError);
    }

    {
        SCOPED_TRACE ("led by frma and alac atom headers");
        juce::MemoryBlock wrapped;
        const juce::uint8 frma[] = {0, 0, 0, 12, 'f', 'r', 'm', 'a', 'a', 'l', 'a', 'c'};
        const juce::uint8 alac[] = {0, 0, 0, 36, 'a', 'l', 'a', 'c', 0, 0, 0, 0};
        wrapped.append (frma, sizeof (frma));
        wrapped.append (alac, sizeof (alac));
        wrapped.append (cookie, 24);
        AlacDecoder decoder;
        EXPECT_EQ (decoder.init (wrapped.getData(), (juce::uint32)wrapped.getSize()), AlacDecoder::noError);
        EXPECT_EQ (decoder.getConfig().frameLength, 4096u);
    }

    AlacDecoder decoder;
    ASSERT_EQ (decoder.init (cookie, 24), AlacDecoder::noError);
    std::vector<juce::uint8> out (4096 * 2 * 2);
    juce::uint32 decoded = 99;
    const juce::uint8 unknownElement[] = {0x40, 0x40, 0x40, 0x40};
    AlacDecoder::BitBuffer bits;
    bits.init (unknownElement, sizeof (unknownElement));
    EXPECT_EQ (decoder.decode (bits, out.data(), 4096, 2, &decoded), AlacDecoder::decodeError);
    EXPECT_EQ (decoded, 0u);
    bits.init (unknownElement, 0);
    EXPECT_EQ (decoder.decode (bits, out.data(), 4096, 2, &decoded), AlacDecoder::decodeError);
    EXPECT_EQ (decoder.decode (bits, out.data(), 4096, 1, &decoded),
               AlacDecoder::paramError); // wrong channel count

    // The decoder still decodes a good packet after the bad ones.
    const auto& packet = s->parser.frames[0];
    bits.init (static_cast<const juce::uint8*> (s->file.getData()) + packet.byteOffset,
               (juce::uint32)packet.getByteSize());
    EXPECT_EQ (decoder.decode (bits, out.data(), 4096, 2, &decoded), AlacDecoder::noError);
    EXPECT_EQ (decoded, 4096u);
}
} // namespace
