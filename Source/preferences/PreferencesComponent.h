#pragma once

#include "common/LocaleObserver.h"
#include "preferences/PreferencesSectionFactory.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace preferences
{
/** The preferences overlay: dims the whole of its parent and shows a 500 x 469 panel with the
    title, a close button and the sections in a scrolling list. It follows its parent's bounds by
    itself. Only the close button hides it; clicks on the dimmed area and keys do nothing, and its
    controls never take the keyboard focus.
    Threads: message thread only. */
class PreferencesComponent : public juce::Component,
                             private juce::ComponentListener,
                             private juce::Button::Listener,
                             public common::LocaleObserver
{
public:
    /** The scrolled list of sections. */
    class Content : public juce::Component
    {
    public:
        Content() = default;
        ~Content() override;

        /** Takes ownership of the sections, sizes itself and translates them; empties the array. */
        void addSections (juce::Array<juce::Component*>& newSections);
        void translateTexts();
        void resized() override;

        static constexpr int sectionMargin = 20;

    private:
        juce::OwnedArray<juce::Component> sections;

        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Content)
    };

    PreferencesComponent();
    ~PreferencesComponent() override;

    void addSections (PreferencesSectionFactory& factory);

    void paint (juce::Graphics& g) override;
    void resized() override;
    void parentHierarchyChanged() override;
    void localeChanged() override;

    juce::Button& getCloseButton() noexcept { return *closeButton; }
    juce::Viewport& getViewport() noexcept { return *viewport; }
    Content& getContent() noexcept { return *content; }

    /** The panel inside the overlay's bounds: centred, overhanging when the overlay is smaller. */
    juce::Rectangle<int> getPanelBounds() const;

    static constexpr int panelWidth = 500;
    static constexpr int panelHeight = 469;
    static constexpr int headerHeight = 60;

private:
    void componentMovedOrResized (juce::Component& component, bool wasMoved, bool wasResized) override;
    void buttonClicked (juce::Button* button) override;

    std::unique_ptr<juce::DrawableButton> closeButton;
    std::unique_ptr<juce::Viewport> viewport;
    std::unique_ptr<Content> content;
    juce::Component::SafePointer<juce::Component> parentRef;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PreferencesComponent)
};
} // namespace preferences
