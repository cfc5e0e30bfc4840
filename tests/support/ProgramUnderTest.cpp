#include "support/ProgramUnderTest.h"

#include <BuildInfo.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <dlfcn.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

#ifndef GLORVAK_PROGRAM_FILE
#define GLORVAK_PROGRAM_FILE ""
#endif

#ifndef GLORVAK_PROGRAM_SANITIZED
#define GLORVAK_PROGRAM_SANITIZED 0
#endif

namespace glorvak::test
{
namespace
{
constexpr int splashWidth = 602;
constexpr int splashHeight = 320;

// The main window's resize limits: nothing else of the program is this large.
constexpr int mainMinimumWidth = 1280;
constexpr int mainMinimumHeight = 800;

// Runs a program and returns what it printed, or nothing when it failed.
juce::String outputOf (const juce::StringArray& arguments)
{
    juce::ChildProcess process;

    if (!process.start (arguments, juce::ChildProcess::wantStdOut))
        return {};

    auto text = process.readAllProcessOutput();
    return process.getExitCode() == 0 ? text : juce::String();
}

bool succeeds (const juce::StringArray& arguments)
{
    juce::ChildProcess process;
    return process.start (arguments, 0) && process.waitForProcessToFinish (60000) &&
           process.getExitCode() == 0;
}

juce::String xdotool (juce::StringArray arguments)
{
    arguments.insert (0, "xdotool");
    return outputOf (arguments);
}

bool xdotoolSucceeds (juce::StringArray arguments)
{
    arguments.insert (0, "xdotool");
    return succeeds (arguments);
}

ProgramWindow windowWithId (const juce::String& id)
{
    // xwininfo, not xdotool's getwindowgeometry: that one counts the window manager's frame
    // offset twice for a reparented window.
    juce::StringPairArray values;

    for (const auto& line : juce::StringArray::fromLines (outputOf ({"xwininfo", "-id", id})))
        if (line.containsChar (':'))
            values.set (line.upToFirstOccurrenceOf (":", false, false).trim(),
                        line.fromFirstOccurrenceOf (":", false, false).trim());

    if (values["Width"].isEmpty() || values["Map State"] != "IsViewable")
        return {};

    return {id,
            {values["Absolute upper-left X"].getIntValue(), values["Absolute upper-left Y"].getIntValue(),
             values["Width"].getIntValue(), values["Height"].getIntValue()}};
}

juce::String inheritedVariable (const char* name)
{
    return juce::SystemStats::getEnvironmentVariable (name, {});
}

// The settings of the test programs themselves (TestMain.cpp), for the program: it has no
// defaults of its own compiled in. Settings of the caller's environment come last and win.
juce::String withDefaults (const juce::String& defaults, const char* name)
{
    const auto inherited = inheritedVariable (name);
    return inherited.isEmpty() ? defaults : defaults + ":" + inherited;
}

bool isOnPath (const juce::String& program)
{
    for (const auto& folder : juce::StringArray::fromTokens (inheritedVariable ("PATH"), ":", ""))
        if (folder.isNotEmpty() && juce::File (folder).getChildFile (program).existsAsFile())
            return true;

    return false;
}

// Escapes as udev names its by-label links.
juce::String udevEscaped (const juce::String& label)
{
    juce::String escaped;

    for (const auto c : label)
    {
        if (c == ' ' || c == '/' || c == '\\' || c < 32)
            escaped << "\\x" << juce::String::toHexString ((int)c).paddedLeft ('0', 2);
        else
            escaped << juce::String::charToString (c);
    }

    return escaped;
}

// Escapes as the kernel writes mount points into its mount table.
juce::String mountTableEscaped (const juce::String& path)
{
    return path.replace ("\\", "\\134")
        .replace (" ", "\\040")
        .replace ("\t", "\\011")
        .replace ("\n", "\\012");
}

// The window manager's close, as its close button does it: a _NET_CLOSE_WINDOW request to the
// root window, after which openbox sends the window WM_DELETE_WINDOW. xdotool 3.2016 can only
// destroy a window, which no user can do. Xlib is loaded at run time as JUCE itself does.
bool requestWindowManagerClose (unsigned long window)
{
    struct XClientMessage
    {
        int type;
        unsigned long serial;
        int sendEvent;
        void* display;
        unsigned long window;
        unsigned long messageType;
        int format;
        long data[5];
    };

    union XEventStorage
    {
        XClientMessage message;
        long pad[24];
    };

    auto* x11 = dlopen ("libX11.so.6", RTLD_NOW | RTLD_NODELETE);

    if (x11 == nullptr)
        return false;

    using OpenDisplay = void* (*)(const char*);
    using CloseDisplay = int (*) (void*);
    using InternAtom = unsigned long (*) (void*, const char*, int);
    using DefaultRootWindow = unsigned long (*) (void*);
    using SendEvent = int (*) (void*, unsigned long, int, long, XEventStorage*);
    using Flush = int (*) (void*);

    auto openDisplay = reinterpret_cast<OpenDisplay> (dlsym (x11, "XOpenDisplay"));
    auto closeDisplay = reinterpret_cast<CloseDisplay> (dlsym (x11, "XCloseDisplay"));
    auto internAtom = reinterpret_cast<InternAtom> (dlsym (x11, "XInternAtom"));
    auto rootWindow = reinterpret_cast<DefaultRootWindow> (dlsym (x11, "XDefaultRootWindow"));
    auto sendEvent = reinterpret_cast<SendEvent> (dlsym (x11, "XSendEvent"));
    auto flush = reinterpret_cast<Flush> (dlsym (x11, "XFlush"));

    if (!openDisplay || !closeDisplay || !internAtom || !rootWindow || !sendEvent || !flush)
        return false;

    auto* display = openDisplay (nullptr);

    if (display == nullptr)
        return false;

    constexpr int clientMessage = 33;
    constexpr long substructureRedirectAndNotify = (1L << 20) | (1L << 19);

    XEventStorage event{};
    event.message.type = clientMessage;
    event.message.sendEvent = 1;
    event.message.display = display;
    event.message.window = window;
    event.message.messageType = internAtom (display, "_NET_CLOSE_WINDOW", 0);
    event.message.format = 32;
    event.message.data[0] = 0; // time
    event.message.data[1] = 2; // source: a pager or a user's direct action

    const bool sent =
        sendEvent (display, rootWindow (display), 0, substructureRedirectAndNotify, &event) != 0;
    flush (display);
    closeDisplay (display);
    return sent;
}
} // namespace

//==============================================================================
juce::File programFile()
{
    const juce::String path (GLORVAK_PROGRAM_FILE);
    return path.isEmpty() ? juce::File() : juce::File (path);
}

bool programHasSanitizers()
{
    return GLORVAK_PROGRAM_SANITIZED != 0;
}

juce::String whyProgramCannotRun()
{
    if (programFile() == juce::File())
        return "this build has no program (configure with GLORVAK_BUILD_APP=ON)";

    if (!programFile().existsAsFile())
        return "the program is not built: " + programFile().getFullPathName();

    if (inheritedVariable ("DISPLAY").isEmpty())
        return "no display (run through scripts/with-display)";

    for (const auto* tool : {"xdotool", "xwininfo"})
        if (!isOnPath (tool))
            return juce::String (tool) + " is not installed";

    return {};
}

//==============================================================================
ProgramUser::ProgramUser()
    : rootFolder (juce::File::getSpecialLocation (juce::File::userHomeDirectory)
                      .getNonexistentChildFile ("program-user", {}, false))
    , dataHome (rootFolder.getChildFile ("data"))
{
    for (const auto* name : {"home", "data", "config", "cache", "tmp"})
        rootFolder.getChildFile (name).createDirectory();

    // The runtime folder must be private, as the system's is.
    const auto runtime = rootFolder.getChildFile ("runtime");
    runtime.createDirectory();
    ::chmod (runtime.getFullPathName().toRawUTF8(), 0700);
}

ProgramUser::~ProgramUser()
{
    rootFolder.deleteRecursively();
}

juce::File ProgramUser::home() const
{
    return rootFolder.getChildFile ("home");
}

juce::File ProgramUser::documentsFolder() const
{
    return home().getChildFile ("Documents");
}

juce::File ProgramUser::dataFolder() const
{
    return dataHome.getChildFile ("Quorvane").getChildFile (buildinfo::productName);
}

juce::File ProgramUser::settingsFile() const
{
    return dataFolder().getChildFile ("settings/settings.json");
}

juce::File ProgramUser::modelFile() const
{
    return dataFolder().getChildFile ("model/model.json");
}

juce::File ProgramUser::bankCollectionFile() const
{
    return dataFolder().getChildFile ("bankcollection/bankcollection.json");
}

juce::File ProgramUser::logFolder() const
{
    return dataFolder().getChildFile ("log");
}

void ProgramUser::useDataHome (const juce::String& name)
{
    dataHome = rootFolder.getChildFile (name);
    dataHome.createDirectory();
}

void ProgramUser::setVariable (const juce::String& name, const juce::String& value)
{
    if (value.isEmpty())
        variables.remove (juce::StringRef (name));
    else
        variables.set (name, value);
}

void ProgramUser::prependToPath (const juce::File& folder)
{
    pathPrefix.insert (0, folder.getFullPathName());
}

juce::File ProgramUser::programToRun() const
{
    return program == juce::File() ? programFile() : program;
}

juce::File ProgramUser::addRemovableVolume (const juce::String& label)
{
    const auto number = ++volumeCount;
    const auto system = rootFolder.getChildFile ("system");
    const auto mountPoint = rootFolder.getChildFile ("volumes").getChildFile (label);
    mountPoint.createDirectory();

    // A USB stick, laid out in sysfs as the kernel does: sd<x> with its first partition.
    const auto diskName = "sd" + juce::String::charToString ((juce::juce_wchar) ('a' + number));
    const auto minor = 16 * number;
    const auto disk = system.getChildFile (
        "sys/devices/pci0000:00/0000:00:14.0/usb2/2-" + juce::String (number) + "/2-" +
        juce::String (number) + ":1.0/host" + juce::String (number) + "/target" + juce::String (number) +
        ":0:0/" + juce::String (number) + ":0:0:0/block/" + diskName);
    const auto partition = disk.getChildFile (diskName + "1");
    const auto write = [] (const juce::File& file, const juce::String& text)
    {
        file.getParentDirectory().createDirectory();
        EXPECT_TRUE (file.replaceWithText (text)) << file.getFullPathName();
    };

    write (disk.getChildFile ("removable"), "1\n");
    write (disk.getChildFile ("ro"), "0\n");
    write (disk.getChildFile ("dev"), "8:" + juce::String (minor) + "\n");
    write (disk.getChildFile ("device/vendor"), "Quorvane\n");
    write (disk.getChildFile ("device/model"), "Test Stick\n");
    write (partition.getChildFile ("partition"), "1\n");
    write (partition.getChildFile ("ro"), "0\n");

    const auto deviceNumber = "8:" + juce::String (minor + 1);
    const auto link = system.getChildFile ("sys/dev/block/" + deviceNumber);
    link.getParentDirectory().createDirectory();
    EXPECT_TRUE (
        partition.createSymbolicLink (link, partition.getRelativePathFrom (link.getParentDirectory()), true));

    const auto labels = system.getChildFile ("dev/disk/by-label");
    labels.createDirectory();
    EXPECT_EQ (0, ::symlink (("../../" + diskName + "1").toRawUTF8(),
                             labels.getChildFile (udevEscaped (label)).getFullPathName().toRawUTF8()));

    const auto id = 100 + number;
    mountLines.add (juce::String (id) + " 1 " + deviceNumber + " / " +
                    mountTableEscaped (mountPoint.getFullPathName()) + " rw,nosuid,nodev,relatime shared:" +
                    juce::String (id) + " - vfat /dev/" + diskName + "1 rw,fmask=0022,dmask=0022");

    // Replaced in one step, as the kernel's table changes: a running program never reads half.
    write (system.getChildFile ("proc/self/mountinfo"), mountLines.joinIntoString ("\n") + "\n");
    setVariable (programVariables::volumeSourcesRoot, system.getFullPathName());
    return mountPoint;
}

juce::StringPairArray ProgramUser::environment() const
{
    juce::StringPairArray environment;

    for (auto** entry = environ; *entry != nullptr; ++entry)
    {
        const auto text = juce::String::fromUTF8 (*entry);
        environment.set (text.upToFirstOccurrenceOf ("=", false, false),
                         text.fromFirstOccurrenceOf ("=", false, false));
    }

    environment.set ("HOME", home().getFullPathName());
    environment.set ("XDG_DATA_HOME", dataHome.getFullPathName());
    environment.set ("XDG_CONFIG_HOME", rootFolder.getChildFile ("config").getFullPathName());
    environment.set ("XDG_CACHE_HOME", rootFolder.getChildFile ("cache").getFullPathName());
    environment.set ("XDG_RUNTIME_DIR", rootFolder.getChildFile ("runtime").getFullPathName());
    environment.set ("TMPDIR", rootFolder.getChildFile ("tmp").getFullPathName());

    if (!pathPrefix.isEmpty())
        environment.set ("PATH", pathPrefix.joinIntoString (":") + ":" + inheritedVariable ("PATH"));

    if (programHasSanitizers())
    {
        const auto suppressions = rootFolder.getChildFile ("lsan-suppressions.txt");

        // Allocations that system libraries keep for the life of the process.
        if (!suppressions.existsAsFile())
            suppressions.replaceWithText ("leak:libfontconfig.so\nleak:libX11.so\nleak:libasound.so\n");

        environment.set ("ASAN_OPTIONS", withDefaults ("detect_leaks=1:strict_string_checks=1:"
                                                       "check_initialization_order=1",
                                                       "ASAN_OPTIONS"));
        environment.set ("LSAN_OPTIONS",
                         withDefaults ("suppressions=" + suppressions.getFullPathName(), "LSAN_OPTIONS"));
        environment.set ("UBSAN_OPTIONS",
                         withDefaults ("print_stacktrace=1:halt_on_error=1", "UBSAN_OPTIONS"));
    }

    for (const auto& name : variables.getAllKeys())
        environment.set (name, variables[name]);

    return environment;
}

//==============================================================================
ProgramRun::ProgramRun (const ProgramUser& user, const juce::StringArray& arguments)
    : outputFile (user.root().getNonexistentChildFile ("run", ".log", false))
{
    std::vector<std::string> argumentStrings{user.programToRun().getFullPathName().toStdString()};
    for (const auto& argument : arguments)
        argumentStrings.push_back (argument.toStdString());

    const auto environment = user.environment();
    std::vector<std::string> environmentStrings;
    for (const auto& name : environment.getAllKeys())
        environmentStrings.push_back ((name + "=" + environment[name]).toStdString());

    std::vector<char*> argv, envp;
    for (auto& s : argumentStrings)
        argv.push_back (s.data());
    argv.push_back (nullptr);
    for (auto& s : environmentStrings)
        envp.push_back (s.data());
    envp.push_back (nullptr);

    const auto outputPath = outputFile.getFullPathName().toStdString();
    const auto workingFolder = user.home().getFullPathName().toStdString();

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init (&actions);
    posix_spawn_file_actions_addopen (&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen (&actions, 1, outputPath.c_str(),
                                      O_WRONLY | O_CREAT | O_TRUNC | O_APPEND, 0600);
    posix_spawn_file_actions_adddup2 (&actions, 1, 2);
    posix_spawn_file_actions_addchdir_np (&actions, workingFolder.c_str());

    // The test program's blocked signals and ignored SIGPIPE are not the program's business.
    posix_spawnattr_t attributes;
    posix_spawnattr_init (&attributes);
    sigset_t none, defaults;
    sigemptyset (&none);
    sigemptyset (&defaults);
    sigaddset (&defaults, SIGPIPE);
    posix_spawnattr_setsigmask (&attributes, &none);
    posix_spawnattr_setsigdefault (&attributes, &defaults);
    posix_spawnattr_setflags (&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t child = -1;
    const auto error = posix_spawn (&child, argv[0], &actions, &attributes, argv.data(), envp.data());

    posix_spawnattr_destroy (&attributes);
    posix_spawn_file_actions_destroy (&actions);

    if (error == 0)
        processId = child;
    else
        ADD_FAILURE() << "cannot start " << argv[0] << ": " << strerror (error);
}

ProgramRun::~ProgramRun()
{
    if (!isRunning())
        return;

    closeAsUser();

    if (waitForExit())
        return;

    ADD_FAILURE() << "the program did not end after being closed; killed";
    ::kill (processId, SIGKILL);
    reap (true);
}

bool ProgramRun::reap (bool block)
{
    if (processId <= 0 || exitStatus >= 0)
        return exitStatus >= 0;

    int status = 0;
    const auto result = ::waitpid (processId, &status, block ? 0 : WNOHANG);

    if (result != processId)
        return false;

    exitStatus = WIFEXITED (status) ? WEXITSTATUS (status) : 128 + WTERMSIG (status);
    return true;
}

bool ProgramRun::isRunning()
{
    return started() && !reap (false);
}

bool ProgramRun::waitForExit (int timeoutMs)
{
    const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32)timeoutMs;

    while (isRunning())
    {
        if (juce::Time::getMillisecondCounter() > deadline)
            return false;

        juce::Thread::sleep (20);
    }

    return started();
}

std::vector<ProgramWindow> ProgramRun::visibleWindows() const
{
    std::vector<ProgramWindow> windows;

    if (!started())
        return windows;

    // JUCE marks each of its windows, popups too, with the process id.
    for (const auto& id : juce::StringArray::fromLines (
             xdotool ({"search", "--onlyvisible", "--pid", juce::String (processId)})))
        if (id.trim().isNotEmpty())
            if (auto window = windowWithId (id.trim()); window.isValid())
                windows.push_back (window);

    return windows;
}

ProgramWindow ProgramRun::waitForWindow (const std::function<bool (const ProgramWindow&)>& condition,
                                         int timeoutMs)
{
    const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32)timeoutMs;

    while (isRunning() && juce::Time::getMillisecondCounter() <= deadline)
    {
        for (const auto& window : visibleWindows())
            if (condition (window))
                return window;

        juce::Thread::sleep (50);
    }

    return {};
}

bool ProgramRun::waitUntil (const std::function<bool()>& condition, int timeoutMs)
{
    const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32)timeoutMs;

