#include "common/reader/qm/FFmpegSourceReader.h"

#include "common/reader/qm/JuceIMFByteStream.h"

#include <cmath>
#include <mutex>

extern "C"
{
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
}

namespace qm::WindowsMediaCodec
{
namespace
{
constexpr int ioBufferSize = 32768;

// Only the containers and codecs this decoder stands in for are ever opened: MP4/M4A, ADTS, MPEG
// audio and ASF; AAC, ALAC, MPEG audio Layers I to III and Windows Media Audio (v1, v2, Pro,
// Lossless). Every other demuxer and decoder of the library stays out of reach of a hostile file.
constexpr const char* formatWhitelist = "mov,mp4,m4a,aac,mp3,asf";
const AVCodecID allowedCodecs[] = {AV_CODEC_ID_AAC,   AV_CODEC_ID_ALAC,   AV_CODEC_ID_MP1,
                                   AV_CODEC_ID_MP2,   AV_CODEC_ID_MP3,    AV_CODEC_ID_WMAV1,
                                   AV_CODEC_ID_WMAV2, AV_CODEC_ID_WMAPRO, AV_CODEC_ID_WMALOSSLESS};

// A stream that keeps failing to decode is garbage, not a damaged spot: let the reader decide.
constexpr int maxCorruptPacketsInRow = 16;
// Bounds the packets read for one chunk (packets of other streams, empty frames).
constexpr int maxPacketsPerChunk = 4096;
// The longest silence that stands in for one packet that failed to decode.
constexpr int maxConcealedFrames = 16384;

constexpr AVRational hundredNs{1, 10000000};

juce::int16 floatToInt16 (double value) noexcept
{
    return (juce::int16)juce::jlimit (-32768L, 32767L, std::lrint (value * 32768.0));
}

template <typename Sample, typename Convert>
void interleave (const AVFrame& decoded, bool planar, int outChannels, juce::int16* out, Convert convert)
{
    const int frameChannels = decoded.ch_layout.nb_channels;

    for (int c = 0; c < outChannels; ++c)
    {
        // A frame with fewer channels than the stream started with repeats its last one.
        const int source = juce::jmin (c, frameChannels - 1);
        const auto* base = reinterpret_cast<const Sample*> (decoded.extended_data[planar ? source : 0]);
        const int stride = planar ? 1 : frameChannels;
        const int offset = planar ? 0 : source;

        for (int i = 0; i < decoded.nb_samples; ++i)
            out[i * outChannels + c] = convert (base[i * stride + offset]);
    }
}
} // namespace

void FFmpegSourceReader::Deleters::operator() (AVIOContext* context) const
{
    av_freep (&context->buffer);
    avio_context_free (&context);
}

void FFmpegSourceReader::Deleters::operator() (AVFormatContext* context) const
{
    avformat_close_input (&context);
}

void FFmpegSourceReader::Deleters::operator() (AVCodecContext* context) const
{
    avcodec_free_context (&context);
}

void FFmpegSourceReader::Deleters::operator() (AVPacket* p) const
{
    av_packet_free (&p);
}

void FFmpegSourceReader::Deleters::operator() (AVFrame* f) const
{
    av_frame_free (&f);
}

void FFmpegSourceReader::configureLibrary()
{
    // A few KB of hostile MP4 can declare sample tables that make the demuxer ask for hundreds of
    // MB at once. No audio file the program reads needs a single block anywhere near this (the
    // index of a 4 GB file is tens of MB), so such a file fails to open instead.
    constexpr size_t maxSingleAllocation = 256 * 1024 * 1024;

    static std::once_flag once;
    std::call_once (once,
                    []
                    {
                        av_log_set_level (AV_LOG_QUIET);
                        av_max_alloc (maxSingleAllocation);
                    });
}

std::unique_ptr<ISourceReader> FFmpegSourceReader::Factory::create (JuceIMFByteStream& stream,
                                                                    int audioTrackId)
{
    configureLibrary();
    std::unique_ptr<FFmpegSourceReader> reader (new FFmpegSourceReader (stream, audioTrackId));

    if (!reader->openInput())
        return nullptr;

    return reader;
}

FFmpegSourceReader::FFmpegSourceReader (JuceIMFByteStream& stream, int audioTrackId)
    : byteStream (stream)
    , wantedTrackId (audioTrackId)
{
}

FFmpegSourceReader::~FFmpegSourceReader() = default;

int FFmpegSourceReader::readCallback (void* opaque, juce::uint8* buffer, int size)
{
    auto& self = *static_cast<FFmpegSourceReader*> (opaque);
    int bytesRead = 0;
    const auto status = self.byteStream.read (buffer, size, bytesRead);

    if (status == JuceIMFByteStream::Status::failed)
        return AVERROR (EIO);

    return bytesRead > 0 ? bytesRead : AVERROR_EOF;
}

int64_t FFmpegSourceReader::seekCallback (void* opaque, int64_t offset, int whence)
{
    auto& stream = static_cast<FFmpegSourceReader*> (opaque)->byteStream;
    juce::int64 reached = 0;

    switch (whence & ~AVSEEK_FORCE)
    {
        case AVSEEK_SIZE:
        {
            const auto length = stream.getLength();
            return length >= 0 ? length : AVERROR (ENOSYS);
        }
        case SEEK_SET:
            return stream.seek (JuceIMFByteStream::Origin::begin, offset, reached) ? reached : AVERROR (EIO);
        case SEEK_CUR:
            return stream.seek (JuceIMFByteStream::Origin::current, offset, reached) ? reached
                                                                                     : AVERROR (EIO);
        case SEEK_END:
        {
            const auto length = stream.getLength();

            if (length < 0)
                return AVERROR (ENOSYS);

            return stream.seek (JuceIMFByteStream::Origin::begin, length + offset, reached) ? reached
                                                                                            : AVERROR (EIO);
        }
        default:
            return AVERROR (EINVAL);
    }
}

bool FFmpegSourceReader::openInput()
{
    auto* buffer = static_cast<juce::uint8*> (av_malloc (ioBufferSize));

    if (buffer == nullptr)
        return false;

    io.reset (avio_alloc_context (buffer, ioBufferSize, 0, this, readCallback, nullptr, seekCallback));

    if (io == nullptr)
    {
        av_free (buffer);
        return false;
    }

    auto* context = avformat_alloc_context();

    if (context == nullptr)
        return false;

    context->pb = io.get();
    context->flags |= AVFMT_FLAG_CUSTOM_IO;

    AVDictionary* options = nullptr;
    av_dict_set (&options, "format_whitelist", formatWhitelist, 0);
    const auto result = avformat_open_input (&context, nullptr, nullptr, &options);
    av_dict_free (&options);

    if (result < 0) // the context is freed then
        return false;

    format.reset (context);
    packet.reset (av_packet_alloc());
    frame.reset (av_frame_alloc());
    return packet != nullptr && frame != nullptr;
}

ISourceReader::Result FFmpegSourceReader::selectAudioStream (MediaType& type)
{
    // Like the platform reader, prefer the highest-numbered audio stream unless a track is named.
    for (int i = (int)format->nb_streams; --i >= 0;)
    {
        const auto* stream = format->streams[i];

        if (stream->codecpar->codec_type == AVMEDIA_TYPE_AUDIO &&
            (wantedTrackId <= 0 || stream->id == wantedTrackId))
        {
            streamIndex = i;
            break;
        }
    }

    if (streamIndex < 0)
        return failed;

    for (unsigned int i = 0; i < format->nb_streams; ++i)
        format->streams[i]->discard = (int)i == streamIndex ? AVDISCARD_DEFAULT : AVDISCARD_ALL;

    if (avformat_find_stream_info (format.get(), nullptr) < 0)
        return failed;

    if (const auto result = openDecoder(); result != ok)
        return result;

    // The output format is the decoder's, known only after its first frame (implicit SBR doubles
    // the rate). That chunk is kept for the first request.
    const auto result = decodeNextChunk (ready);

    if (result != ok)
        return result;

    chunkReady = !ready.endOfStream;

    if (output.numChannels <= 0) // no frame decoded: the container's word, and no chunk kept
    {
        const auto* parameters = format->streams[streamIndex]->codecpar;
        output.sampleRate = parameters->sample_rate;
        output.numChannels = parameters->ch_layout.nb_channels;
        chunkReady = false;
    }

    output.bitsPerSample = 16;

    if (output.numChannels <= 0 || output.sampleRate <= 0)
        return outputTypeNotSet;

    type = output;
    return ok;
}

ISourceReader::Result FFmpegSourceReader::openDecoder()
{
    const auto* stream = format->streams[streamIndex];
    const auto id = stream->codecpar->codec_id;

    if (std::find (std::begin (allowedCodecs), std::end (allowedCodecs), id) == std::end (allowedCodecs))
        return failed;

    const auto* codec = avcodec_find_decoder (id);

    if (codec == nullptr)
        return failed;

    decoder.reset (avcodec_alloc_context3 (codec));

    if (decoder == nullptr || avcodec_parameters_to_context (decoder.get(), stream->codecpar) < 0)
        return failed;

    // Without it the decoder cannot shift timestamps past the priming samples it drops.
    decoder->pkt_timebase = stream->time_base;

    return avcodec_open2 (decoder.get(), codec, nullptr) < 0 ? outputTypeNotSet : ok;
}

ISourceReader::Result FFmpegSourceReader::getDuration (juce::int64& duration)
{
    if (streamIndex < 0)
        return failed;

    const auto* stream = format->streams[streamIndex];

    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        duration = av_rescale_q (stream->duration, stream->time_base, hundredNs);
    else if (format->duration != AV_NOPTS_VALUE && format->duration > 0)
        duration = av_rescale_q (format->duration, AV_TIME_BASE_Q, hundredNs);
    else
        return failed;

    return ok;
}

ISourceReader::Result FFmpegSourceReader::flush()
{
    if (decoder != nullptr)
        avcodec_flush_buffers (decoder.get());

    chunkReady = false;
    corruptPacketsInRow = 0;
    return ok;
}

ISourceReader::Result FFmpegSourceReader::setCurrentPosition (juce::int64 time)
{
    if (decoder == nullptr)
        return failed;

    const auto* stream = format->streams[streamIndex];
    const auto target = av_rescale_q (time, hundredNs, stream->time_base);

    if (av_seek_frame (format.get(), streamIndex, target, AVSEEK_FLAG_BACKWARD) < 0 &&
        avformat_seek_file (format.get(), streamIndex, INT64_MIN, target, INT64_MAX, 0) < 0)
        return invalidPosition;

    // A fresh decoder rather than a flushed one: flushing keeps some state (the last window
    // shape), so the first frames after a jump to the start would differ from the first decode.
    if (const auto reopened = openDecoder(); reopened != ok)
        return reopened;

    chunkReady = false;
    inputEnded = false;
    decoderEnded = false;
    nextTimestamp = time;
    corruptPacketsInRow = 0;
    return ok;
}

ISourceReader::Result FFmpegSourceReader::requestChunk()
{
    if (decoder == nullptr)
        return failed;

    if (chunkReady) // the chunk decoded while the stream was chosen
        return ok;

    const auto result = decodeNextChunk (ready);
    chunkReady = result == ok;
    return result;
}

bool FFmpegSourceReader::waitForChunk (int timeoutMs, Chunk& chunk)
{
    juce::ignoreUnused (timeoutMs);

    if (!chunkReady)
        return false;

    chunk.bytes.swapWith (ready.bytes);
    chunk.timestamp = ready.timestamp;
    chunk.endOfStream = ready.endOfStream;
    chunkReady = false;
    return true;
}

ISourceReader::Result FFmpegSourceReader::decodeNextChunk (Chunk& chunk)
{
    for (int attempt = 0; attempt < maxPacketsPerChunk; ++attempt)
    {
        if (decoderEnded)
        {
            chunk.bytes.setSize (0);
            chunk.timestamp = nextTimestamp;
            chunk.endOfStream = true;
            return ok;
        }

        const auto received = avcodec_receive_frame (decoder.get(), frame.get());

        if (received == 0)
        {
            const bool hasAudio = frame->nb_samples > 0;

            if (hasAudio)
                frameToChunk (*frame, chunk);

            av_frame_unref (frame.get());

            if (hasAudio)
            {
                corruptPacketsInRow = 0;
                return ok;
            }

            continue;
        }

        if (received == AVERROR_EOF || (received == AVERROR (EAGAIN) && inputEnded))
        {
            decoderEnded = true;
            continue;
        }

        if (received != AVERROR (EAGAIN))
        {
            if (++corruptPacketsInRow > maxCorruptPacketsInRow)
                return corruptData;

            silenceToChunk (lastFrameLength, nextTimestamp, chunk);
            return ok;
        }

        const auto read = av_read_frame (format.get(), packet.get());

        if (read == AVERROR_EOF)
        {
            inputEnded = true;
            avcodec_send_packet (decoder.get(), nullptr);
            continue;
        }

        if (read < 0)
            return read == AVERROR_INVALIDDATA ? corruptData : failed;

        if (packet->stream_index != streamIndex)
        {
            av_packet_unref (packet.get());
            continue;
        }

        const auto packetTime = packet->pts;
        const auto packetDuration = packet->duration;
        const auto sent = avcodec_send_packet (decoder.get(), packet.get());
        av_packet_unref (packet.get());

        if (sent < 0 && sent != AVERROR (EAGAIN))
        {
            if (++corruptPacketsInRow > maxCorruptPacketsInRow)
                return corruptData;

            // The damaged packet's time is kept as silence, so later chunks stay where they belong.
            const auto* stream = format->streams[streamIndex];
            auto frames = (juce::int64)lastFrameLength;

            if (packetDuration > 0 && output.sampleRate > 0)
                frames = av_rescale_q (packetDuration, stream->time_base, AVRational{1, output.sampleRate});

            silenceToChunk ((int)juce::jlimit ((juce::int64)1, (juce::int64)maxConcealedFrames, frames),
                            packetTime != AV_NOPTS_VALUE ? toHundredNs (packetTime) : nextTimestamp, chunk);
            return ok;
        }
    }

    return failed;
}

juce::int64 FFmpegSourceReader::toHundredNs (juce::int64 streamTime) const
{
    return av_rescale_q (streamTime, format->streams[streamIndex]->time_base, hundredNs);
}

void FFmpegSourceReader::frameToChunk (const AVFrame& decoded, Chunk& chunk)
{
    if (output.numChannels <= 0)
    {
        output.numChannels = decoded.ch_layout.nb_channels;
        output.sampleRate = decoded.sample_rate;
    }

    const auto time = decoded.best_effort_timestamp != AV_NOPTS_VALUE
                          ? toHundredNs (decoded.best_effort_timestamp)
                          : nextTimestamp;
    chunk.timestamp = time;
    chunk.endOfStream = false;
    chunk.bytes.setSize ((size_t)decoded.nb_samples * (size_t)output.numChannels * sizeof (juce::int16));

    auto* out = static_cast<juce::int16*> (chunk.bytes.getData());
    const auto sampleFormat = (AVSampleFormat)decoded.format;
    const bool planar = av_sample_fmt_is_planar (sampleFormat) != 0;

    if (decoded.ch_layout.nb_channels <= 0)
    {
        chunk.bytes.fillWith (0);
    }
    else
    {
        switch (av_get_packed_sample_fmt (sampleFormat))
        {
            case AV_SAMPLE_FMT_U8:
                interleave<juce::uint8> (decoded, planar, output.numChannels, out,
                                         [] (juce::uint8 v) { return (juce::int16) ((v - 128) * 256); });
                break;
            case AV_SAMPLE_FMT_S16:
                interleave<juce::int16> (decoded, planar, output.numChannels, out,
                                         [] (juce::int16 v) { return v; });
                break;
            case AV_SAMPLE_FMT_S32:
                interleave<juce::int32> (decoded, planar, output.numChannels, out,
                                         [] (juce::int32 v) { return (juce::int16) (v >> 16); });
                break;
            case AV_SAMPLE_FMT_S64:
                interleave<juce::int64> (decoded, planar, output.numChannels, out,
                                         [] (juce::int64 v) { return (juce::int16) (v >> 48); });
                break;
            case AV_SAMPLE_FMT_FLT:
                interleave<float> (decoded, planar, output.numChannels, out,
                                   [] (float v) { return floatToInt16 (v); });
                break;
            case AV_SAMPLE_FMT_DBL:
                interleave<double> (decoded, planar, output.numChannels, out,
                                    [] (double v) { return floatToInt16 (v); });
                break;
            default:
                chunk.bytes.fillWith (0);
                break;
        }
    }

    lastFrameLength = decoded.nb_samples;
    const auto rate = decoded.sample_rate > 0 ? decoded.sample_rate : output.sampleRate;
    nextTimestamp = time + (rate > 0 ? (juce::int64)decoded.nb_samples * 10000000 / rate : 0);
}

void FFmpegSourceReader::silenceToChunk (int numFrames, juce::int64 timestamp, Chunk& chunk)
{
    chunk.timestamp = timestamp;
    chunk.endOfStream = false;
    chunk.bytes.setSize ((size_t)numFrames * (size_t)juce::jmax (1, output.numChannels) *
                         sizeof (juce::int16));
    chunk.bytes.fillWith (0);

    if (output.sampleRate > 0)
        nextTimestamp = timestamp + (juce::int64)numFrames * 10000000 / output.sampleRate;
}
} // namespace qm::WindowsMediaCodec
