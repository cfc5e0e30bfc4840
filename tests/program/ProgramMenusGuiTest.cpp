#include "support/LoopbackHttpServer.h"
#include "support/ProgramUnderTest.h"

#include <gtest/gtest.h>

using glorvak::test::LoopbackHttpServer;
using glorvak::test::ProgramRun;
using glorvak::test::ProgramUser;
using glorvak::test::ProgramWindow;

namespace
{
// Places in the main window (the main component's coordinates): the names of the menu bar, and
// the preferences overlay, whose 500 x 469 panel is centred in the 1280 x 776 main view below
// the 24-pixel menu bar.
const juce::Point<int> fileMenu{20, 12};
const juce::Point<int> helpMenu{60, 12};
const juce::Point<int> preferencesPanel{390, 24 + 153};
const juce::Point<int> preferencesClose = preferencesPanel + juce::Point<int> (32, 32);

// The File menu's items, then the Help menu's, in their order on the screen.
enum FileItem
{
    exportItem,
    importItem,
    backupItem,
    restoreItem,
    preferencesItem,
    exitItem,
    fileItemCount
};

enum HelpItem
{
    manualItem,
    privacyPolicyItem,
    checkForUpdatesItem,
    aboutItem,
    helpItemCount
};

class ProgramMenus : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (const auto reason = glorvak::test::whyProgramCannotRun(); reason.isNotEmpty())
            GTEST_SKIP() << reason;
    }

    // Opens a menu of the bar and reads its item lines.
    std::vector<ProgramRun::MenuLine> openMenu (ProgramRun& run, juce::Point<int> name, size_t itemCount)
    {
        const auto popup = run.openMenu (name);
        EXPECT_TRUE (popup.isValid());
        auto lines = run.readMenuLines (popup);
        EXPECT_EQ (lines.size(), itemCount);
        return lines.size() == itemCount ? lines : std::vector<ProgramRun::MenuLine>();
    }

    bool pick (ProgramRun& run, const std::vector<ProgramRun::MenuLine>& lines, size_t item)
    {
        return item < lines.size() && run.clickOnScreen (lines[item].bounds.getCentre());
    }

    // The windows of the program besides the main window (dialogs, the About box).
    static std::vector<ProgramWindow> otherWindows (ProgramRun& run)
    {
        std::vector<ProgramWindow> others;
        for (const auto& window : run.visibleWindows())
            if (window.id != run.mainWindow().id)
                others.push_back (window);
        return others;
    }

    static void expectCleanEnd (ProgramRun& run)
    {
        ASSERT_TRUE (run.closeAsUser());
        ASSERT_TRUE (run.waitForExit());
        EXPECT_EQ (run.exitCode(), 0) << run.output();
        EXPECT_FALSE (run.hasSanitizerReport()) << run.output();
    }

    ProgramUser user;
};
} // namespace

TEST_F (ProgramMenus, MenusShowTheirItemsPreferencesIsGreyedWhileOpenAndAboutOpensTwiceAsOneWindow)
{
    ProgramRun run (user);
    ASSERT_TRUE (run.waitForMainWindow().isValid()) << run.output();
    ASSERT_TRUE (run.activate());

    auto lines = openMenu (run, fileMenu, fileItemCount);
    run.screenshot ("program-file-menu");
    for (size_t i = 0; i < lines.size(); ++i)
        EXPECT_FALSE (ProgramRun::isGreyed (lines, i)) << "File item " << i;

    // Preferences shows its overlay and stays greyed while it does.
    ASSERT_TRUE (pick (run, lines, preferencesItem));
    lines = openMenu (run, fileMenu, fileItemCount);
    run.screenshot ("program-file-menu-preferences-open");
    EXPECT_TRUE (ProgramRun::isGreyed (lines, preferencesItem));
    EXPECT_FALSE (ProgramRun::isGreyed (lines, exportItem));
    ASSERT_TRUE (run.key ("Escape"));

    // Only the overlay's close button hides it; then Preferences is offered again.
    ASSERT_TRUE (run.click (preferencesClose));
    lines = openMenu (run, fileMenu, fileItemCount);
    EXPECT_FALSE (ProgramRun::isGreyed (lines, preferencesItem));
    ASSERT_TRUE (run.key ("Escape"));

    lines = openMenu (run, helpMenu, helpItemCount);
    run.screenshot ("program-help-menu");
    for (size_t i = 0; i < lines.size(); ++i)
        EXPECT_FALSE (ProgramRun::isGreyed (lines, i)) << "Help item " << i;

    // The About box, twice: each time one window of its own, gone after OK.
    for (int opening = 1; opening <= 2; ++opening)
    {
        SCOPED_TRACE (opening);
        lines = openMenu (run, helpMenu, helpItemCount);
        ASSERT_TRUE (pick (run, lines, aboutItem));
        const auto about =
            run.waitForWindow ([&run] (const ProgramWindow& w) { return w.id != run.mainWindow().id; });
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
            auto again = openMenu (run, helpMenu, helpItemCount);
            const bool greyed = again.empty() || ProgramRun::isGreyed (again, checkForUpdatesItem);
            run.key ("Escape");
            return !greyed;
        }));

    expectCleanEnd (run);
}
