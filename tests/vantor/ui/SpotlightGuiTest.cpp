#include "vantor/ui/Spotlight.h"

#include "vantor/ui/LookAndFeel.h"

#include "support/MessagePump.h"
#include "support/Screenshot.h"
#include "support/XdoTool.h"

#include <gmock/gmock.h>

using glorvak::test::pumpMessagesUntil;
using glorvak::test::screenshot;
using vantor::ui::Spotlight;

namespace
{
// A real click at a point of the component, its window raised first.
void clickAt (juce::Component& component, juce::Point<int> local)
{
    ASSERT_TRUE (glorvak::test::clickWithXdotool (component, local));
}

struct Target : public juce::Component
{
    explicit Target (juce::Colour c)
        : colour (c)
    {
    }

    void paint (juce::Graphics& g) override { g.fillAll (colour); }
    void mouseUp (const juce::MouseEvent&) override { ++clicks; }

    juce::Colour colour;
    int clicks = 0;
};

// The main view: a window with a few targets; the spotlight covers it.
class MainView : public juce::Component
{
public:
    MainView()
    {
        setOpaque (true);
        addAndMakeVisible (slotView);
        addAndMakeVisible (beat);
        addAndMakeVisible (bpm);
        slotView.setBounds (20, 20, 300, 200);
        beat.setBounds (400, 60, 120, 40);
        bpm.setBounds (400, 300, 120, 40);
        setBounds (100, 600, 640, 420); // away from the centre, where dialogs of other tests appear
        // Undecorated, so that the window manager leaves it where it was put (the clicks aim there).
        addToDesktop (juce::ComponentPeer::windowIsTemporary);
        setVisible (true);
        addChildComponent (*Spotlight::getInstance());
    }

    ~MainView() override
    {
        if (auto* spotlight = Spotlight::getInstanceWithoutCreating())
            removeChildComponent (spotlight);

        Spotlight::deleteInstance();
        removeFromDesktop();
    }

    void paint (juce::Graphics& g) override { g.fillAll (juce::Colour (0xff424242)); }

    Target slotView{juce::Colour (0xff2060a0)}, beat{juce::Colour (0xff20a060)},
        bpm{juce::Colour (0xffa0a020)};
};

class SpotlightGui : public ::testing::Test
{
protected:
    void SetUp() override
    {
        juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeel);
        view = std::make_unique<MainView>();
        spotlight = Spotlight::getInstance();
        ASSERT_TRUE (pumpMessagesUntil ([this] { return view->isShowing(); }));
    }

    void TearDown() override
    {
        view.reset();
        juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
    }

    vantor::LookAndFeel lookAndFeel;
    std::unique_ptr<MainView> view;
    Spotlight* spotlight = nullptr;
};

TEST_F (SpotlightGui, OneInstanceCoveringItsParent)
{
    EXPECT_EQ (Spotlight::getInstance(), spotlight);
    EXPECT_EQ (spotlight->getBounds(), view->getLocalBounds());
    view->setSize (700, 500);
    EXPECT_EQ (spotlight->getBounds(), juce::Rectangle<int> (0, 0, 700, 500));
    EXPECT_FALSE (spotlight->isVisible());
}

struct StartCase
{
    const char* name;
    juce::StringArray names;
    juce::StringArray steps;
};

