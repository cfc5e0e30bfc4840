#pragma once

#include <juce_gui_extra/juce_gui_extra.h>

#include <functional>
#include <map>

namespace vantor::ui
{
/** The step-by-step help: dims the main view except one registered component (the target), shows
    a translated hint in a bubble next to it, and moves to the next target at each click. There is
    one process-wide instance; the composition root adds it on top of the main view, where it
    covers its parent and follows its size.

    Hiding the spotlight (setVisible (false), as the sample pages do after a drag) ends the walk:
    the next resize does not show it again. start always starts clean, also when none of its names
    is registered. The end-of-walk callback is moved out before it runs, so it may start a new walk.

    The composition root deletes the instance; should it not, JUCE deletes it at its shut-down.

    Threads: message thread only, apart from the singleton's creation lock. */
class Spotlight : public juce::Component, private juce::ComponentListener, private juce::DeletedAtShutdown
{
public:
    struct Target
    {
        juce::Component::SafePointer<juce::Component> component;
        bool catchesClicksOnTarget = false;
        juce::String text;         // untranslated; empty: no bubble
        int allowedPlacement = 15; // juce::BubbleComponent::BubblePlacement bits
    };

    /** Creates the instance on first use; null while it is being created. */
    static Spotlight* getInstance();

    /** The instance, never creating it. */
    static Spotlight* getInstanceWithoutCreating();

    static void deleteInstance();

    Spotlight();
    ~Spotlight() override;

    /** Registers a target; a name already registered keeps its first entry. */
    void addTarget (const juce::String& name, juce::Component* target, bool catchesClicksOnTarget,
                    const juce::String& text, int allowedPlacement);

    /** Walks the registered names in the given order, then calls onFinished. */
    void start (const juce::StringArray& names, std::function<void()> onFinished);

    void showStep (int index);

    /** The current target in this component's space; empty without a step or target. */
    juce::Rectangle<int> getTargetArea() const;

    int getCurrentStep() const noexcept { return current; }
    const juce::StringArray& getSteps() const noexcept { return steps; }
    const juce::BubbleMessageComponent& getBubble() const noexcept { return bubble; }

    void mouseUp (const juce::MouseEvent&) override;
    void resized() override;
    void paint (juce::Graphics&) override;
    bool hitTest (int x, int y) override;
    void parentHierarchyChanged() override;
    void visibilityChanged() override;

    static constexpr int bubbleWidth = 256;
    static constexpr juce::uint32 dimColour = 0x4c000000;

private:
    void componentMovedOrResized (juce::Component&, bool wasMoved, bool wasResized) override;
    const Target* currentTarget() const;

    juce::WeakReference<juce::Component> parent;
    juce::BubbleMessageComponent bubble;
    std::map<juce::String, Target> targets;
    juce::StringArray steps;
    std::function<void()> onFinished;
    int current = -1;
    bool showingStep = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Spotlight)
};
} // namespace vantor::ui
