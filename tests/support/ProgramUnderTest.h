#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <sys/types.h>
#include <vector>

namespace glorvak::test
{
// Tests of the real program: the built "GLORVAK Sample Manager" executable started as its own
// process on the test's display, driven through the X server with xdotool, closed as a user
// closes it, its exit code and output read afterwards.
//
// A ProgramUser is one person's private folders (home, XDG data/config/cache, temporary and
// runtime folders) and the environment every run of the program gets; it lives across several
// runs, so a test can quit the program and start it again on the same data. A ProgramRun is one
// process of the program.
//
// The program started is the one built beside the tests: in the sanitizer build it carries
// AddressSanitizer and UBSan too, so every run is checked by them (hasSanitizerReport()).
//
// Threads: everything here runs on the test's thread; nothing needs the test's message loop.

/** The reason the real program cannot be driven here (no program in this build, no display, no
    xdotool), or empty when it can. Tests skip with it: GTEST_SKIP() << reason. */
juce::String whyProgramCannotRun();

/** The built program, or File() when this build has none. */
juce::File programFile();

/** True when the program was built with AddressSanitizer and UBSan. */
bool programHasSanitizers();

/** Names of the environment variables the program reads for its tests' sake. */
namespace programVariables
{
// A folder holding "proc/self/mountinfo", "sys/" and "dev/disk/by-label" that the program reads
// in place of the system's when it lists removable volumes.
inline constexpr const char* volumeSourcesRoot = "GLORVAK_VOLUME_SOURCES_ROOT";
// An "http://127.0.0.1:<port>/..." address the update check fetches instead of the built-in one
// (only loopback addresses are taken).
inline constexpr const char* updateInfoUrl = "GLORVAK_UPDATE_INFO_URL";
// The same for the usage-statistics endpoint, which the program has none of by default.
inline constexpr const char* usageLogUrl = "GLORVAK_USAGE_LOG_URL";
} // namespace programVariables

//==============================================================================
class ProgramUser
{
public:
    /** Fresh folders below the test program's own private home; removed by the destructor. */
    ProgramUser();
    ~ProgramUser();

    const juce::File& root() const { return rootFolder; }
    juce::File home() const;            // HOME
    juce::File documentsFolder() const; // HOME/Documents (not created)

    /** The program's data folder (XDG_DATA_HOME/Quorvane/GLORVAK Sample Manager) and its files. */
    juce::File dataFolder() const;
    juce::File settingsFile() const;       // settings/settings.json
    juce::File modelFile() const;          // model/model.json
    juce::File bankCollectionFile() const; // bankcollection/bankcollection.json
    juce::File logFolder() const;          // log/ (usage statistics)

    /** Later runs use another XDG_DATA_HOME (root()/name), so another data folder: as if the same
        account had a second set of data. */
    void useDataHome (const juce::String& name);

    /** Sets a variable for later runs (an empty value removes it). */
    void setVariable (const juce::String& name, const juce::String& value);

    /** Puts a folder first on PATH for later runs (e.g. one holding a stub "xdg-open"). */
    void prependToPath (const juce::File& folder);

    /** Later runs start this executable instead of programFile(): the same program installed
        elsewhere, with files of the test's own beside it. */
    void useProgram (const juce::File& executable) { program = executable; }
    juce::File programToRun() const;

    /** Makes a folder that the program lists as a removable volume (a USB disk with this label)
        and returns it. Works without privileges: the program reads a mount table and a sysfs
        tree below root() instead of the system's (programVariables::volumeSourcesRoot). A
        running program sees a volume added later within its mount-table poll (2 s). */
    juce::File addRemovableVolume (const juce::String& label);

    /** The whole environment a run gets: the test's own DISPLAY, PATH, locale and sanitizer
        settings, the private folders and the variables set here. */
    juce::StringPairArray environment() const;

private:
    juce::File rootFolder;
    juce::File dataHome;
    juce::File program;
    juce::StringPairArray variables;
    juce::StringArray pathPrefix;
    juce::StringArray mountLines;
    int volumeCount = 0;

    JUCE_DECLARE_NON_COPYABLE (ProgramUser)
};

//==============================================================================
/** A top-level window of the program as the X server has it. */
struct ProgramWindow
{
    juce::String id;             // X window id, decimal, as xdotool takes it
    juce::Rectangle<int> bounds; // on the screen, without the window manager's frame

    bool isValid() const { return id.isNotEmpty(); }
};

class ProgramRun
{
public:
    /** Starts the program with the user's environment; its output (stdout and stderr) goes to a
        file below the user's root. Check started(). */
    explicit ProgramRun (const ProgramUser& user, const juce::StringArray& arguments = {});

