#include "support/ProgramUnderTest.h"

#include <gtest/gtest.h>

#include <csignal>

using glorvak::test::ProgramRun;
using glorvak::test::ProgramUser;

namespace
{
/** The real program told to end by a signal, as a session's logout, `kill` or Ctrl+C in a
    terminal tells it. */
class ProgramQuitSignal : public ::testing::TestWithParam<int>
{
protected:
    void SetUp() override
    {
        if (const auto reason = glorvak::test::whyProgramCannotRun(); reason.isNotEmpty())
            GTEST_SKIP() << reason;
    }

    ProgramUser user;
};

// The name cell of BANK 1 in the main window (below the menu bar, in the BANK table); F2 edits it.
const juce::Point<int> firstBankName{130, 62};
} // namespace

TEST_P (ProgramQuitSignal, QuitsWithZeroAndSavesAChangeMadeJustBefore)
{
    ProgramRun run (user);
    ASSERT_TRUE (run.started());
    ASSERT_TRUE (run.waitForMainWindow().isValid()) << run.output();
    ASSERT_TRUE (run.activate());

    // A rename, sent well within the 3 s the program waits before it saves a change by itself.
    const juce::String name ("Signalled " + juce::String (GetParam()));
    ASSERT_TRUE (run.click (firstBankName));
    ASSERT_TRUE (run.key ("F2"));
    ASSERT_TRUE (run.typeText (name));
    ASSERT_TRUE (run.key ("Return"));
    run.screenshot ("program-renamed-before-signal-" + juce::String (GetParam()));
    ASSERT_EQ (kill (run.pid(), GetParam()), 0);

    ASSERT_TRUE (run.waitForExit());
    EXPECT_EQ (run.exitCode(), 0) << run.output();
    EXPECT_FALSE (run.hasSanitizerReport()) << run.output();
    EXPECT_TRUE (user.modelFile().loadFileAsString().contains (name)) << user.modelFile().loadFileAsString();
}

INSTANTIATE_TEST_SUITE_P (TermHupInt, ProgramQuitSignal, ::testing::Values (SIGTERM, SIGHUP, SIGINT));