    while (isRunning() && juce::Time::getMillisecondCounter() <= deadline)
    {
        if (condition())
            return true;

        juce::Thread::sleep (50);
    }

    return false;
}

ProgramWindow ProgramRun::waitForSplash (int timeoutMs)
{
    return waitForWindow (
        [] (const ProgramWindow& w)
        { return w.bounds.getWidth() == splashWidth && w.bounds.getHeight() == splashHeight; },
        timeoutMs);
}

ProgramWindow ProgramRun::waitForMainWindow (int timeoutMs)
{
    main = waitForWindow (
        [] (const ProgramWindow& w)
        { return w.bounds.getWidth() >= mainMinimumWidth && w.bounds.getHeight() >= mainMinimumHeight; },
        timeoutMs);
    return main;
}

ProgramWindow ProgramRun::mainWindow() const
{
    return main.isValid() ? windowWithId (main.id) : ProgramWindow();
}

bool ProgramRun::resizeMainWindow (juce::Point<int> size)
{
    return main.isValid() &&
           xdotoolSucceeds ({"windowsize", main.id, juce::String (size.x), juce::String (size.y)}) &&
           waitUntil (
               [this, size] {
                   return mainWindow().bounds.getWidth() == size.x &&
                          mainWindow().bounds.getHeight() == size.y;
               });
}

