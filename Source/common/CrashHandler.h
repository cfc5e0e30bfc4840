#pragma once

#include <csignal>

namespace common
{
/** Crash reports.

    installCrashHandler() catches SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT and SIGSYS. On such a
    signal the handler writes a text report into AppInfo::getCrashDumpFolder() (creating that
    one folder when missing), named
        <productName>-<productVersion>-<YYYYMMDD>-<HHMMSS>-<processId>-<threadId>.dmp
    with the local date and time, holding the signal, the faulting address, the backtrace of
    the crashing thread and the loaded-module map (/proc/self/maps). Then the signal takes its
    default course, so the process still ends by that signal (exit status, core dump).

    Threads: install on the message thread before other threads start. The handler runs on the
    crashing thread and uses only async-signal-safe calls: the path prefix, the folder and the
    local time offset are prepared at install time. It runs on an alternate signal stack on the
    installing thread, so a stack overflow there is reported too; other threads run it on their
    own stack. When two threads crash at once, only the first writes a report.

    The local time in the name uses the UTC offset of install time; a daylight-saving change
    while the program runs shifts the hour in the name. */
bool installCrashHandler();

/** Writes the report for a caught signal; `signalInfo` is the handler's siginfo_t, and a null
    pointer writes nothing. This is not a handler for juce::SystemStats::setApplicationCrashHandler,
    which on Linux passes a signal number rather than a pointer. */
void crashHandler (void* signalInfo);

/** Writes the report file; `context` is the handler's ucontext_t, or null. */
void writeMiniDump (const siginfo_t* signalInfo, const void* context = nullptr);
} // namespace common
