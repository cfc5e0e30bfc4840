#include "vantor/bank/DraggableTableListBox.h"

#include "vantor/browse/RowDropGeometry.h"

namespace vantor::bank
{
DraggableTableListBox::DraggableTableListBox()
    : browse::RowDragTableListBox ("Bank_", "BankCollection_")
{
}

bool DraggableTableListBox::follow (const SourceDetails& details, bool)
{
    // Own rows and stored BANKs alike: the row under the pointer gets the drop outline, and a
    // drag held near an edge scrolls.
    const auto geometry = browse::RowDropGeometry::of (*this, details.localPosition);
    isHovering |= geometry.isInInnerBand();
    dropRow = geometry.rowUnderPointer();
    insertionRow = geometry.nearestBoundary();
    return isHovering;
}

int DraggableTableListBox::menuRowFor (const juce::MouseEvent&)
{
    return getSelectedRow (0); // the press has selected the row already
}

void DraggableTableListBox::foreignRowDropped (const browse::RowDragDescription& dropped)
{
    if (onBankDropped)
        onBankDropped (dropped.row, dropped.name, dropRow);
}

void DraggableTableListBox::backToIdle()
{
    dropRow = -1;
    browse::RowDragTableListBox::backToIdle();
}

void DraggableTableListBox::handleAsyncUpdate()
{
    if (insertionRow >= 0)
    {
        scrollToEnsureRowIsOnscreen (insertionRow - 1);
        scrollToEnsureRowIsOnscreen (insertionRow);
        repaint();
    }
}
} // namespace vantor::bank