    /** A program still running is closed as a user closes it and waited for; only when it does
        not end after that is it killed, and the test fails. */
    ~ProgramRun();

    bool started() const { return processId > 0; }
    pid_t pid() const { return processId; }
    bool isRunning();

    /** Generous defaults: a sanitizer build on a busy 2-core machine starts slowly. */
    static constexpr int defaultTimeoutMs = 120000;

    /** The splash (602 x 320) while it shows; invalid when the time passed or the program ended. */
    ProgramWindow waitForSplash (int timeoutMs = defaultTimeoutMs);

    /** The main window once it is mapped (the splash has the same name and is told apart by its
        size); invalid when the time passed or the program ended. */
    ProgramWindow waitForMainWindow (int timeoutMs = defaultTimeoutMs);

    /** Every visible window of this process (main window, splash, menus, dialogs). */
    std::vector<ProgramWindow> visibleWindows() const;

    /** Waits until a visible window of this process satisfies the condition; invalid on time-out. */
    ProgramWindow waitForWindow (const std::function<bool (const ProgramWindow&)>& condition,
                                 int timeoutMs = defaultTimeoutMs);

    /** The title of a window (its WM_NAME), empty when it has gone. */
    static juce::String titleOf (const ProgramWindow& window);

    /** Waits for a window besides the main window with this title and makes it the active
        window, so that keys reach it; invalid on time-out. Looking for "any new window" right
        after a menu pick can find the menu's own window that has not gone yet. */
    ProgramWindow waitForWindowTitled (const juce::String& title, int timeoutMs = defaultTimeoutMs);

    /** Waits until the condition holds while the program runs; false on time-out or when the
        program ended first. */
    bool waitUntil (const std::function<bool()>& condition, int timeoutMs = defaultTimeoutMs);

    /** The main window found by waitForMainWindow, with its current bounds. */
    ProgramWindow mainWindow() const;

    /** Resizes the main window as a user's drag of its border would, and waits until the X server
        has it at that size (without the window manager's frame). */
    bool resizeMainWindow (juce::Point<int> size);

    /** The id of the window that has the input focus now (xdotool getactivewindow). */
    static juce::String activeWindowId();

    /** Input through the X server, as a user's. Positions are relative to the main window's
        top-left corner (the main component's coordinates: the title bar is the window manager's).
        Keys in xdotool's names ("alt+F4", "Return", "ctrl+z"); they go to the focused window. */
    bool activate();
    bool click (juce::Point<int> inMainWindow, int button = 1);
    bool clickOnScreen (juce::Point<int> onScreen, int button = 1);
    bool moveMouse (juce::Point<int> onScreen);
    bool drag (juce::Point<int> fromInMainWindow, juce::Point<int> toInMainWindow);
    bool key (const juce::String& keys);
    bool typeText (const juce::String& text);

    /** Clicks a name of the menu bar (main window coordinates) and waits for its popup. */
    ProgramWindow openMenu (juce::Point<int> barNameInMainWindow);

    /** The whole screen as it is now. */
    juce::Image captureScreen() const;

    /** One line of text in a popup menu, read from the screen. */
    struct MenuLine
    {
        juce::Rectangle<int> bounds; // on the screen: a click at its centre picks the item
        float brightness = 0;        // of its brightest pixel, 0 to 1: greyed items are dimmer
    };

    /** The item lines of an open popup menu, top to bottom, separators left out. */
    std::vector<MenuLine> readMenuLines (const ProgramWindow& popup) const;

    /** True when a line is drawn clearly dimmer than the brightest line of its menu. */
    static bool isGreyed (const std::vector<MenuLine>& lines, size_t index);

    /** With GLORVAK_SCREENSHOTS set, saves the whole screen there as NAME.png. */
    void screenshot (const juce::String& name) const;

    /** Closes the main window as a user does: the window manager's close (alt+F4 in openbox). */
    bool closeAsUser();

    /** Waits for the process to end; false on time-out. */
    bool waitForExit (int timeoutMs = defaultTimeoutMs);

    /** The exit status once ended: the exit code, or 128 + signal number when a signal ended it;
        -1 while running. */
    int exitCode() const { return exitStatus; }

    /** Everything the program wrote to stdout and stderr so far. */
    juce::String output() const;

    /** True when the output holds a report of AddressSanitizer, LeakSanitizer, UBSan or JUCE's
        leak detector. */
    bool hasSanitizerReport() const;

private:
    bool reap (bool block);

    pid_t processId = -1;
    int exitStatus = -1;
    juce::File outputFile;
    ProgramWindow main;

    JUCE_DECLARE_NON_COPYABLE (ProgramRun)
};
} // namespace glorvak::test
