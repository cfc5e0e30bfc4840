#include "support/AlacFixtures.h"

extern "C"
{
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

namespace alacfixtures
{

juce::MemoryBlock encodeAlac (const testfixtures::PlanarPcm& pcm, const AlacOptions& options)
{
    const auto* codec = avcodec_find_encoder (AV_CODEC_ID_ALAC);
    const int channels = (int)pcm.size();
    const int total = pcm.empty() ? 0 : (int)pcm[0].size();
    AVFormatContext* muxer = nullptr;

    // A real file: moving the movie atom to the front or adding a segment index reads it back.
    const juce::TemporaryFile temporary (".m4a");
    const auto path = temporary.getFile().getFullPathName();

    if (codec == nullptr || channels == 0 ||
        avformat_alloc_output_context2 (&muxer, nullptr, options.muxer, path.toRawUTF8()) < 0)
        return {};

    if (avio_open (&muxer->pb, path.toRawUTF8(), AVIO_FLAG_WRITE) < 0)
    {
        avformat_free_context (muxer);
        return {};
    }

    auto* context = avcodec_alloc_context3 (codec);
    context->sample_rate = options.sampleRate;
    context->time_base = AVRational{1, options.sampleRate};
    context->frame_size = options.frameSize;
    av_channel_layout_default (&context->ch_layout, channels);
    const bool wide = options.bitsPerSample > 16;
    context->sample_fmt = wide ? AV_SAMPLE_FMT_S32P : AV_SAMPLE_FMT_S16P;
    context->bits_per_raw_sample = options.bitsPerSample;

    if (muxer->oformat->flags & AVFMT_GLOBALHEADER)
        context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;

    bool ok = avcodec_open2 (context, codec, nullptr) == 0;
    auto* stream = ok ? avformat_new_stream (muxer, nullptr) : nullptr;
    ok = stream != nullptr && avcodec_parameters_from_context (stream->codecpar, context) >= 0;

    if (ok)
    {
        stream->time_base = context->time_base;
        AVDictionary* muxerOptions = nullptr;

        if (*options.movflags != 0)
            av_dict_set (&muxerOptions, "movflags", options.movflags, 0);

        if (*options.fragmentDuration != 0)
            av_dict_set (&muxerOptions, "frag_duration", options.fragmentDuration, 0);

        ok = avformat_write_header (muxer, &muxerOptions) >= 0;
        av_dict_free (&muxerOptions);
    }

    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();

    auto drain = [&]
    {
        while (avcodec_receive_packet (context, packet) == 0)
        {
            av_packet_rescale_ts (packet, context->time_base, stream->time_base);
            packet->stream_index = stream->index;
            ok = av_interleaved_write_frame (muxer, packet) >= 0 && ok;
        }
    };

    for (int position = 0; ok && position < total; position += context->frame_size)
    {
        frame->nb_samples = juce::jmin (context->frame_size, total - position);
        frame->format = context->sample_fmt;
        frame->sample_rate = options.sampleRate;
        av_channel_layout_copy (&frame->ch_layout, &context->ch_layout);
        av_frame_get_buffer (frame, 0);

        for (int c = 0; c < channels; ++c)
            for (int i = 0; i < frame->nb_samples; ++i)
            {
                const auto value = pcm[(size_t)c][(size_t)(position + i)];

                if (wide)
                    reinterpret_cast<int32_t*> (frame->data[c])[i] =
                        (int32_t)((uint32_t)value << (32 - options.bitsPerSample));
                else
                    reinterpret_cast<int16_t*> (frame->data[c])[i] = (int16_t)value;
            }

        frame->pts = position;
        ok = avcodec_send_frame (context, frame) >= 0;
        drain();
        av_frame_unref (frame);
    }

    if (ok)
    {
        avcodec_send_frame (context, nullptr);
        drain();
        ok = av_write_trailer (muxer) >= 0 && ok;
    }

    av_packet_free (&packet);
    av_frame_free (&frame);
    avcodec_free_context (&context);
    avio_closep (&muxer->pb);
    avformat_free_context (muxer);
    juce::MemoryBlock data;

    if (ok)
        temporary.getFile().loadFileAsData (data);

    return data;
}

AtomBuilder& AtomBuilder::begin (const char* type, bool largeSize)
{
    open.push_back ({data.getSize(), largeSize});
    u32 (largeSize ? 1u : 0u);
    bytes (type, 4);

    if (largeSize)
        u64 (0);

    return *this;
}

AtomBuilder& AtomBuilder::end()
{
    const auto top = open.back();
    open.pop_back();
    const auto size = data.getSize() - top.start;

    if (top.large)
    {
        for (int i = 0; i < 8; ++i)
            static_cast<juce::uint8*> (data.getData())[top.start + 8 + (size_t)i] =
                (juce::uint8) ((juce::uint64)size >> (56 - 8 * i));
    }
    else
    {
        patchU32 (top.start, (juce::uint32)size);
    }

    return *this;
}

AtomBuilder& AtomBuilder::atom (const char* type, const juce::MemoryBlock& payload)
{
    begin (type);
    bytes (payload.getData(), payload.getSize());
    return end();
}

AtomBuilder& AtomBuilder::u8 (juce::uint8 value)
{
    return bytes (&value, 1);
}

AtomBuilder& AtomBuilder::u16 (juce::uint16 value)
{
    const juce::uint8 b[] = {(juce::uint8) (value >> 8), (juce::uint8)value};
    return bytes (b, 2);
}

AtomBuilder& AtomBuilder::u32 (juce::uint32 value)
{
    return u16 ((juce::uint16) (value >> 16)).u16 ((juce::uint16)value);
}

AtomBuilder& AtomBuilder::u64 (juce::uint64 value)
{
    return u32 ((juce::uint32) (value >> 32)).u32 ((juce::uint32)value);
}

AtomBuilder& AtomBuilder::bytes (const void* source, size_t size)
{
    data.append (source, size);
    return *this;
}

AtomBuilder& AtomBuilder::zeros (size_t count)
{
    const std::vector<char> nothing (count, 0);
    return bytes (nothing.data(), count);
}

void AtomBuilder::patchU32 (size_t position, juce::uint32 value)
{
    auto* b = static_cast<juce::uint8*> (data.getData()) + position;

    for (int i = 0; i < 4; ++i)
        b[i] = (juce::uint8) (value >> (24 - 8 * i));
}

juce::int64 findAtom (const juce::MemoryBlock& file, const char* type, size_t from)
{
    const auto* bytes = static_cast<const char*> (file.getData());

    for (size_t i = from + 4; i + 4 <= file.getSize(); ++i)
        if (std::memcmp (bytes + i, type, 4) == 0)
            return (juce::int64)i - 4;

    return -1;
}
} // namespace alacfixtures
