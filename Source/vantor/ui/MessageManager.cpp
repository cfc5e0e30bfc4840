#include "vantor/ui/MessageManager.h"

namespace vantor::ui
{
namespace
{
constexpr int splitLineMs = 2000;
constexpr int wholeMessageMs = 3000;
constexpr float fontHeight = 15.0f;
constexpr int layoutMargin = 28;
} // namespace

MessageManager::MessageManager (juce::Component* hostToUse)
    : bubble (std::make_unique<BubbleMessageComponent>())
    , host (hostToUse)
    , anchor (std::make_shared<Anchor> (Anchor{this}))
{
    JUCE_ASSERT_MESSAGE_THREAD
    jassert (host != nullptr);

    host->addChildComponent (*bubble);
    bubble->addChangeListener (this);
}

MessageManager::~MessageManager()
{
    JUCE_ASSERT_MESSAGE_THREAD

    anchor->owner = nullptr;
    bubble->removeChangeListener (this);
    bubble.reset(); // leaves the host as it dies
}

void MessageManager::post (const juce::String& text, int kind)
{
    {
        const juce::ScopedLock sl (lock);

        if (!queue.empty() && queue.back().text == text && queue.back().kind == kind)
            return;

        if (text.contains ("\r\n"))
        {
            // Every CR and every LF breaks; the empty pieces between a CR and its LF drop out.
            for (const auto& line : juce::StringArray::fromTokens (text, "\r\n", ""))
                if (line.isNotEmpty())
                    queue.push_back ({line, true, kind});
        }
        else
        {
            queue.push_back ({text, false, kind});
        }
    }

    // While an entry is on display, its bubble's hiding brings the next one.
    if (displaying)
        return;

    if (juce::MessageManager::getInstance()->isThisTheMessageThread())
    {
        showNext();
    }
    else
    {
        juce::MessageManager::callAsync (
            [target = anchor]
            {
                if (target->owner != nullptr)
                    target->owner->showNext();
            });
    }
}

void MessageManager::showNext()
{
    JUCE_ASSERT_MESSAGE_THREAD

    Entry entry;

    {
        const juce::ScopedLock sl (lock);

        if (queue.empty())
            return;

        entry = queue.front();
    }

    displaying = true;

    if (entry.kind == errorKind)
    {
        textColour = juce::Colour (0xff000000);
        bubble->setColour (juce::TooltipWindow::backgroundColourId, juce::Colour (0xffff0000));
        bubble->setColour (juce::TooltipWindow::outlineColourId, juce::Colour (0xffff0000));
    }
    else if (entry.kind == noticeKind)
    {
        textColour = juce::Colour (0xffffffff);
        bubble->setColour (juce::TooltipWindow::backgroundColourId,
                           host->findColour (juce::TooltipWindow::backgroundColourId));
        bubble->setColour (juce::TooltipWindow::outlineColourId,
                           host->findColour (juce::TooltipWindow::outlineColourId));
    }

    juce::AttributedString attributed;
    attributed.append (entry.text, juce::Font (fontHeight, juce::Font::bold), textColour);
    attributed.setJustification (juce::Justification::centredLeft);

    bubble->setAlwaysOnTop (true);
    bubble->getTextLayout().createLayout (attributed, (float)(host->getWidth() - layoutMargin));
    bubble->setBounds (0, 0, host->getWidth(), host->getHeight());
    bubble->showFor (entry.split ? splitLineMs : wholeMessageMs);
}

std::vector<MessageManager::Entry> MessageManager::getQueuedEntries() const
{
    const juce::ScopedLock sl (lock);
    return {queue.begin(), queue.end()};
}

void MessageManager::changeListenerCallback (juce::ChangeBroadcaster* source)
{
    if (source != bubble.get())
        return;

    {
        const juce::ScopedLock sl (lock);

        if (!queue.empty())
            queue.pop_front();
    }

    displaying = false;

    showNext();
}
} // namespace vantor::ui