juce::String ProgramRun::activeWindowId()
{
    return xdotool ({"getactivewindow"}).trim();
}

namespace
{
bool activateWindow (const juce::String& id)
{
    // Not "--sync": it waits for ever when the window manager keeps another window active.
    if (!xdotoolSucceeds ({"windowactivate", id}))
        return false;

    const auto deadline = juce::Time::getMillisecondCounter() + 30000;

    while (ProgramRun::activeWindowId() != id)
    {
        if (juce::Time::getMillisecondCounter() > deadline)
            return false;

        juce::Thread::sleep (20);
    }

    return true;
}
} // namespace

bool ProgramRun::activate()
{
    if (!main.isValid() && !waitForMainWindow().isValid())
        return false;

    return activateWindow (main.id);
}

juce::String ProgramRun::titleOf (const ProgramWindow& window)
{
    return xdotool ({"getwindowname", window.id}).trim();
}

ProgramWindow ProgramRun::waitForWindowTitled (const juce::String& title, int timeoutMs)
{
    const auto found = waitForWindow ([this, &title] (const ProgramWindow& w)
                                      { return w.id != main.id && titleOf (w) == title; },
                                      timeoutMs);

    return found.isValid() && activateWindow (found.id) ? found : ProgramWindow();
}

bool ProgramRun::moveMouse (juce::Point<int> onScreen)
{
    // Not "--sync": it waits for ever when the pointer is already there.
    if (!xdotoolSucceeds ({"mousemove", juce::String (onScreen.x), juce::String (onScreen.y)}))
        return false;

    const auto expected = "x:" + juce::String (onScreen.x) + " y:" + juce::String (onScreen.y) + " ";
    const auto deadline = juce::Time::getMillisecondCounter() + 30000;

    while (!xdotool ({"getmouselocation"}).startsWith (expected))
    {
        if (juce::Time::getMillisecondCounter() > deadline)
            return false;

        juce::Thread::sleep (10);
    }

    return true;
}

