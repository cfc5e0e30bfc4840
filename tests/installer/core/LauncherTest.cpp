#include "installer/core/RecordingStack.h"

#include "Launcher.h"

#include <gtest/gtest.h>

#include <list>
#include <set>

namespace installer::test
{
namespace
{

std::string narrow (const char16_t* text)
{
    if (text == nullptr)
        return "(none)";
    std::string result;
    for (; *text != 0; ++text)
        result += *text < 0x80 ? static_cast<char> (*text) : '?';
    return result;
}

// Windows as the launcher sees it: each call is logged, each handle named after the call that
// made it, and every handle still open, or closed twice, is found.
class FakeLauncherSystem final : public LauncherSystem
{
public:
    enum class Failure
    {
        none,
        noCreateProcessWithToken,
        openProcess,
        openProcessToken,
        duplicateToken,
        createProcess,
    };

    Version windows{Launcher::platformWin32Nt, 10};
    bool admin = false;
    std::uint32_t shellProcessId = 4242;
    Failure failure = Failure::none;

    std::vector<std::string> calls;
    std::set<Handle> open;
    int badCloses = 0;

    Version version() override
    {
        calls.push_back ("GetVersionExW");
        return windows;
    }

    bool isUserAnAdmin() override
    {
        calls.push_back ("IsUserAnAdmin");
        return admin;
    }

    void shellExecute (const char16_t* verb, const char16_t* file, const char16_t* directory) override
    {
        calls.push_back ("ShellExecuteExW " + narrow (verb) + " " + narrow (file) + " in " +
                         narrow (directory));
    }

    bool findCreateProcessWithToken() override
    {
        calls.push_back ("GetProcAddress CreateProcessWithTokenW");
        return failure != Failure::noCreateProcessWithToken;
    }

    std::uint32_t shellWindowProcessId() override
    {
        calls.push_back ("GetWindowThreadProcessId");
        return shellProcessId;
    }

    Handle openProcess (std::uint32_t processId) override
    {
        calls.push_back ("OpenProcess " + std::to_string (processId));
        // Process id 0 is the idle process, which nobody may open.
        return failure == Failure::openProcess || processId == 0 ? nullptr : make ("process");
    }

    Handle openProcessToken (Handle process) override
    {
        calls.push_back ("OpenProcessToken " + name (process));
        return failure == Failure::openProcessToken ? nullptr : make ("token");
    }

    Handle duplicatePrimaryToken (Handle token) override
    {
        calls.push_back ("DuplicateTokenEx " + name (token));
        return failure == Failure::duplicateToken ? nullptr : make ("primary");
    }

    bool createProcessWithToken (Handle primaryToken, char16_t* commandLine, const char16_t* directory,
                                 Handle& thread, Handle& process) override
    {
        calls.push_back ("CreateProcessWithTokenW " + name (primaryToken) + " " + narrow (commandLine) +
                         " in " + narrow (directory));
        if (failure == Failure::createProcess)
            return false;
        thread = make ("new thread");
        process = make ("new process");
        return true;
    }

    void closeHandle (Handle handle) override
    {
        calls.push_back ("CloseHandle " + name (handle));
        if (open.erase (handle) == 0)
            ++badCloses;
    }

private:
    Handle make (const std::string& kind)
    {
        names.push_back (kind);
        Handle handle = &names.back();
        open.insert (handle);
        return handle;
    }

    std::string name (Handle handle) const
    {
        return handle == nullptr ? "null" : *static_cast<const std::string*> (handle);
    }

