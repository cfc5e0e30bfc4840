#include "common/audiofile/AudioFileTools.h"

#include "common/audiofile/AudioFileToolsConversionPipeline.h"
#include "common/audiofile/AudioFileToolsReaderFactory.h"
#include "common/audiofile/AudioFileToolsRiffWriter.h"
#include "common/audiofile/AudioFileToolsStereoWav24Writer.h"
#include "common/audiofile/AudioFileToolsVerifiedOutputFile.h"
#include "common/audiofile/PositionableAudioSourceImpl.h"

#include <cxxabi.h>
#include <typeinfo>

namespace common::AudioFileTools
{
using namespace AudioFileToolsImpl;

namespace
{
// Conversion and range copy move audio in blocks of this many frames.
constexpr int blockFrames = 8192;

// A "fmt " chunk is at most the 18-byte extended header plus its 16-bit extension size.
constexpr juce::uint32 maxFormatChunkSize = 18 + 65535;

// The range copy never holds more than this many bytes at once, whatever the block alignment.
constexpr juce::int64 maxCopyBufferBytes = 1 << 20;

juce::String demangledTypeName (const std::type_info& type)
{
    int status = 0;
    std::unique_ptr<char, decltype (&std::free)> name (
        abi::__cxa_demangle (type.name(), nullptr, nullptr, &status), &std::free);
    return status == 0 && name != nullptr ? juce::String (name.get()) : juce::String (type.name());
}

std::unique_ptr<juce::AudioFormatWriter> createWavWriterOn (std::unique_ptr<juce::OutputStream> stream,
                                                            double sampleRate)
{
    if (stream == nullptr)
        return nullptr;

    juce::WavAudioFormat format;
    std::unique_ptr<juce::AudioFormatWriter> writer (
        format.createWriterFor (stream.get(), sampleRate, juce::AudioChannelSet::stereo(), 24, {}, 0));

    // The writer owns the stream only when it exists.
    if (writer != nullptr)
        stream.release();

    return writer;
}

juce::uint16 readLittleEndianShort (const juce::MemoryBlock& block, size_t offset)
{
    return juce::ByteOrder::littleEndianShort (static_cast<const char*> (block.getData()) + offset);
}

// The walk over the source's chunks: copies its format chunk and the wanted slice of its data
// chunk into the writer, which it opens on meeting the format chunk.
class RangeCopy
{
public:
    RangeCopy (RiffReader& readerToUse, VerifiedOutputFile& outputToUse,
               juce::Range<juce::int64> framesToCopy)
        : reader (readerToUse)
        , input (*readerToUse.getStream())
        , output (outputToUse)
        , frames (framesToCopy)
    {
    }

    // The error word, or "" when the copy is complete and the writer closed.
    juce::String run()
    {
        RiffChunk riff;
        if (!reader.descend (riff))
            return "read";

        if (riff.id != fourCC ("RIFF") || riff.formType != fourCC ("WAVE"))
            return "format";

        const auto streamLength = input.getTotalLength();

        for (;;)
        {
            const auto* parent = reader.getTop();
            if (parent == nullptr || !parent->isContainer())
                break;

            // Room for another chunk header inside the parent, and inside the file.
            const auto p = input.getPosition();
            const auto parentEnd = juce::jmin (parent->getBodyEnd(), streamLength);
            if (p < parent->position + 12 || p + 8 > parentEnd)
                break;

            RiffChunk chunk;
            if (!reader.descend (chunk))
                return "read";

            juce::String error;
            if (chunk.id == fourCC ("fmt "))
                error = copyFormat (chunk);
            else if (chunk.id == fourCC ("data"))
                error = copyData (chunk);

            if (error.isNotEmpty())
                return error;

            if (!reader.ascend())
                return "read";
        }

        // Without both chunks there is no WAV to write.
        if (writer == nullptr || !dataCopied)
            return "format";

        if (!writer->ascend())
            return "write";

        if (!reader.ascend())
            return "read";

        // Deleting the writer closes the stream, which reports its final flush to the output.
        writer.reset();
        return {};
    }

private:
    juce::String copyFormat (const RiffChunk& chunk)
    {
        if (blockAlign != 0 || chunk.size < 16 || chunk.size > maxFormatChunkSize)
            return "format";

        juce::MemoryBlock body (chunk.size);
        if (input.read (body.getData(), (int)chunk.size) != (int)chunk.size)
            return "read";

        auto tag = readLittleEndianShort (body, 0);

        if (tag == 0xfffe)
        {
            if (chunk.size < 40)
                return "format";

            // The first two bytes of the SubFormat GUID carry the plain format tag.
            tag = readLittleEndianShort (body, 24);
        }

        if (tag != 1 && tag != 3)
            return "unsupported";

        blockAlign = readLittleEndianShort (body, 12);
        if (blockAlign == 0)
            return "format";

        auto stream = output.openStream();
        if (stream == nullptr)
            return "write";

        writer = std::make_unique<RiffWriter> (std::move (stream));

        if (!writer->descend (fourCC ("RIFF"), fourCC ("WAVE")) || !writer->descend (fourCC ("fmt ")) ||
            !writer->getStream()->write (body.getData(), body.getSize()) || !writer->ascend())
            return "write";

        return {};
    }

