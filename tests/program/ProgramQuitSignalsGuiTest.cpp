#include "program/ProgramSteps.h"

#include <gtest/gtest.h>

#include <csignal>

using namespace glorvak::test;

namespace
{
// How the program is told to end right after a change: a signal, as a session's logout, `kill`
// or Ctrl+C in a terminal sends it, or the user closing the window with alt+F4 (0 here).
constexpr int closedByUser = 0;

class ProgramQuit : public ::testing::TestWithParam<int>
{
protected:
    void SetUp() override
    {
        if (const auto reason = whyProgramCannotRun(); reason.isNotEmpty())
            GTEST_SKIP() << reason;
    }

    ProgramUser user;
};

juce::String nameOf (int how)
{
    return how == closedByUser ? juce::String ("Closed") : "Signalled " + juce::String (how);
}
} // namespace

TEST_P (ProgramQuit, QuitsWithZeroAndSavesAChangeMadeJustBefore)
{
    ProgramRun run (user);
    ASSERT_TRUE (run.started());
    const auto window = run.waitForMainWindow();
    ASSERT_TRUE (window.isValid()) << run.output();
    WindowLayout layout (window.bounds);
    ASSERT_TRUE (run.activate());

    // A rename, sent well within the 3 s the program waits before it saves a change by itself.
    const auto name = nameOf (GetParam());
    ASSERT_TRUE (renameBank (run, layout.bankRowCentre (0), name));
    run.screenshot ("program-renamed-before-quit-" + juce::String (GetParam()));

    if (GetParam() == closedByUser)
        ASSERT_TRUE (closeWithKeyboard (run));
    else
        ASSERT_EQ (kill (run.pid(), GetParam()), 0);

    ASSERT_TRUE (run.waitForExit());
    EXPECT_EQ (run.exitCode(), 0) << run.output();
    EXPECT_FALSE (run.hasSanitizerReport()) << run.output();
    EXPECT_TRUE (user.modelFile().loadFileAsString().contains (name)) << user.modelFile().loadFileAsString();
}

INSTANTIATE_TEST_SUITE_P (CloseTermHupInt, ProgramQuit,
                          ::testing::Values (closedByUser, SIGTERM, SIGHUP, SIGINT));
