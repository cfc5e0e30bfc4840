#include "vantor/ui/Spotlight.h"

#include <atomic>

namespace vantor::ui
{
namespace
{
std::atomic<Spotlight*> instance{nullptr};
std::atomic<bool> creating{false};

juce::CriticalSection& instanceLock()
{
    static juce::CriticalSection lock;
    return lock;
}
} // namespace

Spotlight* Spotlight::getInstance()
{
    if (auto* existing = instance.load())
        return existing;

    const juce::ScopedLock sl (instanceLock());

    if (auto* existing = instance.load())
        return existing;

    // A call from inside the constructor (on the same thread) gets null instead of a second one.
    if (creating.load())
        return nullptr;

    // JUCE deletes its shut-down objects newest first: the overlay must go while the desktop and
    // the modal manager still exist, so those are made first.
    juce::Desktop::getInstance();
    juce::ModalComponentManager::getInstance();

    creating = true;
    auto* created = new Spotlight();
    instance = created;
    creating = false;
    return created;
}

Spotlight* Spotlight::getInstanceWithoutCreating()
{
    return instance.load();
}

void Spotlight::deleteInstance()
{
    const juce::ScopedLock sl (instanceLock());
    delete instance.exchange (nullptr);
}

//==============================================================================
Spotlight::Spotlight()
{
    setVisible (false);
    // Clicks on the bubble advance the walk like clicks anywhere else outside the target.
    setInterceptsMouseClicks (true, false);
    addChildComponent (bubble);
}

Spotlight::~Spotlight()
{
    if (auto* old = parent.get())
        old->removeComponentListener (this);

    // The instance may be deleted by JUCE at shut-down rather than by deleteInstance.
    Spotlight* self = this;
    instance.compare_exchange_strong (self, nullptr);
}

void Spotlight::addTarget (const juce::String& name, juce::Component* target, bool catchesClicksOnTarget,
                           const juce::String& text, int allowedPlacement)
{
    JUCE_ASSERT_MESSAGE_THREAD
    targets.emplace (name, Target{target, catchesClicksOnTarget, text, allowedPlacement});
}

void Spotlight::start (const juce::StringArray& names, std::function<void()> onFinishedToUse)
{
    JUCE_ASSERT_MESSAGE_THREAD

    // Clean, whatever was shown before: a stale step must never end by calling this walk's callback.
    current = -1;
    steps.clear();
    bubble.setVisible (false);
    setVisible (false);

    for (const auto& name : names)
        if (targets.count (name) != 0)
            steps.add (name);

    onFinished = steps.isEmpty() ? nullptr : std::move (onFinishedToUse);

    if (!steps.isEmpty())
        showStep (0);
}

const Spotlight::Target* Spotlight::currentTarget() const
{
    if (current < 0 || current >= steps.size())
        return nullptr;

    const auto found = targets.find (steps[current]);
    return found != targets.end() ? &found->second : nullptr;
}

juce::Rectangle<int> Spotlight::getTargetArea() const
{
    const auto* target = currentTarget();

    if (target == nullptr || target->component == nullptr)
        return {};

    return getLocalArea (target->component.getComponent(), target->component->getLocalBounds());
}

void Spotlight::showStep (int index)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (index >= 0 && index < steps.size())
    {
        current = index;
        {
            const juce::ScopedValueSetter<bool> guard (showingStep, true);
            setVisible (true);
        }
        toFront (false);

        const auto* target = currentTarget();
        const auto text = target != nullptr ? TRANS (target->text) : juce::String();

        // A target that is gone leaves nothing to point at: the whole view is dimmed, no bubble.
        if (text.isEmpty() || getTargetArea().isEmpty())
        {
            bubble.setVisible (false);
        }
        else
        {
            juce::AttributedString hint;
            hint.append (text, juce::Font (15.0f, juce::Font::bold), juce::Colours::white);
            hint.setJustification (juce::Justification::centred);

            bubble.setColour (juce::BubbleComponent::backgroundColourId,
                              findColour (juce::TooltipWindow::backgroundColourId));
            bubble.setColour (juce::BubbleComponent::outlineColourId,
                              findColour (juce::TooltipWindow::outlineColourId));
            bubble.setAllowedPlacement (target->allowedPlacement);

            // No expiry and no removal on clicks: the walk decides when the bubble goes.
            bubble.showAt (getTargetArea(), hint, 0, false, false);
        }
    }
    else
    {
        current = -1;
        setVisible (false);

        // Moved out first: the callback may start the next walk.
        if (auto callback = std::exchange (onFinished, nullptr))
            callback();
    }

    repaint();
}

//==============================================================================
void Spotlight::paint (juce::Graphics& g)
{
    const auto area = getTargetArea();

    if (!area.isEmpty())
        g.excludeClipRegion (area);

    g.fillAll (juce::Colour (dimColour));
}

bool Spotlight::hitTest (int x, int y)
{
    const auto area = getTargetArea();

    if (area.isEmpty() || !area.contains (x, y))
        return true;

    const auto* target = currentTarget();
    return target != nullptr && target->catchesClicksOnTarget;
}

void Spotlight::mouseUp (const juce::MouseEvent&)
{
    if (current >= 0)
        showStep (current + 1);
}

void Spotlight::resized()
{
    if (current >= 0)
        showStep (current);
}

void Spotlight::visibilityChanged()
{
    // Hidden from outside (the sample pages do so after a drag): the walk is over, and the next
    // resize must not bring it back.
    if (!isVisible() && !showingStep)
    {
        current = -1;
        bubble.setVisible (false);
    }
}

void Spotlight::parentHierarchyChanged()
{
    auto* newParent = getParentComponent();

    if (newParent == parent.get())
        return;

    if (auto* old = parent.get())
        old->removeComponentListener (this);

    parent = newParent;

    if (newParent != nullptr)
    {
        newParent->addComponentListener (this);
        setBounds (newParent->getLocalBounds());
    }
}

void Spotlight::componentMovedOrResized (juce::Component& component, bool, bool)
{
    if (&component == parent.get())
        setBounds (component.getLocalBounds());
}
} // namespace vantor::ui