    juce::String copyData (const RiffChunk& chunk)
    {
        // Data before its format, or a second data chunk, makes no sense of the file.
        if (writer == nullptr || dataCopied)
            return "format";

        if ((juce::int64)chunk.size / blockAlign < frames.getEnd())
            return "parameter";

        const auto first = chunk.position + 8 + frames.getStart() * blockAlign;
        const auto totalBytes = frames.getLength() * blockAlign;

        if (first + totalBytes > input.getTotalLength() || !input.setPosition (first))
            return "read";

        if (!writer->descend (fourCC ("data")))
            return "write";

        const auto bufferBytes =
            juce::jmin (totalBytes, juce::jmin ((juce::int64)blockAlign * blockFrames,
                                                juce::jmax (maxCopyBufferBytes, (juce::int64)blockAlign)));
        juce::HeapBlock<char> buffer ((size_t)bufferBytes);

        for (auto remaining = totalBytes; remaining > 0;)
        {
            const auto n = (int)juce::jmin (remaining, bufferBytes);

            if (input.read (buffer.get(), n) != n)
                return "read";

            if (!writer->getStream()->write (buffer.get(), (size_t)n))
                return "write";

            remaining -= n;
        }

        if (!writer->ascend())
            return "write";

        dataCopied = true;
        return {};
    }

    RiffReader& reader;
    juce::InputStream& input;
    VerifiedOutputFile& output;
    const juce::Range<juce::int64> frames;

    std::unique_ptr<RiffWriter> writer;
    juce::uint16 blockAlign = 0;
    bool dataCopied = false;