    std::list<std::string> names;
};

using Failure = FakeLauncherSystem::Failure;
using Step = void (Launcher::*) (PluginStack&);

struct LauncherCase
{
    const char* name;
    Step step;
    LauncherSystem::Version windows;
    bool admin;
    Failure failure;
    std::uint32_t shellProcessId;
    std::vector<std::string> calls;
};

constexpr auto authorized = &Launcher::authorizedExecute;
constexpr auto restricted = &Launcher::restrictedExecute;
constexpr LauncherSystem::Version windows10{2, 10};
constexpr LauncherSystem::Version vista{2, 6};
constexpr LauncherSystem::Version windowsXp{2, 5};
constexpr LauncherSystem::Version windows98{1, 6};

const std::string plainStart =
    "ShellExecuteExW open C:\\Program Files\\App\\app.exe in C:\\Program Files\\App";
const std::string elevatedStart =
    "ShellExecuteExW runas C:\\Program Files\\App\\app.exe in C:\\Program Files\\App";
const std::vector<std::string> tokenPathTo (const std::vector<std::string>& tail)
{
    std::vector<std::string> calls{"GetVersionExW", "IsUserAnAdmin",
                                   "GetProcAddress CreateProcessWithTokenW"};
    calls.insert (calls.end(), tail.begin(), tail.end());
    return calls;
}

class LauncherStepTest : public testing::TestWithParam<LauncherCase>
{
};

// The whole sequence of Windows calls per case: which start is chosen, and that every handle the
// token path opens is closed right after its use, on success and on each failure.
TEST_P (LauncherStepTest, ChoosesTheStartAndClosesEveryHandle)
{
    const auto& c = GetParam();
    FakeLauncherSystem system;
    system.windows = c.windows;
    system.admin = c.admin;
    system.failure = c.failure;
    system.shellProcessId = c.shellProcessId;
    RecordingStack installerStack;
    installerStack.pushInOrder ({u"C:\\Program Files\\App\\app.exe", u"left for the script"});
    auto stack = installerStack.view();

    Launcher launcher (system);
    (launcher.*c.step) (stack);

    EXPECT_EQ (system.calls, c.calls);
    EXPECT_TRUE (system.open.empty()) << system.open.size() << " handle(s) left open";
    EXPECT_EQ (system.badCloses, 0);
    // The path is consumed and nothing pushed in its place.
    EXPECT_EQ (installerStack.texts(), std::vector<std::u16string>{u"left for the script"});
    EXPECT_TRUE (installerStack.memory.requests.empty());
}

const std::string openProcess = "OpenProcess 4242";
const std::string openToken = "OpenProcessToken process";
const std::string closeProcess = "CloseHandle process";
const std::string duplicate = "DuplicateTokenEx token";
const std::string closeToken = "CloseHandle token";
const std::string createProcess =
    "CreateProcessWithTokenW primary \"C:\\Program Files\\App\\app.exe\" in C:\\Program Files\\App";
const std::string closePrimary = "CloseHandle primary";
const std::string shellWindow = "GetWindowThreadProcessId";
constexpr auto none = Failure::none;

// clang-format off
INSTANTIATE_TEST_SUITE_P (
    Cases, LauncherStepTest,
    testing::Values (
        //            name                                                   step        windows    admin  failure                            shell pid  calls
        LauncherCase {"AuthorizedOnXpStartsPlainlyWithoutAsking",            authorized, windowsXp, false, none,                              4242, {"GetVersionExW", plainStart}},
        LauncherCase {"AuthorizedOnWindows9xStartsPlainly",                  authorized, windows98, false, none,                              4242, {"GetVersionExW", plainStart}},
        LauncherCase {"AuthorizedAsAdminStartsPlainly",                      authorized, windows10, true,  none,                              4242, {"GetVersionExW", "IsUserAnAdmin", plainStart}},
        LauncherCase {"AuthorizedAsUserAsksForElevation",                    authorized, vista,     false, none,                              4242, {"GetVersionExW", "IsUserAnAdmin", elevatedStart}},
        LauncherCase {"RestrictedOnXpStartsPlainly",                         restricted, windowsXp, true,  none,                              4242, {"GetVersionExW", plainStart}},
        LauncherCase {"RestrictedAsUserStartsPlainly",                       restricted, windows10, false, none,                              4242, {"GetVersionExW", "IsUserAnAdmin", plainStart}},
        LauncherCase {"RestrictedAsAdminStartsWithTheShellUsersToken",       restricted, windows10, true,  none,                              4242,
                      tokenPathTo ({shellWindow, openProcess, openToken, closeProcess, duplicate, closeToken, createProcess, closePrimary,
                                    "CloseHandle new thread", "CloseHandle new process"})},
        LauncherCase {"RestrictedWithoutCreateProcessWithTokenStartsPlainly", restricted, vista,    true,  Failure::noCreateProcessWithToken, 4242,
                      tokenPathTo ({plainStart})},
        LauncherCase {"RestrictedWithoutShellWindowStartsPlainly",           restricted, windows10, true,  none,                              0,
                      tokenPathTo ({shellWindow, "OpenProcess 0", plainStart})},
        LauncherCase {"RestrictedWhenTheShellCannotBeOpenedStartsPlainly",   restricted, windows10, true,  Failure::openProcess,              4242,
                      tokenPathTo ({shellWindow, openProcess, plainStart})},
        LauncherCase {"RestrictedWithoutTheShellsTokenClosesTheProcess",     restricted, windows10, true,  Failure::openProcessToken,         4242,
                      tokenPathTo ({shellWindow, openProcess, openToken, closeProcess, plainStart})},
        LauncherCase {"RestrictedWhenTheTokenCannotBeDuplicatedClosesIt",    restricted, windows10, true,  Failure::duplicateToken,           4242,
                      tokenPathTo ({shellWindow, openProcess, openToken, closeProcess, duplicate, closeToken, plainStart})},
        LauncherCase {"RestrictedWhenCreateProcessFailsClosesThePrimaryToken", restricted, windows10, true, Failure::createProcess,           4242,
                      tokenPathTo ({shellWindow, openProcess, openToken, closeProcess, duplicate, closeToken, createProcess, closePrimary,
                                    plainStart})}),
    [] (const auto& info) { return std::string (info.param.name); });
// clang-format on

// The folder each start passes: a drive's root keeps its backslash, a bare name passes none.
TEST (LauncherTest, StartsInTheProgramsFolder)
{
    struct Case
    {
        std::u16string path;
        Step step;
        bool admin;
        std::string call;
    };
    const Case cases[] = {
        {u"C:\\app.exe", authorized, true, "ShellExecuteExW open C:\\app.exe in C:\\"},
        {u"C:\\app.exe", authorized, false, "ShellExecuteExW runas C:\\app.exe in C:\\"},
        {u"\\app.exe", authorized, true, "ShellExecuteExW open \\app.exe in \\"},
        {u"app.exe", authorized, true, "ShellExecuteExW open app.exe in (none)"},
        {u"C:\\app.exe", restricted, true, "CreateProcessWithTokenW primary \"C:\\app.exe\" in C:\\"},
        {u"app.exe", restricted, true, "CreateProcessWithTokenW primary \"app.exe\" in (none)"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.call);
        FakeLauncherSystem system;
        system.admin = c.admin;
        RecordingStack installerStack;
        installerStack.push (c.path);
        auto stack = installerStack.view();

        Launcher launcher (system);
        (launcher.*c.step) (stack);

        EXPECT_NE (std::find (system.calls.begin(), system.calls.end(), c.call), system.calls.end())
            << testing::PrintToString (system.calls);
        EXPECT_TRUE (system.open.empty());
    }
}

// A path cut at 1023 units by the pop is started as such, in quotes, with its own folder.
TEST (LauncherTest, StartsAPathOf1023UnitsWhole)
{
    const std::u16string folder = u"C:\\" + repeated (u'f', 1012);
    const std::u16string path = folder + u"\\app.exe" + repeated (u'x', 100);
    FakeLauncherSystem system;
    system.admin = true;
    RecordingStack installerStack (2048);
    installerStack.push (path);
    auto stack = installerStack.view();

    Launcher (system).restrictedExecute (stack);

    const std::string cut = narrow (path.substr (0, 1023).c_str());
    EXPECT_EQ (system.calls.at (9),
               "CreateProcessWithTokenW primary \"" + cut + "\" in " + narrow (folder.c_str()));
}

// Nothing names a program to start, so nothing is started, not even Windows' version is asked.
TEST (LauncherTest, EmptyStackStartsNothing)
{
    for (const Step step : {authorized, restricted})
    {
        for (const bool noStack : {false, true})
        {
            FakeLauncherSystem system;
            system.admin = true;
            RecordingStack installerStack;
            PluginStack stack =
                noStack ? PluginStack (nullptr, 1024, installerStack.memory) : installerStack.view();

            Launcher launcher (system);
            (launcher.*step) (stack);

            EXPECT_TRUE (system.calls.empty()) << testing::PrintToString (system.calls);
            EXPECT_TRUE (installerStack.memory.requests.empty());
        }
    }
}

} // namespace
} // namespace installer::test
