#include "support/EncodedAudioFixtures.h"

#include <FLAC/stream_encoder.h>

extern "C"
{
#include <libavcodec/avcodec.h>
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

juce::MemoryBlock encodeMpegAudio (const char* encoderName, const PlanarPcm& pcm, int sampleRate, int bitRate)
{
    juce::MemoryBlock result;
    const auto* codec = avcodec_find_encoder_by_name (encoderName);

    if (codec == nullptr || pcm.empty())
        return result;

    auto* context = avcodec_alloc_context3 (codec);
    const int channels = (int)pcm.size();
    const int total = (int)pcm[0].size();
    context->sample_rate = sampleRate;
    context->bit_rate = bitRate;
    av_channel_layout_default (&context->ch_layout, channels);
    context->sample_fmt = codec->sample_fmts[0];

    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();

    auto drain = [&]
    {
        while (avcodec_receive_packet (context, packet) == 0)
        {
            result.append (packet->data, (size_t)packet->size);
            av_packet_unref (packet);
        }
    };

    if (avcodec_open2 (context, codec, nullptr) == 0)
    {
        for (int position = 0; position < total; position += context->frame_size)
        {
            frame->nb_samples = context->frame_size;
            frame->format = context->sample_fmt;
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
