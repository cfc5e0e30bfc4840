#include "MainComponent.h"

#include "common/AppSettingsSingleton.h"
#include "common/LocaleNotifier.h"
#include "vantor/VantorComponent.h"

#include "support/MessagePump.h"
#include "support/Screenshot.h"

#include <gtest/gtest.h>

#include <cstdlib>

using glorvak::test::pumpMessagesUntil;
using glorvak::test::screenshot;

namespace
{
/** The main component in a window of its own, as the application shows it. */
class MainComponentGui : public ::testing::Test
{
protected:
    MainComponentGui()
    {
        settings().setGuiLangIndex (0);
        main = std::make_unique<MainComponent>();
        main->addToDesktop (juce::ComponentPeer::windowHasTitleBar);
        main->setVisible (true);
        // The store's start-up announcement of the language reaches every observer at once; the
        // resolver, told first, has no texts before it.
        pumpMessagesUntil (
            [this] { return main->getVantorComponent().getMessageResolver().getMessage (2).isNotEmpty(); });
    }

    ~MainComponentGui() override
    {
        main.reset();
        settings().setGuiLangIndex (0);
        pumpMessagesUntil (
            [] { return juce::ModalComponentManager::getInstance()->getNumModalComponents() == 0; });
    }

    static common::AppSettings& settings() { return *common::AppSettingsSingleton::getInstance(); }

    juce::ApplicationCommandInfo infoOf (int id)
    {
        juce::ApplicationCommandInfo info (id);
        if (auto* target = main->getCommandManager().getTargetForCommand (id, info))
            juce::ignoreUnused (target);
        return info;
    }

    bool invoke (int id) { return main->getCommandManager().invokeDirectly (id, false); }

    juce::String calculateButtonText()
    {
        return main->getVantorComponent().getSlotDetailView().getCalcBpmButton().getButtonText();
    }

    std::unique_ptr<MainComponent> main;
};
} // namespace

TEST_F (MainComponentGui, StartsAtTheMinimumWindowSizeWithTheMenuBarOverTheMainView)
{
    EXPECT_EQ (main->getWidth(), 1280);
    EXPECT_EQ (main->getHeight(), 800);
    EXPECT_EQ (main->getMenuBar().getBounds(), juce::Rectangle<int> (0, 0, 1280, 24));
    EXPECT_EQ (main->getViewport().getBounds(), juce::Rectangle<int> (0, 24, 1280, 776));
    EXPECT_EQ (main->getVantorComponent().getBounds(), juce::Rectangle<int> (0, 0, 1280, 776));
    EXPECT_FALSE (main->getViewport().getVerticalScrollBar().isVisible());
    EXPECT_FALSE (main->getViewport().getHorizontalScrollBar().isVisible());

    // Smaller than the main view's minimum: it scrolls instead of shrinking.
    main->setSize (1000, 500);
    EXPECT_EQ (main->getVantorComponent().getWidth(), 1174);
    EXPECT_EQ (main->getVantorComponent().getHeight(), 613 - 24);
}

TEST_F (MainComponentGui, TheTenCommandsAreRegisteredInOrderWithUntranslatedCategories)
{
    auto& manager = main->getCommandManager();
    ASSERT_EQ (manager.getNumCommands(), 10);
    const char* categories[] = {"File", "File", "File", "File", "File",
                                "File", "Help", "Help", "Help", "Help"};
    for (int i = 0; i < 10; ++i)
    {
        SCOPED_TRACE (i);
        const auto* info = manager.getCommandForIndex (i);
        ASSERT_NE (info, nullptr);
        EXPECT_EQ (info->commandID, i + 1);
        EXPECT_EQ (info->categoryName, categories[i]);
        EXPECT_TRUE (info->defaultKeypresses.isEmpty());
        EXPECT_TRUE (info->description.isEmpty());
    }
    EXPECT_EQ (manager.getCommandForID (10)->shortName, "About GLORVAK Sample Manager");
    // The chain: the main target, then the File target, then none.
    auto* first = manager.getFirstCommandTarget (1);
    EXPECT_EQ (first, &main->getMainCommandTarget());
    ASSERT_NE (first->getNextCommandTarget(), nullptr);
    EXPECT_EQ (first->getNextCommandTarget()->getNextCommandTarget(), nullptr);
}