bool ProgramRun::clickOnScreen (juce::Point<int> onScreen, int button)
{
    return moveMouse (onScreen) && xdotoolSucceeds ({"click", juce::String (button)});
}

bool ProgramRun::click (juce::Point<int> inMainWindow, int button)
{
    const auto window = mainWindow();
    return window.isValid() && clickOnScreen (window.bounds.getPosition() + inMainWindow, button);
}

bool ProgramRun::drag (juce::Point<int> fromInMainWindow, juce::Point<int> toInMainWindow)
{
    const auto window = mainWindow();

    if (!window.isValid())
        return false;

    const auto from = window.bounds.getPosition() + fromInMainWindow;
    const auto to = window.bounds.getPosition() + toInMainWindow;

    if (!moveMouse (from) || !xdotoolSucceeds ({"mousedown", "1"}))
        return false;

    // In steps, so that the program sees a drag and not a jump.
    bool moved = true;
    constexpr int steps = 10;

    for (int step = 1; step <= steps && moved; ++step)
        moved = moveMouse (from + (to - from) * step / steps);

    return xdotoolSucceeds ({"mouseup", "1"}) && moved;
}

bool ProgramRun::key (const juce::String& keys)
{
    return xdotoolSucceeds ({"key", keys});
}

bool ProgramRun::typeText (const juce::String& text)
{
    return xdotoolSucceeds ({"type", "--delay", "30", text});
}

