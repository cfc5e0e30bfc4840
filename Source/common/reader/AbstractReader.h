#pragma once

#include <juce_core/juce_core.h>

namespace quelbix
{
// One output frame of every reader. Mono files give the same value on both sides; files with
// more than two channels give their first channel as left and their last as right.
struct StereoSample
{
    float left = 0.0f;
    float right = 0.0f;
};

// One entry of a compressed file's frame index, 16 bytes. Entries are kept in ascending order of
// firstSample, which is all the decoding base class looks at; the other fields belong to the
// format's decodeFrame.
struct FrameIndexEntry
{
    // Bit 31 of byteSize is a flag of the format's own; mask it off before using the size.
    static constexpr juce::int32 byteSizeMask = 0x7fffffff;

    juce::int32 byteOffset = 0;  // where the frame's bytes begin in the input stream
    juce::int32 firstSample = 0; // the frame's first sample frame in the decoded audio
    juce::int32 sampleCount = 0; // frames in the frame where the decoder needs it, else 0
    juce::int32 byteSize = 0;    // low 31 bits: bytes of the frame

    juce::int32 getByteSize() const noexcept { return byteSize & byteSizeMask; }
};

static_assert (sizeof (FrameIndexEntry) == 16, "frame index entries are four packed int32 fields");

// A reader turns one audio file into stereo float frames, readable from any position.
// A reader is used by one thread at a time and has no lock of its own. It never throws, and
// read never fails: anything that cannot be delivered reads as zero frames.
class AbstractReader
{
public:
    virtual ~AbstractReader() = default;

    // Opens and analyses the file; false when this reader cannot play it.
    virtual bool open (const juce::String& path) = 0;
    // Releases the input; the stream properties keep their values.
    virtual void close() = 0;
    // Fills dest with numFrames frames starting at startSample.
    virtual void read (int startSample, StereoSample* dest, int numFrames) = 0;
    // How much of the file the page buffer holds, 0 .. 100, or -1 when it cannot hold all of it.
    virtual int getBufferedPercent() = 0;
    // Parses the opened stream; true only for a file the reader can play.
    virtual bool analyze() { return false; }

    virtual int getLengthInSamples() = 0;
    // Rate of the decoded audio.
    virtual int getSampleRate() = 0;
    // Rate written in the file; differs from getSampleRate only where the decoder doubles it.
    virtual int getFileSampleRate() = 0;
    virtual juce::uint16 getBitsPerSample() = 0;
    // Bits per second; 0 for a variable-rate file.
    virtual int getBitRate() = 0;
    virtual juce::uint16 getNumChannels() = 0;
    // An opaque value the owner may park in the reader.
    virtual void setUserValue (juce::uint64 value) = 0;

    // A second reader of the same file, so that another thread can decode another part of it at
    // the same time; null when this reader has none. Only readers whose frames are the same
    // whatever was read before give one (each part decodes from the file alone, exactly), so the
    // two together read what one would, and only where decoding costs enough to gain from it
    // (plain PCM reads faster than a second reader opens and shares the machine). It uses only
    // what open fixed and touches nothing this reader reads with.
    virtual std::unique_ptr<AbstractReader> openAnother() const { return nullptr; }

    // The caller will now read the file from start to end in large pieces on one thread (a
    // conversion), no longer jumping about as a player does: the reader may trade what serves
    // playback (a read-ahead thread) for what serves reading straight through. The frames read
    // stay the same.
    virtual void prepareToReadThrough() {}
};
} // namespace quelbix
