#pragma once

#include "vantor/browse/RowDragTableListBox.h"

namespace vantor::bank
{
/** The BANK table: takes drops of its own rows (swapped with the row under the pointer, which
    shows a drop outline) and of stored BANKs from the bank collection, and scrolls a row at a
    time while a drag is held near its top or bottom edge. No file drops.
    Threads: message thread. */
class DraggableTableListBox : public browse::RowDragTableListBox
{
public:
    DraggableTableListBox();

    /** The row a drop would act on; -1 when none. */
    int getDropRow() const noexcept { return dropRow; }

    std::function<void (int collectionIndex, juce::String name, int row)> onBankDropped;

private:
    bool follow (const SourceDetails& details, bool entering) override;
    int menuRowFor (const juce::MouseEvent& e) override;
    int ownDropTarget() const override { return dropRow; }
    void foreignRowDropped (const browse::RowDragDescription& dropped) override;
    void backToIdle() override;
    void handleAsyncUpdate() override;

    int dropRow = -1;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DraggableTableListBox)
};
} // namespace vantor::bank
