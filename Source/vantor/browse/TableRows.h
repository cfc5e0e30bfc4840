#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace vantor::browse
{
/** What the BANK table and the bank-collection table do alike with their rows.
    Threads: message thread. */
struct TableRows
{
    /** The list's last selected row when it is still selected, else -1. */
    static int lastSelectedRowOrNone (juce::ListBox& list)
    {
        const auto last = list.getLastRowSelected();
        return list.isRowSelected (last) ? last : -1;
    }

    /** The selected row's cells made again as a selected row's (bold name, scrolling, the full or
        the dimmed selection colour), unless the focus was moved directly. */
    static void refreshSelectedRowForFocus (juce::TableListBox& table, juce::Component::FocusChangeType cause)
    {
        if (cause == juce::Component::focusChangedDirectly)
            return;

        const auto row = table.getSelectedRow (0);

        if (row < 0 || table.getComponentForRowNumber (row) == nullptr)
            return;

        if (auto* model = table.getModel())
            for (int index = 0; index < table.getHeader().getNumColumns (false); ++index)
            {
                const auto id = table.getHeader().getColumnIdOfIndex (index, false);
                if (auto* cell = table.getCellComponent (id, row))
                    model->refreshComponentForCell (row, id, true, cell);
            }

        table.repaintRow (row);
    }

    /** Opens the editor of the row's name cell when the cell exists. */
    static void showNameEditor (juce::TableListBox& table, int columnId, int row)
    {
        if (auto* cell = dynamic_cast<juce::Label*> (table.getCellComponent (columnId, row)))
            cell->showEditor();
    }

    /** The text of the row's name cell; empty without a cell. */
    static juce::String nameCellText (juce::TableListBox& table, int columnId, int row)
    {
        if (auto* cell = dynamic_cast<juce::Label*> (table.getCellComponent (columnId, row)))
            return cell->getText();

        return {};
    }

    /** At the mouse, without a completion; nothing for an empty menu. */
    static void showMenu (juce::PopupMenu menu)
    {
        if (menu.getNumItems() > 0)
            menu.showMenuAsync (juce::PopupMenu::Options());
    }
};
} // namespace vantor::browse