// Only registered names walk, in the caller's order; the first registration of a name wins.
TEST_F (SpotlightGui, StepsAreTheRegisteredNamesInTheCallersOrder)
{
    spotlight->addTarget ("slotView", &view->slotView, false, "Drop samples here.", 15);
    spotlight->addTarget ("beat", &view->beat, true, "Choose the beats.", 15);
    spotlight->addTarget ("bpm", &view->bpm, true, "", 15);
    spotlight->addTarget ("beat", &view->bpm, false, "Other", 1); // ignored

    const StartCase cases[] = {
        {"all", {"slotView", "beat", "bpm"}, {"slotView", "beat", "bpm"}},
        {"callers order", {"bpm", "slotView"}, {"bpm", "slotView"}},
        {"unknown skipped", {"x", "beat", "y"}, {"beat"}},
        {"case matters", {"SlotView", "Beat"}, {}},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        int finished = 0;
        spotlight->start (c.names, [&] { ++finished; });
        EXPECT_EQ (spotlight->getSteps(), c.steps);
        EXPECT_EQ (spotlight->getCurrentStep(), c.steps.isEmpty() ? -1 : 0);
        EXPECT_EQ (spotlight->isVisible(), !c.steps.isEmpty());
        EXPECT_EQ (finished, 0);
    }

    spotlight->start ({"beat"}, {});
    EXPECT_EQ (spotlight->getTargetArea(), view->beat.getBounds()); // the first "beat" stays
}

struct HitCase
{
    const char* name;
    bool catches;
    juce::Point<int> point;
    bool hits;
};

// Outside the target the spotlight takes the click; on it, only when the entry says so.
TEST_F (SpotlightGui, HitTestingFollowsTheTargetAndItsEntry)
{
    spotlight->addTarget ("catching", &view->beat, true, "a", 15);
    spotlight->addTarget ("passing", &view->bpm, false, "b", 15);

    const HitCase cases[] = {
        {"outside, catching", true, {10, 10}, true}, {"inside, catching", true, {410, 70}, true},
        {"outside, passing", false, {10, 10}, true}, {"inside, passing", false, {410, 310}, false},
        {"edge, passing", false, {400, 300}, false}, {"just outside, passing", false, {399, 300}, true},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        spotlight->start ({c.catches ? "catching" : "passing"}, {});
        EXPECT_EQ (spotlight->hitTest (c.point.x, c.point.y), c.hits);
    }
}

// Real clicks: outside the target and on a catching target advance; a passing target gets the
// click itself; past the last step the walk ends and calls back once.
TEST_F (SpotlightGui, ClicksWalkTheStepsAndEndOnce)
{
    spotlight->addTarget ("slotView", &view->slotView, false,
                          "Drag a sample from the browser onto a SLOT to assign it.", 15);
    spotlight->addTarget ("beat", &view->beat, true, juce::String::fromUTF8 (u8"拍数を選んでください。"), 8);

    int finished = 0;
    spotlight->start ({"slotView", "beat"}, [&] { ++finished; });
    ASSERT_TRUE (
        pumpMessagesUntil ([&] { return spotlight->isShowing() && spotlight->getBubble().isShowing(); }));
    EXPECT_LE (spotlight->getBubble().getWidth(), Spotlight::bubbleWidth + 40);
    screenshot ("spotlight-step-1");

    clickAt (view->slotView, {100, 100}); // the target, which does not catch clicks
    ASSERT_TRUE (pumpMessagesUntil ([&] { return view->slotView.clicks == 1; }));
    EXPECT_EQ (spotlight->getCurrentStep(), 0);

    clickAt (*view, {600, 400}); // outside
    ASSERT_TRUE (pumpMessagesUntil ([&] { return spotlight->getCurrentStep() == 1; }));
    ASSERT_TRUE (pumpMessagesUntil ([&] { return spotlight->getBubble().isShowing(); }));
    screenshot ("spotlight-step-2");

    clickAt (view->beat, {60, 20}); // a catching target
    ASSERT_TRUE (pumpMessagesUntil ([&] { return finished == 1; }));
    EXPECT_EQ (view->beat.clicks, 0);
    EXPECT_FALSE (spotlight->isVisible());
    EXPECT_EQ (spotlight->getCurrentStep(), -1);

    clickAt (*view, {600, 400});
    bool drained = false;
    juce::MessageManager::callAsync ([&] { drained = true; });
    ASSERT_TRUE (pumpMessagesUntil ([&] { return drained; }));
    EXPECT_EQ (finished, 1);
}