    JUCE_DECLARE_NON_COPYABLE (RangeCopy)
};
} // namespace

//==============================================================================
struct OpenedAudioFile::Impl
{
    std::unique_ptr<quelbix::AbstractReader> reader;
    juce::File sourceFile;
};

OpenedAudioFile::OpenedAudioFile (std::unique_ptr<quelbix::AbstractReader> openedReader,
                                  const juce::File& sourceFile)
    : impl (new Impl{std::move (openedReader), sourceFile})
{
    jassert (impl->reader != nullptr);
}

OpenedAudioFile::~OpenedAudioFile() = default;

quelbix::AbstractReader& OpenedAudioFile::getReader() const noexcept
{
    return *impl->reader;
}

const juce::File& OpenedAudioFile::getSourceFile() const noexcept
{
    return impl->sourceFile;
}

//==============================================================================
std::unique_ptr<OpenedAudioFile> openAudioFile (const juce::File& file, AudioFileInfo* info)
{
    auto reader = createReader (file);
    if (reader == nullptr)
        return nullptr;

    if (info != nullptr)
    {
        info->sampleRate = reader->getSampleRate();
        info->numChannels = reader->getNumChannels();
        info->bitsPerSample = reader->getBitsPerSample();
        info->bitRate = reader->getBitRate();
        info->lengthInSamples = reader->getLengthInSamples();
        info->readerTypeName = demangledTypeName (typeid (*reader));
    }

    return std::make_unique<OpenedAudioFile> (std::move (reader), file);
}

juce::String convertToWav (OpenedAudioFile* opened, const juce::File& destination, double targetRate,
                           WavFileInfo* info, const OutputStreamOpener& openOutput)
{
    // The WAV header holds the rate as a 32-bit integer; writing over the file being read would
    // destroy it.
    if (opened == nullptr || !(targetRate > 0.0) || targetRate > std::numeric_limits<int>::max() ||
        destination == opened->getSourceFile())
        return "invalid parameters";

    auto& reader = opened->getReader();
    const auto sourceRate = (double)reader.getSampleRate();
    const auto length = (juce::int64)reader.getLengthInSamples();

    if (!(sourceRate > 0.0))
        return "invalid samplerate";

    const auto ratio = sourceRate / targetRate;
    const auto total = (juce::int64) ((double)length / ratio + 0.5);

    // A source shorter than half a frame at the target rate would make a WAV without audio.
    if (length <= 0 || total <= 0)
        return "length is zero";

    // Declared before the stream, which reports into it.
    VerifiedOutputFile output (destination, openOutput);

    auto stream = output.openStream();
    if (stream == nullptr)
        return "creating writer";

    const bool resample = std::abs ((float)(ratio - 1.0)) > std::numeric_limits<float>::epsilon();
    bool complete = false;

    {
        StereoWav24Writer writer (*stream, targetRate);

        // Declared after the writer: it stops and joins its threads before the writer goes.
        ConversionPipeline pipeline (reader, length, sourceRate, targetRate, resample, total,
                                     ConversionPipeline::decodersFor (length));
        ConversionPipeline::Frames frames;

        while (writer.isOk() && pipeline.next (frames))
            writer.write (frames.left, frames.right, frames.stride, frames.count);

        complete = writer.finish() && writer.getFramesWritten() == total;
    }

    // Closing the stream flushes it to disk; only then is the file checked and moved into place.
    stream.reset();

    if (!complete || !output.commit())
        return "write error";

    if (info != nullptr)
        *info = {targetRate, 2, 24, total};

    return {};
}

juce::String copyWavRange (const juce::File& source, juce::Range<juce::int64> frames,
                           const juce::File& destination, const OutputStreamOpener& openOutput)
{
    if (frames.isEmpty() || frames.getStart() < 0 || source == destination)
        return "parameter";

    auto input = std::make_unique<juce::FileInputStream> (source);
    if (input->failedToOpen())
        return "read";

    VerifiedOutputFile output (destination, openOutput);
    RiffReader reader (std::move (input));

    auto error = RangeCopy (reader, output, frames).run();

    if (error.isEmpty() && !output.commit())
        error = "write";

    return error;
}

std::unique_ptr<juce::AudioFormatWriter> createWavWriter (const juce::File& file, double sampleRate)
{
    auto stream = std::make_unique<juce::FileOutputStream> (file, 16384);
    if (stream->failedToOpen())
        return nullptr;

    stream->setPosition (0);
    stream->truncate();

    auto writer = createWavWriterOn (std::move (stream), sampleRate);
    if (writer == nullptr)
        file.deleteFile();

    return writer;
}

std::unique_ptr<quelbix::AbstractReader> createReader (const juce::File& file)
{
    return TovraAudioReaderFactorySingleton::getInstance()->createReader (file.getFullPathName());
}

std::unique_ptr<PositionableAudioSourceImpl> createPositionableAudioSource (const juce::File& file)
{
    auto reader = createReader (file);
    if (reader == nullptr)
        return nullptr;

    return std::make_unique<PositionableAudioSourceImpl> (std::move (reader));
}
} // namespace common::AudioFileTools
