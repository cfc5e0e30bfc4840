#include "common/audiofile/AudioFileToolsVerifiedOutputFile.h"

#include "common/audiofile/AudioFileToolsWriteBack.h"

namespace common::AudioFileToolsImpl
{
// Passes everything to the file stream and notes in the owner's outcome whatever went wrong.
// JUCE's file stream loses the result of a buffer flush inside a seek and of its final flush, so
// its status is read after each of them. The disk writes start as the file grows, so that the
// sync when the stream closes finds little left to do.
class VerifiedOutputFile::CheckedStream : public juce::OutputStream
{
public:
    CheckedStream (std::unique_ptr<juce::FileOutputStream> fileStream, Outcome& outcomeToFill)
        : inner (std::move (fileStream))
        , outcome (outcomeToFill)
        , writeBack (inner->getFile())
    {
        outcome.streamAlive = true;
    }

    ~CheckedStream() override
    {
        flush();
        inner.reset();
        outcome.streamAlive = false;
    }

    void flush() override
    {
        inner->flush();
        noteStatus();
    }

    juce::int64 getPosition() override { return inner->getPosition(); }

    bool setPosition (juce::int64 newPosition) override
    {
        const auto ok = inner->setPosition (newPosition);
        outcome.failed = outcome.failed || !ok;
        noteStatus();
        return ok;
    }

    bool write (const void* data, size_t numBytes) override
    {
        return noteWrite (inner->write (data, numBytes));
    }

    bool writeRepeatedByte (juce::uint8 byte, size_t numBytes) override
    {
        return noteWrite (inner->writeRepeatedByte (byte, numBytes));
    }

private:
    bool noteWrite (bool ok)
    {
        if (ok)
        {
            outcome.end = juce::jmax (outcome.end, inner->getPosition());
            // Large writes go straight to the file (the stream's buffer is small), so what lies
            // below the end is in the system's cache; a step still in the buffer is synced at the
            // close like the rest.
            writeBack.written (outcome.end);
        }
        else
            outcome.failed = true;

        return ok;
    }

    void noteStatus()
    {
        if (inner->getStatus().failed())
            outcome.failed = true;
    }

    std::unique_ptr<juce::FileOutputStream> inner;
    Outcome& outcome; // the VerifiedOutputFile outlives its stream
    WriteBack writeBack;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CheckedStream)
};

VerifiedOutputFile::VerifiedOutputFile (const juce::File& destination,
                                        AudioFileTools::OutputStreamOpener opener)
    : temporary (destination, juce::TemporaryFile::useHiddenFile)
    , openOutput (std::move (opener))
{
    if (!openOutput)
        openOutput = [] (const juce::File& file)
        { return std::make_unique<juce::FileOutputStream> (file, 16384); };
}

VerifiedOutputFile::~VerifiedOutputFile()
{
    // The stream reports into this object, so it must be gone first.
    jassert (!outcome.streamAlive);
}

std::unique_ptr<juce::OutputStream> VerifiedOutputFile::openStream()
{
    jassert (!outcome.opened);

    auto fileStream = openOutput (temporary.getFile());
    if (fileStream == nullptr || !fileStream->openedOk())
        return nullptr;

    // The temporary name is new, but a leftover of a crashed run must not show through. Only
    // then is there anything to cut: truncating flushes, and JUCE's flush syncs the file to disk,
    // which an empty new file does not need (the finished one is synced when its stream closes).
    if (fileStream->getPosition() != 0)
    {
        fileStream->setPosition (0);
        fileStream->truncate();
    }

    outcome.opened = true;
    return std::make_unique<CheckedStream> (std::move (fileStream), outcome);
}

bool VerifiedOutputFile::commit()
{
    jassert (!outcome.streamAlive);

    if (!outcome.opened || outcome.failed || outcome.streamAlive)
        return false;

    if (temporary.getFile().getSize() != outcome.end)
        return false;

    return temporary.overwriteTargetFileWithTemporary();
}
} // namespace common::AudioFileToolsImpl
