#include "vantor/browse/RowDragTableListBox.h"

#include "vantor/browse/TableRows.h"

namespace vantor::browse
{
RowDragTableListBox::RowDragTableListBox (juce::String own, juce::String foreign)
    : juce::TableListBox ({}, nullptr)
    , ownPrefix (std::move (own))
    , foreignPrefix (std::move (foreign))
{
}

RowDragTableListBox::~RowDragTableListBox()
{
    cancelPendingUpdate();
}

void RowDragTableListBox::mouseUp (const juce::MouseEvent& e)
{
    if (e.mods.isRightButtonDown())
    {
        if (juce::roundToInt (e.getDistanceFromDragStart()) <= 5 && onRowMenuRequested)
            onRowMenuRequested (menuRowFor (e));
        return;
    }

    juce::TableListBox::mouseUp (e);
}

bool RowDragTableListBox::keyPressed (const juce::KeyPress& key)
{
    if (onKeyPressed)
        onKeyPressed (TableRows::lastSelectedRowOrNone (*this), key);

    return juce::TableListBox::keyPressed (key);
}

void RowDragTableListBox::focusGained (juce::Component::FocusChangeType cause)
{
    TableRows::refreshSelectedRowForFocus (*this, cause);
}

void RowDragTableListBox::focusLost (juce::Component::FocusChangeType cause)
{
    TableRows::refreshSelectedRowForFocus (*this, cause);
}

bool RowDragTableListBox::isOwn (const SourceDetails& details) const
{
    return details.sourceComponent.get() == this;
}

bool RowDragTableListBox::isInterestedInDragSource (const SourceDetails& details)
{
    return isOwn (details) || RowDragDescription::startsWith (details.description, foreignPrefix);
}

void RowDragTableListBox::itemDragEnter (const SourceDetails& details)
{
    follow (details, true);
    repaint();
}

void RowDragTableListBox::itemDragMove (const SourceDetails& details)
{
    if (follow (details, false))
        triggerAsyncUpdate();

    repaint();
}

void RowDragTableListBox::backToIdle()
{
    insertionRow = -1;
    isHovering = false;
    repaint();
}

void RowDragTableListBox::itemDragExit (const SourceDetails&)
{
    backToIdle();
}

void RowDragTableListBox::itemDropped (const SourceDetails& details)
{
    RowDragDescription dropped;

    if (isOwn (details))
    {
        const auto target = ownDropTarget();

        if (RowDragDescription::read (details.description, ownPrefix, dropped) && dropped.row != target &&
            onRowMoved)
            onRowMoved (dropped.row, target);
    }
    else if (RowDragDescription::read (details.description, foreignPrefix, dropped))
    {
        foreignRowDropped (dropped);
    }

    backToIdle();
}
} // namespace vantor::browse
