#include "common/reader/FileReader/FileReadMp4.h"

#include "common/reader/Mp4AtomParser.h"

namespace quelbix
{
namespace
{
// A short name for the table below.
constexpr auto fourcc = &Mp4AtomParser::fourCC;

constexpr juce::uint32 anyParent = 0;
constexpr int leaf = -1;

struct AtomRule
{
    juce::uint32 type;
    juce::uint32 parent;
    int childrenAt; // bytes after the payload's start; leaf: not descended
};

const AtomRule atomRules[] = {
    {fourcc ("ftyp"), anyParent, leaf},       {fourcc ("moov"), anyParent, 0},
    {fourcc ("mvhd"), fourcc ("moov"), leaf}, {fourcc ("trak"), fourcc ("moov"), 0},
    {fourcc ("tkhd"), fourcc ("trak"), leaf}, {fourcc ("mdia"), fourcc ("trak"), 0},
    {fourcc ("mdhd"), fourcc ("mdia"), leaf}, {fourcc ("hdlr"), fourcc ("mdia"), leaf},
    {fourcc ("minf"), fourcc ("mdia"), 0},    {fourcc ("smhd"), fourcc ("minf"), leaf},
    {fourcc ("stbl"), fourcc ("minf"), 0},    {fourcc ("stsd"), fourcc ("stbl"), 8},
    {fourcc ("mp4a"), fourcc ("stsd"), 28},   {fourcc ("esds"), fourcc ("mp4a"), leaf},
    {fourcc ("alac"), fourcc ("stsd"), leaf}, {fourcc ("drms"), fourcc ("stsd"), leaf},
    {fourcc ("stts"), fourcc ("stbl"), leaf}, {fourcc ("stsc"), fourcc ("stbl"), leaf},
    {fourcc ("stsz"), fourcc ("stbl"), leaf}, {fourcc ("stco"), fourcc ("stbl"), leaf},
    {fourcc ("co64"), fourcc ("stbl"), leaf}, {fourcc ("mdat"), anyParent, leaf},
};

const AtomRule* findRule (juce::uint32 type)
{
    for (const auto& rule : atomRules)
        if (rule.type == type)
            return &rule;

    return nullptr;
}

constexpr juce::int32 samplingFrequencies[] = {96000, 88200, 64000, 48000, 44100, 32000, 24000,
                                               22050, 16000, 12000, 11025, 8000,  7350};
constexpr juce::int32 maxSampleRate = 48000;
constexpr juce::int32 sbrRateLimit = 24000;
constexpr juce::int64 int32Max = std::numeric_limits<juce::int32>::max();

// Reads an AudioSpecificConfig most significant bit first. An element that no longer fits reads
// as 0 and consumes nothing, so that a later, shorter element may still be read.
class BitReader
{
public:
    BitReader (const juce::uint8* data, size_t size)
        : bytes (data)
        , totalBits (size * 8)
    {
    }

    juce::uint32 get (int numBits)
    {
        if (position + (size_t)numBits > totalBits)
            return 0;

        juce::uint32 value = 0;

        for (int i = 0; i < numBits; ++i, ++position)
            value = (value << 1) | ((bytes[position / 8] >> (7 - position % 8)) & 1u);

        return value;
    }

    size_t bitsLeft() const noexcept { return totalBits - position; }

    juce::int32 getObjectType()
    {
        const auto type = (juce::int32)get (5);
        return type == 31 ? 32 + (juce::int32)get (6) : type;
    }

