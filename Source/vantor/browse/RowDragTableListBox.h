#pragma once

#include "vantor/browse/RowDragDescription.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

namespace vantor::browse
{
/** What the BANK table and the bank-collection table share: a table whose rows are dragged out
    with a description starting with ownPrefix and that takes drops of its own rows and of rows
    whose description starts with foreignPrefix (the other table's). A press on the list itself
    neither selects nor deselects; a right click that moved at most 5 pixels asks for the row
    menu; keys go to onKeyPressed with the selected row before the list's own handling; the
    selected row is made again when the focus comes or goes.

    What a drag shows and where a drop goes differ per table: the derived table follows the
    pointer (follow), says where an own row lands (ownDropTarget), takes a foreign row
    (foreignRowDropped) and does the asynchronous step of a drag (handleAsyncUpdate).
    Threads: message thread. */
class RowDragTableListBox : public juce::TableListBox,
                            public juce::DragAndDropTarget,
                            protected juce::AsyncUpdater
{
public:
    RowDragTableListBox (juce::String ownPrefix, juce::String foreignPrefix);
    ~RowDragTableListBox() override;

    /** Where a dragged own row would be inserted, 0..number of rows; -1 when none. */
    int getInsertionRow() const noexcept { return insertionRow; }

    std::function<void (int from, int to)> onRowMoved;
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

protected:
    bool isOwn (const SourceDetails& details) const;

    /** Follows the pointer of a drag over the table; returns whether the asynchronous step of
        the drag is due (moves only: entering is false on the first call of a drag). */
    virtual bool follow (const SourceDetails& details, bool entering) = 0;
    /** The row of the menu of a right click. */
    virtual int menuRowFor (const juce::MouseEvent& e) = 0;
    /** Where a dropped own row goes. */
    virtual int ownDropTarget() const = 0;
    virtual void foreignRowDropped (const RowDragDescription& dropped) = 0;
    /** The end of a drag (exit or drop): no insertion, no hovering, repainted. */
    virtual void backToIdle();

    int insertionRow = -1;
    bool isHovering = false;

private:
    const juce::String ownPrefix, foreignPrefix;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (RowDragTableListBox)
};
} // namespace vantor::browse
