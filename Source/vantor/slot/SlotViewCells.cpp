// The SLOT table's model, its cells and the total-time bar.

#include "vantor/dataset/BankBudget.h"
#include "vantor/slot/SlotView.h"
#include "vantor/slot/TimeText.h"
#include "vantor/ui/IconSvgs.h"

namespace vantor::slot
{
using vantor::ui::IconSvgs;

namespace
{
const juce::Colour unselectedRow{0xff424242};
const juce::Colour dividerColour{0xff232323};

/** The table's cell of the column when it is of the cell's type, else a new one (the table
    hands back what it got, and deletes what it no longer needs). */
template <typename Cell, typename Make>
Cell* reuseOrMake (juce::Component* existing, Make make)
{
    if (auto* cell = dynamic_cast<Cell*> (existing))
        return cell;

    delete existing;
    return make();
}
} // namespace

//==============================================================================
SlotView::TableListBoxModel::TableListBoxModel (SlotView& owner)
    : view (owner)
{
}

void SlotView::TableListBoxModel::paintRowBackground (juce::Graphics& g, int row, int width, int height,
                                                      bool isSelected)
{
    const auto accent = view.getLookAndFeel().findColour (juce::TreeView::selectedItemBackgroundColourId);
    auto fill = unselectedRow;

    if (isSelected)
        fill = view.tableHasFocus() ? accent : accent.withBrightness (0.47f);

    const juce::Rectangle<float> area (4.0f, 2.0f, (float)juce::jmax (0, width - 8),
                                       (float)juce::jmax (0, height - 4));
    g.setColour (fill);
    g.fillRoundedRectangle (area, 3.0f);

    // The row under the pointer while something is dragged over the table.
    if (row == view.getTable().getHoverRow())
    {
        g.setColour (accent);
        g.drawRoundedRectangle (area, 3.0f, 1.0f);
    }
}

juce::Component* SlotView::TableListBoxModel::refreshComponentForCell (int row, int columnId, bool isSelected,
                                                                       juce::Component* existing)
{
    auto* table = &view.getTable();

    switch (columnId)
    {
        case letterColumn:
        {
            auto* cell = reuseOrMake<NumberColumnCustomComponent> (
                existing, [&] { return new NumberColumnCustomComponent (table); });

            cell->ColumnCustomComponent::setRow (row);
            return cell;
        }
        case loopColumn:
        {
            auto* cell = reuseOrMake<LoopColumnCustomComponent> (
                existing, [&] { return new LoopColumnCustomComponent (view, table); });

            cell->setRow (row);
            return cell;
        }
        case nameColumn:
        {
            auto* cell = reuseOrMake<EditableTextCustomComponent> (
                existing, [&] { return new EditableTextCustomComponent (view); });

            cell->setRowAndColumn (row, nameColumn);
            cell->setText (view.getRowName (row), juce::dontSendNotification);
            cell->setFont (cell->getFont().withStyle (isSelected ? juce::Font::bold : juce::Font::plain));
            cell->stopMarquee();

            // Only the selected row of a focused table scrolls its long name.
            if (isSelected && view.tableHasFocus())
                cell->startTimer (vantor::ui::MarqueeLabel::pauseMs);

            return cell;
        }
        case timeColumn:
        {
            auto* cell = reuseOrMake<TimeColumnCustomComponent> (
                existing, [&] { return new TimeColumnCustomComponent (view, table); });

            cell->setRow (row);
            return cell;
        }
        default:
            delete existing;
            return nullptr;
    }
}

int SlotView::TableListBoxModel::getColumnAutoSizeWidth (int columnId)
{
    if (columnId != nameColumn)
        return 0;

    auto& table = view.getTable();
    const auto scrollBarWidth =
        table.getVerticalScrollBar().isVisible() ? view.getLookAndFeel().getDefaultScrollbarWidth() : 0;
    return table.getWidth() - 2 * table.getOutlineThickness() - scrollBarWidth - SlotView::fixedColumnsWidth;
}

juce::var SlotView::TableListBoxModel::getDragSourceDescription (const juce::SparseSet<int>& selectedRows)
{
    juce::String text ("Slot_");

    if (!selectedRows.isEmpty())
    {
        const auto row = selectedRows[0];
        text << row << "," << view.getNameText (row);
    }

    return text;
}

void SlotView::TableListBoxModel::selectedRowsChanged (int lastRowSelected)
{
    view.getDispatcher().selectSlot (lastRowSelected);
}

void SlotView::TableListBoxModel::deleteKeyPressed (int row)
{
    view.deleteRow (row);
}

//==============================================================================
SlotView::EditableTextCustomComponent::EditableTextCustomComponent (SlotView& owner)
    : view (owner)
{
    setEditable (false, true, false);
    setWantsKeyboardFocus (false);
    setColour (juce::TextEditor::highlightColourId, juce::Colour (0x33000000));
    // Clicks fall through to the row; an open editor still gets its own.
    setInterceptsMouseClicks (false, true);
}

SlotView::EditableTextCustomComponent::~EditableTextCustomComponent()
{
    if (auto* previous = parent.get())
        previous->removeMouseListener (this);
}

void SlotView::EditableTextCustomComponent::setRowAndColumn (int newRow, int newColumnId)
{
    row = newRow;
    columnId = newColumnId;
}

void SlotView::EditableTextCustomComponent::parentHierarchyChanged()
{
    auto* newParent = getParentComponent();

    if (newParent == parent.get())
        return;

    if (auto* previous = parent.get())
        previous->removeMouseListener (this);

    if (newParent != nullptr)
        newParent->addMouseListener (this, false);

    parent = newParent;
}

bool SlotView::EditableTextCustomComponent::isInsideCell (const juce::MouseEvent& e) const
{
    auto* rowComponent = parent.get();

    if (rowComponent == nullptr)
        return false;

    return getBounds().contains (e.getEventRelativeTo (rowComponent).getPosition());
}

void SlotView::EditableTextCustomComponent::mouseDown (const juce::MouseEvent& e)
{
    if (!isInsideCell (e))
        return;

    auto& table = view.getTable();
    table.selectRowsBasedOnModifierKeys (row, e.mods, false);

    if (!isBeingEdited() && e.mods.isRightButtonDown())
        table.mouseDown (e.getEventRelativeTo (&table));
}

void SlotView::EditableTextCustomComponent::mouseUp (const juce::MouseEvent& e)
{
    if (!isInsideCell (e))
        return;

    if (!isBeingEdited() && (e.mods.isRightButtonDown() || e.mods.isPopupMenu()))
        view.getTable().mouseUp (e.getEventRelativeTo (&view.getTable()));

    juce::Label::mouseUp (e);
}

void SlotView::EditableTextCustomComponent::textWasEdited()
{
    vantor::ui::MarqueeLabel::textWasEdited();
    view.getDispatcher().changeSlotName (row, getText());
    stopMarquee();
    startTimer (vantor::ui::MarqueeLabel::pauseMs);
}

void SlotView::EditableTextCustomComponent::editorShown (juce::TextEditor* editor)
{
    vantor::ui::MarqueeLabel::editorShown (editor);
    view.getTable().repaint();
    stopMarquee();
}

void SlotView::EditableTextCustomComponent::editorAboutToBeHidden (juce::TextEditor* editor)
{
    vantor::ui::MarqueeLabel::editorAboutToBeHidden (editor);
    view.getTable().repaint();
    stopMarquee();
    startTimer (vantor::ui::MarqueeLabel::pauseMs);
}

//==============================================================================
SlotView::NumberColumnCustomComponent::NumberColumnCustomComponent (juce::Component* table)
    : ColumnCustomComponent (table)
{
}

void SlotView::NumberColumnCustomComponent::paint (juce::Graphics& g)
{
    const auto w = getWidth();
    const auto h = getHeight();
    g.setColour (juce::Colours::black);
    g.fillRoundedRectangle (9.0f, 7.0f, (float)juce::jmax (0, w - 10), (float)juce::jmax (0, h - 14), 2.0f);
    g.setFont (font);
    g.setColour (juce::Colour (0xffa5a5a5));
    g.drawText (juce::String::charToString ((juce::juce_wchar) ('A' + juce::jlimit (0, 25, row))), 4, 0, w, h,
                juce::Justification::centred, true);
}

//==============================================================================
SlotView::LoopColumnCustomComponent::LoopColumnCustomComponent (SlotView& owner, juce::Component* table)
    : ColumnCustomComponent (table)
    , view (owner)
    , oneShotIcon (IconSvgs::createDrawable (IconSvgs::Id::oneShotColumn))
    , loopIcon (IconSvgs::createDrawable (IconSvgs::Id::loopColumn))
{
}

void SlotView::LoopColumnCustomComponent::paint (juce::Graphics& g)
{
    g.setColour (dividerColour);
    g.drawRect (0, -1, juce::jmax (0, getWidth()), juce::jmax (0, getHeight() + 2), 1);
}

void SlotView::LoopColumnCustomComponent::resized()
{
    content.setBounds ((getWidth() - 16) / 2, (getHeight() - 10) / 2, 16, 10);
}

static bool cellShowsContent (const juce::Component& cell)
{
    return cell.isEnabled() && cell.getParentComponent() != nullptr && cell.getParentComponent()->isEnabled();
}

void SlotView::LoopColumnCustomComponent::setRow (int newRow)
{
    ColumnCustomComponent::setRow (newRow);
    const auto value = view.isRowLoop (newRow);

    if (value != loop)
    {
        loop = value;
        repaint();
        content.repaint();
    }

    setTooltip (cellShowsContent (*this) ? (loop ? TRANS ("Loop") : TRANS ("1Shot")) : juce::String());
}

void SlotView::LoopColumnCustomComponent::paintContent (juce::Graphics& g, int width, int height)
{
    if (!cellShowsContent (*this))
        return;

    if (auto* icon = loop ? loopIcon.get() : oneShotIcon.get())
        icon->drawWithin (g, juce::Rectangle<float> (0.0f, 0.0f, (float)width, (float)height),
                          juce::RectanglePlacement::centred, 1.0f);
}

//==============================================================================
SlotView::TimeColumnCustomComponent::TimeColumnCustomComponent (SlotView& owner, juce::Component* table)
    : ColumnCustomComponent (table)
    , view (owner)
{
}

void SlotView::TimeColumnCustomComponent::resized()
{
    content.setBounds ((getWidth() - 60) / 2, (getHeight() - 12) / 2, 56, 12);
}

void SlotView::TimeColumnCustomComponent::setRow (int newRow)
{
    ColumnCustomComponent::setRow (newRow);
    const auto value = view.getRowLength (newRow);

    if (value != lengthSeconds || std::isnan (value) || std::isnan (lengthSeconds))
    {
        lengthSeconds = value;
        repaint();
        content.repaint();
    }

    setTooltip (cellShowsContent (*this) ? TRANS ("Playback time range") : juce::String());
}

void SlotView::TimeColumnCustomComponent::paintContent (juce::Graphics& g, int width, int height)
{
    if (!cellShowsContent (*this))
        return;

    g.setFont (juce::Font (12.0f, juce::Font::plain));
    g.setColour (juce::Colours::white);
    g.drawFittedText (formatPlaybackTime (lengthSeconds), 0, 0, width, height, juce::Justification::centred,
                      1);
}

//==============================================================================
void SlotView::TotalTimeComp::setTotalSeconds (double seconds)
{
    totalSeconds = seconds;
    repaint();
}

bool SlotView::TotalTimeComp::isOverBudget() const
{
    return vantor::dataset::BankBudget::isExceededBy (totalSeconds);
}

void SlotView::TotalTimeComp::paint (juce::Graphics& g)
{
    const auto w = getWidth();
    const auto h = getHeight();
    const juce::Rectangle<int> bar (w - 139, 0, 80, h);

    g.setFont (juce::Font (10.0f, juce::Font::plain));
    g.setColour (juce::Colour (0xffbdbdbd));
    g.drawText ("Total", w - 168, 0, 168, h, juce::Justification::centredLeft, true);

    g.setColour (juce::Colours::black);
    g.fillRect (bar);
    g.setColour (juce::Colour (0xff333333));
    g.drawRect (bar, 1);

    const auto share = juce::jlimit (0.0f, 1.0f, (float)totalSeconds * 0.0625f);
    g.setColour (isOverBudget() ? juce::Colour (0xffff0000) : juce::Colours::white);
    g.fillRect (w - 138, 1, juce::jmax (0, (int)(78.0f * share)), juce::jmax (0, h - 2));

    g.setFont (juce::Font (10.0f, juce::Font::bold));
    g.setColour (juce::Colours::white);
    g.drawText (formatPlaybackTime (totalSeconds), w - 168, 0, 168, h, juce::Justification::centredRight,
                true);
}
} // namespace vantor::slot