TEST_F (MainComponentGui, PreferencesAreGreyedWhileTheOverlayShows)
{
    auto& overlay = main->getMainCommandTarget().getPreferences();
    EXPECT_FALSE (overlay.isVisible());
    EXPECT_EQ (overlay.getParentComponent(), &main->getVantorComponent());
    EXPECT_EQ (overlay.getBounds(), main->getVantorComponent().getLocalBounds());
    EXPECT_TRUE (overlay.isAlwaysOnTop());
    EXPECT_EQ (infoOf (5).flags & juce::ApplicationCommandInfo::isDisabled, 0);

    ASSERT_TRUE (invoke (5));
    EXPECT_TRUE (overlay.isVisible());
    EXPECT_NE (infoOf (5).flags & juce::ApplicationCommandInfo::isDisabled, 0);
    screenshot ("main-preferences-open");

    overlay.getCloseButton().triggerClick();
    ASSERT_TRUE (pumpMessagesUntil ([&] { return !overlay.isVisible(); }));
    EXPECT_EQ (infoOf (5).flags & juce::ApplicationCommandInfo::isDisabled, 0);
}

TEST_F (MainComponentGui, AboutOpenedTwiceHoldsOneFreshViewerWithTheNotices)
{
    auto& target = main->getMainCommandTarget();
    auto& about = target.getAboutWindow();
    EXPECT_EQ (about.getName(), "GLORVAK Sample Manager");

    ASSERT_TRUE (invoke (10));
    auto* first = target.getLicenseEditor();
    ASSERT_NE (first, nullptr);
    EXPECT_EQ (first->getParentComponent(), &about);
    EXPECT_TRUE (about.isCurrentlyModal());
    EXPECT_TRUE (first->getEditor().isReadOnly());
    EXPECT_TRUE (first->getDocument().getAllContent().contains ("JUCE"));
    EXPECT_EQ (first->getBounds().getWidth(), 480);
    screenshot ("main-about");

    about.exitModalState (1);
    ASSERT_TRUE (pumpMessagesUntil ([&] { return target.getLicenseEditor() == nullptr; }));
    EXPECT_FALSE (about.isVisible());

    ASSERT_TRUE (invoke (10));
    ASSERT_NE (target.getLicenseEditor(), nullptr);
    int viewers = 0;
    for (auto* child : about.getChildren())
        viewers += dynamic_cast<MainCommandTarget::LicenseTextEditor*> (child) != nullptr ? 1 : 0;
    EXPECT_EQ (viewers, 1);
    about.exitModalState (0);
    ASSERT_TRUE (pumpMessagesUntil ([&] { return target.getLicenseEditor() == nullptr; }));
}

TEST_F (MainComponentGui, JapaneseRetranslatesTheMenuBarAndEveryObserverAtOnce)
{
    juce::MenuBarModel* model = main->getMenuBar().getModel();
    ASSERT_NE (model, nullptr);
    EXPECT_EQ (model->getMenuBarNames(), juce::StringArray ("File", "Help"));
    auto& views = main->getVantorComponent();

    settings().setGuiLangIndex (8);
    // The SLOT detail editor is the last observer told.
    ASSERT_TRUE (pumpMessagesUntil ([&] { return calculateButtonText() != "Calculate"; }));
    EXPECT_EQ (calculateButtonText(), TRANS ("Calculate"));
    EXPECT_NE (model->getMenuBarNames()[0], "File");
    EXPECT_EQ (model->getMenuBarNames()[0], TRANS ("File"));
    EXPECT_EQ (infoOf (2).shortName, TRANS ("Import"));
    EXPECT_EQ (infoOf (2).categoryName, "File");
    EXPECT_EQ (views.getBrowseView().getOpenCloseButton().getTooltip(), TRANS ("Show BANK COLLECTION"));
    EXPECT_EQ (views.getBankView().getExportButton().getTooltip(),
               TRANS ("Write BANK information and sample audio sources for each SLOT to storage media."));
    EXPECT_EQ (views.getSlotView().getPadPanel (0)->getPadButton().getTooltip(),
               TRANS ("Play SLOT {slot} sample audio").replace ("{slot}", "A"));
    screenshot ("main-japanese");
}

TEST_F (MainComponentGui, TheTooltipWindowFollowsTheSetting)
{
    auto& handler = main->getTooltipHandler();
    settings().setShowTooltips (false);
    ASSERT_TRUE (pumpMessagesUntil ([&] { return handler.getTooltipWindow() == nullptr; }));
    settings().setShowTooltips (true);
    ASSERT_TRUE (pumpMessagesUntil ([&] { return handler.getTooltipWindow() != nullptr; }));

    // Switched on again while on: a new window replaces the old one.
    const auto* before = handler.getTooltipWindow();
    settings().setShowTooltips (true);
    EXPECT_TRUE (pumpMessagesUntil ([&] { return handler.getTooltipWindow() != before; }));
}

TEST (TestEnvironment, UserDataFolderIsPrivateToTheTest)
{
    const char* dataHome = std::getenv ("XDG_DATA_HOME");
    ASSERT_NE (dataHome, nullptr);
    EXPECT_NE (juce::String (dataHome).indexOf ("glorvak-test-"), -1);
}
