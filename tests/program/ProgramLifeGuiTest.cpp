#include "support/ProgramUnderTest.h"

#include <gtest/gtest.h>

using glorvak::test::ProgramRun;
using glorvak::test::ProgramUser;
using glorvak::test::ProgramWindow;

namespace
{
class ProgramLife : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (const auto reason = glorvak::test::whyProgramCannotRun(); reason.isNotEmpty())
            GTEST_SKIP() << reason;
    }

    ProgramUser user;
};
} // namespace

TEST_F (ProgramLife, ShowsTheSplashThenTheMainWindowAndEndsWithZeroWhenClosed)
{
    ProgramRun run (user);
    ASSERT_TRUE (run.started());

    const auto splash = run.waitForSplash();
    ASSERT_TRUE (splash.isValid()) << run.output();
    const auto main = run.waitForMainWindow();
    ASSERT_TRUE (main.isValid()) << run.output();
    EXPECT_EQ (main.bounds.getWidth(), 1280);
    EXPECT_EQ (main.bounds.getHeight(), 800);
    run.screenshot ("program-main");

    // A larger window gives the views the room; they are laid out again at once. (A close
    // requested within a moment of the window manager's resize can go unanswered, so the resize
    // comes before the menu.)
    ASSERT_TRUE (run.resizeMainWindow ({1600, 1000}));
    run.screenshot ("program-main-1600x1000");

    ASSERT_TRUE (run.activate());
    ASSERT_TRUE (run.click ({20, 12}));
    run.screenshot ("program-file-menu");
    ASSERT_TRUE (run.key ("Escape"));

    ASSERT_TRUE (run.closeAsUser());
    ASSERT_TRUE (run.waitForExit()) << run.output();
    EXPECT_EQ (run.exitCode(), 0) << run.output();
    EXPECT_FALSE (run.hasSanitizerReport()) << run.output();
}
