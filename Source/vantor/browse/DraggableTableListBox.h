#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

namespace vantor::browse
{
/** The bank-collection table: a table that takes drops of its own rows (moved to the row
    boundary nearest to the pointer, shown by an insertion line the page draws) and of BANK rows
    of the BANK table (its outline lights up while one hovers), and reports what the page must
    decide through four callbacks. It never scrolls while dragging.
    Threads: message thread. */
class DraggableTableListBox : public juce::TableListBox,
                              public juce::DragAndDropTarget,
                              private juce::AsyncUpdater
{
public:
    DraggableTableListBox();
    ~DraggableTableListBox() override;

    /** Where a dragged own row would be inserted, 0..number of rows; -1 when none. */
    int getInsertionRow() const noexcept { return insertionRow; }
    bool isHoveringOwnRow() const noexcept { return isHovering; }

    std::function<void (const int& from, const int& to)> onRowMoved;
    std::function<void (const int& bankIndex, const juce::String& name)> onBankDropped;
    std::function<void (const int& row, const juce::KeyPress& key)> onKeyPressed;
    std::function<void (const int& row)> onRowMenuRequested;

    void mouseDown (const juce::MouseEvent&) override {}
    void mouseUp (const juce::MouseEvent& e) override;
    bool keyPressed (const juce::KeyPress& key) override;
    void focusGained (juce::Component::FocusChangeType cause) override;
    void focusLost (juce::Component::FocusChangeType cause) override;

    bool isInterestedInDragSource (const SourceDetails& details) override;
    void itemDragEnter (const SourceDetails& details) override;
    void itemDragMove (const SourceDetails& details) override;
    void itemDragExit (const SourceDetails& details) override;
    void itemDropped (const SourceDetails& details) override;

    /** The outline colour after a drag ended. */
    static constexpr juce::uint32 idleOutlineColour = 0xff333333;

private:
    void handleAsyncUpdate() override;
    bool isOwn (const SourceDetails& details) const;
    void backToIdle();

    int insertionRow = -1;
    bool isHovering = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DraggableTableListBox)
};
} // namespace vantor::browse
