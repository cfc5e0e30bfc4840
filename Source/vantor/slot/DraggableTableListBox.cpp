#include "vantor/slot/DraggableTableListBox.h"

#include "vantor/slot/SlotDrop.h"

#include <cstdlib>

namespace vantor::slot
{
DraggableTableListBox::DraggableTableListBox()
    : juce::TableListBox ({}, nullptr)
{
}

DraggableTableListBox::~DraggableTableListBox()
{
    cancelPendingUpdate();
}

std::optional<int> DraggableTableListBox::rowOfDescription (const juce::String& description)
{
    if (!description.containsChar ('_'))
        return std::nullopt;

    const auto fields = description.fromFirstOccurrenceOf ("_", false, false);

    if (!fields.containsChar (','))
        return std::nullopt;

    return std::atoi (fields.upToFirstOccurrenceOf (",", false, false).toRawUTF8());
}

void DraggableTableListBox::mouseUp (const juce::MouseEvent& e)
{
    if (e.mods.isRightButtonDown() || e.mods.isPopupMenu())
    {
        const auto moved = e.getMouseDownPosition().toFloat().getDistanceFrom (e.position);

        if (juce::roundToInt (moved) <= menuSlackPixels && onRowMenuRequested)
            onRowMenuRequested (getSelectedRow (0));

        return;
    }

    if (!e.mouseWasDraggedSinceMouseDown())
        if (auto* model = getModel())
            model->backgroundClicked (e);
}

bool DraggableTableListBox::keyPressed (const juce::KeyPress& key)
{
    if (onKeyPressed)
    {
        const auto last = getLastRowSelected();
        onKeyPressed (isRowSelected (last) ? last : -1, key);
    }

    return juce::ListBox::keyPressed (key);
}

void DraggableTableListBox::refreshSelectedRowForFocus (FocusChangeType cause)
{
    if (cause == juce::Component::focusChangedDirectly)
        return;

    const auto row = getSelectedRow (0);

    if (auto* rowComponent = getComponentForRowNumber (row))
    {
        // The table's own refresh is private; its list-box model side reaches it.
        static_cast<juce::ListBox&> (*this).getModel()->refreshComponentForRow (row, true, rowComponent);
        rowComponent->repaint();
    }
}

void DraggableTableListBox::focusGained (FocusChangeType cause)
{
    refreshSelectedRowForFocus (cause);
}

void DraggableTableListBox::focusLost (FocusChangeType cause)
{
    refreshSelectedRowForFocus (cause);
}

//==============================================================================
bool DraggableTableListBox::isInterestedInDragSource (const SourceDetails& details)
{
    return details.sourceComponent.get() == this || SlotDrop::isSampleTreeDrag (details);
}

void DraggableTableListBox::dragAt (juce::Point<int> position)
{
    const auto rowHeight = juce::jmax (1, getRowHeight());
    const auto halfRow = rowHeight / 2;
    const auto rows = getNumRows();
    auto* viewport = getViewport();
    const auto scroll = viewport != nullptr ? viewport->getViewPositionY() : 0;
    const auto top = viewport != nullptr ? viewport->getY() : 0;
    const auto x = position.x;
    const auto y = position.y;

    isHovering = isHovering || (x >= 0 && x < juce::jmax (0, getWidth()) && y >= halfRow &&
                                y < halfRow + juce::jmax (0, getHeight() - 2 * halfRow));

    if (x >= 0 && x < getWidth())
    {
        insertionRow = juce::jlimit (0, rows, (halfRow + scroll - top + y) / rowHeight);
        const auto offset = scroll - top + y;
        hoverRow = offset >= 0 && offset / rowHeight < rows ? offset / rowHeight : -1;
    }
    else
    {
        insertionRow = hoverRow = -1;
    }

    repaint();
}

void DraggableTableListBox::dragMovedTo (juce::Point<int> position)
{
    dragAt (position);

    if (isHovering)
        triggerAsyncUpdate();
}

void DraggableTableListBox::endDrag()
{
    hoverRow = insertionRow = -1;
    isHovering = false;
    repaint();
}

void DraggableTableListBox::handleAsyncUpdate()
{
    if (insertionRow >= 0)
    {
        scrollToEnsureRowIsOnscreen (juce::jmax (0, insertionRow - 1));
        scrollToEnsureRowIsOnscreen (juce::jmin (insertionRow, getNumRows() - 1));
        repaint();
    }
}

void DraggableTableListBox::itemDragEnter (const SourceDetails& details)
{
    dragAt (details.localPosition);
}

void DraggableTableListBox::itemDragMove (const SourceDetails& details)
{
    dragMovedTo (details.localPosition);
}

void DraggableTableListBox::itemDragExit (const SourceDetails&)
{
    endDrag();
}

void DraggableTableListBox::itemDropped (const SourceDetails& details)
{
    dragAt (details.localPosition);
    const auto text = details.description.toString();

    if (details.sourceComponent.get() == this)
    {
        if (const auto from = rowOfDescription (text); from && *from != hoverRow && onRowMoved)
            onRowMoved (*from, hoverRow);
    }
    else if (SlotDrop::isSampleTreeDrag (details))
    {
        if (const auto path = SlotDrop::selectedTreeFile (details); path && onFileDropped)
            onFileDropped (hoverRow, *path);
    }

    endDrag();
}

bool DraggableTableListBox::isInterestedInFileDrag (const juce::StringArray& files)
{
    return SlotDrop::isAudioFileDrop (files);
}

void DraggableTableListBox::fileDragEnter (const juce::StringArray&, int x, int y)
{
    dragAt ({x, y});
}

void DraggableTableListBox::fileDragMove (const juce::StringArray&, int x, int y)
{
    dragMovedTo ({x, y});
}

void DraggableTableListBox::fileDragExit (const juce::StringArray&)
{
    endDrag();
}

void DraggableTableListBox::filesDropped (const juce::StringArray& files, int x, int y)
{
    dragAt ({x, y});

    if (!files.isEmpty() && onFileDropped)
        onFileDropped (hoverRow, files[0]);

    endDrag();
}
} // namespace vantor::slot
