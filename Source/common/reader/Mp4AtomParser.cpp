#include "common/reader/Mp4AtomParser.h"

namespace quelbix
{
namespace
{
using juce::int64;
using juce::uint32;

constexpr auto fourCC = Mp4AtomParser::fourCC;
constexpr auto top = Mp4AtomParser::topLevel;

constexpr uint32 moov = fourCC ("moov"), trak = fourCC ("trak"), mdia = fourCC ("mdia"),
                 mdhd = fourCC ("mdhd"), minf = fourCC ("minf"), stbl = fourCC ("stbl"),
                 stsd = fourCC ("stsd"), stts = fourCC ("stts"), stsc = fourCC ("stsc"),
                 stsz = fourCC ("stsz"), stco = fourCC ("stco"), co64 = fourCC ("co64"),
                 mp4a = fourCC ("mp4a"), esds = fourCC ("esds"), enca = fourCC ("enca"),
                 sinf = fourCC ("sinf"), schm = fourCC ("schm"), alac = fourCC ("alac"),
                 wave = fourCC ("wave"), fLaC = fourCC ("fLaC"), dfLa = fourCC ("dfLa"),
                 Opus = fourCC ("Opus"), dOps = fourCC ("dOps"), sidx = fourCC ("sidx"),
                 moof = fourCC ("moof"), traf = fourCC ("traf"), tfhd = fourCC ("tfhd"),
                 trun = fourCC ("trun"), mdat = fourCC ("mdat");

// Searched from the top; the first row whose type and parent match applies. The child offsets
// skip the fixed fields in front of the children: version, flags and entry count of "stsd", a
// version-0 sound description (28) and the longer QuickTime version-1 description of "alac" (44).
constexpr Mp4AtomParser::AtomRule rules[] = {
    {moov, top, 0},   {trak, moov, 0},  {mdia, trak, 0},  {mdhd, mdia, -1}, {minf, mdia, 0},
    {stbl, minf, 0},  {stsd, stbl, 8},  {stts, stbl, -1}, {stsc, stbl, -1}, {stsz, stbl, -1},
    {stco, stbl, -1}, {co64, stbl, -1}, {mp4a, stsd, 28}, {esds, mp4a, -1}, {enca, stsd, 28},
    {esds, enca, -1}, {sinf, enca, 0},  {schm, sinf, -1}, {alac, stsd, 44}, {wave, alac, -1},
    {fLaC, stsd, 28}, {dfLa, fLaC, -1}, {Opus, stsd, 28}, {dOps, Opus, -1}, {sidx, top, 0},
    {moof, top, 0},   {traf, moof, 0},  {tfhd, traf, -1}, {trun, traf, -1}, {mdat, top, -1},
};

static_assert (sizeof (Mp4AtomParser::Atom) == 16 && sizeof (Mp4AtomParser::AtomRule) == 12,
               "atom records and rule rows are packed 32-bit fields");

constexpr int64 largestAtom = 0x7fffffff;
constexpr juce::int32 sizeMask = FrameIndexEntry::byteSizeMask;
} // namespace

Mp4AtomParser::~Mp4AtomParser()
{
    reset();
}

void Mp4AtomParser::reset()
{
    atoms.clear();
    fragments.clear();
    config.free();
    configSize = 0;
    lengthInSamples = 0;
    sampleRate = 0;
    numChannels = 0;
    bitsPerSample = 0;
    bitRate = 0;
    frames.clear();
    largestFrameSize = 0;
    largestFrameDuration = 0;
}

const Mp4AtomParser::Atom* Mp4AtomParser::findAtom (const AtomList& list, uint32 type) noexcept
{
    for (auto& atom : list)
        if (atom.type == type)
            return &atom;

    return nullptr;
}

const Mp4AtomParser::Atom* Mp4AtomParser::findAtom (uint32 type) const noexcept
{
    return findAtom (atoms, type);
}

const Mp4AtomParser::AtomRule* Mp4AtomParser::findRule (uint32 type, uint32 parentType) noexcept
{
    for (auto& rule : rules)
        if (rule.type == type && rule.parentType == parentType)
            return &rule;

    return nullptr;
}

//==============================================================================
bool Mp4AtomParser::readFully (int64 position, void* dest, int numBytes)
{
    if (stream == nullptr || position < 0 || position + numBytes > streamLength ||
        !stream->setPosition (position))
        return false;

    auto* out = static_cast<char*> (dest);

    for (int done = 0; done < numBytes;)
    {
        const int got = stream->read (out + done, numBytes - done);

        if (got <= 0)
            return false;

        done += got;
    }

    return true;
}

template <typename UInt>
UInt Mp4AtomParser::readBigEndian (int64& position)
{
    juce::uint8 bytes[sizeof (UInt)];
    const bool ok = readFully (position, bytes, (int)sizeof (UInt));
    position += (int64)sizeof (UInt);
    UInt value = 0;

    if (ok)
        for (auto byte : bytes)
            value = (UInt)((value << 8) | byte);

    return value;
}

juce::uint8 Mp4AtomParser::readU8 (int64& position)
{
    return readBigEndian<juce::uint8> (position);
}

juce::uint16 Mp4AtomParser::readU16 (int64& position)
{
    return readBigEndian<juce::uint16> (position);
}

uint32 Mp4AtomParser::readU32 (int64& position)
{
    return readBigEndian<uint32> (position);
}

juce::uint64 Mp4AtomParser::readU64 (int64& position)
{
    return readBigEndian<juce::uint64> (position);
}

uint32 Mp4AtomParser::readDescriptorLength (int64& position)
{
    uint32 length = 0;

    for (int i = 0; i < 4; ++i)
    {
        const auto byte = readU8 (position);
        length = (length << 7) | (byte & 0x7fu);

        if ((byte & 0x80) == 0)
            break;
    }

    return length;
}

int64 Mp4AtomParser::payloadEnd (const Atom& atom) const noexcept
{
    return juce::jmin ((int64)atom.payloadOffset + juce::jmax (0, atom.payloadSize), streamLength);
}

void Mp4AtomParser::readConfig (int64 position, int64 numBytes)
{
    config.free();
    configSize = 0;

    // A length field may claim anything: only bytes that are in the file are worth a buffer.
    if (numBytes <= 0 || position < 0 || position + numBytes > streamLength)
        return;

    config.malloc ((size_t)numBytes);

    if (readFully (position, config.get(), (int)numBytes))
        configSize = (uint32)numBytes;
    else
        config.free();
}

//==============================================================================
bool Mp4AtomParser::readAtomHeader (int64 position, int64 remaining, int64& size, uint32& type, int64& header)
{
    int64 cursor = position;
    size = readU32 (cursor);
    type = readU32 (cursor);
    header = 8;

    if (size == 0)
    {
        size = remaining; // runs to the end of the range
    }
    else if (size == 1)
    {
        size = (int64)(readU64 (cursor) & 0xffffffffu);
        header = 16;
    }

    // Nothing, too large for 32-bit positions, or smaller than its own header.
    return size != 0 && size <= largestAtom && size >= header;
}

void Mp4AtomParser::walk (AtomList& list, int64 start, int64 length, uint32 parentType)
{
    // A range never reaches past the end of the file: beyond it there is nothing to walk.
    length = juce::jmin (length, streamLength - start);

    for (int64 done = 0; done < length;)
    {
        const int64 position = start + done;
        int64 size = 0, header = 0;
        uint32 type = 0;

        if (!readAtomHeader (position, length - done, size, type, header))
            return;

        const auto* rule = findRule (type, parentType);

        // Only the first atom of each type is examined (so only the first "trak"); runs repeat.
        if (rule == nullptr || (type != trun && findAtom (list, type) != nullptr))
        {
            done += size;
            continue;
        }

        const Atom atom{type, (uint32)header, (juce::int32) (size - header), (uint32)(position + header)};
        auto* target = &list;

        if (type == moof)
        {
            fragments.push_back (std::make_unique<AtomList>());
            target = fragments.back().get();
        }
        else if (type == mdat && !fragments.empty())
        {
            target = fragments.back().get();

            if (findAtom (*target, mdat) != nullptr)
            {
                done += size;
                continue;
            }
        }

        target->push_back (atom);

        if (rule->childOffset != -1)
        {
            // Taken unsigned: an underflow leaves the payload size.
            const auto childLength =
                juce::jmin ((uint32)atom.payloadSize, (uint32)(length - rule->childOffset - header));
            walk (*target, (int64)atom.payloadOffset + rule->childOffset, (int64)childLength, type);
        }

        done += size;
    }
}

bool Mp4AtomParser::checkSegmentIndex()
{
    const auto* index = findAtom (sidx);

    if (index == nullptr)
        return true;

    int64 cursor = index->payloadOffset;
    const auto version = readU32 (cursor) >> 24;
    readU32 (cursor); // reference ID
    const auto timescale = readU32 (cursor);

    if (version != 0)
        cursor += 16; // earliest presentation time and first offset, 64 bits each
    else
        cursor += 8;

    cursor += 2; // reserved
    const auto referenceCount = readU16 (cursor);
    int64 total = 0;

    for (int i = 0; i < referenceCount; ++i)
    {
        cursor += 4;
        total += readU32 (cursor);
        cursor += 4;
    }

    // A length beyond 32 bits is no length at all.
    if (total > std::numeric_limits<juce::int32>::max())
        return false;

    sampleRate = (juce::int32)timescale;
    lengthInSamples = (juce::int32)total;
    return fragments.size() == (size_t)referenceCount;
}

bool Mp4AtomParser::locateAlacConfig()
{
    auto entryIt =
        std::find_if (atoms.begin(), atoms.end(), [] (const Atom& atom) { return atom.type == alac; });

    if (entryIt == atoms.end())
        return false;

    const Atom entry = *entryIt;
    atoms.erase (entryIt);

    int64 start = (int64)entry.payloadOffset + 28;
    int64 length = (int64)entry.payloadSize - 28;

    if (const auto* waveAtom = findAtom (wave))
    {
        start = waveAtom->payloadOffset;
        length = waveAtom->payloadSize;
    }

    length = juce::jmin (length, streamLength - start);

    for (int64 done = 0; done < length;)
    {
        const int64 position = start + done;
        int64 size = 0, header = 0;
        uint32 type = 0;

        if (!readAtomHeader (position, length - done, size, type, header))
            return false;

        if (type == alac)
        {
            atoms.push_back (
                {alac, (uint32)header, (juce::int32) (size - header), (uint32)(position + header)});
            return true;
        }

        done += size;
    }

    return false;
}

void Mp4AtomParser::readCodecConfig (Codec codec)
{
    if (codec == Codec::aac)
    {
        const auto* descriptor = findAtom (esds);
        int64 cursor = (int64)descriptor->payloadOffset + 4;

        if (readU8 (cursor) == 3)
        {
            if (readDescriptorLength (cursor) < 20)
                return;

            cursor += 3; // ES ID and flags
        }
        else
        {
            cursor = (int64)descriptor->payloadOffset + 4 + 3;
        }

        if (readU8 (cursor) != 4 || readDescriptorLength (cursor) < 13)
            return;

        cursor += 5; // object type, stream type and buffer size
        const auto maximumBitRate = readU32 (cursor);
        const auto averageBitRate = readU32 (cursor);

        // Encoders that leave the field at a round figure or equal to the peak mean it.
        if (averageBitRate == maximumBitRate || averageBitRate % 32000 == 0 || averageBitRate % 80000 == 0)
            bitRate = (juce::int32)averageBitRate;

        if (readU8 (cursor) != 5)
            return;

        const auto size = readDescriptorLength (cursor);
        readConfig (cursor, size);
    }
    else if (codec == Codec::alac)
    {
        const auto* cookie = findAtom (alac);

        if (cookie != nullptr && cookie->payloadSize >= 28)
            readConfig ((int64)cookie->payloadOffset + 4, cookie->payloadSize - 4);
    }
    else if (codec == Codec::flac)
    {
        if (const auto* block = findAtom (dfLa))
            readConfig (block->payloadOffset, block->payloadSize);
    }
    else if (codec == Codec::opus)
    {
        const auto* header = findAtom (dOps);

        if (header != nullptr && header->payloadSize >= 11)
            readConfig (header->payloadOffset, header->payloadSize);
    }
}

void Mp4AtomParser::readFlacStreamInfo (const Atom& block)
{
    const int64 end = payloadEnd (block);

    for (int64 cursor = (int64)block.payloadOffset + 4; cursor + 4 <= end;)
    {
        const auto header = readU32 (cursor);
        const bool last = (header >> 31) != 0;
        const auto type = (header >> 24) & 0x7f;
        const auto length = header & 0xffffff;

        if (type == 0)
        {
            // Only the first 144 bits carry what is wanted here.
            juce::uint8 bytes[18] = {};

            if (!readFully (cursor, bytes, (int)juce::jmin (length, (uint32)sizeof (bytes))))
                return;

            auto bits = [&bytes] (int from, int count)
            {
                juce::uint64 value = 0;

                for (int i = from; i < from + count; ++i)
                    value = (value << 1) | (juce::uint64) ((bytes[i / 8] >> (7 - i % 8)) & 1);

                return value;
            };

            const auto available = (juce::int64)length * 8;
            sampleRate = available >= 100 ? (juce::int32)bits (80, 20) : 0;
            numChannels = (juce::uint16) ((available >= 103 ? bits (100, 3) : 0) + 1);
            bitsPerSample = (juce::uint16) ((available >= 108 ? bits (103, 5) : 0) + 1);
            lengthInSamples = available >= 144 ? (juce::int32) (uint32)bits (108, 36) : 0;
            return;
        }

        if (last)
            return;

        cursor += length;
    }
}

void Mp4AtomParser::readFormat (Codec codec)
{
    auto readSoundDescription = [this] (const Atom& entry)
    {
        int64 cursor = (int64)entry.payloadOffset + 16;
        numChannels = readU16 (cursor);
        bitsPerSample = readU16 (cursor);
        cursor += 4;
        sampleRate = readU16 (cursor); // integer part of the 16.16 rate
    };

    if (codec == Codec::aac)
    {
        const auto* entry = findAtom (mp4a);

        if (entry == nullptr && findAtom (schm) != nullptr)
            entry = findAtom (enca);

        if (entry == nullptr || entry->payloadSize < 28)
            return;

        readSoundDescription (*entry);

        if (const auto* header = findAtom (mdhd))
        {
            int64 cursor = header->payloadOffset;
            const auto version = readU8 (cursor);
            cursor = (int64)header->payloadOffset + (version == 1 ? 20 : 12);
            sampleRate = (juce::int32)readU32 (cursor);
        }
    }
    else if (codec == Codec::alac)
    {
        const auto* cookie = findAtom (alac);

        if (cookie == nullptr || cookie->payloadSize < 28)
            return;

        int64 cursor = (int64)cookie->payloadOffset + 9;
        bitsPerSample = readU8 (cursor);
        cursor = (int64)cookie->payloadOffset + 13;
        numChannels = readU8 (cursor);
        cursor = (int64)cookie->payloadOffset + 20;
        bitRate = (juce::int32)readU32 (cursor);
        sampleRate = (juce::int32)readU32 (cursor);
    }
    else if (codec == Codec::flac)
    {
        const auto* entry = findAtom (fLaC);

        if (entry == nullptr || entry->payloadSize < 28)
            return;

        readSoundDescription (*entry);

        if (const auto* block = findAtom (dfLa))
            readFlacStreamInfo (*block);
    }
    else if (codec == Codec::opus)
    {
        const auto* header = findAtom (dOps);

        if (header == nullptr || header->payloadSize < 11)
            return;

        int64 cursor = (int64)header->payloadOffset + 1;
        sampleRate = 48000;
        numChannels = readU8 (cursor);
        bitsPerSample = 16;
    }
}

//==============================================================================
Mp4AtomParser::Build Mp4AtomParser::addFrame (uint32 byteOffset, int64& firstSample, uint32 duration,
                                              uint32 size)
{
    // A packet lasts at least one sample, or the index cannot be searched; and every packet
    // takes at least one byte of the file, which caps the index at the file's size.
    if (duration == 0 || duration > (uint32)std::numeric_limits<juce::int32>::max() ||
        firstSample + duration > std::numeric_limits<juce::int32>::max() ||
        (int64)frames.size() >= streamLength)
        return Build::refused;

    const auto bytes = size & (uint32)sizeMask;

    if ((int64)byteOffset + bytes > streamLength)
        return Build::truncated;

    frames.push_back (
        {(juce::int32)byteOffset, (juce::int32)firstSample, (juce::int32)duration, (juce::int32)bytes});
    largestFrameSize = juce::jmax (largestFrameSize, bytes);
    largestFrameDuration = juce::jmax (largestFrameDuration, (juce::int32)duration);
    firstSample += duration;
    return Build::finished;
}

Mp4AtomParser::Build Mp4AtomParser::buildFramesFromSampleTables()
{
    struct TimeToSample
    {
        uint32 count, duration;
    };

    struct SampleToChunk
    {
        uint32 firstChunk, samplesPerChunk, descriptionIndex;
    };

    const auto* times = findAtom (stts);
    const auto* chunkMap = findAtom (stsc);
    const auto* sizes = findAtom (stsz);
    const auto* offsets32 = findAtom (stco);
    const auto* offsets64 = offsets32 == nullptr ? findAtom (co64) : nullptr;

    if (times == nullptr || chunkMap == nullptr || sizes == nullptr ||
        (offsets32 == nullptr && offsets64 == nullptr))
        return Build::earlyStop;

    // Each table is read no further than its atom and the file go, so its entry count cannot
    // ask for more than the file holds.
    std::vector<TimeToSample> durations;
    {
        int64 cursor = (int64)times->payloadOffset + 4;
        const auto count = readU32 (cursor);

        for (uint32 i = 0; i < count && cursor + 8 <= payloadEnd (*times); ++i)
        {
            const auto samples = readU32 (cursor);
            durations.push_back ({samples, readU32 (cursor)});
        }
    }

    std::vector<uint32> chunkOffsets;
    {
        const auto& atom = offsets32 != nullptr ? *offsets32 : *offsets64;
        const int width = offsets32 != nullptr ? 4 : 8;
        int64 cursor = (int64)atom.payloadOffset + 4;
        const auto count = readU32 (cursor);

        for (uint32 i = 0; i < count && cursor + width <= payloadEnd (atom); ++i)
            chunkOffsets.push_back (width == 4 ? readU32 (cursor) : (uint32)(readU64 (cursor) & 0xffffffffu));
    }

    std::vector<SampleToChunk> chunkRuns;
    {
        int64 cursor = (int64)chunkMap->payloadOffset + 4;
        const auto count = readU32 (cursor);

        for (uint32 i = 0; i < count && cursor + 12 <= payloadEnd (*chunkMap); ++i)
        {
            const auto first = readU32 (cursor);
            const auto perChunk = readU32 (cursor);
            chunkRuns.push_back ({first, perChunk, readU32 (cursor)});
        }
    }

    int64 tablePosition = (int64)sizes->payloadOffset + 4;
    const auto constantSize = readU32 (tablePosition);
    const auto sampleCount = readU32 (tablePosition);
    const bool hasTable = sizes->payloadSize > 12;
    const int64 tableEnd = payloadEnd (*sizes);

    if (durations.empty() || chunkOffsets.empty() || chunkRuns.empty() || sampleCount == 0 ||
        (!hasTable && constantSize == 0))
        return Build::earlyStop;

    chunkRuns.push_back ({(uint32)chunkOffsets.size() + 1, 0, 0});

    size_t pair = 0;
    int64 leftInPair = durations[0].count;
    size_t chunk = 0;
    uint32 placedInChunk = 0;
    size_t run = 0;
    uint32 samplesPerChunk = chunkRuns[0].samplesPerChunk;
    uint32 nextRunFirstChunk = chunkRuns[1].firstChunk;
    uint32 byteOffset = chunkOffsets[0];
    int64 firstSample = 0;

    for (uint32 sample = 0; sample < sampleCount; ++sample)
    {
        if (hasTable && tablePosition + 4 > tableEnd)
            break;

        while (leftInPair == 0)
        {
            if (++pair >= durations.size())
                return Build::earlyStop;

            leftInPair = durations[pair].count;
        }

        if (placedInChunk >= samplesPerChunk)
        {
            if (++chunk >= chunkOffsets.size())
                return Build::earlyStop;

            byteOffset = chunkOffsets[chunk];
            placedInChunk = 0;

            if (chunk + 1 >= nextRunFirstChunk)
            {
                if (++run + 1 >= chunkRuns.size())
                    return Build::earlyStop;

                samplesPerChunk = chunkRuns[run].samplesPerChunk;
                nextRunFirstChunk = chunkRuns[run + 1].firstChunk;
            }
        }

        const auto size = hasTable ? readU32 (tablePosition) : constantSize;
        const auto added = addFrame (byteOffset, firstSample, durations[pair].duration, size);

        if (added != Build::finished)
            return added;

        byteOffset += size;
        --leftInPair;
        ++placedInChunk;
    }

    return Build::finished;
}

Mp4AtomParser::Build Mp4AtomParser::readTrackRun (const Atom& run, uint32 base, uint32 defaultDuration,
                                                  uint32 defaultSize, bool firstRun, uint32& byteOffset,
                                                  int64& firstSample)
{
    int64 cursor = run.payloadOffset;
    const auto flags = readU32 (cursor);
    const auto sampleCount = readU32 (cursor);

    if ((flags & 0x001) != 0)
        byteOffset = base + readU32 (cursor);
    else if (firstRun)
        byteOffset = base;

    if ((flags & 0x004) != 0)
        cursor += 4; // first sample flags

    const int fieldBytes = 4 * (((flags & 0x100) != 0) + ((flags & 0x200) != 0) + ((flags & 0x400) != 0) +
                                ((flags & 0x800) != 0));

    for (uint32 i = 0; i < sampleCount; ++i)
    {
        // Per-sample fields beyond the atom are not the run's.
        if (fieldBytes > 0 && cursor + fieldBytes > payloadEnd (run))
            return Build::earlyStop;

        const auto duration = (flags & 0x100) != 0 ? readU32 (cursor) : defaultDuration;
        const auto size = (flags & 0x200) != 0 ? readU32 (cursor) : defaultSize;
        cursor += (flags & 0x400) != 0 ? 4 : 0;
        cursor += (flags & 0x800) != 0 ? 4 : 0;

        const auto added = addFrame (byteOffset, firstSample, duration, size);

        if (added != Build::finished)
            return added;

        byteOffset += size;
    }

    return Build::finished;
}

Mp4AtomParser::Build Mp4AtomParser::buildFramesFromFragments()
{
    uint32 byteOffset = 0;
    int64 firstSample = 0;

    for (auto& fragment : fragments)
    {
        const auto* header = findAtom (*fragment, tfhd);

        if (header == nullptr)
            return Build::earlyStop;

        int64 cursor = header->payloadOffset;
        const auto flags = readU32 (cursor) & 0xffu;
        cursor += 4; // track ID
        const auto& movieFragment = fragment->front();
        uint32 base = movieFragment.payloadOffset - movieFragment.headerSize;

        if ((flags & 0x01) != 0)
            base = (uint32)(readU64 (cursor) & 0xffffffffu);

        if ((flags & 0x02) != 0)
            cursor += 4; // sample description index

        const auto defaultDuration = (flags & 0x08) != 0 ? readU32 (cursor) : 0u;
        const auto defaultSize = (flags & 0x10) != 0 ? readU32 (cursor) : 0u;
        bool firstRun = true;

        for (auto& atom : *fragment)
        {
            if (atom.type != trun)
                continue;

            const auto read =
                readTrackRun (atom, base, defaultDuration, defaultSize, firstRun, byteOffset, firstSample);
            firstRun = false;

            if (read != Build::finished)
                return read;
        }
    }

    return Build::finished;
}

//==============================================================================
bool Mp4AtomParser::parse (juce::InputStream& input)
{
    reset();
    const juce::ScopedValueSetter<juce::InputStream*> attached (stream, &input, nullptr);
    streamLength = input.getTotalLength();

    // Positions and sizes are 32-bit here: a longer file cannot be described.
    if (streamLength <= 0 || streamLength > largestAtom)
        return false;

    walk (atoms, 0, streamLength, topLevel);

    if (!fragments.empty())
    {
        for (auto& fragment : fragments)
            if (findAtom (*fragment, mdat) == nullptr)
                return false;

        if (!checkSegmentIndex())
            return false;
    }
    else if (findAtom (mdat) == nullptr)
    {
        return false;
    }

    if (atoms.empty())
        return false;

    Codec codec = Codec::none;

    if (findAtom (esds) != nullptr)
        codec = Codec::aac;
    else if (findAtom (alac) != nullptr)
        codec = Codec::alac;
    else if (findAtom (fLaC) != nullptr)
        codec = Codec::flac;
    else if (findAtom (Opus) != nullptr)
        codec = Codec::opus;
    else
        return false;

    if (codec == Codec::alac && !locateAlacConfig())
        return false;

    readCodecConfig (codec);
    readFormat (codec);

    const auto built = fragments.empty() ? buildFramesFromSampleTables() : buildFramesFromFragments();

    if (built == Build::refused)
        return false;

    if ((built == Build::finished || built == Build::truncated) && !frames.empty())
    {
        const auto end = frames.back().firstSample + (int64)frames.back().sampleCount;
        lengthInSamples = (juce::int32)juce::jmax ((int64)lengthInSamples, end);
    }

    return config != nullptr && configSize > 0 && lengthInSamples != 0 && sampleRate != 0 &&
           numChannels != 0 && bitsPerSample != 0;
}
} // namespace quelbix
