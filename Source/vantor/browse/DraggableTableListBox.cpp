#include "vantor/browse/DraggableTableListBox.h"

#include "vantor/browse/RowDragDescription.h"
#include "vantor/browse/RowDropGeometry.h"
#include "vantor/browse/TableRows.h"

namespace vantor::browse
{
DraggableTableListBox::DraggableTableListBox()
    : juce::TableListBox ({}, nullptr)
{
    setOutlineThickness (1);
}

DraggableTableListBox::~DraggableTableListBox()
{
    cancelPendingUpdate();
}

void DraggableTableListBox::mouseUp (const juce::MouseEvent& e)
{
    if (e.mods.isRightButtonDown())
    {
        if (juce::roundToInt (e.getDistanceFromDragStart()) <= 5 && onRowMenuRequested)
        {
            const auto pressed = e.getEventRelativeTo (this).getMouseDownPosition();
            onRowMenuRequested (getRowContainingPosition (pressed.x, pressed.y));
        }
        return;
    }

    juce::TableListBox::mouseUp (e);
}

bool DraggableTableListBox::keyPressed (const juce::KeyPress& key)
{
    if (onKeyPressed)
        onKeyPressed (TableRows::lastSelectedRowOrNone (*this), key);

    return juce::TableListBox::keyPressed (key);
}

void DraggableTableListBox::focusGained (juce::Component::FocusChangeType cause)
{
    TableRows::refreshSelectedRowForFocus (*this, cause);
}

void DraggableTableListBox::focusLost (juce::Component::FocusChangeType cause)
{
    TableRows::refreshSelectedRowForFocus (*this, cause);
}

bool DraggableTableListBox::isOwn (const SourceDetails& details) const
{
    return details.sourceComponent.get() == this;
}

bool DraggableTableListBox::isInterestedInDragSource (const SourceDetails& details)
{
    return isOwn (details) || RowDragDescription::startsWith (details.description, "Bank_");
}

void DraggableTableListBox::itemDragEnter (const SourceDetails& details)
{
    if (isOwn (details))
    {
        const auto geometry = RowDropGeometry::of (*this, details.localPosition);
        isHovering |= geometry.isInInnerBand();
        insertionRow = geometry.rowUnderPointer();
    }
    else
    {
        setColour (juce::ListBox::outlineColourId,
                   getLookAndFeel().findColour (juce::TreeView::selectedItemBackgroundColourId));
    }

    repaint();
}

void DraggableTableListBox::itemDragMove (const SourceDetails& details)
{
    if (isOwn (details))
    {
        const auto geometry = RowDropGeometry::of (*this, details.localPosition);
        isHovering |= geometry.isInInnerBand();
        insertionRow = geometry.nearestBoundary();

        if (isHovering)
            triggerAsyncUpdate();
    }
    else
    {
        setColour (juce::ListBox::outlineColourId,
                   getLookAndFeel().findColour (juce::TreeView::selectedItemBackgroundColourId));
    }

    repaint();
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

void DraggableTableListBox::backToIdle()
{
    insertionRow = -1;
    isHovering = false;
    setColour (juce::ListBox::outlineColourId, juce::Colour (idleOutlineColour));
    repaint();
}

void DraggableTableListBox::itemDragExit (const SourceDetails&)
{
    backToIdle();
}

void DraggableTableListBox::itemDropped (const SourceDetails& details)
{
    RowDragDescription dropped;

    if (isOwn (details))
    {
        if (RowDragDescription::read (details.description, "BankCollection_", dropped) &&
            dropped.row != insertionRow && onRowMoved)
            onRowMoved (dropped.row, insertionRow);
    }
    else if (RowDragDescription::read (details.description, "Bank_", dropped) && onBankDropped)
    {
        onBankDropped (dropped.row, dropped.name);
    }

    backToIdle();
}
} // namespace vantor::browse
