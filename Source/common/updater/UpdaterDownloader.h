#pragma once

#include "common/updater/Updater.h"

#include <atomic>

namespace common::updater
{
/** Downloads the updater program into the download folder while a progress window shows the
    size and offers Cancel, then has the owner start it.

    The file arrives in a temporary file beside the target and replaces the target only when the
    whole answer came with status 200, so a failure or Cancel leaves nothing behind.
    Threads: start, threadComplete and the destructor on the message thread; run on the
    downloader's thread, which sets the status text and progress (the window's own lock guards
    them) and the succeeded flag, read by threadComplete after the thread has ended. */
class Updater::Downloader : public juce::ThreadWithProgressWindow
{
public:
    explicit Downloader (Updater& owner);
    ~Downloader() override;

    /** Refuses unsafe addresses and file names ("Download Error"), removes an old download and
        shows the progress window while the download runs. Does nothing while it runs. */
    void start (const juce::String& address);

    void run() override;
    void threadComplete (bool userPressedCancel) override;

    void setProgress (juce::int64 bytesDownloaded, juce::int64 totalLength);

    /** "1023.0 B", "1.5 KB", "50.0 MB"; sizes of 1024 GB and more stay in GB. */
    static juce::String formatFileSize (juce::int64 bytes);

    /** The name to save an address's file under: its last path segment, decoded, with every
        character other than letters, digits, ".", "_" and "-" made "_". Empty when the segment
        is empty, only dots, longer than 255 bytes or holds a path separator or control
        character: such a name is refused, never repaired. */
    static juce::String makeSafeFileName (const juce::URL& address);

    juce::File getTarget() const { return target; }

private:
    Updater& owner; // owns this downloader
    juce::URL address;
    juce::File target;
    std::atomic<bool> succeeded{false};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Downloader)
};
} // namespace common::updater
