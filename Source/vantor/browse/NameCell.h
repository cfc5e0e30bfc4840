#pragma once

#include "vantor/ui/MarqueeLabel.h"

#include <functional>

namespace vantor::browse
{
/** The editable name cell of the BANK and bank-collection tables: a scrolling label that edits
    on double-click and lets clicks fall through to its row, whose mouse events it follows as a
    listener to select the row and to pass right clicks on to the table.

    The cell leaves its row's mouse listeners on every re-parenting and in its destructor: a table
    deletes the cells of reused rows (scrolling, shrinking), and a row must never call a cell that
    is gone.
    Threads: message thread. */
class NameCell : public ui::MarqueeLabel
{
public:
    /** The table is the list box whose row holds the cell; it outlives its cells. */
    explicit NameCell (juce::TableListBox& table);
    ~NameCell() override;

    using EditHandler = std::function<void (NameCell& cell, const juce::String& text)>;

    /** A model's name cell made again: existing when it is a NameCell, else (deleting it) a new
        one reporting its edits to onEdited. */
    static NameCell* reuse (juce::Component* existing, juce::TableListBox& table,
                            const EditHandler& onEdited);

    void setRow (int newRow) noexcept { row = newRow; }
    int getRow() const noexcept { return row; }

    /** Sets the text silently, bold for a selected row, and restarts the scrolling pause when the
        row is selected in a focused table (other names rest). */
    void showRow (int newRow, const juce::String& name, bool isRowSelected);

    /** Called with the committed text of an edit; the cell restarts its pause afterwards. */
    EditHandler onTextEdited;

    /** The text shown greyed while the name is empty and no editor is open (none when empty). */
    void setEmptyText (const juce::String& text) { emptyText = text; }

    void mouseDown (const juce::MouseEvent& e) override;
    void mouseUp (const juce::MouseEvent& e) override;
    void mouseDoubleClick (const juce::MouseEvent& e) override;
    void parentHierarchyChanged() override;
    void paint (juce::Graphics& g) override;

    /** The row component whose events the cell follows (null when none). */
    juce::Component* getListenedParent() const { return parent.get(); }

protected:
    void textWasEdited() override;
    void editorShown (juce::TextEditor* editor) override;
    void editorAboutToBeHidden (juce::TextEditor* editor) override;

private:
    bool isInsideCell (const juce::MouseEvent& e) const;
    void leaveParent();

    juce::TableListBox& table;
    int row = -1;
    juce::WeakReference<juce::Component> parent;
    juce::String emptyText;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (NameCell)
};
} // namespace vantor::browse
