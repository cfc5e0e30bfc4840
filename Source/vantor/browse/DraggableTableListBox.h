#pragma once

#include "vantor/browse/RowDragTableListBox.h"

namespace vantor::browse
{
/** The bank-collection table: takes drops of its own rows (moved to the row boundary nearest to
    the pointer, shown by an insertion line the page draws) and of BANK rows of the BANK table
    (its outline lights up while one hovers). It never scrolls while dragging.
    Threads: message thread. */
class DraggableTableListBox : public RowDragTableListBox
{
public:
    DraggableTableListBox();

    bool isHoveringOwnRow() const noexcept { return isHovering; }

    std::function<void (const int& bankIndex, const juce::String& name)> onBankDropped;

    /** The outline colour after a drag ended. */
    static constexpr juce::uint32 idleOutlineColour = 0xff333333;

private:
    bool follow (const SourceDetails& details, bool entering) override;
    int menuRowFor (const juce::MouseEvent& e) override;
    int ownDropTarget() const override { return insertionRow; }
    void foreignRowDropped (const RowDragDescription& dropped) override;
    void backToIdle() override;
    void handleAsyncUpdate() override;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DraggableTableListBox)
};
} // namespace vantor::browse
