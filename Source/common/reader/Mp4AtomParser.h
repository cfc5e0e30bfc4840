#pragma once

#include "common/reader/AbstractReader.h"

#include <memory>
#include <vector>

namespace quelbix
{
// Reads the atom tree of an MP4/M4A file and derives what a packet-decoding reader needs: the
// codec configuration of the audio track, its format and a frame index with one entry per packet.
// Knows AAC ("mp4a", "enca"), ALAC, FLAC and Opus sample entries, in plain files (sample tables)
// and fragmented ones (movie fragments). Decodes no audio.
//
// Every position and size is 32 bits wide; longer files are refused. Nothing is allocated beyond
// what the file can hold: configuration bytes must lie inside the file, tables are read only as
// far as the file goes, and the frame index holds at most one packet per byte of the file.
//
// Used on the caller's thread; during parse the parser moves the stream's position freely.
class Mp4AtomParser
{
public:
    // One recognised atom, 16 bytes.
    struct Atom
    {
        juce::uint32 type = 0;          // four-character code as a big-endian integer
        juce::uint32 headerSize = 0;    // 8, or 16 with a 64-bit size
        juce::int32 payloadSize = 0;    // atom size minus header size
        juce::uint32 payloadOffset = 0; // stream position of the first payload byte
    };

    // Which atoms are recognised below which parent, and where their children begin.
    struct AtomRule
    {
        juce::uint32 type;
        juce::uint32 parentType; // topLevel for atoms at the top of the file
        juce::int32 childOffset; // from the payload start; -1 = children are not walked
    };

    using AtomList = std::vector<Atom>;

    static constexpr juce::uint32 topLevel = 0xffffffffu;

    static constexpr juce::uint32 fourCC (const char (&code)[5]) noexcept
    {
        return ((juce::uint32) (juce::uint8)code[0] << 24) | ((juce::uint32) (juce::uint8)code[1] << 16) |
               ((juce::uint32) (juce::uint8)code[2] << 8) | (juce::uint32) (juce::uint8)code[3];
    }

    Mp4AtomParser() = default;
    virtual ~Mp4AtomParser();

    // Parses the whole stream; the results stay readable until the next parse. The stream is
    // used only during the call and never deleted. After false the results are partial.
    bool parse (juce::InputStream& input);
    void reset();

    // The first atom of that type in the atom list, or null.
    const Atom* findAtom (juce::uint32 type) const noexcept;
    static const Atom* findAtom (const AtomList& list, juce::uint32 type) noexcept;

    // Results.
    AtomList atoms;                                   // outside movie fragments, in walk order
    std::vector<std::unique_ptr<AtomList>> fragments; // per "moof": moof, traf, tfhd, trun..., mdat
    juce::HeapBlock<juce::uint8> config;              // codec configuration (ALAC: the magic cookie)
    juce::uint32 configSize = 0;
    juce::int32 lengthInSamples = 0; // in units of the track's sample durations
    juce::int32 sampleRate = 0;
    juce::uint16 numChannels = 0;
    juce::uint16 bitsPerSample = 0;
    juce::int32 bitRate = 0; // 0 when the file gives none that can be trusted
    std::vector<FrameIndexEntry> frames;
    juce::uint32 largestFrameSize = 0;
    juce::int32 largestFrameDuration = 0;

private:
    enum class Codec
    {
        none,
        aac,
        alac,
        flac,
        opus
    };

    // Outcome of building the frame index; a refused table fails the parse.
    enum class Build
    {
        finished,  // all packets indexed
        truncated, // the next packet reaches past the end of the file: the index ends before it
        earlyStop, // the tables ran out before the packets did
        refused    // a duration, count or position no real file has
    };

    // Positioned big-endian reads; a short read yields 0 and the position still advances.
    juce::uint8 readU8 (juce::int64& position);
    juce::uint16 readU16 (juce::int64& position);
    juce::uint32 readU32 (juce::int64& position);
    juce::uint64 readU64 (juce::int64& position);
    template <typename UInt>
    UInt readBigEndian (juce::int64& position);
    juce::uint32 readDescriptorLength (juce::int64& position);
    bool readFully (juce::int64 position, void* dest, int numBytes);
    // Reads numBytes at position into config; nothing is allocated unless they lie in the file.
    void readConfig (juce::int64 position, juce::int64 numBytes);
    // End of an atom's payload, cut to the end of the stream.
    juce::int64 payloadEnd (const Atom& atom) const noexcept;

    // Size, type and header size of the atom at position, in a range with remaining bytes left;
    // a size of 0 runs to the end of the range. False where a walk must stop.
    bool readAtomHeader (juce::int64 position, juce::int64 remaining, juce::int64& size, juce::uint32& type,
                         juce::int64& header);
    void walk (AtomList& list, juce::int64 start, juce::int64 length, juce::uint32 parentType);
    bool checkSegmentIndex();
    bool locateAlacConfig();
    void readCodecConfig (Codec codec);
    void readFormat (Codec codec);
    void readFlacStreamInfo (const Atom& dfLa);
    Build buildFramesFromSampleTables();
    Build buildFramesFromFragments();
    Build readTrackRun (const Atom& trun, juce::uint32 base, juce::uint32 defaultDuration,
                        juce::uint32 defaultSize, bool firstRun, juce::uint32& byteOffset,
                        juce::int64& firstSample);
    // Appends one packet. Refused when its duration is not positive, the running sample count
    // leaves 32 bits or the index would hold more packets than the file has bytes; truncated
    // when the packet's bytes are not all in the file.
    Build addFrame (juce::uint32 byteOffset, juce::int64& firstSample, juce::uint32 duration,
                    juce::uint32 size);

    static const AtomRule* findRule (juce::uint32 type, juce::uint32 parentType) noexcept;

    juce::InputStream* stream = nullptr; // only during parse
    juce::int64 streamLength = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Mp4AtomParser)
};
} // namespace quelbix
