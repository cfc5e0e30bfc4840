#pragma once

#include <juce_events/juce_events.h>

#include <csignal>
#include <functional>

/** Turns SIGTERM, SIGHUP and SIGINT (a session's logout, `kill`, the terminal's Ctrl+C) into a quit
    request on the message thread, as the close button makes one, so that the program saves what is
    unsaved and a running file operation is cancelled and waited for instead of cut off.

    The handler only writes a byte to a pipe (async-signal-safe); the message loop watches the
    pipe's other end and calls onQuitRequest. The crash handler's signals are not touched. The
    previous handlers come back when the object goes. One object at a time.
    Threads: constructed, used and destroyed on the message thread; the handler runs on whichever
    thread the signal reaches. */
class QuitSignals
{
public:
    explicit QuitSignals (std::function<void()> onQuitRequest);
    ~QuitSignals();

    /** False when the pipe could not be made or another object is installed: no handler then. */
    bool isInstalled() const noexcept { return installed; }

    static constexpr int signalNumbers[] = {SIGTERM, SIGHUP, SIGINT};

private:
    static void handleSignal (int signalNumber);
    void readPipe();

    std::function<void()> onQuitRequest;
    int readEnd = -1;
    int writeEnd = -1;
    struct sigaction previous[std::size (signalNumbers)]{};
    bool installed = false;

    JUCE_DECLARE_NON_COPYABLE (QuitSignals)
};
