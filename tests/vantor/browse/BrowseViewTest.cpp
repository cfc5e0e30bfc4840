#include "vantor/browse/BrowseView.h"

#include "common/AppSettingsSingleton.h"
#include "common/SettingsKey.h"
#include "vantor/browse/BankCollectionPage.h"
#include "vantor/browse/BrowseViewModel.h"
#include "vantor/browse/FactorySamplePage.h"
#include "vantor/browse/SamplePage.h"
#include "vantor/browse/SamplePreview.h"
#include "vantor/browse/UserSamplePage.h"
#include "vantor/ui/LookAndFeel.h"
#include "vantor/ui/Spotlight.h"

#include "support/MessagePump.h"
#include "support/MockVantorDataMediator.h"
#include "support/ScratchFolder.h"
#include "vantor/browse/FakeVolumes.h"

#include <gmock/gmock.h>

namespace
{
using namespace vantor::browse;
using glorvak::test::FakeVolumes;
using glorvak::test::ScratchFolder;
using DragDetails = juce::DragAndDropTarget::SourceDetails;

// The pane 900 x 600 without a window, its collection open or closed by the setting.
struct PaneFixture
{
    explicit PaneFixture (juce::var open)
    {
        juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeel);
        common::AppSettingsSingleton::getInstance()->setValue (common::SettingsKey::BankCollectionOpen, open);
        pane = std::make_unique<BrowseView> (viewModel, volumes.makeList(), scratch.get());
        pane->setBounds (0, 0, 900, 600);
    }

    ~PaneFixture()
    {
        pane.reset();
        juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
    }

    bool storedOpen() const
    {
        return (bool)common::AppSettingsSingleton::getInstance()->getValue (
            common::SettingsKey::BankCollectionOpen, false);
    }

    vantor::LookAndFeel lookAndFeel;
    ::testing::NiceMock<glorvak::test::MockVantorDataMediator> service;
    BrowseViewModel viewModel{&service};
    FakeVolumes volumes;
    ScratchFolder scratch;
    std::unique_ptr<BrowseView> pane;
};

TEST (BrowseView, TheSettingGivesTheStartingLayout)
{
    struct Case
    {
        juce::var setting;
        int tabX, samplePageX;
        bool collectionVisible;
        const char* tooltip;
    };
    const Case cases[] = {
        {juce::var(), 0, 44, false, "Show BANK COLLECTION"},
        {false, 0, 44, false, "Show BANK COLLECTION"},
        {true, 384, 428, true, "Hide BANK COLLECTION"},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.setting.toString());
        PaneFixture f (c.setting);
        auto& tab = f.pane->getOpenCloseButton();
        EXPECT_EQ (tab.getBounds(), juce::Rectangle<int> (c.tabX, 0, 24, 600));
        EXPECT_EQ (f.pane->getSamplePage().getX(), c.samplePageX);
        EXPECT_EQ (f.pane->getSamplePage().getRight(), 900);
        EXPECT_EQ (f.pane->getBankCollectionPage()->isVisible(), c.collectionVisible);
        EXPECT_EQ (tab.getToggleState(), c.collectionVisible);
        EXPECT_EQ (tab.getTooltip(), c.tooltip);

        // The line in the gap, one pixel right of the tab.
        juce::Image image (juce::Image::RGB, 900, 600, true);
        juce::Graphics g (image);
        f.pane->paintEntireComponent (g, false);
        EXPECT_EQ (image.getPixelAt (c.tabX + 25, 300), juce::Colour (0xff333333));
    }
}

TEST (BrowseView, TheSlideMovesTheCollectionAndTheTabByTheEasedValue)
{
    PaneFixture f (false);
    f.pane->openCollection(); // no window: ends at once
    struct Case
    {
        bool opening;
        float value;
        int collectionX;
    };
    const Case cases[] = {
        {true, 0.0f, -384},  {true, 0.5f, -192},  {true, 1.0f, 0}, {false, 0.0f, 0},
        {false, 0.5f, -192}, {false, 1.0f, -384}, {true, 1.5f, 0}, {true, 0.25f, -288},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.opening ? "opening " : "closing ") + juce::String (c.value));
        if (c.opening)
            f.pane->openCollection();
        else
            f.pane->closeCollection();

        f.pane->applyProgress (c.value);
        EXPECT_EQ (f.pane->getBankCollectionPage()->getBounds(),
                   juce::Rectangle<int> (c.collectionX, 0, 384, 600));
        EXPECT_EQ (f.pane->getOpenCloseButton().getX(), c.collectionX + 384);
        EXPECT_EQ (f.pane->getSamplePage().getX(), c.collectionX + 384 + 24 + 20);
    }

    // The easing of the slide: ease-in-out, half way at half the time.
    auto easing = vantor::ui::ValueAnimator::cubicBezier (0.65, 0.0, 0.35, 1.0);
    EXPECT_NEAR (easing (0.5), 0.5, 1e-6);
}