void ProgramRun::screenshot (const juce::String& name) const
{
    const auto folder = inheritedVariable ("GLORVAK_SCREENSHOTS");

    if (folder.isEmpty())
        return;

    juce::File (folder).createDirectory();
    // Time for the program to paint: this only feeds the picture, no result depends on it.
    juce::Thread::sleep (300);
    succeeds ({"import", "-window", "root", folder + "/" + name + ".png"});
}

ProgramWindow ProgramRun::openMenu (juce::Point<int> barNameInMainWindow)
{
    const auto before = visibleWindows();

    const auto isNew = [&before, this] (const ProgramWindow& w)
    {
        if (w.id == main.id)
            return false;

        for (const auto& old : before)
            if (old.id == w.id)
                return false;

        return true;
    };

    // A click that comes while the window is still being placed, or right after a menu was
    // dismissed, can leave the bar without a popup: then the name is clicked again.
    for (int attempt = 0; attempt < 5; ++attempt)
    {
        if (!click (barNameInMainWindow))
            return {};

        if (auto popup = waitForWindow (isNew, 5000); popup.isValid())
            return popup;
    }

    return {};
}

juce::Image ProgramRun::captureScreen() const
{
    const auto file = outputFile.getSiblingFile ("screen.png");

    if (!succeeds ({"import", "-window", "root", file.getFullPathName()}))
        return {};

    auto image = juce::ImageFileFormat::loadFrom (file);
    file.deleteFile();
    return image;
}

