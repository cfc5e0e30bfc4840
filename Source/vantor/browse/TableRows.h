#pragma once

#include "vantor/browse/RowDragDescription.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

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

    /** A callback (of a menu item, a dialog) that acts on its owner only while the owner still
        exists. */
    template <typename Owner>
    static std::function<void()> whileAlive (Owner& owner, std::function<void (Owner&)> action)
    {
        return [safe = juce::Component::SafePointer<Owner> (&owner), action = std::move (action)]
        {
            if (auto* o = safe.getComponent())
                action (*o);
        };
    }

    /** A menu item whose action runs only while its owner still exists. */
    template <typename Owner>
    static void addItem (juce::PopupMenu& menu, const juce::String& text, bool enabled, Owner& owner,
                         std::function<void (Owner&)> action)
    {
        menu.addItem (text, enabled, false, whileAlive (owner, std::move (action)));
    }

    /** A model's cell made again: the existing component when it is a Cell, else (deleting it) a
        new one from make. */
    template <typename Cell, typename Make>
    static Cell* reuseCell (juce::Component* existing, Make make)
    {
        if (auto* cell = dynamic_cast<Cell*> (existing))
            return cell;

        delete existing;
        return make();
    }

    /** A row's background: the selection colour (dimmed to brightness 0.47 while the table has
        not the focus), else the odd-row colour on odd rows. */
    static void fillRowBackground (juce::Graphics& g, juce::TableListBox& table, int row, bool isSelected,
                                   juce::Colour selected, juce::Colour odd)
    {
        if (isSelected)
            g.fillAll (table.hasKeyboardFocus (true) ? selected : selected.withBrightness (0.47f));
        else if ((row & 1) != 0)
            g.fillAll (odd);
    }

    /** The drag description of the first selected row: prefix, row and the name its cell shows;
        the prefix alone without a selection. */
    static juce::var dragDescription (juce::TableListBox& table, const juce::String& prefix, int nameColumnId,
                                      const juce::SparseSet<int>& selectedRows)
    {
        if (selectedRows.isEmpty())
            return RowDragDescription::make (prefix, -1, {});

        const auto row = selectedRows[0];
        return RowDragDescription::make (prefix, row, nameCellText (table, nameColumnId, row));
    }

    /** At the mouse, without a completion; nothing for an empty menu. */
    static void showMenu (juce::PopupMenu menu)
    {
        if (menu.getNumItems() > 0)
            menu.showMenuAsync (juce::PopupMenu::Options());
    }
};
} // namespace vantor::browse
