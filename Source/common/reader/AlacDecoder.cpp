#include "common/reader/AlacDecoder.h"

#include "common/reader/Mp4AtomParser.h"

extern "C"
{
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/mem.h>
}

namespace quelbix
{
namespace
{
// Size of the "alac" atom libavcodec wants as extradata: size, type, version and flags, config.
constexpr int extradataSize = 12 + AlacDecoder::SpecificConfig::size;

// One channel's samples, left-justified in 32 bits (shifted up by toTop), as the top `width`
// bytes of each, little-endian, every outStep bytes. The width is fixed per loop so that the
// loop over the samples holds no other decision.
template <typename Sample, int width>
void packChannelAs (const Sample* in, size_t step, int toTop, juce::uint8* out, size_t outStep,
                    juce::uint32 count) noexcept
{
    for (juce::uint32 i = 0; i < count; ++i, in += step, out += outStep)
    {
        const auto value = (juce::uint32)*in << toTop;

        for (int b = 0; b < width; ++b)
            out[b] = (juce::uint8) (value >> (32 - 8 * (width - b)));
    }
}

template <typename Sample>
void packChannel (const Sample* in, size_t step, int toTop, juce::uint8* out, size_t outStep, int width,
                  juce::uint32 count) noexcept
{
    if (width == 2)
        packChannelAs<Sample, 2> (in, step, toTop, out, outStep, count);
    else
        packChannelAs<Sample, 3> (in, step, toTop, out, outStep, count);
}
} // namespace

struct AlacDecoder::Codec
{
    ~Codec()
    {
        av_frame_free (&frame);
        av_packet_free (&packet);
        avcodec_free_context (&context);
    }

