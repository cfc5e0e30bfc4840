#include "common/reader/FileReader/FileReadMp3.h"

namespace quelbix
{
namespace
{
using Library = Mpg123DynamicLibraryHandle;

constexpr juce::uint32 signatureMask = 0xfffe0cc0;
constexpr int id3HeaderSize = 10;
constexpr int id3v1Size = 128;
// Once this many frames are indexed, a stray header that disagrees is stepped over instead of
// restarting the search; this many such steps in a row end the scan.
constexpr size_t framesBeforeTolerance = 4;
constexpr int maxMismatches = 4;
// A decoder that emits nothing for this many calls in a row without new input is stuck.
constexpr int maxIdleDecodeCalls = 64;
constexpr int ringAlignFrames = 8;

const int sampleRates[2][3] = {{22050, 24000, 16000}, {44100, 48000, 32000}};

// kbit/s by [MPEG-1][layer code][bit-rate index]; MPEG-2 Layer I has its own row.
const int bitRates[2][4][15] = {{{0},
                                 {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
                                 {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
                                 {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256}},
                                {{0},
                                 {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
                                 {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
                                 {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448}}};

bool startsWith (const juce::uint8* bytes, const char* text)
{
    return std::memcmp (bytes, text, std::strlen (text)) == 0;
}

bool sameStream (const FileReadMp3::FrameHeader& a, const FileReadMp3::FrameHeader& b)
{
    return a.mpeg1 == b.mpeg1 && a.layer == b.layer && a.sampleRateIndex == b.sampleRateIndex &&
           a.mode == b.mode;
}
} // namespace

//==============================================================================
int FileReadMp3::FrameHeader::getSideInfoSize() const noexcept
{
    if (layer != 1)
        return 0;

    if (mpeg1)
        return mode == 3 ? 17 : 32;

    return mode == 3 ? 9 : 17;
}

bool FileReadMp3::FrameHeader::parse (const juce::uint8* bytes, FrameHeader& header)
{
    // Sync plus the version bit that rules out MPEG-2.5.
    if (bytes[0] != 0xff || (bytes[1] & 0xf0) != 0xf0)
        return false;

    FrameHeader h;
    h.mpeg1 = ((bytes[1] >> 3) & 1) != 0;
    h.layer = (bytes[1] >> 1) & 3;
    const int bitRateIndex = bytes[2] >> 4;
    h.sampleRateIndex = (bytes[2] >> 2) & 3;

    if (h.layer == 0 || bitRateIndex < 1 || bitRateIndex > 14 || h.sampleRateIndex > 2)
        return false;

    h.padding = (bytes[2] >> 1) & 1;
    h.mode = bytes[3] >> 6;
    h.sampleRate = sampleRates[h.mpeg1 ? 1 : 0][h.sampleRateIndex];
    h.bitRate = bitRates[h.mpeg1 ? 1 : 0][h.layer][bitRateIndex] * 1000;

    // Layer I frames hold 384 samples in 4-byte slots; Layer II always 1152; Layer III 1152
    // (MPEG-1) or 576 (MPEG-2).
    if (h.layer == 3)
    {
        h.samplesPerFrame = 384;
        h.frameBytes = (12 * h.bitRate / h.sampleRate + h.padding) * 4;
    }
    else
    {
        h.samplesPerFrame = (h.layer == 2 || h.mpeg1) ? 1152 : 576;
        h.frameBytes = (h.samplesPerFrame / 8) * h.bitRate / h.sampleRate + h.padding;
    }

    h.signature = (juce::uint32 (bytes[0]) << 24 | juce::uint32 (bytes[1]) << 16 |
                   juce::uint32 (bytes[2]) << 8 | juce::uint32 (bytes[3])) &
                  signatureMask;
    header = h;
    return true;
}

//==============================================================================
bool FileReadMp3::FrameAnalyzer::readAt (juce::int64 offset, void* dest, int numBytes)
{
    return stream->setPosition (offset) && FileReader::readFully (*stream, dest, numBytes);
}

FileReadMp3::FrameAnalyzer::Following
FileReadMp3::FrameAnalyzer::checkFollowingFrames (juce::int64 offset, const FrameHeader& candidate)
{
    for (int i = 0; i < 3; ++i)
    {
        juce::uint8 bytes[4];

        if (!readAt (offset, bytes, 4) || startsWith (bytes, "TAG"))
            return Following::end;

        FrameHeader header;

        if (!FrameHeader::parse (bytes, header) || header.signature != candidate.signature)
            return Following::mismatch;

        offset += header.frameBytes;
    }

    return Following::confirmed;
}

bool FileReadMp3::FrameAnalyzer::readVbrHeader (juce::int64 offset, const FrameHeader& header)
{
    // Only encoders of Layer III write these tags, right after the side information.
    if (header.layer != 1)
        return true;

    const int tagOffset = 4 + header.getSideInfoSize();
    juce::uint8 tag[12];

    if (tagOffset + (int)sizeof (tag) <= header.frameBytes)
    {
        if (!readAt (offset + tagOffset, tag, (int)sizeof (tag)))
            return false;

        if (startsWith (tag, "Xing"))
        {
            // Without a frame count the tag tells nothing about the rate, but the frame is still
            // a tag frame and holds no audio.
            if ((tag[7] & 1) != 0)
                vbrHeaderFound = true;
            else
                infoHeaderFound = true;

            return true;
        }

        if (startsWith (tag, "Info"))
            infoHeaderFound = true;
    }

    constexpr int vbriOffset = 36;
    juce::uint8 vbri[18];

    if (vbriOffset + (int)sizeof (vbri) <= header.frameBytes)
    {
        if (!readAt (offset + vbriOffset, vbri, (int)sizeof (vbri)))
            return false;

        if (startsWith (vbri, "VBRI"))
            vbrHeaderFound = true;
    }

    return true;
}

bool FileReadMp3::FrameAnalyzer::analyze (std::vector<FrameIndexEntry>& index, juce::InputStream* input)
{
    if (input == nullptr)
        return false;

    stream = input;
    const auto startPosition = input->getPosition();
    const auto totalLength = input->getTotalLength();

    index.clear();
    lengthInSamples = std::numeric_limits<juce::int32>::max();
    numChannels = 0;
    skipSamples = 0;
    vbr = false;
    vbrHeaderFound = infoHeaderFound = false;

    bool searching = true;
    int mismatches = 0;
    juce::int64 offset = 0;
    juce::int64 samples = 0;

    auto append = [&] (const FrameHeader& header)
    {
        index.push_back ({(juce::int32)offset, (juce::int32)samples, 0,
                          (juce::int32) ((juce::uint32)header.frameBytes | 0x80000000u)});
        offset += header.frameBytes;
        samples += header.samplesPerFrame;
    };

    for (;;)
    {
        juce::uint8 bytes[4];

        if (!readAt (offset, bytes, 4))
            break;

        if (startsWith (bytes, "ID3"))
        {
            juce::uint8 version[2];

            if (readAt (offset + 3, version, 2))
            {
                const int code = version[0] * 10 + version[1];

                if (code == 20 || code == 30 || code == 31 || code == 40)
                {
                    juce::uint8 size[4];

                    if (!readAt (offset + 6, size, 4))
                        return false;

                    offset += ((size[0] & 0x7f) << 21 | (size[1] & 0x7f) << 14 | (size[2] & 0x7f) << 7 |
                               (size[3] & 0x7f)) +
                              id3HeaderSize;
                    continue;
                }
            }

            offset += 3;
            continue;
        }

        FrameHeader header;

        if (!FrameHeader::parse (bytes, header))
        {
            ++offset;
            continue;
        }

        if (searching)
        {
            const auto following = checkFollowingFrames (offset, header);

            if (following == Following::end)
                break;

            if (following == Following::mismatch)
            {
                ++offset;
                continue;
            }
        }

        // A frame cut off by the end of the file, or beyond what the index's 32-bit fields hold,
        // ends the scan rather than being decoded from missing bytes.
        if ((totalLength >= 0 && offset + header.frameBytes > totalLength) ||
            offset + header.frameBytes > std::numeric_limits<juce::int32>::max() ||
            samples + header.samplesPerFrame > std::numeric_limits<juce::int32>::max())
            break;

        if (searching)
        {
            if (!readVbrHeader (offset, header))
                break;

            if (vbrHeaderFound || infoHeaderFound)
                skipSamples = header.samplesPerFrame;

            vbr = vbrHeaderFound;
            bitRate = header.bitRate;
            sampleRate = header.sampleRate;
            numChannels = (juce::uint16)header.getNumChannels();
            samplesPerFrame = header.samplesPerFrame;
            reference = header;
            searching = false;
            append (header);
        }
        else if (sameStream (header, reference))
        {
            mismatches = 0;
            append (header);
        }
        else if (index.size() < framesBeforeTolerance)
        {
            // Too few frames to trust: what looked like the stream was a chance pattern.
            searching = true;
            mismatches = 0;
            offset = (juce::int64)index.back().byteOffset + 1;
            samples = 0;
            index.clear();
            skipSamples = 0;
            vbr = vbrHeaderFound = infoHeaderFound = false;
        }
        else
        {
            if (mismatches == maxMismatches)
                break;

            ++mismatches;
            ++offset;
        }
    }

    input->setPosition (startPosition);

    if (numChannels == 0 || index.empty())
        return false;

    lengthInSamples = (juce::int32)samples;
    return true;
}

//==============================================================================
FileReadMp3::FileReadMp3()
    : library (Mpg123DynamicLibraryHandle::getInstance())
{
    inputBuffer.allocate (inputBufferSize, true);
    silence.allocate (maxSamplesPerFrame * 2, true);

    holdsLibrary = library.loadLibrary();

    if (holdsLibrary)
    {
        auto* init = library.getFunctions().init;

        if (init == nullptr || init() != Library::ok)
        {
            library.release();
            holdsLibrary = false;
        }
    }
}

FileReadMp3::~FileReadMp3()
{
    deleteDecoder();
    close();

    if (holdsLibrary)
        library.release();
}

bool FileReadMp3::analyze()
{
    FrameAnalyzer analyzer;

    if (!analyzer.analyze (frameIndex, stream.get()))
        return false;

    lengthInSamples = analyzer.lengthInSamples;
    sampleRate = analyzer.sampleRate;
    numChannels = analyzer.numChannels;
    bitsPerSample = 16;
    bytesPerSample = 2;
    gainLeft = gainRight = 1.0f / 32768.0f;
    bitRate = analyzer.bitRate;
    vbr = analyzer.vbr;
    mpeg1 = analyzer.reference.mpeg1;
    layer = analyzer.reference.layer;
    channelMode = analyzer.reference.mode;
    headerSignature = analyzer.reference.signature;
    samplesPerFrame = analyzer.samplesPerFrame;
    skipSamples = analyzer.skipSamples;

    return createDecoder (false);
}

void FileReadMp3::updateLengthFromFileSize (juce::int64 totalBytes)
{
    if (frameIndex.empty() || sampleRate <= 0)
        return;

    const auto& first = frameIndex.front();
    const auto& last = frameIndex.back();
    const auto span = (juce::int64)last.byteOffset + last.getByteSize() - first.byteOffset;
    const auto frames = (juce::int64)frameIndex.size();

    // Padded frames make the size of 44.1 kHz-family streams vary: take the average there.
    const double frameSize = (sampleRate % 11025 == 0 && span % frames != 0)
                                 ? bitRate * (samplesPerFrame * 0.125) / sampleRate
                                 : (double)first.getByteSize();

    if (frameSize <= 0.0)
        return;

    const auto bytes = (double)(totalBytes - first.byteOffset - getTrailingTagSize());
    const auto length = std::floor (juce::jmax (0.0, bytes) / frameSize) * samplesPerFrame;
    lengthInSamples = (juce::int32)juce::jmin (length, (double)std::numeric_limits<juce::int32>::max());
}

bool FileReadMp3::rescanFrames()
{
    FrameAnalyzer analyzer;
    return analyzer.analyze (frameIndex, stream.get());
}

int FileReadMp3::getTrailingTagSize()
{
    if (stream == nullptr)
        return 0;

    const auto total = stream->getTotalLength();
    juce::uint8 tag[3];

    if (total > id3v1Size && stream->setPosition (total - id3v1Size) && readFully (*stream, tag, 3) &&
        startsWith (tag, "TAG"))
        return id3v1Size;

    return 0;
}

//==============================================================================
bool FileReadMp3::createDecoder (bool)
{
    deleteDecoder();

    const auto& f = library.getFunctions();

    if (!holdsLibrary || f.newDecoder == nullptr || f.param == nullptr || f.formatNone == nullptr ||
        f.format == nullptr || f.openFeed == nullptr)
        return false;

    int error = 0;
    decoder = f.newDecoder (nullptr, &error);

    if (decoder == nullptr)
        return false;

    if (f.param (decoder, Library::paramVerbose, 0, 0.0) != Library::ok ||
        f.param (decoder, Library::paramFlags,
                 Library::flagSeekBuffer | Library::flagFuzzy | Library::flagQuiet, 0.0) != Library::ok ||
        f.param (decoder, Library::paramIndexSize, -1, 0.0) != Library::ok ||
        f.formatNone (decoder) != Library::ok ||
        f.format (decoder, sampleRate, numChannels, Library::encodingSigned16) != Library::ok ||
        f.openFeed (decoder) != Library::ok)
    {
        deleteDecoder();
        return false;
    }

    // Decode the first audio frame once: a stream whose output format the decoder refuses is
    // rejected now rather than read as silence.
    const int first = getFirstAudioFrame();
    bool refused = false;

    if (first < (int)frameIndex.size())
    {
        currentFrame = first;
        decoderRefusedFormat = false;
        decodeFrame (frameIndex[(size_t)first].firstSample, first, true);
        refused = decoderRefusedFormat;
    }

    streamOpen = false;
    currentFrame = -1;
    nextSample = -1;
    bufferPosition = bufferCount = 0;
    decodeBuffer = nullptr;

    if (refused)
    {
        deleteDecoder();
        return false;
    }

    return true;
}

void FileReadMp3::deleteDecoder()
{
    if (decoder != nullptr && holdsLibrary)
        if (auto* deleteFunction = library.getFunctions().deleteDecoder)
            deleteFunction (decoder);

    decoder = nullptr;
    streamOpen = false;
    decodeBuffer = nullptr;
}

int FileReadMp3::getFrameLength (int index) const
{
    const auto next = (size_t)index + 1 < frameIndex.size() ? frameIndex[(size_t)index + 1].firstSample
                                                            : juce::jmax (lengthInSamples, skipSamples);
    return juce::jmax (0, next - frameIndex[(size_t)index].firstSample);
}

int FileReadMp3::getFirstAudioFrame() const
{
    int index = 0;

    while (index < (int)frameIndex.size() && frameIndex[(size_t)index].firstSample < skipSamples)
        ++index;

    return index;
}

bool FileReadMp3::feedBytes (juce::int64 offset, int numBytes)
{
    if (stream == nullptr || !stream->setPosition (offset))
        return false;

    int got = 0;

    while (got < numBytes)
    {
        const int n = stream->read (inputBuffer.get() + got, numBytes - got);

        if (n <= 0)
            break;

        got += n;
    }

    if (got == 0)
        return false;

    library.getFunctions().feed (decoder, inputBuffer.get(), (size_t)got);
    return true;
}

bool FileReadMp3::feedFrame (int index)
{
    const auto& entry = frameIndex[(size_t)index];
    return feedBytes (entry.byteOffset, juce::jmin (entry.getByteSize(), inputBufferSize));
}

bool FileReadMp3::deliver (int sample, int index, const void* values, int numValues)
{
    currentFrame = index + 1;
    bufferPosition = (sample - frameIndex[(size_t)index].firstSample) * juce::jmax (1, (int)numChannels);
    bufferCount = numValues;
    decodeBuffer = const_cast<void*> (values);
    return bufferCount > 0;
}

bool FileReadMp3::decodeFrame (int sample, int frameIndexToDecode, bool seek)
{
    bufferPosition = 0;
    bufferCount = 0;

    const auto& f = library.getFunctions();

    if (!holdsLibrary || decoder == nullptr || f.decodeFrame == nullptr || f.feed == nullptr ||
        f.openFeed == nullptr)
        return false;

    const int entries = (int)frameIndex.size();

    if (seek || !streamOpen)
    {
        f.openFeed (decoder);
        streamOpen = true;
        streamFirstFrame = -1;
        // The decoder's synthesis filter turns through a ring of 16 slots, 2 to 12 per frame
        // depending on the layer; the rounding of its output depends on the slot. Starting a
        // multiple of 8 frames after the first audio frame puts the ring where sequential
        // decoding from the start has it, so a jump yields the same bits as reading through.
        const int firstAudio = getFirstAudioFrame();
        const int aligned = firstAudio + (juce::jmax (0, frameIndexToDecode - firstAudio) / ringAlignFrames) *
                                             ringAlignFrames;
        nextFeed = juce::jlimit (0, entries, juce::jmin (aligned, frameIndexToDecode));
        flushedTail = false;
    }

    const int wanted = juce::jmax (0, (int)currentFrame);

    if (wanted >= entries)
        return false;

    // A tag frame holds no audio: it plays as silence and is never fed.
    if (frameIndex[(size_t)wanted].firstSample < skipSamples)
    {
        nextFeed = juce::jmax (nextFeed, getFirstAudioFrame());
        const int values = juce::jmin (getFrameLength (wanted) * (int)numChannels, maxSamplesPerFrame * 2);
        return deliver (sample, wanted, silence.get(), values);
    }

    for (int idleCalls = 0; idleCalls < maxIdleDecodeCalls; ++idleCalls)
    {
        off_t number = 0;
        unsigned char* audio = nullptr;
        size_t bytes = 0;
        const int result = f.decodeFrame (decoder, &number, &audio, &bytes);

        if (result == Library::ok && bytes > 0 && audio != nullptr && streamFirstFrame >= 0)
        {
            // The decoder numbers its frames from the first one fed since the restart; it holds
            // frames back until it has seen the next header, so its output trails the input.
            const auto index = (juce::int64)streamFirstFrame + number;

            if (index >= entries)
                return false;

            if (index >= wanted)
                return deliver (sample, (int)index, audio, (int)(bytes / sizeof (juce::int16)));

            continue; // pre-roll: settles the decoder, output dropped
        }

        if (result == Library::ok || result == Library::newFormat)
            continue;

        if (result != Library::needMore && f.errcode != nullptr &&
            f.errcode (decoder) == Library::badOutputFormat)
        {
            decoderRefusedFormat = true;
            return false;
        }

        nextFeed = juce::jmax (nextFeed, getFirstAudioFrame());

        if (nextFeed < entries)
        {
            if (streamFirstFrame < 0)
                streamFirstFrame = nextFeed;

            feedFrame (nextFeed++);
            idleCalls = -1;
            continue;
        }

        // Everything is fed: a last header lets the decoder release the frame it holds back.
        if (!flushedTail && streamFirstFrame >= 0)
        {
            flushedTail = true;
            feedBytes (frameIndex[(size_t)nextFeed - 1].byteOffset, 4);
            continue;
        }

        return false;
    }

    return false;
}

//==============================================================================
std::unique_ptr<AbstractReader> FileReadMp3Factory::createReader (const juce::String& path)
{
    if (hasExtension (path, {".MP3"}))
        return std::make_unique<FileReadMp3>();

    return nullptr;
}
} // namespace quelbix
