#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

namespace vantor::bank
{
/** The BANK table: a table that takes drops of its own rows (swapped with the row under the
    pointer, which shows a drop outline) and of stored BANKs from the bank collection, and
    scrolls a row at a time while a drag is held near its top or bottom edge. What the view must
    decide goes out through four callbacks. No file drops.
    Threads: message thread. */
class DraggableTableListBox : public juce::TableListBox,
                              public juce::DragAndDropTarget,
                              private juce::AsyncUpdater
{
public:
    DraggableTableListBox();
    ~DraggableTableListBox() override;

    /** The row a drop would act on; -1 when none. */
    int getDropRow() const noexcept { return dropRow; }
    int getInsertionRow() const noexcept { return insertionRow; }

    std::function<void (int from, int to)> onRowMoved;
    std::function<void (int collectionIndex, juce::String name, int row)> onBankDropped;
    std::function<void (int row, const juce::KeyPress& key)> onKeyPressed;
    std::function<void (int row)> onRowMenuRequested;

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

private:
    void handleAsyncUpdate() override;
    void follow (const SourceDetails& details);
    void backToIdle();

    int dropRow = -1;
    int insertionRow = -1;
    bool isHovering = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DraggableTableListBox)
};
} // namespace vantor::bank