TEST (BrowseView, WithoutAWindowASlideEndsAtOnceAndTheSettingFollows)
{
    PaneFixture f (false);
    f.pane->openCollection();
    EXPECT_FALSE (f.pane->isSliding());
    EXPECT_TRUE (f.pane->getBankCollectionPage()->isVisible());
    EXPECT_EQ (f.pane->getOpenCloseButton().getX(), 384);
    EXPECT_TRUE (f.storedOpen());
    EXPECT_EQ (f.pane->getOpenCloseButton().getTooltip(), "Hide BANK COLLECTION");

    f.pane->closeCollection();
    EXPECT_FALSE (f.pane->getBankCollectionPage()->isVisible());
    EXPECT_FALSE (f.storedOpen());
}

TEST (BrowseView, ABankDragOverTheTabOnlyOpens)
{
    PaneFixture f (false);
    auto* tab = dynamic_cast<juce::DragAndDropTarget*> (&f.pane->getOpenCloseButton());
    ASSERT_NE (tab, nullptr);
    juce::Component source;

    struct Case
    {
        const char* description;
        bool interested;
    };
    for (const auto& c : {Case{"Bank_1,Kit", true}, Case{"Bank_", true}, Case{"BankCollection_1,Kit", false},
                          Case{"Slot_0,Kick", false}, Case{"FactorySample", false}})
    {
        SCOPED_TRACE (c.description);
        EXPECT_EQ (tab->isInterestedInDragSource (DragDetails (c.description, &source, {5, 5})),
                   c.interested);
    }

    const DragDetails bank ("Bank_1,Kit", &source, {5, 5});
    tab->itemDragEnter (bank);
    EXPECT_TRUE (f.pane->isCollectionOpen());
    tab->itemDragExit (bank);
    tab->itemDragEnter (bank); // again, as while a slide still runs: stays open
    EXPECT_TRUE (f.pane->isCollectionOpen());
    tab->itemDropped (bank);
    EXPECT_TRUE (f.pane->isCollectionOpen());
}

TEST (BrowseView, ThePaneRegistersItsCollectionPageAndLeavesWithIt)
{
    ::testing::NiceMock<glorvak::test::MockVantorDataMediator> service;
    BrowseViewModel viewModel (&service);
    vantor::LookAndFeel lookAndFeel;
    juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeel);
    {
        FakeVolumes volumes;
        ScratchFolder scratch;
        BrowseView pane (viewModel, volumes.makeList(), scratch.get());
        viewModel.updateBankCollectionItem (nullptr, 0); // nothing to remove: no call
        EXPECT_EQ (pane.getBankCollectionPage()->getCount(), 0);
        EXPECT_EQ (pane.getBankCollectionPage()->getCapacityLabel().getText(), "0/100");
        viewModel.selectBankCollectionItem (0);
    }
    // The page is gone: a notification now must reach nobody (AddressSanitizer would see it).
    viewModel.selectBankCollectionItem (0);
    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
}
// A drag from either sample page shows the help overlay pointing at the SLOT view, the drop
// target, until the drag ends; without the overlay (a pane shown without the main view) a drag
// creates none.
TEST (BrowseView, DraggingASampleFromEitherPagePointsTheHelpAtTheSlotView)
{
    PaneFixture f (false);
    auto& samples = f.pane->getSamplePage();
    const DragDetails drag ("UserSample_Test", &samples, {10, 10});

    ASSERT_EQ (vantor::ui::Spotlight::getInstanceWithoutCreating(), nullptr);
    samples.getUserPage().dragOperationStarted (drag);
    samples.getUserPage().dragOperationEnded (drag);
    EXPECT_EQ (vantor::ui::Spotlight::getInstanceWithoutCreating(), nullptr) << "a page never creates it";

    // The main view's arrangement: the overlay covers it, the SLOT view registered by name.
    juce::Component mainView, slotView, other;
    mainView.setBounds (0, 0, 1200, 800);
    for (auto* c : {&slotView, &other})
        mainView.addAndMakeVisible (c);
    slotView.setBounds (20, 400, 500, 300);
    auto* spotlight = vantor::ui::Spotlight::getInstance();
    ASSERT_NE (spotlight, nullptr);
    mainView.addChildComponent (spotlight);
    spotlight->addTarget (SamplePreview::slotViewTarget, &slotView, false, {}, 15);
    spotlight->addTarget ("other", &other, false, "Another walk", 15);

    struct Case
    {
        const char* page;
        std::function<void (bool started)> drag;
    };
    auto& user = samples.getUserPage();
    auto& factory = samples.getFactoryPage();
    const Case cases[] = {
        {"user",
         [&] (bool started) { started ? user.dragOperationStarted (drag) : user.dragOperationEnded (drag); }},
        {"factory", [&] (bool started)
         { started ? factory.dragOperationStarted (drag) : factory.dragOperationEnded (drag); }},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.page);
        spotlight->start ({"other"}, nullptr); // a walk of another kind is replaced
        c.drag (true);
        EXPECT_TRUE (spotlight->isVisible());
        EXPECT_EQ (spotlight->getSteps(), juce::StringArray ("slotView"));
        EXPECT_EQ (spotlight->getCurrentStep(), 0);
        EXPECT_EQ (spotlight->getTargetArea(), slotView.getBounds());

        c.drag (false);
        EXPECT_FALSE (spotlight->isVisible());
    }

    mainView.removeChildComponent (spotlight);
    vantor::ui::Spotlight::deleteInstance();
}
} // namespace
