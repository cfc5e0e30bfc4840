#pragma once

#include <juce_core/juce_core.h>

#include <functional>
#include <optional>

namespace common
{
// Records how the program is used, in the log folder's encrypted "status" and "$session" files,
// and has the records of earlier runs uploaded at the next start. All functions are static over
// one module state.
//
// Threads:
// - start, stop, the status and its saves, the "File Info" record, countBpmCalc, countAdjustLength
//   and the upload completion run on the message thread;
// - the export records (logBankGeneral, logBankInfo, logSlotInfo) and countExport, countImport,
//   countBackup, countRestore come from the worker thread of the file operations;
// - the counters are atomics; the session (and so every write to "$session": appends, the
//   removal of uploaded records, the deletion at stop) is guarded by one lock, since stop may run
//   while an export on the worker thread still writes its records.
class UsageLogger
{
public:
    // What the statistics report about the run and where they keep and send it. The program uses
    // getSystemEnvironment(); tests give their own folder, endpoint and clock.
    struct Environment
    {
        juce::File logFolder;
        juce::String uploadUrl; // empty: nothing is sent and no records are kept
        juce::String productName;
        juce::String productVersion;
        juce::String osName;
        juce::String osVersion;
        std::function<double()> now;          // seconds since 1601-01-01 UTC
        std::function<double()> processStart; // same clock
        // "$session" never grows past this while uploads fail: the oldest records go first.
        juce::int64 maxSessionBytes = 2 * 1024 * 1024;
    };

    static Environment getSystemEnvironment();

    // Used by the next start instead of the system's; nullopt goes back to the system's.
    static void setEnvironment (std::optional<Environment> environment);

    static void start();
    static void stop (int numberOfBanks, const juce::String& guiLangId);

    static void countBpmCalc();
    static void countAdjustLength();
    static void countExport();
    static void countImport();
    static void countBackup();
    static void countRestore();

    static void logBankGeneral (int banksWithSamples, int favoriteBankNumber);
    static void logBankInfo (int bankNumber, double seconds, int slotCount);
    static void logSlotInfo (int bankNumber, int slotNumber, bool loop, double fileSeconds, double gainDb,
                             double bpm, double beats);
    static void logFileInfo (bool isPreset, const juce::String& extension, int bitRate, double sampleRate,
                             int bitsPerSample);

    // Ends the process's statistics: writes "$shutdown" when stop has run. The module state's
    // destructor calls it at exit; tests call it to end one simulated run before starting the next.
    static void endProcess();

    // True while the upload of earlier records waits for its answer.
    static bool isUploading();

    class Session;

private:
    struct Resources;
    struct State;
    static State& state();

    static void initialise();
    static void uploadPending();
    static void startSession();
    static void logCounters (int numberOfBanks, const juce::String& guiLangId);

    UsageLogger() = delete;
};
} // namespace common
