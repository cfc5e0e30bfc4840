#include "vantor/browse/NameCell.h"

namespace vantor::browse
{
NameCell::NameCell (juce::TableListBox& ownerTable)
    : table (ownerTable)
{
    setEditable (false, true, false);
    setWantsKeyboardFocus (false);
    setColour (juce::TextEditor::highlightColourId, juce::Colour (0x33000000));
    setInterceptsMouseClicks (false, true);
}

NameCell* NameCell::reuse (juce::Component* existing, juce::TableListBox& table, const EditHandler& onEdited)
{
    if (auto* cell = dynamic_cast<NameCell*> (existing))
        return cell;

    delete existing;
    auto* cell = new NameCell (table);
    cell->onTextEdited = onEdited;
    return cell;
}

NameCell::~NameCell()
{
    leaveParent();
}

void NameCell::leaveParent()
{
    if (auto* p = parent.get())
        p->removeMouseListener (this);

    parent = nullptr;
}

void NameCell::parentHierarchyChanged()
{
    leaveParent();

    if (auto* p = getParentComponent())
    {
        p->addMouseListener (this, false);
        parent = p;
    }

    ui::MarqueeLabel::parentHierarchyChanged();
}

void NameCell::showRow (int newRow, const juce::String& name, bool isRowSelected)
{
    row = newRow;
    setText (name, juce::dontSendNotification);

    auto font = getFont();
    font.setBold (isRowSelected);
    setFont (font);

    stopMarquee();

    if (isRowSelected && table.hasKeyboardFocus (true))
        startTimer (pauseMs);
}

bool NameCell::isInsideCell (const juce::MouseEvent& e) const
{
    // Events come from the row (as its listener) in the row's coordinates.
    if (e.eventComponent == this)
        return true;

    return getBounds().contains (e.getEventRelativeTo (getParentComponent()).getPosition());
}

void NameCell::mouseDown (const juce::MouseEvent& e)
{
    if (e.eventComponent != getParentComponent() || !isInsideCell (e))
        return;

    table.selectRowsBasedOnModifierKeys (row, e.mods, false);

    if (!isBeingEdited() && e.mods.isRightButtonDown())
        table.mouseDown (e.getEventRelativeTo (&table));
}

void NameCell::mouseUp (const juce::MouseEvent& e)
{
    if (e.eventComponent != getParentComponent() || !isInsideCell (e))
        return;

    if (!isBeingEdited() && e.mods.isRightButtonDown())
        table.mouseUp (e.getEventRelativeTo (&table));

    juce::Label::mouseUp (e);
}

void NameCell::mouseDoubleClick (const juce::MouseEvent& e)
{
    if (e.eventComponent == getParentComponent() && isInsideCell (e))
        juce::Label::mouseDoubleClick (e);
}

void NameCell::paint (juce::Graphics& g)
{
    if (getText().isEmpty() && !isBeingEdited() && emptyText.isNotEmpty())
    {
        g.setColour (juce::Colour (0xff555555));
        g.setFont (getFont());
        g.drawText (
            emptyText,
            juce::Rectangle<int> (10, 0, juce::jmax (0, getWidth() - 20), juce::jmax (0, getHeight())),
            juce::Justification::centredLeft, true);
    }

    ui::MarqueeLabel::paint (g);
}

void NameCell::textWasEdited()
{
    if (onTextEdited)
        onTextEdited (*this, getText());

    ui::MarqueeLabel::textWasEdited(); // scrolling rests, then restarts after the pause
}

void NameCell::editorShown (juce::TextEditor* editor)
{
    table.repaint();
    ui::MarqueeLabel::editorShown (editor);
    stopMarquee();
}

void NameCell::editorAboutToBeHidden (juce::TextEditor* editor)
{
    table.repaint();
    ui::MarqueeLabel::editorAboutToBeHidden (editor); // restarts after the pause
}
} // namespace vantor::browse
