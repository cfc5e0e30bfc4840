#pragma once

#include "common/reader/AbstractReader.h"

#include <vector>

namespace quelbix
{
// Base of the program's own format readers. It opens the file through a page-buffered stream
// (whose filling thread lives as long as the reader keeps the file open), keeps the stream
// properties and the frame index that the format's analyze fills, and prints the two diagnostic
// lines on standard output when a file cannot be opened or is not of the reader's format.
//
// A subclass implements analyze (runs right after the stream is opened, with the stream at 0;
// sets length, rates, channels, bits, gains, bytes per sample and the frame index) and read.
class FileReader : public AbstractReader
{
public:
    // Builds a frame index by scanning a stream; the MP3 reader has one.
    class FrameAnalyzer
    {
    public:
        virtual ~FrameAnalyzer() = default;
        virtual bool analyze (std::vector<FrameIndexEntry>& frameIndex, juce::InputStream* stream) = 0;
    };

    // How open wraps the file: pageBuffered is the one the program uses.
    enum BufferMode : juce::int32
    {
        unbuffered = 0,
        blockBuffered = 1,
        pageBuffered = 2
    };

    FileReader() = default;
    ~FileReader() override;

    bool open (const juce::String& path) override;
    void close() override;
    void read (int startSample, StereoSample* dest, int numFrames) override = 0;
    int getBufferedPercent() override;
    bool analyze() override { return false; }
    // The page buffer, with its filling thread and its signal per page, becomes a plain buffer
    // over a stream of its own at the same place: reading straight through then costs one copy
    // and no thread switch. A reader that cannot open its path again keeps its page buffer.
    void prepareToReadThrough() override;

    int getLengthInSamples() override { return lengthInSamples; }
    int getSampleRate() override { return sampleRate; }
    int getFileSampleRate() override { return sampleRate; }
    juce::uint16 getBitsPerSample() override { return bitsPerSample; }
    int getBitRate() override { return bitRate; }
    juce::uint16 getNumChannels() override { return numChannels; }
    void setUserValue (juce::uint64 value) override { userValue = value; }

    // Adopts an already open stream instead of opening a path, then analyses it. Without
    // ownership the stream is never deleted by the reader; the caller keeps it alive while the
    // reader is open.
    virtual bool openStream (juce::InputStream* newStream, const juce::String& newPath, bool takeOwnership);
    // Recomputes the length from a byte size; only formats that estimate their length use it.
    virtual void updateLengthFromFileSize (juce::int64 totalBytes) { juce::ignoreUnused (totalBytes); }
    // Extends the frame index; only formats that index lazily use it.
    virtual bool rescanFrames() { return true; }

    bool isOpen() const noexcept { return stream != nullptr; }
    const juce::String& getPath() const noexcept { return path; }

    // Reads exactly numBytes into dest, looping over short reads; false when the stream ends
    // (or fails) first.
    static bool readFully (juce::InputStream& input, void* dest, int numBytes);

protected:
    // openAnother for a reader of type Reader: a new one opened on the same path, when this one
    // was opened from a path (not over a stream of its caller's).
    template <typename Reader>
    std::unique_ptr<AbstractReader> openAnotherOfType() const
    {
        if (!openedFromPath || path.isEmpty())
            return nullptr;

        auto another = std::make_unique<Reader>();
        // Read from start to end in large pieces: a plain buffer serves that best.
        another->bufferMode = blockBuffered;

        if (!another->open (path))
            return nullptr;

        return another;
    }

    juce::OptionalScopedPointer<juce::InputStream> stream; // null while closed
    std::vector<FrameIndexEntry> frameIndex;               // kept across close
    juce::int32 lengthInSamples = 0;
    juce::int32 sampleRate = 48000;
    juce::uint16 numChannels = 0;
    juce::uint16 bitsPerSample = 0;
    juce::int32 bitRate = 0;
    float gainLeft = 0.0f; // integer sample -> -1 .. +1
    float gainRight = 0.0f;
    juce::uint16 bytesPerSample = 0; // of one channel, in the file or the decode buffer
    juce::uint64 userValue = 0;
    juce::String path; // empty while closed
    juce::int32 bufferMode = pageBuffered;
    bool openedFromPath = false; // by open, not openStream: another reader can open the path

private:
    // Analyses the stream just stored; on failure prints the line and closes again.
    bool analyzeOpened (const juce::String& newPath, int failureLine);
    static void printFailure (const char* format, int line, const juce::String& failedPath);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FileReader)
};
} // namespace quelbix
