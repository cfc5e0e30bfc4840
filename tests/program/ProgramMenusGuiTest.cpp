#include "program/ProgramSteps.h"
#include "support/LoopbackHttpServer.h"

#include <gtest/gtest.h>

namespace
{
using namespace glorvak::test;

class ProgramMenus : public ProgramTest
{
protected:
    // The windows of the program besides the main window (dialogs, the About box).
    static std::vector<ProgramWindow> otherWindows (ProgramRun& run)
    {
        std::vector<ProgramWindow> others;
        for (const auto& window : run.visibleWindows())
            if (window.id != run.mainWindow().id)
                others.push_back (window);
        return others;
    }
};
} // namespace

TEST_F (ProgramMenus, MenusShowTheirItemsPreferencesIsGreyedWhileOpenAndAboutOpensTwiceAsOneWindow)
{
    ProgramRun run (user);
    const auto window = run.waitForMainWindow();
    ASSERT_TRUE (window.isValid()) << run.output();
    WindowLayout layout (window.bounds);
    ASSERT_TRUE (run.activate());

    auto lines = openMenuLines (run, fileMenu, fileItemCount);
    run.screenshot ("program-file-menu");
    for (size_t i = 0; i < lines.size(); ++i)
        EXPECT_FALSE (ProgramRun::isGreyed (lines, i)) << "File item " << i;

    // Preferences shows its overlay and stays greyed while it does.
    ASSERT_TRUE (pickMenuLine (run, lines, preferencesItem));
    lines = openMenuLines (run, fileMenu, fileItemCount);
    run.screenshot ("program-file-menu-preferences-open");
    EXPECT_TRUE (ProgramRun::isGreyed (lines, preferencesItem));
    EXPECT_FALSE (ProgramRun::isGreyed (lines, exportItem));
    ASSERT_TRUE (run.key ("Escape"));

    // Only the overlay's close button hides it; then Preferences is offered again.
    ASSERT_TRUE (run.click (layout.preferencesCloseCentre()));
    lines = openMenuLines (run, fileMenu, fileItemCount);
    EXPECT_FALSE (ProgramRun::isGreyed (lines, preferencesItem));
    ASSERT_TRUE (run.key ("Escape"));

    lines = openMenuLines (run, helpMenu, helpItemCount);
    run.screenshot ("program-help-menu");
    for (size_t i = 0; i < lines.size(); ++i)
        EXPECT_FALSE (ProgramRun::isGreyed (lines, i)) << "Help item " << i;

    // The About box, twice: each time one window of its own, gone after OK.
    for (int opening = 1; opening <= 2; ++opening)
    {
        SCOPED_TRACE (opening);
        lines = openMenuLines (run, helpMenu, helpItemCount);
        ASSERT_TRUE (pickMenuLine (run, lines, aboutItem));
        // The box carries the program's name, as the main window does; the menu's window does not.
        const auto about = run.waitForWindowTitled ("GLORVAK Sample Manager");
        ASSERT_TRUE (about.isValid());
        EXPECT_EQ (otherWindows (run).size(), 1u);
        run.screenshot ("program-about-" + juce::String (opening));
        ASSERT_TRUE (run.key ("Return"));
        ASSERT_TRUE (run.waitUntil ([&run] { return otherWindows (run).empty(); }));
    }

    expectCleanEnd (run);
}

TEST_F (ProgramMenus, CheckForUpdatesIsGreyedWhileTheServerHoldsTheAnswer)
{
    LoopbackHttpServer server (LoopbackHttpServer::Response::text (200, R"({"version": "0.0.0.1"})"));
    ASSERT_TRUE (server.isListening());
    auto held = LoopbackHttpServer::Response::text (200, R"({"version": "0.0.0.1"})");
    held.hold = LoopbackHttpServer::Response::Hold::beforeAnswer;
    server.setRoute ("/update-info.json", held);
    user.setVariable (glorvak::test::programVariables::updateInfoUrl, server.url ("/update-info.json"));

    ProgramRun run (user);
    ASSERT_TRUE (run.waitForMainWindow().isValid()) << run.output();
    ASSERT_TRUE (run.activate());

    // The automatic check after the start asks and waits.
    ASSERT_TRUE (run.waitUntil ([&server] { return server.getNumRequests() >= 1; }));
    // The menu takes the commands' state when it opens: what it shows counts only if the check
    // still waited when it had opened (the check gives up after its time-out).
    const auto popup = run.openMenu (helpMenu);
    ASSERT_TRUE (popup.isValid());
    ASSERT_FALSE (server.clientGaveUp()) << "the menu opened too late to tell";
    const auto lines = run.readMenuLines (popup);
    run.screenshot ("program-help-menu-update-check-held");
    ASSERT_EQ (lines.size(), (size_t)helpItemCount);
    EXPECT_TRUE (ProgramRun::isGreyed (lines, checkForUpdatesItem));
    EXPECT_FALSE (ProgramRun::isGreyed (lines, aboutItem));
    ASSERT_TRUE (run.key ("Escape"));

    // Once the answer came, the check is offered again.
    server.release();
    EXPECT_TRUE (run.waitUntil (
        [&]
        {
            auto again = openMenuLines (run, helpMenu, helpItemCount);
            const bool greyed = again.empty() || ProgramRun::isGreyed (again, checkForUpdatesItem);
            run.key ("Escape");
            return !greyed;
        }));

    expectCleanEnd (run);
}
