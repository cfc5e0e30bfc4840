#include "vantor/browse/DraggableTableListBox.h"

#include "vantor/browse/RowDropGeometry.h"

namespace vantor::browse
{
DraggableTableListBox::DraggableTableListBox()
    : RowDragTableListBox ("BankCollection_", "Bank_")
{
    setOutlineThickness (1);
}

bool DraggableTableListBox::follow (const SourceDetails& details, bool entering)
{
    if (!isOwn (details))
    {
        // A BANK row hovers: the outline lights up; no insertion line.
        setColour (juce::ListBox::outlineColourId,
                   getLookAndFeel().findColour (juce::TreeView::selectedItemBackgroundColourId));
        return false;
    }

    // An own row: on entering the row under the pointer, then the nearest row boundary.
    const auto geometry = RowDropGeometry::of (*this, details.localPosition);
    isHovering |= geometry.isInInnerBand();
    insertionRow = entering ? geometry.rowUnderPointer() : geometry.nearestBoundary();
    return isHovering;
}

int DraggableTableListBox::menuRowFor (const juce::MouseEvent& e)
{
    const auto pressed = e.getEventRelativeTo (this).getMouseDownPosition();
    return getRowContainingPosition (pressed.x, pressed.y);
}

void DraggableTableListBox::foreignRowDropped (const RowDragDescription& dropped)
{
    if (onBankDropped)
        onBankDropped (dropped.row, dropped.name);
}

void DraggableTableListBox::backToIdle()
{
    setColour (juce::ListBox::outlineColourId, juce::Colour (idleOutlineColour));
    RowDragTableListBox::backToIdle();
}

void DraggableTableListBox::handleAsyncUpdate()
{
    if (insertionRow >= 0)
    {
        repaintRow (insertionRow - 1);
        repaintRow (insertionRow);
        repaint();
    }
}
} // namespace vantor::browse