    AVCodecContext* context = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
};

bool AlacDecoder::SpecificConfig::parse (const juce::uint8* bytes, size_t numBytes) noexcept
{
    if (bytes == nullptr || numBytes < (size_t)size)
        return false;

    frameLength = juce::ByteOrder::bigEndianInt (bytes);
    compatibleVersion = bytes[4];
    bitDepth = bytes[5];
    pb = bytes[6];
    mb = bytes[7];
    kb = bytes[8];
    numChannels = bytes[9];
    maxRun = juce::ByteOrder::bigEndianShort (bytes + 10);
    maxFrameBytes = juce::ByteOrder::bigEndianInt (bytes + 12);
    avgBitRate = juce::ByteOrder::bigEndianInt (bytes + 16);
    sampleRate = juce::ByteOrder::bigEndianInt (bytes + 20);
    return true;
}

AlacDecoder::AlacDecoder() = default;
AlacDecoder::~AlacDecoder() = default;

juce::int32 AlacDecoder::init (const void* magicCookie, juce::uint32 magicCookieSize)
{
    codec.reset();
    config = {};

    auto* bytes = static_cast<const juce::uint8*> (magicCookie);
    size_t remaining = bytes != nullptr ? magicCookieSize : 0;

    // A cookie taken whole from a QuickTime sound description may still carry the headers of its
    // "frma" atom and of the "alac" atom around the config.
    for (auto leading : {Mp4AtomParser::fourCC ("frma"), Mp4AtomParser::fourCC ("alac")})
        if (remaining >= 12 && juce::ByteOrder::bigEndianInt (bytes + 4) == leading)
        {
            bytes += 12;
            remaining -= 12;
        }

    SpecificConfig parsed;

    if (!parsed.parse (bytes, remaining) || parsed.compatibleVersion != 0 ||
        (parsed.bitDepth != 16 && parsed.bitDepth != 24) || parsed.numChannels == 0 ||
        parsed.numChannels > 8 || parsed.frameLength == 0)
        return paramError;

    const auto* decoder = avcodec_find_decoder (AV_CODEC_ID_ALAC);

    if (decoder == nullptr)
        return paramError;

    auto opened = std::make_unique<Codec>();
    opened->context = avcodec_alloc_context3 (decoder);
    opened->packet = av_packet_alloc();
    opened->frame = av_frame_alloc();

    if (opened->context == nullptr || opened->packet == nullptr || opened->frame == nullptr)
        return paramError;

    auto* extradata = static_cast<juce::uint8*> (av_mallocz (extradataSize + AV_INPUT_BUFFER_PADDING_SIZE));

    if (extradata == nullptr)
        return paramError;

    for (int i = 0; i < 4; ++i)
    {
        extradata[i] = (juce::uint8) ((juce::uint32)extradataSize >> (24 - 8 * i));
        extradata[4 + i] = (juce::uint8) (Mp4AtomParser::fourCC ("alac") >> (24 - 8 * i));
    }

    std::memcpy (extradata + 12, bytes, (size_t)SpecificConfig::size);
    opened->context->extradata = extradata;
    opened->context->extradata_size = extradataSize;
    opened->context->sample_rate =
        (int)juce::jmin (parsed.sampleRate, (juce::uint32)std::numeric_limits<int>::max());
    av_channel_layout_default (&opened->context->ch_layout, parsed.numChannels);

    if (avcodec_open2 (opened->context, decoder, nullptr) < 0)
        return paramError;

    config = parsed;
    codec = std::move (opened);
    return noError;
}

juce::int32 AlacDecoder::decode (const BitBuffer& bits, juce::uint8* sampleBuffer, juce::uint32 numSamples,
                                 juce::uint32 numChannels, juce::uint32* outNumSamples)
{
    if (outNumSamples != nullptr)
        *outNumSamples = 0;

    if (codec == nullptr || sampleBuffer == nullptr || numChannels != config.numChannels)
        return paramError;

    // An empty packet would ask libavcodec to drain instead of decode.
    if (bits.data == nullptr || bits.size == 0 || bits.size > (juce::uint32)std::numeric_limits<int>::max())
        return decodeError;

    auto* packet = codec->packet;
    auto* frame = codec->frame;
    av_packet_unref (packet);
    packet->data = const_cast<juce::uint8*> (bits.data); // not reference counted: libavcodec copies it
    packet->size = (int)bits.size;

    const int sent = avcodec_send_packet (codec->context, packet);
    packet->data = nullptr;
    packet->size = 0;

    if (sent < 0)
        return decodeError;

    bool gotFrame = false;
    juce::uint32 written = 0;

    // One packet gives one frame; whatever else comes out is drained so the next packet starts clean.
    while (avcodec_receive_frame (codec->context, frame) == 0)
    {
        const auto format = av_get_packed_sample_fmt ((AVSampleFormat)frame->format);

        if (!gotFrame && frame->ch_layout.nb_channels == (int)numChannels &&
            (format == AV_SAMPLE_FMT_S16 || format == AV_SAMPLE_FMT_S32))
        {
            gotFrame = true;
            written = juce::jmin ((juce::uint32)juce::jmax (0, frame->nb_samples), numSamples);
            const int bytesPerSample = config.bitDepth / 8;
            const bool planar = av_sample_fmt_is_planar ((AVSampleFormat)frame->format) != 0;

            for (juce::uint32 c = 0; c < numChannels; ++c)
            {
                const auto* plane = frame->extended_data[planar ? c : 0];
                const size_t first = planar ? 0 : c;
                const size_t step = planar ? 1 : numChannels;
                auto* out = sampleBuffer + (size_t)c * (size_t)bytesPerSample;
                const auto outStep = (size_t)numChannels * (size_t)bytesPerSample;

                if (format == AV_SAMPLE_FMT_S16)
                    packChannel (reinterpret_cast<const juce::int16*> (plane) + first, step, 16, out, outStep,
                                 bytesPerSample, written);
                else
                    packChannel (reinterpret_cast<const juce::int32*> (plane) + first, step, 0, out, outStep,
                                 bytesPerSample, written);
            }
        }

        av_frame_unref (frame);
    }

    if (!gotFrame)
        return decodeError;

    if (outNumSamples != nullptr)
        *outNumSamples = written;

    return noError;
}
} // namespace quelbix
