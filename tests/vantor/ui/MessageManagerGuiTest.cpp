#include "vantor/ui/MessageManager.h"

#include "support/MessagePump.h"
#include "support/Screenshot.h"

#include <gmock/gmock.h>

#include <atomic>
#include <thread>

using glorvak::test::pumpMessagesUntil;
using glorvak::test::screenshot;
using vantor::ui::MessageManager;

namespace
{
using Entries = std::vector<MessageManager::Entry>;

MATCHER_P3 (IsEntry, text, split, kind, "")
{
    return arg.text == juce::String (text) && arg.split == split && arg.kind == kind;
}

// The thin layer at the bottom of the main view that hosts the bubble: a window of its own here.
class Host : public juce::Component
{
public:
    explicit Host (int y)
    {
        setOpaque (true);
        setBounds (100, y, 720, 34);
        addToDesktop (juce::ComponentPeer::windowIsTemporary);
        setVisible (true);
    }

    ~Host() override { removeFromDesktop(); }

    void paint (juce::Graphics& g) override { g.fillAll (juce::Colour (0xff424242)); }
};

// Records each appearance of the bubble: the text in front of the queue and the thread.
class BubbleWatch : public juce::ComponentListener
{
public:
    BubbleWatch (const MessageManager& managerToWatch, juce::Component& bubbleToWatch)
        : manager (managerToWatch)
        , bubble (bubbleToWatch)
    {
        bubble.addComponentListener (this);
    }

    ~BubbleWatch() override { bubble.removeComponentListener (this); }

    void componentVisibilityChanged (juce::Component& component) override
    {
        if (!component.isVisible())
        {
            ++hides;
            return;
        }

        const auto entries = manager.getQueuedEntries();
        shown.add (entries.empty() ? juce::String ("<empty>") : entries.front().text);
        displayMs.add (manager.getBubble().getDisplayMs());
        onMessageThread = onMessageThread && juce::MessageManager::getInstance()->isThisTheMessageThread();
    }

    juce::StringArray shown;
    juce::Array<int> displayMs;
    int hides = 0;
    bool onMessageThread = true;

private:
    const MessageManager& manager;
    juce::Component& bubble;
};

juce::Component& bubbleOf (Host& host)
{
    return *host.getChildComponent (0);
}

class MessageBubbles : public ::testing::Test
{
protected:
    Host host{200};
    MessageManager manager{&host};
};

TEST_F (MessageBubbles, EqualConsecutiveMessagesAreDropped)
{
    manager.post ("A", MessageManager::errorKind); // shown at once, and still the last entry
    manager.post ("A", MessageManager::errorKind);
    manager.post ("B", MessageManager::errorKind);
    manager.post ("A", MessageManager::errorKind);
    manager.post ("A", MessageManager::noticeKind); // another kind is another message
    manager.post ("a", MessageManager::noticeKind); // case counts

    EXPECT_THAT (manager.getQueuedEntries(),
                 testing::ElementsAre (IsEntry ("A", false, 0), IsEntry ("B", false, 0),
                                       IsEntry ("A", false, 0), IsEntry ("A", false, 1),
                                       IsEntry ("a", false, 1)));
    EXPECT_TRUE (manager.getBubble().isVisible());
}

TEST_F (MessageBubbles, CrLfTextsAreQueuedLineByLine)
{
    struct Case
    {
        const char* text;
        Entries expected;
    };

    const Case cases[] = {
        {"Export failed.\r\nThe drive is full.",
         {{"Export failed.", true, 0}, {"The drive is full.", true, 0}}},
        {"one\nline feed only", {{"one\nline feed only", false, 0}}},
        {"one\rcarriage return only", {{"one\rcarriage return only", false, 0}}},
        {"first\r\n\r\nsecond\r\n", {{"first", true, 0}, {"second", true, 0}}},
        {"mixed\r\nbreaks\nhere", {{"mixed", true, 0}, {"breaks", true, 0}, {"here", true, 0}}},
        {"\r\n\r\n", {}},
        {"", {{"", false, 0}}},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.text).replace ("\r", "\\r").replace ("\n", "\\n"));
        Host otherHost (300);
        MessageManager fresh (&otherHost);
        fresh.post (c.text, MessageManager::errorKind);

        const auto entries = fresh.getQueuedEntries();
        ASSERT_EQ (entries.size(), c.expected.size());

        for (size_t i = 0; i < entries.size(); ++i)
            EXPECT_THAT (entries[i], IsEntry (c.expected[i].text.toRawUTF8(), c.expected[i].split, 0));

        if (!entries.empty())
            EXPECT_EQ (fresh.getBubble().getDisplayMs(), entries.front().split ? 2000 : 3000);
        else
            EXPECT_FALSE (fresh.getBubble().isVisible());
    }
}

// A worker's message appears on the message thread; one posted while a bubble is up waits for
// it to fade, and the lines of a split message follow one another, each for its own time.
TEST_F (MessageBubbles, WorkerMessagesShowOnTheMessageThreadInTurn)
{
    BubbleWatch watch (manager, bubbleOf (host));

    std::thread ([this] { manager.post ("The required file is missing.", MessageManager::errorKind); })
        .join();
    EXPECT_FALSE (manager.getBubble().isVisible()) << "shown only once the message loop runs";
    ASSERT_TRUE (pumpMessagesUntil ([&] { return watch.shown.size() == 1; }));
    EXPECT_EQ (watch.shown[0], "The required file is missing.");

    manager.post ("Line one\r\nLine two", MessageManager::noticeKind);
    std::thread ([this] { manager.post ("Failed to copy file.", MessageManager::errorKind); }).join();
    EXPECT_EQ (watch.shown.size(), 1) << "the first message is still on display";

    ASSERT_TRUE (pumpMessagesUntil ([&] { return watch.hides == 4; }, 20000));
    EXPECT_EQ (watch.shown, juce::StringArray ("The required file is missing.", "Line one", "Line two",
                                               "Failed to copy file."));
    EXPECT_EQ (watch.displayMs, juce::Array<int> ({3000, 2000, 2000, 3000}));
    EXPECT_TRUE (watch.onMessageThread);
    EXPECT_TRUE (manager.getQueuedEntries().empty());
}

