#pragma once

#include "common/audiofile/AudioFileToolsOutputStreamOpener.h"

namespace common::AudioFileToolsImpl
{
// A file written beside its destination and moved over it only when every byte is known to be on
// disk: each write and seek succeeded, the final flush succeeded and the file is as long as what
// was written. A full disk or a failed flush thus never passes for a finished file, and a failure
// leaves no new file and an existing destination untouched.
//
// Usage: openStream, write through the stream, delete the stream (or whatever owns it), commit.
// The object must outlive the stream, since the stream reports into it.
class VerifiedOutputFile
{
public:
    VerifiedOutputFile (const juce::File& destination, AudioFileTools::OutputStreamOpener opener);
    // Deletes the temporary file unless it was committed.
    ~VerifiedOutputFile();

    // An empty file at position 0; null when it cannot be opened. Call once.
    std::unique_ptr<juce::OutputStream> openStream();

    // False when anything failed; the destination is then left as it was.
    bool commit();

private:
    class CheckedStream;

    struct Outcome
    {
        bool opened = false;
        bool failed = false;
        bool streamAlive = false;
        juce::int64 end = 0; // the furthest position written
    };

    juce::TemporaryFile temporary;
    AudioFileTools::OutputStreamOpener openOutput;
    Outcome outcome;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VerifiedOutputFile)
};
} // namespace common::AudioFileToolsImpl
