#pragma once

#include "common/updater/UpdateInfo.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

namespace common
{
class AppSettings;
}

namespace common::updater
{
/** Checks the maker's download server for a newer version of the program, offers it, downloads
    its updater into the program's temporary folder, starts it and quits.

    The automatic check runs once after start-up on this thread ("Updater") and stays silent
    unless a newer version is offered that the user has not chosen to skip; the manual check runs
    in a progress window and always ends with a dialog.

    Threads: the message thread owns everything here: it starts checks, reads the settings, shows
    every dialog and keeps the last offer. The "Updater" thread and the checker's thread only fetch
    and parse the document and hand their result to the message thread by value, so no field is
    shared between threads. */
class Updater : public juce::Thread
{
public:
    /** What the updater needs from outside; tests replace the defaults. */
    struct Options
    {
        juce::String updateInfoUrl;      // empty: no server configured, no check runs
        juce::String productVersion;     // the version that offers are compared with
        juce::File downloadFolder;       // where the updater program is saved
        AppSettings* settings = nullptr; // null: the process's settings store

        // Accepts plain "http://127.0.0.1:..." addresses besides "https:" ones; tests only.
        bool allowLoopbackHttp = false;

        // Starts a program: arguments[0] is the program, the rest its arguments, never through a
        // shell. False when it could not be started.
        std::function<bool (const juce::StringArray& arguments)> launch;

        // Asks the application to quit once the updater runs.
        std::function<void()> quit;

        int checkTimeoutMs = 3000;
        int downloadTimeoutMs = 15000;
        juce::int64 maxDocumentBytes = 1024 * 1024;
        juce::int64 maxDownloadBytes = (juce::int64)1024 * 1024 * 1024;

        /** The real endpoint, version and temporary folder, ChildProcess and the application's
            quit. */
        static Options forThisProgram();
    };

    Updater();
    explicit Updater (Options options);
    ~Updater() override;

    JUCE_DECLARE_SINGLETON (Updater, false)

    //==============================================================================
    /** Starts the automatic check when the setting AutoUpdate is on, a server is configured and
        no dialog of ours is showing. Message thread. */
    void startAutomaticCheck();

    /** The Help menu's check: does nothing while any check runs or our dialog shows. */
    void checkNow();

    /** True while a check runs; the menu command is disabled meanwhile. */
    bool isBusy() const;

    /** Downloads and starts the updater at the address; false, doing nothing, while a download
        runs. A refused address or file name reports "Download Error". */
    bool startDownload (const juce::String& address);

    /** The last dialog this updater made; it stays owned here and may be hidden. */
    juce::AlertWindow* getCurrentDialog() const noexcept { return currentDialog.get(); }

    /** The offer of the last document read. */
    const UpdateInfo& getLastOffer() const noexcept { return offer; }

    //==============================================================================
    /** The document at the address as text, its size and time bounded; nothing when it cannot be
        read. Called on the "Updater" thread or the checker's thread, which the read watches for
        its exit signal. */
    std::optional<UpdateInfo> fetchUpdateInfo (juce::Thread* thread) const;

    /** The offer is newer than this program. */
    bool isNewerVersion (const UpdateInfo& info) const;

    /** Only "https:" addresses with a host (and loopback "http:" when the options allow it) may
        deliver documents and programs. */
    bool isAcceptableAddress (const juce::String& address) const;

    /** The update dialog's text: both versions, the notes when there are some, the question. */
    static juce::String composeUpdateMessage (const juce::String& currentVersion,
                                              const juce::String& offeredVersion,
                                              const juce::String& releaseNotes);

    /** An information dialog with one "OK" button, created on the message thread. */
    void showMessage (const juce::String& title, const juce::String& message);
    void showCheckFailed();
    void showUpToDate();
    void showDownloadError();
    void showDownloadCanceled();

    /** Starts the downloaded updater and quits; "Failed to Launch Updater" when it cannot run. */
    void launchUpdater (const juce::File& target);

    const Options& getOptions() const noexcept { return options; }

    class Checker;
    class Downloader;

private:
    void run() override;

    /** Message thread: the manual check's result. */
    void checkFinished (const std::optional<UpdateInfo>& info);

    /** Message thread: keeps the offer and shows the update dialog unless (automatic only) the
        user skipped this version. */
    void offerUpdate (const UpdateInfo& info, bool automatic);

    juce::AlertWindow* replaceDialog (std::unique_ptr<juce::AlertWindow> dialog);
    void showLaunchFailed (const juce::File& target);
    AppSettings& getSettings() const;
    void updateDialogAnswered (int result);

    Options options;
    std::unique_ptr<juce::AlertWindow> currentDialog;
    std::unique_ptr<Downloader> downloader;
    std::unique_ptr<Checker> checker;
    UpdateInfo offer;

    JUCE_DECLARE_WEAK_REFERENCEABLE (Updater)
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Updater)
};
} // namespace common::updater
