#include "common/reader/FileReader/FileReadFlac.h"

#include <FLAC/stream_decoder.h>

namespace quelbix
{
struct FileReadFlac::Callbacks
{
    static FileReadFlac& reader (void* clientData) { return *static_cast<FileReadFlac*> (clientData); }

    static FLAC__StreamDecoderReadStatus read (const FLAC__StreamDecoder*, FLAC__byte buffer[], size_t* bytes,
                                               void* clientData)
    {
        auto* input = reader (clientData).stream.get();
        const auto wanted = (int)juce::jmin (*bytes, (size_t)std::numeric_limits<int>::max());
        const int got = input != nullptr && wanted > 0 ? input->read (buffer, wanted) : 0;

        // Nothing delivered is the end, whatever the stream thinks: a truncated file must never
        // make the decoder ask again forever.
        if (got <= 0)
        {
            *bytes = 0;
            return FLAC__STREAM_DECODER_READ_STATUS_END_OF_STREAM;
        }

        *bytes = (size_t)got;
        return FLAC__STREAM_DECODER_READ_STATUS_CONTINUE;
    }

    static FLAC__StreamDecoderSeekStatus seek (const FLAC__StreamDecoder*, FLAC__uint64 offset,
                                               void* clientData)
    {
        auto* input = reader (clientData).stream.get();

        if (input == nullptr || offset > (FLAC__uint64)input->getTotalLength() ||
            !input->setPosition ((juce::int64)offset))
            return FLAC__STREAM_DECODER_SEEK_STATUS_ERROR;

        return FLAC__STREAM_DECODER_SEEK_STATUS_OK;
    }

    static FLAC__StreamDecoderTellStatus tell (const FLAC__StreamDecoder*, FLAC__uint64* offset,
                                               void* clientData)
    {
        auto* input = reader (clientData).stream.get();

        if (input == nullptr)
            return FLAC__STREAM_DECODER_TELL_STATUS_ERROR;

        *offset = (FLAC__uint64)juce::jmax ((juce::int64)0, input->getPosition());
        return FLAC__STREAM_DECODER_TELL_STATUS_OK;
    }

    static FLAC__StreamDecoderLengthStatus length (const FLAC__StreamDecoder*, FLAC__uint64* streamLength,
                                                   void* clientData)
    {
        auto* input = reader (clientData).stream.get();

        if (input == nullptr || input->getTotalLength() < 0)
            return FLAC__STREAM_DECODER_LENGTH_STATUS_ERROR;

        *streamLength = (FLAC__uint64)input->getTotalLength();
        return FLAC__STREAM_DECODER_LENGTH_STATUS_OK;
    }

    static FLAC__bool eof (const FLAC__StreamDecoder*, void* clientData)
    {
        auto* input = reader (clientData).stream.get();
        return input == nullptr || input->isExhausted() || input->getPosition() >= input->getTotalLength();
    }

    static FLAC__StreamDecoderWriteStatus write (const FLAC__StreamDecoder*, const FLAC__Frame* frame,
                                                 const FLAC__int32* const channelData[], void* clientData)
    {
        auto& r = reader (clientData);
        const int frames = (int)frame->header.blocksize;
        const int channels = juce::jmax (1, (int)r.numChannels);
        const int lastChannel = juce::jmax (0, (int)frame->header.channels - 1);
        const auto needed = (size_t)frames * (size_t)channels;

        if (r.sampleBuffer.size() < needed)
            r.sampleBuffer.resize (needed);

        auto* values = r.sampleBuffer.data();

        // The gains follow STREAMINFO's depth; a block of another depth is brought to it, or a
        // damaged header would make the block play far outside -1 .. +1.
        const int extraBits =
            juce::jlimit (-31, 31, (int)frame->header.bits_per_sample - juce::jmax (1, (int)r.bitsPerSample));
        const auto toStreamDepth = [extraBits] (FLAC__int32 value) {
            return extraBits >= 0 ? value >> extraBits
                                  : (FLAC__int32)((juce::int64)value * (1LL << -extraBits));
        };

        for (int i = 0; i < frames; ++i)
        {
            values[i * channels] = toStreamDepth (channelData[0][i]);
            values[(i + 1) * channels - 1] = toStreamDepth (channelData[channels == 1 ? 0 : lastChannel][i]);
        }

        r.bufferCount = (juce::int32)needed;

        r.blockHasPosition = frame->header.number_type == FLAC__FRAME_NUMBER_TYPE_SAMPLE_NUMBER;

        if (r.blockHasPosition)
            r.blockFirstSample = (juce::int64)frame->header.number.sample_number;

        return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
    }

