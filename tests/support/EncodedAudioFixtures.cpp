#include "support/EncodedAudioFixtures.h"

#include <FLAC/stream_encoder.h>

#include <functional>

extern "C"
{
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}

namespace testfixtures
{
PlanarPcm makeTestPcm (int numChannels, int numFrames, int bitsPerSample, juce::uint32 seed)
{
    juce::Random random ((juce::int64)seed);
    const double peak = (double)((1LL << (bitsPerSample - 1)) - 1);
    PlanarPcm pcm ((size_t)numChannels, std::vector<juce::int32> ((size_t)numFrames));

    for (int c = 0; c < numChannels; ++c)
        for (int i = 0; i < numFrames; ++i)
        {
            const double tone = 0.5 * std::sin (i * 0.013 * (c + 1)) + 0.25 * std::sin (i * 0.171 + c);
            const double noise = 0.1 * (random.nextDouble() * 2.0 - 1.0);
            pcm[(size_t)c][(size_t)i] = (juce::int32)std::lround ((tone + noise) * peak);
        }

    return pcm;
}

namespace
{
FLAC__StreamEncoderWriteStatus writeToBlock (const FLAC__StreamEncoder*, const FLAC__byte buffer[],
                                             size_t bytes, uint32_t, uint32_t, void* clientData)
{
    static_cast<juce::MemoryOutputStream*> (clientData)->write (buffer, bytes);
    return FLAC__STREAM_ENCODER_WRITE_STATUS_OK;
}

FLAC__StreamEncoderSeekStatus seekInBlock (const FLAC__StreamEncoder*, FLAC__uint64 offset, void* clientData)
{
    return static_cast<juce::MemoryOutputStream*> (clientData)->setPosition ((juce::int64)offset)
               ? FLAC__STREAM_ENCODER_SEEK_STATUS_OK
               : FLAC__STREAM_ENCODER_SEEK_STATUS_ERROR;
}

FLAC__StreamEncoderTellStatus tellInBlock (const FLAC__StreamEncoder*, FLAC__uint64* offset, void* clientData)
{
    *offset = (FLAC__uint64) static_cast<juce::MemoryOutputStream*> (clientData)->getPosition();
    return FLAC__STREAM_ENCODER_TELL_STATUS_OK;
}
} // namespace

juce::MemoryBlock encodeFlac (const PlanarPcm& pcm, const FlacOptions& options)
{
    juce::MemoryBlock result;
    juce::MemoryOutputStream out (result, false);
    auto* encoder = FLAC__stream_encoder_new();
    const auto channels = (unsigned)pcm.size();
    const auto frames = pcm.empty() ? 0u : (unsigned)pcm[0].size();

    FLAC__stream_encoder_set_channels (encoder, channels);
    FLAC__stream_encoder_set_bits_per_sample (encoder, (unsigned)options.bitsPerSample);
    FLAC__stream_encoder_set_sample_rate (encoder, (unsigned)options.sampleRate);
    FLAC__stream_encoder_set_blocksize (encoder, (unsigned)options.blockSize);
    FLAC__stream_encoder_set_compression_level (encoder, 5);

    // Without a seek callback the encoder cannot go back to write the final count.
    if (options.declareLength)
        FLAC__stream_encoder_set_total_samples_estimate (encoder, frames);

    const auto status = FLAC__stream_encoder_init_stream (
        encoder, writeToBlock, options.declareLength ? seekInBlock : nullptr,
        options.declareLength ? tellInBlock : nullptr, nullptr, &out);

    if (status == FLAC__STREAM_ENCODER_INIT_STATUS_OK)
    {
        std::vector<FLAC__int32> interleaved ((size_t)frames * channels);

        for (unsigned i = 0; i < frames; ++i)
            for (unsigned c = 0; c < channels; ++c)
                interleaved[(size_t)i * channels + c] = pcm[c][i];

        FLAC__stream_encoder_process_interleaved (encoder, interleaved.data(), frames);
        FLAC__stream_encoder_finish (encoder);
    }

    FLAC__stream_encoder_delete (encoder);
    out.flush();
    result.setSize (out.getDataSize());
    return result;
}

namespace
{
// Feeds the PCM to the encoder in whole frames (the last one padded with silence, since not every
// encoder takes a short one) and hands every packet to the sink. False when the encoder is missing
// or refuses the settings.
template <typename Sink>
bool encodePcm (const char* encoderName, const PlanarPcm& pcm, int sampleRate, int bitRate,
                const std::function<void (AVCodecContext&)>& prepare, Sink&& sink)
{
    const auto* codec = avcodec_find_encoder_by_name (encoderName);

    if (codec == nullptr || pcm.empty())
        return false;

    auto* context = avcodec_alloc_context3 (codec);
    const int channels = (int)pcm.size();
    const int total = (int)pcm[0].size();
    context->sample_rate = sampleRate;
    context->bit_rate = bitRate;
    context->time_base = AVRational{1, sampleRate};
    av_channel_layout_default (&context->ch_layout, channels);
    context->sample_fmt = codec->sample_fmts[0];

    if (prepare)
        prepare (*context);

    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();

    auto drain = [&]
    {
        while (avcodec_receive_packet (context, packet) == 0)
        {
            sink (*context, *packet);
            av_packet_unref (packet);
        }
    };

    const bool opened = avcodec_open2 (context, codec, nullptr) == 0;

    if (opened)
    {
        // Encoders of plain PCM take frames of any size.
        const int frameSize = context->frame_size > 0 ? context->frame_size : 1024;

        for (int position = 0; position < total; position += frameSize)
        {
            frame->nb_samples = frameSize;
            frame->format = context->sample_fmt;
            frame->sample_rate = sampleRate;
            av_channel_layout_copy (&frame->ch_layout, &context->ch_layout);
            av_frame_get_buffer (frame, 0);

            for (int i = 0; i < frame->nb_samples; ++i)
                for (int c = 0; c < channels; ++c)
                {
                    const auto value = position + i < total ? pcm[(size_t)c][(size_t)(position + i)] : 0;

                    switch (context->sample_fmt)
                    {
                        case AV_SAMPLE_FMT_S16:
                            reinterpret_cast<int16_t*> (frame->data[0])[i * channels + c] = (int16_t)value;
                            break;
                        case AV_SAMPLE_FMT_S16P:
                            reinterpret_cast<int16_t*> (frame->data[c])[i] = (int16_t)value;
                            break;
                        case AV_SAMPLE_FMT_S32P:
                            reinterpret_cast<int32_t*> (frame->data[c])[i] = value * 65536;
                            break;
                        case AV_SAMPLE_FMT_FLTP:
                            reinterpret_cast<float*> (frame->data[c])[i] = (float)value / 32768.0f;
                            break;
                        default:
                            break;
                    }
                }

            frame->pts = position;
            avcodec_send_frame (context, frame);
            drain();
            av_frame_unref (frame);
        }

        avcodec_send_frame (context, nullptr);
        drain();
    }

    av_packet_free (&packet);
    av_frame_free (&frame);
    avcodec_free_context (&context);
    return opened;
}
} // namespace

juce::MemoryBlock encodeMpegAudio (const char* encoderName, const PlanarPcm& pcm, int sampleRate, int bitRate)
{
    juce::MemoryBlock result;
    encodePcm (encoderName, pcm, sampleRate, bitRate, {},
               [&] (AVCodecContext&, const AVPacket& packet)
               { result.append (packet.data, (size_t)packet.size); });
    return result;
}

juce::MemoryBlock encodeInContainer (const char* encoderName, const char* muxerName, const PlanarPcm& pcm,
                                     int sampleRate, int bitRate)
{
    juce::MemoryBlock result;
    const juce::TemporaryFile temporary ("." + juce::String (muxerName));
    const auto path = temporary.getFile().getFullPathName();
    AVFormatContext* muxer = nullptr;

    if (avformat_alloc_output_context2 (&muxer, nullptr, muxerName, path.toRawUTF8()) < 0)
        return result;

    AVStream* stream = nullptr;
    bool ok = true;

    const auto prepare = [&] (AVCodecContext& context)
    {
        if (muxer->oformat->flags & AVFMT_GLOBALHEADER)
            context.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    };

    // The stream and the header wait for the opened encoder: its parameters go into the header.
    const auto sink = [&] (AVCodecContext& context, AVPacket& packet)
    {
        av_packet_rescale_ts (&packet, context.time_base, stream->time_base);
        packet.stream_index = stream->index;
        ok = av_interleaved_write_frame (muxer, &packet) >= 0 && ok;
    };

    const auto* codec = avcodec_find_encoder_by_name (encoderName);
    ok = codec != nullptr && (stream = avformat_new_stream (muxer, nullptr)) != nullptr;

    if (ok)
    {
        // The parameters the encoder will have, known before it runs: rate, layout, and the
        // extradata that Windows Media Audio keeps in the stream header.
        auto* probe = avcodec_alloc_context3 (codec);
        probe->sample_rate = sampleRate;
        probe->bit_rate = bitRate;
        probe->time_base = AVRational{1, sampleRate};
        av_channel_layout_default (&probe->ch_layout, (int)pcm.size());
        probe->sample_fmt = codec->sample_fmts[0];
        prepare (*probe);
        ok = avcodec_open2 (probe, codec, nullptr) == 0 &&
             avcodec_parameters_from_context (stream->codecpar, probe) >= 0;
        stream->time_base = AVRational{1, sampleRate};
        avcodec_free_context (&probe);
    }

    ok = ok && avio_open (&muxer->pb, path.toRawUTF8(), AVIO_FLAG_WRITE) >= 0 &&
         avformat_write_header (muxer, nullptr) >= 0;

    if (ok)
        ok = encodePcm (encoderName, pcm, sampleRate, bitRate, prepare, sink) && ok;

    if (ok)
        ok = av_write_trailer (muxer) >= 0;

    if (muxer->pb != nullptr)
        avio_closep (&muxer->pb);

    avformat_free_context (muxer);

    if (ok)
        temporary.getFile().loadFileAsData (result);

    return result;
}

DecodedAudio decodeWithLibav (const juce::File& file)
{
    DecodedAudio result;
    AVFormatContext* demuxer = nullptr;

    if (avformat_open_input (&demuxer, file.getFullPathName().toRawUTF8(), nullptr, nullptr) < 0)
        return result;

    const AVCodec* codec = nullptr;
    const int streamIndex = avformat_find_stream_info (demuxer, nullptr) >= 0
                                ? av_find_best_stream (demuxer, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0)
                                : -1;
    AVCodecContext* decoder = streamIndex >= 0 && codec != nullptr ? avcodec_alloc_context3 (codec) : nullptr;

    if (decoder != nullptr &&
        avcodec_parameters_to_context (decoder, demuxer->streams[streamIndex]->codecpar) >= 0 &&
        (decoder->pkt_timebase = demuxer->streams[streamIndex]->time_base, true) &&
        avcodec_open2 (decoder, codec, nullptr) == 0)
    {
        AVPacket* packet = av_packet_alloc();
        AVFrame* frame = av_frame_alloc();

        const auto take = [&]
        {
            while (avcodec_receive_frame (decoder, frame) == 0)
            {
                const int channels = frame->ch_layout.nb_channels;
                result.sampleRate = frame->sample_rate;
                result.channels.resize ((size_t)juce::jmax ((int)result.channels.size(), channels));
                const auto format = (AVSampleFormat)frame->format;
                const bool planar = av_sample_fmt_is_planar (format) != 0;

                for (int c = 0; c < channels; ++c)
                    for (int i = 0; i < frame->nb_samples; ++i)
                    {
                        const auto* base = frame->extended_data[planar ? c : 0];
                        const int index = planar ? i : i * channels + c;
                        float value = 0.0f;

                        switch (av_get_packed_sample_fmt (format))
                        {
                            case AV_SAMPLE_FMT_S16:
                                value = reinterpret_cast<const int16_t*> (base)[index] / 32768.0f;
                                break;
                            case AV_SAMPLE_FMT_S32:
                                value =
                                    (float)(reinterpret_cast<const int32_t*> (base)[index] / 2147483648.0);
                                break;
                            case AV_SAMPLE_FMT_FLT:
                                value = reinterpret_cast<const float*> (base)[index];
                                break;
                            default:
                                break;
                        }

                        result.channels[(size_t)c].push_back (value);
                    }

                av_frame_unref (frame);
            }
        };

        while (av_read_frame (demuxer, packet) >= 0)
        {
            if (packet->stream_index == streamIndex)
                avcodec_send_packet (decoder, packet);

            av_packet_unref (packet);
            take();
        }

        avcodec_send_packet (decoder, nullptr);
        take();
        av_frame_free (&frame);
        av_packet_free (&packet);
    }

    avcodec_free_context (&decoder);
    avformat_close_input (&demuxer);
    return result;
}

juce::File writeTempFile (const juce::String& name, const juce::MemoryBlock& data)
{
    // HOME is the test's private folder (see TestEnvironment).
    const auto folder =
        juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("fixtures");
    folder.createDirectory();
    auto file = folder.getNonexistentChildFile (
        juce::File::createLegalFileName (name).upToLastOccurrenceOf (".", false, false),
        "." + name.fromLastOccurrenceOf (".", false, false), false);
    file.replaceWithData (data.getData(), data.getSize());
    return file;
}
} // namespace testfixtures
