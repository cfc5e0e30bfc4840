#pragma once

#include "vantor/ui/BubbleMessageComponent.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>
#include <deque>
#include <memory>
#include <vector>

namespace vantor::ui
{
/** Shows user messages one at a time in a bubble that fills the host: an error (kind 0) red with
    the warning sign, a notice (kind 1) in the tooltip colours. Messages wait in a first-in,
    first-out queue; a text with CR LF line breaks is shown line by line.

    Threads: post may be called from any thread (the worker of the file operations reports
    through it); everything else runs on the message thread. lock guards queue and nothing else;
    it is never held while the bubble is touched. displaying is true from the showing of an entry
    until its bubble's hiding has been handled, and is read by post on any thread. */
class MessageManager : private juce::ChangeListener
{
public:
    /** One queued message. */
    struct Entry
    {
        juce::String text;
        bool split = false; // one line of a text that was split at its line breaks
        int kind = 0;
    };

    static constexpr int errorKind = 0;
    static constexpr int noticeKind = 1;

    /** The host outlives the manager; the bubble becomes its (hidden) child. */
    explicit MessageManager (juce::Component* host);
    ~MessageManager() override;

    /** Queues the text, dropping it when it equals the last queued entry in text and kind, and
        shows it on the message thread when no bubble is up. */
    void post (const juce::String& text, int kind);

    /** Shows the front entry, which stays queued until its bubble has hidden. */
    void showNext();

    /** A copy of the queue, the entry on display first. */
    std::vector<Entry> getQueuedEntries() const;
    const BubbleMessageComponent& getBubble() const noexcept { return *bubble; }

private:
    // Pending hand-overs to the message thread hold this, not the manager: the destructor cuts
    // the link, so a late one finds nobody to call.
    struct Anchor
    {
        MessageManager* owner; // read and cleared on the message thread only
    };

    void changeListenerCallback (juce::ChangeBroadcaster* source) override;

    std::deque<Entry> queue;
    std::unique_ptr<BubbleMessageComponent> bubble;
    juce::Component* host;
    juce::CriticalSection lock;
    juce::Colour textColour{0xff000000};
    std::shared_ptr<Anchor> anchor;
    // Not the bubble's own visibility: between its hiding and the change message that removes
    // the entry, a new post must wait too, or the hidden entry would be shown a second time.
    std::atomic<bool> displaying{false};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MessageManager)
};
} // namespace vantor::ui