    static void metadata (const FLAC__StreamDecoder*, const FLAC__StreamMetadata* block, void* clientData)
    {
        if (block->type != FLAC__METADATA_TYPE_STREAMINFO)
            return;

        auto& r = reader (clientData);
        const auto& info = block->data.stream_info;

        r.sampleRate = (juce::int32)info.sample_rate;
        r.bitsPerSample = (juce::uint16)info.bits_per_sample;
        r.gainLeft = r.gainRight = 1.0f / (float)(1LL << juce::jlimit (1, 32, (int)info.bits_per_sample - 1));

        // Decoding has begun: a re-read header must not change the buffer's layout.
        if (r.analysed)
            return;

        r.numChannels = (juce::uint16)info.channels;
        r.sawStreamInfo = true;
        r.declaredLength = (juce::int64)info.total_samples;
        r.lengthInSamples =
            (juce::int32)juce::jmin (r.declaredLength, (juce::int64)std::numeric_limits<juce::int32>::max());
        r.sampleBuffer.assign ((size_t)info.channels * (size_t)info.max_blocksize, 0);
    }

    static void error (const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void*) {}
};

void FileReadFlac::DecoderDeleter::operator() (FLAC__StreamDecoder* d) const
{
    FLAC__stream_decoder_delete (d);
}

FileReadFlac::~FileReadFlac()
{
    decoder.reset();
    close();
}

bool FileReadFlac::analyze()
{
    decoder.reset (FLAC__stream_decoder_new());
    analysed = false;
    sawStreamInfo = false;
    nextSample = -1;
    bufferPosition = bufferCount = 0;

    if (decoder == nullptr)
        return false;

    if (FLAC__stream_decoder_init_stream (decoder.get(), Callbacks::read, Callbacks::seek, Callbacks::tell,
                                          Callbacks::length, Callbacks::eof, Callbacks::write,
                                          Callbacks::metadata, Callbacks::error,
                                          this) != FLAC__STREAM_DECODER_INIT_STATUS_OK ||
        !FLAC__stream_decoder_process_until_end_of_metadata (decoder.get()))
    {
        decoder.reset();
        return false;
    }

    // The length lives in 32 bits; a longer stream would read wrapped positions.
    const bool accepted = sawStreamInfo && declaredLength > 0 &&
                          declaredLength <= std::numeric_limits<juce::int32>::max() && sampleRate <= 48000 &&
                          (numChannels == 1 || numChannels == 2);

    if (!accepted)
    {
        decoder.reset();
        return false;
    }

    analysed = true;
    return true;
}

bool FileReadFlac::decodeNextBlock()
{
    bufferPosition = bufferCount = 0;

    const auto state = FLAC__stream_decoder_get_state (decoder.get());

    if (state == FLAC__STREAM_DECODER_END_OF_STREAM || state == FLAC__STREAM_DECODER_ABORTED ||
        state == FLAC__STREAM_DECODER_MEMORY_ALLOCATION_ERROR || state == FLAC__STREAM_DECODER_UNINITIALIZED)
        return false;

    if (state == FLAC__STREAM_DECODER_SEEK_ERROR)
        FLAC__stream_decoder_flush (decoder.get());

    return FLAC__stream_decoder_process_single (decoder.get()) && bufferCount > 0;
}

void FileReadFlac::seekTo (juce::int64 sample)
{
    bufferPosition = bufferCount = 0;

    if (FLAC__stream_decoder_seek_absolute (decoder.get(), (FLAC__uint64)sample))
        return;

    // A failed seek leaves the decoder unusable until it is flushed; one more try usually lands.
    FLAC__stream_decoder_flush (decoder.get());
    bufferPosition = bufferCount = 0;

    if (FLAC__stream_decoder_seek_absolute (decoder.get(), (FLAC__uint64)sample))
        return;

    // Last resort: decode from the start and drop what lies before the sample. On a damaged file
    // this reaches the sample if any path does, and stops at the end of the data otherwise.
    FLAC__stream_decoder_flush (decoder.get());

    if (!FLAC__stream_decoder_reset (decoder.get()))
        return;

    const int channels = juce::jmax (1, (int)numChannels);

    while (decodeNextBlock())
    {
        const auto blockFrames = bufferCount / channels;

        if (blockFirstSample + blockFrames > sample)
        {
            bufferPosition =
                (juce::int32) (juce::jmax ((juce::int64)0, sample - blockFirstSample) * channels);
            return;
        }
    }

    bufferPosition = bufferCount = 0;
}

void FileReadFlac::refill (juce::int64 sample)
{
    const int channels = juce::jmax (1, (int)numChannels);

    while (decodeNextBlock())
    {
        if (!blockHasPosition)
            return;

        // Place the block where its header says it starts: a block lost to damage then reads as
        // silence instead of shifting everything after it.
        const auto offset = sample - blockFirstSample;

        if (offset < bufferCount / channels)
        {
            bufferPosition =
                (juce::int32)juce::jlimit ((juce::int64)std::numeric_limits<juce::int32>::min() / 4,
                                           (juce::int64)bufferCount, offset * channels);
            return;
        }
    }
}

void FileReadFlac::read (int startSample, StereoSample* dest, int numFrames)
{
    if (dest == nullptr || numFrames <= 0)
        return;

    if (stream == nullptr || decoder == nullptr)
    {
        std::fill (dest, dest + numFrames, StereoSample{});
        return;
    }

    const int channels = juce::jmax (1, (int)numChannels);

    if (startSample != nextSample)
    {
        nextSample = startSample;
        bufferPosition = bufferCount = 0;

        if (startSample >= 0 && startSample < lengthInSamples)
            seekTo (startSample);
    }

    for (int i = 0; i < numFrames; ++i)
    {
        auto& out = dest[i];
        const auto sample = (juce::int64)startSample + i;

        if (sample < 0 || sample >= lengthInSamples)
        {
            out = {};
            continue;
        }

        if (bufferPosition >= bufferCount)
            refill (sample);

        if (bufferPosition < 0)
        {
            out = {};
            bufferPosition += channels;
        }
        else if (bufferPosition + channels - 1 >= bufferCount)
        {
            out = {};
        }
        else
        {
            // Every whole frame left in the block, up to the request and the file's end, in one
            // plain loop: the checks above hold for all of them.
            const auto run =
                (int)juce::jmin ((juce::int64) (numFrames - i), (juce::int64)lengthInSamples - sample,
                                 (juce::int64) ((bufferCount - bufferPosition) / channels));
            const auto* values = sampleBuffer.data() + bufferPosition;

            for (int k = 0; k < run; ++k, values += channels)
            {
                dest[i + k].left = (float)values[0] * gainLeft;
                dest[i + k].right = (float)values[channels - 1] * gainRight;
            }

            bufferPosition += run * channels;
            i += run - 1;
        }
    }

    nextSample = (juce::int32)juce::jmin ((juce::int64)startSample + numFrames,
                                          (juce::int64)std::numeric_limits<juce::int32>::max());
}

std::unique_ptr<AbstractReader> FileReadFlacFactory::createReader (const juce::String& path)
{
    if (hasExtension (path, {".FLAC", ".FLA"}))
        return std::make_unique<FileReadFlac>();

    return nullptr;
}
} // namespace quelbix
