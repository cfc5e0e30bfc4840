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

namespace
{
struct Encoder
{
    AVCodecContext* context = nullptr;
    AVStream* stream = nullptr;
};

bool openEncoder (AVFormatContext* muxer, const AVCodec* codec, Encoder& encoder, AVDictionary** options)
{
    if (muxer->oformat->flags & AVFMT_GLOBALHEADER)
        encoder.context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;

    const bool ok = avcodec_open2 (encoder.context, codec, options) == 0;
    av_dict_free (options);
    encoder.stream = ok ? avformat_new_stream (muxer, nullptr) : nullptr;

    if (encoder.stream == nullptr ||
        avcodec_parameters_from_context (encoder.stream->codecpar, encoder.context) < 0)
        return false;

    encoder.stream->time_base = encoder.context->time_base;
    return true;
}

bool drain (AVFormatContext* muxer, Encoder& encoder, AVPacket* packet)
{
    bool ok = true;

    while (avcodec_receive_packet (encoder.context, packet) == 0)
    {
        av_packet_rescale_ts (packet, encoder.context->time_base, encoder.stream->time_base);
        packet->stream_index = encoder.stream->index;
        ok = av_interleaved_write_frame (muxer, packet) >= 0 && ok;
    }

    return ok;
}

bool encodeAudio (AVFormatContext* muxer, Encoder& encoder, const AacOptions& options, AVFrame* frame,
                  AVPacket* packet)
{
    auto* context = encoder.context;
    bool ok = true;

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
        ok = avcodec_send_frame (context, frame) >= 0 && drain (muxer, encoder, packet);
        av_frame_unref (frame);
    }

    avcodec_send_frame (context, nullptr);
    return drain (muxer, encoder, packet) && ok;
}

bool encodeVideo (AVFormatContext* muxer, Encoder& encoder, AVFrame* frame, AVPacket* packet)
{
    bool ok = true;

    for (int i = 0; ok && i < 5; ++i)
    {
        frame->format = encoder.context->pix_fmt;
        frame->width = encoder.context->width;
        frame->height = encoder.context->height;
        av_frame_get_buffer (frame, 0);
        av_frame_make_writable (frame);

        for (int plane = 0; plane < 3; ++plane)
            for (int y = 0; y < (plane == 0 ? frame->height : frame->height / 2); ++y)
                std::memset (frame->data[plane] + y * frame->linesize[plane], 16 + i * 20,
                             (size_t)frame->linesize[plane]);

        frame->pts = i;
        ok = avcodec_send_frame (encoder.context, frame) >= 0 && drain (muxer, encoder, packet);
        av_frame_unref (frame);
    }

    avcodec_send_frame (encoder.context, nullptr);
    return drain (muxer, encoder, packet) && ok;
}

bool writeTracks (const juce::File& file, const char* muxerName, bool videoFirst,
                  const std::vector<AacOptions>& tracks)
{
    AVFormatContext* muxer = nullptr;

    if (avformat_alloc_output_context2 (&muxer, nullptr, muxerName, file.getFullPathName().toRawUTF8()) < 0)
        return false;

    std::vector<Encoder> encoders;
    bool ok = true;

    if (videoFirst)
    {
        const auto* codec = avcodec_find_encoder (AV_CODEC_ID_MPEG4);
        Encoder video;
        video.context = codec != nullptr ? avcodec_alloc_context3 (codec) : nullptr;
        ok = video.context != nullptr;

        if (ok)
        {
            video.context->width = 32;
            video.context->height = 32;
            video.context->pix_fmt = AV_PIX_FMT_YUV420P;
            video.context->time_base = AVRational{1, 5};
            AVDictionary* none = nullptr;
            ok = openEncoder (muxer, codec, video, &none);
            encoders.push_back (video);
        }
    }

    const auto* aac = avcodec_find_encoder (AV_CODEC_ID_AAC);

    for (const auto& options : tracks)
    {
        Encoder audio;
        audio.context = ok && aac != nullptr ? avcodec_alloc_context3 (aac) : nullptr;
        ok = audio.context != nullptr;

        if (!ok)
            break;

        audio.context->sample_rate = options.sampleRate;
        audio.context->bit_rate = options.bitRate;
        audio.context->sample_fmt = AV_SAMPLE_FMT_FLTP;
        audio.context->time_base = AVRational{1, options.sampleRate};
        av_channel_layout_default (&audio.context->ch_layout, options.numChannels);

        // Noise substitution decodes to random noise, different after every jump: keep the
        // fixtures deterministic so that decoded samples can be compared exactly.
        AVDictionary* encoderOptions = nullptr;
        av_dict_set (&encoderOptions, "aac_pns", "0", 0);
        ok = openEncoder (muxer, aac, audio, &encoderOptions);
        encoders.push_back (audio);

        if (ok && !options.audioSpecificConfig.empty())
        {
            auto* parameters = audio.stream->codecpar;
            av_freep (&parameters->extradata);
            parameters->extradata = static_cast<uint8_t*> (
                av_mallocz (options.audioSpecificConfig.size() + AV_INPUT_BUFFER_PADDING_SIZE));
            std::memcpy (parameters->extradata, options.audioSpecificConfig.data(),
                         options.audioSpecificConfig.size());
            parameters->extradata_size = (int)options.audioSpecificConfig.size();
        }
    }

    ok = ok && avio_open (&muxer->pb, file.getFullPathName().toRawUTF8(), AVIO_FLAG_WRITE) >= 0 &&
         avformat_write_header (muxer, nullptr) >= 0;

    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    size_t audioIndex = 0;

    for (auto& encoder : encoders)
    {
        if (!ok)
            break;

        ok = encoder.context->codec_type == AVMEDIA_TYPE_VIDEO
                 ? encodeVideo (muxer, encoder, frame, packet)
                 : encodeAudio (muxer, encoder, tracks[audioIndex++], frame, packet);
    }

    ok = ok && av_write_trailer (muxer) >= 0;

    av_packet_free (&packet);
    av_frame_free (&frame);

    for (auto& encoder : encoders)
        avcodec_free_context (&encoder.context);

    if (muxer->pb != nullptr)
        avio_closep (&muxer->pb);

    avformat_free_context (muxer);
    return ok;
}
} // namespace

bool writeAacFile (const juce::File& file, const AacOptions& options)
{
    return writeTracks (file, options.muxer, false, {options});
}

bool writeMp4File (const juce::File& file, const char* muxer, bool videoFirst,
                   const std::vector<AacOptions>& audioTracks)
{
    return writeTracks (file, muxer, videoFirst, audioTracks);
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
