#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace vantor::ui
{
/** Base of the custom cells of the program's tables (number, loop, time columns). A custom cell
    would swallow the mouse; this one forwards its clicks to the table so that row selection and
    the table's right-click menu keep working, and offers a painting hook and a tooltip.

    The cell listens to the mouse events of its parent (the row component): it re-registers on
    every re-parenting and leaves in its destructor, so a row component the table reuses for
    another row keeps exactly one listener, and the cell selects the row it currently shows.

    Threads: message thread only. */
class ColumnCustomComponent : public juce::Component
{
public:
    /** The visible child: paints through the owner's paintContent and carries the tooltip. */
    class Content : public juce::Component, public juce::SettableTooltipClient
    {
    public:
        explicit Content (ColumnCustomComponent& owner);

        void mouseDown (const juce::MouseEvent&) override;
        void mouseUp (const juce::MouseEvent&) override;
        void paint (juce::Graphics&) override;

    private:
        ColumnCustomComponent& owner;

        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Content)
    };

    /** The table is held weakly; clicks reach it only while it exists and is a TableListBox. */
    explicit ColumnCustomComponent (juce::Component* table);
    ~ColumnCustomComponent() override;

    // Called as a mouse listener of the parent row, so the events are in the parent's space.
    void mouseDown (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;
    void parentHierarchyChanged() override;

    /** Stores the row; subclasses override it to refresh their value and tooltip. */
    virtual void setRow (int newRow);

    /** Draws the cell into the content child; empty here. */
    virtual void paintContent (juce::Graphics& g, int width, int height);

    void setTooltip (const juce::String& text);

    int getRow() const noexcept { return row; }
    Content& getContent() noexcept { return content; }
    juce::Component* getTable() const noexcept { return table.get(); }

protected:
    juce::WeakReference<juce::Component> parent;
    juce::WeakReference<juce::Component> table;
    int row = -1;
    Content content;

private:
    void stopListeningToParent();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ColumnCustomComponent)
};
} // namespace vantor::ui