// A message posted while the last bubble fades, before its entry has left the queue, follows it;
// the faded one is not shown again.
TEST_F (MessageBubbles, PostDuringTheFadeWaitsForTheQueueToMoveOn)
{
    auto& bubble = bubbleOf (host); // a fading bubble's stand-in may come before it among the children
    BubbleWatch watch (manager, bubble);
    struct PostOnHide : juce::ComponentListener
    {
        MessageManager& target;
        bool posted = false;
        explicit PostOnHide (MessageManager& m)
            : target (m)
        {
        }
        void componentVisibilityChanged (juce::Component& c) override
        {
            if (!c.isVisible() && !posted)
            {
                posted = true;
                // Delivered after the hiding, before the bubble's change message.
                juce::MessageManager::callAsync ([&t = target]
                                                 { t.post ("second", MessageManager::noticeKind); });
            }
        }
    } postOnHide (manager);
    bubble.addComponentListener (&postOnHide);

    manager.post ("first", MessageManager::errorKind);
    const bool drained = pumpMessagesUntil ([&] { return watch.hides == 2; }, 10000);
    bubble.removeComponentListener (&postOnHide);

    ASSERT_TRUE (drained);
    EXPECT_EQ (watch.shown, juce::StringArray ("first", "second"));
}

// Many threads at once: every distinct message is queued once, nothing is lost or doubled.
TEST_F (MessageBubbles, PostsFromManyThreadsAreAllQueued)
{
    manager.post ("on display", MessageManager::noticeKind);
    std::vector<std::thread> workers;

    for (int t = 0; t < 4; ++t)
        workers.emplace_back (
            [this, t]
            {
                for (int i = 0; i < 50; ++i)
                    manager.post ("worker " + juce::String (t) + " message " + juce::String (i),
                                  MessageManager::errorKind);
            });

    for (auto& w : workers)
        w.join();

    EXPECT_EQ (manager.getQueuedEntries().size(), 1u + 4u * 50u);
    pumpMessagesUntil ([] { return false; }, 200);
}

// A hand-over still on its way when the manager goes must not reach it.
TEST (MessageBubblesLifetime, PendingHandOverAfterDestructionIsHarmless)
{
    Host host (400);
    auto manager = std::make_unique<MessageManager> (&host);
    std::thread ([&] { manager->post ("late", MessageManager::errorKind); }).join();
    manager.reset();

    pumpMessagesUntil ([] { return false; }, 200);
    EXPECT_EQ (host.getNumChildComponents(), 0) << "the bubble left its host";
}

// An error is a red bubble with black text and the warning sign at the left; a notice uses the
// tooltip colours, white text and no sign.
TEST (MessageBubblesLook, ErrorAndNoticeBubbles)
{
    Host errorHost (500);
    Host noticeHost (560);
    MessageManager errors (&errorHost);
    MessageManager notices (&noticeHost);

    errors.post ("There is a BANK that exceeds 16 seconds. Please adjust to fit within the time limit and "
                 "try again.",
                 MessageManager::errorKind);
    notices.post ("Maximum character count exceeded. Text has been truncated.", MessageManager::noticeKind);
    screenshot ("message-bubbles");

    const auto errorImage = errorHost.createComponentSnapshot (errorHost.getLocalBounds(), true, 1.0f);
    const auto noticeImage = noticeHost.createComponentSnapshot (noticeHost.getLocalBounds(), true, 1.0f);
    const juce::Colour red (0xffff0000);

    // The 16 x 13 sign sits 6 px from the left, centred in the 34 px high bubble (top at 10.5).
    EXPECT_EQ (errorImage.getPixelAt (3, 3), red);
    EXPECT_EQ (errorImage.getPixelAt (9, 21), juce::Colours::white) << "the sign";
    EXPECT_EQ (errorImage.getPixelAt (11, 17), juce::Colours::white) << "the sign";
    EXPECT_LT (
        juce::jmin (errorImage.getPixelAt (13, 17).getGreen(), errorImage.getPixelAt (14, 17).getGreen()),
        190)
        << "the exclamation mark is cut out of the sign";

    const auto tooltip = noticeHost.findColour (juce::TooltipWindow::backgroundColourId);
    EXPECT_EQ (noticeImage.getPixelAt (3, 3), tooltip);
    EXPECT_EQ (noticeImage.getPixelAt (9, 21), tooltip) << "no sign on a notice";

    bool blackText = false;
    bool whiteText = false;

    for (int y = 0; y < errorImage.getHeight(); ++y)
        for (int x = 28; x < 300; ++x)
        {
            blackText = blackText || errorImage.getPixelAt (x, y).getBrightness() < 0.2f;
            whiteText = whiteText || noticeImage.getPixelAt (x, y).getBrightness() > 0.8f;
        }

    EXPECT_TRUE (blackText);
    EXPECT_TRUE (whiteText);
}
} // namespace