std::vector<ProgramRun::MenuLine> ProgramRun::readMenuLines (const ProgramWindow& popup) const
{
    std::vector<MenuLine> lines;
    const auto screen = captureScreen();
    // The frame of the popup is left out: only its inside holds items.
    const auto area = popup.bounds.reduced (3).getIntersection (screen.getBounds());

    if (area.isEmpty())
        return lines;

    const auto brightnessAt = [&screen] (int x, int y)
    { return screen.getPixelAt (x, y).getPerceivedBrightness(); };
    const auto background = brightnessAt (area.getX(), area.getY());

    // Rows holding ink, grouped; a group no higher than a separator line is one.
    constexpr float inkStep = 0.15f;
    constexpr int separatorHeight = 3;
    int groupStart = -1;
    float groupBrightness = 0;

    for (int y = area.getY(); y <= area.getBottom(); ++y)
    {
        float rowBrightness = 0;

        if (y < area.getBottom())
            for (int x = area.getX(); x < area.getRight(); ++x)
                rowBrightness = juce::jmax (rowBrightness, brightnessAt (x, y));

        const bool ink = y < area.getBottom() && rowBrightness - background > inkStep;

        if (ink && groupStart < 0)
        {
            groupStart = y;
            groupBrightness = 0;
        }

        if (ink)
            groupBrightness = juce::jmax (groupBrightness, rowBrightness);

        if (!ink && groupStart >= 0)
        {
            if (y - groupStart > separatorHeight)
                lines.push_back ({{popup.bounds.getX(), groupStart, popup.bounds.getWidth(), y - groupStart},
                                  groupBrightness});

            groupStart = -1;
        }
    }

    return lines;
}

bool ProgramRun::isGreyed (const std::vector<MenuLine>& lines, size_t index)
{
    float brightest = 0;

    for (const auto& line : lines)
        brightest = juce::jmax (brightest, line.brightness);

    return index < lines.size() && lines[index].brightness < 0.8f * brightest;
}

bool ProgramRun::closeAsUser()
{
    if (!main.isValid() && !waitForMainWindow().isValid())
        return false;

    return requestWindowManagerClose ((unsigned long)main.id.getLargeIntValue());
}

juce::String ProgramRun::output() const
{
    return outputFile.loadFileAsString();
}

bool ProgramRun::hasSanitizerReport() const
{
    const auto text = output();

    for (const auto* marker : {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:",
                               "Leaked objects detected", "SUMMARY: UndefinedBehaviorSanitizer"})
        if (text.contains (marker))
            return true;

    return false;
}
} // namespace glorvak::test