// The dimming leaves the target clear; a target that is gone dims everything and has no bubble;
// an empty text dims without a bubble.
TEST_F (SpotlightGui, DimsAllButTheTarget)
{
    auto gone = std::make_unique<Target> (juce::Colours::red);
    view->addAndMakeVisible (*gone);
    gone->setBounds (50, 300, 60, 60);
    spotlight->addTarget ("beat", &view->beat, true, "", 15);
    spotlight->addTarget ("gone", gone.get(), true, "hint", 15);

    const auto render = [&]
    {
        juce::Image image (juce::Image::ARGB, spotlight->getWidth(), spotlight->getHeight(), true);
        juce::Graphics g (image);
        spotlight->paint (g);
        return image;
    };

    spotlight->start ({"beat"}, {});
    EXPECT_FALSE (spotlight->getBubble().isVisible());
    auto image = render();
    EXPECT_EQ (image.getPixelAt (450, 80).getAlpha(), 0);
    EXPECT_EQ (image.getPixelAt (10, 10).getARGB(), Spotlight::dimColour);

    gone.reset();
    spotlight->start ({"gone"}, {});
    EXPECT_TRUE (spotlight->getTargetArea().isEmpty());
    EXPECT_FALSE (spotlight->getBubble().isVisible());
    image = render();

    for (auto p : {juce::Point<int> (10, 10), {450, 80}, {60, 310}, {639, 419}})
        EXPECT_EQ (image.getPixelAt (p.x, p.y).getARGB(), Spotlight::dimColour);

    EXPECT_TRUE (spotlight->hitTest (60, 310));
}

// Hidden from outside (a sample page after a drag), the walk is over: a resize does not show it
// again, and a new walk starts clean.
TEST_F (SpotlightGui, HiddenWalkStaysHiddenThroughResizes)
{
    spotlight->addTarget ("slotView", &view->slotView, false, "hint", 15);
    int finished = 0;
    spotlight->start ({"slotView"}, [&] { ++finished; });
    ASSERT_TRUE (spotlight->isVisible());

    spotlight->setVisible (false);
    EXPECT_EQ (spotlight->getCurrentStep(), -1);
    view->setSize (700, 480);
    EXPECT_FALSE (spotlight->isVisible());
    EXPECT_EQ (finished, 0);

    // A resize during a walk shows the same step again, pointing at the target.
    spotlight->start ({"slotView"}, [&] { ++finished; });
    view->setSize (640, 420);
    EXPECT_TRUE (spotlight->isVisible());
    EXPECT_EQ (spotlight->getCurrentStep(), 0);
}

// A stale walk never ends with the new walk's callback, even when nothing of the new one is
// registered; a callback may start the next walk.
TEST_F (SpotlightGui, NewStartDropsTheOldWalkAndCallbacksMayStartAnother)
{
    spotlight->addTarget ("slotView", &view->slotView, false, "one", 15);
    spotlight->addTarget ("beat", &view->beat, true, "two", 15);

    int oldFinished = 0, newFinished = 0, chainedFinished = 0;
    spotlight->start ({"slotView"}, [&] { ++oldFinished; });
    spotlight->start ({"nothing"}, [&] { ++newFinished; });
    EXPECT_FALSE (spotlight->isVisible());
    spotlight->showStep (spotlight->getCurrentStep() + 1);
    EXPECT_EQ (oldFinished + newFinished, 0);

    spotlight->start ({"slotView"},
                      [&]
                      {
                          ++oldFinished;
                          spotlight->start ({"beat"}, [&] { ++chainedFinished; });
                      });
    spotlight->showStep (1);
    EXPECT_EQ (oldFinished, 1);
    EXPECT_TRUE (spotlight->isVisible());
    EXPECT_EQ (spotlight->getSteps(), juce::StringArray ("beat"));
    spotlight->showStep (1);
    EXPECT_EQ (chainedFinished, 1);
    EXPECT_EQ (oldFinished, 1);
}
} // namespace
