#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace vantor::browse
{
/** Where a drag over a table's rows points, in the table's own coordinates.
    Threads: message thread. */
struct RowDropGeometry
{
    int x = 0, y = 0;          // the pointer in the table
    int width = 0, height = 0; // the table
    int contentTop = 0;        // the top of the list's viewport in the table
    int scrollY = 0;           // the viewport's vertical scroll position
    int rowHeight = 1;
    int numRows = 0;

    static RowDropGeometry of (juce::TableListBox& table, juce::Point<int> position)
    {
        RowDropGeometry g;
        g.x = position.x;
        g.y = position.y;
        g.width = table.getWidth();
        g.height = table.getHeight();
        g.contentTop = table.getViewport()->getY();
        g.scrollY = table.getViewport()->getViewPositionY();
        g.rowHeight = juce::jmax (1, table.getRowHeight());
        g.numRows = table.getNumRows();
        return g;
    }

    bool isAcross() const noexcept { return x >= 0 && x < width; }

    /** The row under the pointer; -1 beside the table or below the last row. */
    int rowUnderPointer() const noexcept
    {
        if (!isAcross() || y - contentTop + scrollY < 0)
            return -1;

        const int row = (y - contentTop + scrollY) / rowHeight;
        return row < numRows ? row : -1;
    }

    /** The row boundary nearest to the pointer, 0..numRows; -1 beside the table. */
    int nearestBoundary() const noexcept
    {
        if (!isAcross())
            return -1;

        const int h2 = rowHeight / 2;
        return juce::jlimit (0, numRows, (h2 + y - contentTop + scrollY) / rowHeight);
    }

    /** Whether the pointer lies in the band half a row in from the top and the bottom edge. */
    bool isInInnerBand() const noexcept
    {
        const int h2 = rowHeight / 2;
        return juce::Rectangle<int> (0, h2, juce::jmax (0, width), juce::jmax (0, height - 2 * h2))
            .contains (x, y);
    }
};
} // namespace vantor::browse
