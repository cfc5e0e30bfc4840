#include "vantor/bank/DraggableTableListBox.h"

#include "vantor/browse/RowDragDescription.h"
#include "vantor/browse/RowDropGeometry.h"
#include "vantor/browse/TableRows.h"

namespace vantor::bank
{
using browse::RowDragDescription;
using browse::RowDropGeometry;

DraggableTableListBox::DraggableTableListBox()
    : juce::TableListBox ({}, nullptr)
{
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
            onRowMenuRequested (getSelectedRow (0));
        return;
    }

    juce::TableListBox::mouseUp (e);
}

bool DraggableTableListBox::keyPressed (const juce::KeyPress& key)
{
    if (onKeyPressed)
        onKeyPressed (browse::TableRows::lastSelectedRowOrNone (*this), key);

    return juce::TableListBox::keyPressed (key);
}

void DraggableTableListBox::focusGained (juce::Component::FocusChangeType cause)
{
    browse::TableRows::refreshSelectedRowForFocus (*this, cause);
}

void DraggableTableListBox::focusLost (juce::Component::FocusChangeType cause)
{
    browse::TableRows::refreshSelectedRowForFocus (*this, cause);
}

bool DraggableTableListBox::isInterestedInDragSource (const SourceDetails& details)
{
    return details.sourceComponent.get() == this ||
           RowDragDescription::startsWith (details.description, "BankCollection_");
}

void DraggableTableListBox::follow (const SourceDetails& details)
{
    const auto geometry = RowDropGeometry::of (*this, details.localPosition);
    isHovering |= geometry.isInInnerBand();
    dropRow = geometry.rowUnderPointer();
    insertionRow = geometry.nearestBoundary();
}

void DraggableTableListBox::itemDragEnter (const SourceDetails& details)
{
    follow (details);
    repaint();
}

void DraggableTableListBox::itemDragMove (const SourceDetails& details)
{
    follow (details);

    if (isHovering)
        triggerAsyncUpdate();

    repaint();
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

void DraggableTableListBox::backToIdle()
{
    dropRow = -1;
    insertionRow = -1;
    isHovering = false;
    repaint();
}

void DraggableTableListBox::itemDragExit (const SourceDetails&)
{
    backToIdle();
}

void DraggableTableListBox::itemDropped (const SourceDetails& details)
{
    RowDragDescription dropped;

    if (details.sourceComponent.get() == this)
    {
        if (RowDragDescription::read (details.description, "Bank_", dropped) && dropped.row != dropRow &&
            onRowMoved)
            onRowMoved (dropped.row, dropRow);
    }
    else if (RowDragDescription::read (details.description, "BankCollection_", dropped) && onBankDropped)
    {
        onBankDropped (dropped.row, dropped.name, dropRow);
    }

    backToIdle();
}
} // namespace vantor::bank
