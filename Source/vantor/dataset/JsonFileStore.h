#pragma once

#include <juce_core/juce_core.h>

#include <atomic>

namespace vantor::dataset
{
/** Reading and writing the data set's JSON files so that a good file is never replaced by a
    half-written one, and a file that cannot be understood is kept for the user instead of being
    overwritten.

    Threads: the functions keep no state; the model and the collection call them on the message
    thread. The test failure switch is an atomic counter. */
class JsonFileStore
{
public:
    enum class ReadStatus
    {
        missing, // no file at the path: a first start
        ok,      // an object holding the expected array
        damaged  // unreadable, not JSON, not an object, or without the expected array
    };

    struct ReadResult
    {
        ReadStatus status = ReadStatus::missing;
        juce::var root; // the parsed object when status is ok
    };

    /** Reads the file and checks that its top level is an object with an array under arrayKey. A
        file far bigger or more deeply nested than any of the program's is damaged unread. */
    static ReadResult read (const juce::File& file, const char* arrayKey);

    /** Writes the JSON multi-line into a hidden temporary file beside the target, flushes it, checks
        the stream, and only then renames it over the target. On any failure the temporary file is
        removed, the target is left as it was, and false is returned. */
    static bool write (const juce::File& target, const juce::var& json);

    /** Moves a file that could not be understood, together with the folder of samples it names,
        into a new folder "damaged-<date>" beside it, so that a fresh start can neither overwrite
        the file nor let the clean-up delete its samples. The moved folder is a complete copy of
        the data: the JSON file with its "samples" folder. Returns the new folder, or an empty File
        when the file could not be moved (the caller must then not write the target). */
    static juce::File keepAside (const juce::File& damagedFile, const juce::File& samplesFolder);

    /** A new, empty folder "<prefix>-<date and time>" inside the folder, numbered when the name is
        taken; an empty File when it cannot be made. */
    static juce::File createAsideFolder (const juce::File& folder, const juce::String& prefix);

    /** Makes every write fail after the temporary file has been written, as a full disk would,
        for the life of the object. For tests of the failure paths. */
    class ScopedWriteFailure
    {
    public:
        ScopedWriteFailure() { ++failingWrites; }
        ~ScopedWriteFailure() { --failingWrites; }

        JUCE_DECLARE_NON_COPYABLE (ScopedWriteFailure)
    };

private:
    static std::atomic<int> failingWrites;

    JsonFileStore() = delete;
};
} // namespace vantor::dataset