    juce::int32 getSamplingFrequency()
    {
        if (bitsLeft() < 4)
            return 0;

        const auto index = get (4);

        if (index == 15)
            return (juce::int32)get (24);

        return index < 13 ? samplingFrequencies[index] : 0;
    }

private:
    const juce::uint8* bytes;
    size_t totalBits;
    size_t position = 0;
};

bool isOneOf (juce::int32 value, std::initializer_list<juce::int32> values)
{
    return std::find (values.begin(), values.end(), value) != values.end();
}
} // namespace

FileReadMp4::FileReadMp4() = default;

FileReadMp4::~FileReadMp4()
{
    FileReadMp4::deleteDecoder();
}

void FileReadMp4::deleteDecoder()
{
    const juce::ScopedLock sl (lock);
    AbstractFileReadPlatform::deleteDecoder();
    decoderConfig.reset();
}

const FileReadMp4::Atom* FileReadMp4::findAtom (juce::uint32 type) const
{
    for (const auto& atom : atoms)
        if (atom.type == type)
            return &atom;

    return nullptr;
}

bool FileReadMp4::readAt (juce::int64 position, void* dest, int numBytes)
{
    const juce::ScopedLock sl (lock);
    return stream != nullptr && position >= 0 && stream->setPosition (position) &&
           readFully (*stream, dest, numBytes);
}

juce::uint32 FileReadMp4::readUInt32At (juce::int64 position)
{
    char bytes[4];
    return readAt (position, bytes, 4) ? juce::ByteOrder::bigEndianInt (bytes) : 0;
}

juce::uint16 FileReadMp4::readUInt16At (juce::int64 position)
{
    char bytes[2];
    return readAt (position, bytes, 2) ? juce::ByteOrder::bigEndianShort (bytes) : 0;
}

juce::uint8 FileReadMp4::readByteAt (juce::int64 position)
{
    juce::uint8 byte = 0;
    return readAt (position, &byte, 1) ? byte : 0;
}

juce::uint8 FileReadMp4::readByte (bool& ok)
{
    juce::uint8 byte = 0;
    ok = readAt (cursor, &byte, 1);
    cursor += ok ? 1 : 0;
    return ok ? byte : 0;
}

juce::uint32 FileReadMp4::readUInt32()
{
    char bytes[4];

    if (!readAt (cursor, bytes, 4))
        return 0;

    cursor += 4;
    return juce::ByteOrder::bigEndianInt (bytes);
}

juce::uint32 FileReadMp4::readDescriptorLength()
{
    juce::uint32 length = 0;

    for (int i = 0; i < 4; ++i)
    {
        juce::uint8 byte = 0;
        readAt (cursor, &byte, 1);
        ++cursor;
        length = (length << 7) | (byte & 0x7Fu);

        if ((byte & 0x80) == 0)
            break;
    }

    return length;
}

juce::MemoryBlock FileReadMp4::readTable (const Atom& atom, juce::int64 from, juce::int64 count,
                                          int entryBytes)
{
    // Sized by what the payload holds, never by the count the file claims.
    const auto available =
        juce::jmax ((juce::int64)0, atom.payloadOffset + atom.payloadSize - from) / entryBytes;
    const auto entries = juce::jlimit ((juce::int64)0, available, count);
    juce::MemoryBlock table ((size_t)(entries * entryBytes));

    if (entries > 0 && !readAt (from, table.getData(), (int)table.getSize()))
        table.reset();

    return table;
}

void FileReadMp4::walkAtoms (juce::int64 start, juce::int64 size, juce::uint32 parentType)
{
    for (juce::int64 offset = 0; offset < size;)
    {
        const auto position = start + offset;
        char header[8];

        if (!readAt (position, header, 8))
            return;

        juce::int64 atomSize = (juce::int32)juce::ByteOrder::bigEndianInt (header);
        const auto type = juce::ByteOrder::bigEndianInt (header + 4);
        juce::int64 headerSize = 8;

        if (atomSize <= 0)
            return;

        if (atomSize == 1)
        {
            atomSize = (juce::int32)readUInt32At (position + 12); // the low half of the 64-bit size
            headerSize = 16;

            if (atomSize < 1 || atomSize > int32Max)
                return;
        }

        // An atom smaller than its own header has no place in the file.
        if (atomSize < headerSize)
            return;

        const auto* rule = findRule (type);

        if (rule != nullptr && (rule->parent == anyParent || rule->parent == parentType) &&
            findAtom (type) == nullptr)
        {
            Atom atom;
            atom.type = type;
            atom.payloadOffset = position + headerSize;
            atom.payloadSize =
                juce::jlimit ((juce::int64)0, juce::jmax ((juce::int64)0, streamLength - atom.payloadOffset),
                              atomSize - headerSize);
            atoms.push_back (atom);

            if (rule->childrenAt != leaf)
            {
                const auto childStart = atom.payloadOffset + rule->childrenAt;
                walkAtoms (childStart,
                           juce::jmin (atom.payloadSize - rule->childrenAt, start + size - childStart), type);
            }

            // A track without an AAC configuration (video, ALAC) leaves no trace, so that the
            // next track is walked; once one is recorded, later tracks are skipped as duplicates.
            if (type == fourcc ("trak") && findAtom (fourcc ("esds")) == nullptr)
            {
                while (!atoms.empty())
                {
                    const bool wasTrack = atoms.back().type == fourcc ("trak");
                    atoms.pop_back();

                    if (wasTrack)
                        break;
                }
            }
        }

        offset += atomSize;
    }
}

void FileReadMp4::readDecoderConfig()
{
    decoderConfig.reset();
    bitRate = 0;
    const auto* esds = findAtom (fourcc ("esds"));

    if (esds == nullptr)
        return;

    const auto payloadEnd = esds->payloadOffset + esds->payloadSize;
    cursor = esds->payloadOffset + 4; // version and flags
    bool ok = false;
    const auto tag = readByte (ok);

    if (!ok)
    {
        cursor = esds->payloadOffset + 6;
    }
    else if (tag == 3) // ES descriptor
    {
        if (readDescriptorLength() < 20)
            return;

        cursor += 3; // ES identifier and flags
    }
    else
    {
        cursor = esds->payloadOffset + 7;
    }

    if (readByte (ok) != 4 || !ok || readDescriptorLength() < 13) // decoder configuration
        return;

    readByte (ok); // object type
    cursor += 4;   // stream type and buffer size
    readUInt32();  // maximum bit rate
    const auto averageBitRate = (juce::int64)readUInt32();

    if (readByte (ok) != 5 || !ok) // decoder-specific information
        return;

    const auto length = (juce::int64)readDescriptorLength();

    // Never more than the atom holds: the length comes from the file.
    if (length <= 0 || length > payloadEnd - cursor)
        return;

    juce::MemoryBlock bytes ((size_t)length);

    if (!readAt (cursor, bytes.getData(), (int)length))
        return;

    decoderConfig = std::move (bytes);

    if (averageBitRate <= int32Max && (averageBitRate % 32000 == 0 || averageBitRate % 80000 == 0))
        bitRate = (juce::int32)averageBitRate;
}

void FileReadMp4::parseAudioSpecificConfig (const juce::uint8* bytes, size_t byteCount,
                                            Mp4AudioConfig& config)
{
    config = {};

    if (bytes == nullptr)
        return;

    BitReader bits (bytes, byteCount);
    auto objectType = bits.getObjectType();
    config.audioObjectType = objectType;
    config.samplingFrequency = bits.getSamplingFrequency();
    config.channelConfiguration = (juce::int32)bits.get (4);

    if (objectType == 5 || objectType == 29) // explicit SBR (with PS for 29)
    {
        config.extensionObjectType = 5;
        config.sbrPresent = true;
        config.psPresent = objectType == 29;
        config.extensionSamplingFrequency = bits.getSamplingFrequency();
        objectType = bits.getObjectType();

        if (objectType == 22)
            config.extensionChannelConfiguration = (juce::int32)bits.get (4);
    }

    if (isOneOf (objectType, {1, 2, 3, 4, 6, 7, 17, 19, 20, 21, 22, 23}))
    {
        bits.get (1);      // frame length flag
        if (bits.get (1))  // depends on core coder
            bits.get (14); // core coder delay
        const auto extensionFlag = bits.get (1);

        if (objectType == 6 || objectType == 20)
            bits.get (3); // layer number

        if (extensionFlag != 0)
        {
            if (objectType == 22)
            {
                bits.get (5);
                bits.get (11);
            }

            if (isOneOf (objectType, {17, 19, 20, 23}))
            {
                bits.get (1);
                bits.get (1);
                bits.get (1);
            }

            bits.get (1);
        }
    }

    if (isOneOf (objectType, {17, 19, 20, 21, 22, 23, 24, 25, 26, 27, 39}) && bits.get (2) == 3)
        bits.get (1);

    if (config.extensionObjectType != 5 && bits.bitsLeft() >= 11 && bits.get (11) == 0x2B7)
    {
        config.extensionObjectType = bits.getObjectType();

        if (config.extensionObjectType == 5)
        {
            config.sbrPresent = bits.get (1) != 0;

            if (config.sbrPresent)
            {
                config.extensionSamplingFrequency = bits.getSamplingFrequency();

                if (bits.bitsLeft() >= 12 && bits.get (11) == 0x548)
                    config.psPresent = bits.get (1) != 0;
            }
        }
        else if (config.extensionObjectType == 22)
        {
            config.sbrPresent = bits.get (1) != 0;

            if (config.sbrPresent)
                config.extensionSamplingFrequency = bits.getSamplingFrequency();

            config.extensionChannelConfiguration = (juce::int32)bits.get (4);
        }
    }
}

void FileReadMp4::buildSampleTable (juce::int32* lengthOut, bool doubleDurations)
{
    *lengthOut = 0;
    const auto* stts = findAtom (fourcc ("stts"));
    const auto* stsc = findAtom (fourcc ("stsc"));
    const auto* stsz = findAtom (fourcc ("stsz"));
    const auto* stco = findAtom (fourcc ("stco"));
    const bool wideOffsets = stco == nullptr;

    if (wideOffsets)
        stco = findAtom (fourcc ("co64"));

    if (stts == nullptr || stsc == nullptr || stsz == nullptr || stco == nullptr)
        return;

    struct TimeToSample
    {
        juce::int64 count;
        juce::int32 duration;
    };

    // A duration of zero or less would stack samples on one position: the table ends there, and
    // the samples before it keep their length.
    std::vector<TimeToSample> times;
    bool timesCut = false;
    {
        const auto table =
            readTable (*stts, stts->payloadOffset + 8, readUInt32At (stts->payloadOffset + 4), 8);
        const auto* bytes = static_cast<const char*> (table.getData());

        for (size_t i = 0; i + 8 <= table.getSize(); i += 8)
        {
            const auto count = (juce::int64)juce::ByteOrder::bigEndianInt (bytes + i);
            auto duration = (juce::int64) (juce::int32)juce::ByteOrder::bigEndianInt (bytes + i + 4);

            if (doubleDurations)
                duration *= 2;

            if (duration <= 0 || duration > int32Max)
            {
                timesCut = true;
                break;
            }

            times.push_back ({count, (juce::int32)duration});
        }
    }

    if (times.empty())
        return;

    std::vector<juce::int64> chunkOffsets;
    {
        const int width = wideOffsets ? 8 : 4;
        const auto table =
            readTable (*stco, stco->payloadOffset + 8, readUInt32At (stco->payloadOffset + 4), width);
        const auto* bytes = static_cast<const char*> (table.getData());

        for (size_t i = 0; i + (size_t)width <= table.getSize(); i += (size_t)width)
            chunkOffsets.push_back (wideOffsets ? (juce::int64)juce::ByteOrder::bigEndianInt64 (bytes + i)
                                                : (juce::int64)juce::ByteOrder::bigEndianInt (bytes + i));
    }

    if (chunkOffsets.empty())
        return;

    struct SampleToChunk
    {
        juce::int64 firstChunk;
        juce::int64 samplesPerChunk;
    };

    std::vector<SampleToChunk> chunkRuns;
    {
        const auto table =
            readTable (*stsc, stsc->payloadOffset + 8, readUInt32At (stsc->payloadOffset + 4), 12);
        const auto* bytes = static_cast<const char*> (table.getData());

        for (size_t i = 0; i + 12 <= table.getSize(); i += 12)
            chunkRuns.push_back ({(juce::int64)juce::ByteOrder::bigEndianInt (bytes + i),
                                  (juce::int64)juce::ByteOrder::bigEndianInt (bytes + i + 4)});
    }

    if (chunkRuns.empty())
        return;

    chunkRuns.push_back ({(juce::int64)chunkOffsets.size() + 1, 0});

    const auto commonSize = (juce::int64)readUInt32At (stsz->payloadOffset + 4);
    const auto sampleCount = (juce::int64) (juce::int32)readUInt32At (stsz->payloadOffset + 8);
    samplesPerFrame = times.front().duration;

    if (sampleCount <= 0)
        return;

    juce::MemoryBlock sizes;

    if (stsz->payloadSize > 12)
        sizes = readTable (*stsz, stsz->payloadOffset + 12, sampleCount, 4);
    else if (commonSize == 0)
        return;

    const auto* sizeBytes = static_cast<const char*> (sizes.getData());
    const auto sizeCount = sizes.getSize() / 4;
    const bool sizesPerSample = stsz->payloadSize > 12;

    // Capped so that a table's claim cannot make the index larger than the program can hold.
    auto samplesLeft = juce::jmin (sampleCount, (juce::int64)maxFrames);
    size_t timeIndex = 0;
    auto timeLeft = times[0].count;
    size_t chunk = 0;
    auto position = chunkOffsets[0];
    size_t run = 0;
    auto samplesPerChunk = chunkRuns[0].samplesPerChunk;
    auto nextRunFirstChunk = chunkRuns[1].firstChunk;
    juce::int64 inChunk = 0;
    juce::int64 firstSample = 0;

    frameIndex.reserve (
        (size_t)juce::jmin (samplesLeft, sizesPerSample ? (juce::int64)sizeCount : samplesLeft));

    for (size_t sample = 0;; ++sample)
    {
        while (timeLeft <= 0)
        {
            if (++timeIndex >= times.size())
            {
                if (timesCut)
                    *lengthOut = (juce::int32)firstSample;

                return;
            }

            timeLeft = times[timeIndex].count;
            samplesPerFrame = times[timeIndex].duration;
        }

        if (inChunk >= samplesPerChunk)
        {
            inChunk = 0;

            if (++chunk >= chunkOffsets.size())
                return;

            position = chunkOffsets[chunk];

            if ((juce::int64)chunk + 1 >= nextRunFirstChunk)
            {
                if (++run + 1 >= chunkRuns.size())
                    return;

                samplesPerChunk = chunkRuns[run].samplesPerChunk;
                nextRunFirstChunk = chunkRuns[run + 1].firstChunk;
            }
        }

        if (sizesPerSample && sample >= sizeCount)
        {
            *lengthOut = (juce::int32)firstSample;
            return;
        }

        const auto duration = times[timeIndex].duration;

        if (firstSample + duration > int32Max)
        {
            *lengthOut = (juce::int32)firstSample;
            return;
        }

        const auto size =
            sizesPerSample ? (juce::int64)juce::ByteOrder::bigEndianInt (sizeBytes + sample * 4) : commonSize;
        frameIndex.push_back ({(juce::int32)juce::jlimit ((juce::int64)0, int32Max, position),
                               (juce::int32)firstSample, duration,
                               (juce::int32) (size & FrameIndexEntry::byteSizeMask)});
        position += size;
        firstSample += duration;
        --timeLeft;
        ++inChunk;

        if (--samplesLeft == 0)
        {
            *lengthOut = (juce::int32)firstSample;
            return;
        }
    }
}

bool FileReadMp4::analyze()
{
    const juce::ScopedLock sl (lock);

    if (stream == nullptr)
        return false;

    atoms.clear();
    frameIndex.clear();
    streamLength = stream->getTotalLength();
    walkAtoms (0, streamLength, anyParent);

    if (findAtom (fourcc ("esds")) == nullptr || findAtom (fourcc ("mdat")) == nullptr)
        return false;

    readDecoderConfig();

    if (decoderConfig.getSize() == 0)
        return false;

    juce::int64 timeScale = 0;
    juce::int32 channels = 0;
    juce::int32 bits = 0;

    if (const auto* mdhd = findAtom (fourcc ("mdhd")))
        timeScale = readUInt32At (mdhd->payloadOffset + (readByteAt (mdhd->payloadOffset) == 1 ? 20 : 12));

    if (const auto* mp4a = findAtom (fourcc ("mp4a")))
    {
        channels = readUInt16At (mp4a->payloadOffset + 16);
        bits = readUInt16At (mp4a->payloadOffset + 18);

        if (timeScale == 0)
            timeScale = readUInt16At (mp4a->payloadOffset + 24);
    }

    if (timeScale > maxSampleRate)
        return false;

    fileSampleRate = (juce::int32)timeScale;
    bool sbr = false;

    if (timeScale <= sbrRateLimit)
    {
        Mp4AudioConfig config;
        parseAudioSpecificConfig (static_cast<const juce::uint8*> (decoderConfig.getData()),
                                  decoderConfig.getSize(), config);

        if (config.samplingFrequency > 0 && config.extensionSamplingFrequency / config.samplingFrequency == 2)
        {
            timeScale *= 2;
            sbr = true;
        }
    }

    // A rate of 0 would leave the reader's users nothing to divide by.
    if (timeScale <= 0 || timeScale > maxSampleRate || channels > 2 || bits != 16)
        return false;

    sampleRate = (juce::int32)timeScale;
    numChannels = (juce::uint16)channels;
    setDecodedSampleFormat();

    juce::int32 length = 0;
    buildSampleTable (&length, sbr);
    lengthInSamples = length;

    if (frameIndex.empty())
        return false;

    audioTrackId = 0;

    if (const auto* tkhd = findAtom (fourcc ("tkhd")))
        audioTrackId =
            (int)readUInt32At (tkhd->payloadOffset + (readByteAt (tkhd->payloadOffset) == 1 ? 20 : 12));

    if (!createDecoder (false))
        return false;

    adoptDecoderRate();
    return true;
}

std::unique_ptr<AbstractReader> FileReadMp4Factory::createReader (const juce::String& path)
{
    if (hasExtension (path, {".M4A", ".MP4"}))
        return std::make_unique<FileReadMp4>();

    return nullptr;
}
} // namespace quelbix
