#include "support/AacFixtures.h"

#include <cmath>

extern "C"
{
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}

namespace aacfixtures
{
namespace
{
float signal (int channel, int index, int sampleRate)
{
    const double t = (double)index / sampleRate;
    const double frequency = 220.0 * (channel + 1) + 40.0 * t;
    return (float)(0.4 * std::sin (2.0 * juce::MathConstants<double>::pi * frequency * t));
}
} // namespace

juce::File makeTempFile (const juce::String& name)
{
    return juce::File::getSpecialLocation (juce::File::tempDirectory)
        .getNonexistentChildFile (
            juce::File::createLegalFileName (name).upToLastOccurrenceOf (".", false, false),
            name.fromLastOccurrenceOf (".", true, false), false);
}

bool writeAacFile (const juce::File& file, const AacOptions& options)
{
    const auto* codec = avcodec_find_encoder (AV_CODEC_ID_AAC);
    AVFormatContext* muxer = nullptr;

    if (codec == nullptr || avformat_alloc_output_context2 (&muxer, nullptr, options.muxer,
                                                            file.getFullPathName().toRawUTF8()) < 0)
        return false;

    auto* context = avcodec_alloc_context3 (codec);
    context->sample_rate = options.sampleRate;
    context->bit_rate = options.bitRate;
    context->sample_fmt = AV_SAMPLE_FMT_FLTP;
    context->time_base = AVRational{1, options.sampleRate};
    av_channel_layout_default (&context->ch_layout, options.numChannels);

    if (muxer->oformat->flags & AVFMT_GLOBALHEADER)
        context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;

    // Noise substitution decodes to random noise, different after every jump: keep the fixtures
    // deterministic so that decoded samples can be compared exactly.
    AVDictionary* encoderOptions = nullptr;
    av_dict_set (&encoderOptions, "aac_pns", "0", 0);
    bool ok = avcodec_open2 (context, codec, &encoderOptions) == 0;
    av_dict_free (&encoderOptions);
    auto* stream = ok ? avformat_new_stream (muxer, nullptr) : nullptr;
    ok = stream != nullptr && avcodec_parameters_from_context (stream->codecpar, context) >= 0;

    if (ok)
    {
        stream->time_base = context->time_base;
        ok = avio_open (&muxer->pb, file.getFullPathName().toRawUTF8(), AVIO_FLAG_WRITE) >= 0 &&
             avformat_write_header (muxer, nullptr) >= 0;
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

    for (int position = 0; ok && position < options.numFrames; position += context->frame_size)
    {
        frame->nb_samples = juce::jmin (context->frame_size, options.numFrames - position);
        frame->format = context->sample_fmt;
        frame->sample_rate = options.sampleRate;
        av_channel_layout_copy (&frame->ch_layout, &context->ch_layout);
        av_frame_get_buffer (frame, 0);

        for (int c = 0; c < options.numChannels; ++c)
            for (int i = 0; i < frame->nb_samples; ++i)
                reinterpret_cast<float*> (frame->data[c])[i] = signal (c, position + i, options.sampleRate);

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

    if (muxer->pb != nullptr)
        avio_closep (&muxer->pb);

    avformat_free_context (muxer);
    return ok;
}

std::vector<juce::uint8> adtsHeader (int sampleRateIndex, int channelConfiguration, int frameLength)
{
    return {
        0xFF,
        0xF1, // MPEG-4, layer 0, no CRC
        (juce::uint8) ((1 << 6) | (sampleRateIndex << 2) | ((channelConfiguration >> 2) & 1)),
        (juce::uint8) (((channelConfiguration & 3) << 6) | ((frameLength >> 11) & 3)),
        (juce::uint8) ((frameLength >> 3) & 0xFF),
        (juce::uint8) (((frameLength & 7) << 5) | 0x1F),
        0xFC,
    };
}

std::vector<AdtsFrame> splitAdts (const juce::MemoryBlock& data)
{
    std::vector<AdtsFrame> frames;
    const auto* bytes = static_cast<const juce::uint8*> (data.getData());
    size_t offset = 0;

    while (offset + 7 <= data.getSize() && bytes[offset] == 0xFF && (bytes[offset + 1] & 0xF0) == 0xF0)
    {
        const size_t length = ((size_t)(bytes[offset + 3] & 3) << 11) | ((size_t)bytes[offset + 4] << 3) |
                              ((size_t)bytes[offset + 5] >> 5);

        if (length < 7 || offset + length > data.getSize())
            break;

        frames.push_back ({offset, length});
        offset += length;
    }

    return frames;
}
} // namespace aacfixtures
