#include "vantor/slot/SlotView.h"

#include "vantor/slot/PadLook.h"
#include "vantor/slot/SlotPadViewModel.h"
#include "vantor/slot/SlotViewModel.h"
#include "vantor/ui/DialogHelper.h"
#include "vantor/ui/IconSvgs.h"

namespace vantor::slot
{
using vantor::ui::DialogHelper;
using vantor::ui::IconSvgs;

namespace
{
const juce::Colour background{0xff232323};
} // namespace

SlotView::SlotView (SlotViewModel& slots, SlotPadViewModel& pads, ClipboardLink link)
    : SlotView (static_cast<ISlotCommandDispatcher*> (&slots),
                static_cast<ISlotPadCommandDispatcher*> (&pads))
{
    registeredSlots = &slots;
    registeredPads = &pads;
    clipboardLink = std::move (link);

    slots.addListener (this);

    for (auto& panel : padPanels)
        pads.addListener (panel.get());

    if (clipboardLink)
        clipboardLink (this, true);
}

SlotView::SlotView (ISlotCommandDispatcher* dispatcherToUse, ISlotPadCommandDispatcher* padDispatcher)
    : dispatcher (dispatcherToUse)
{
    table = std::make_unique<DraggableTableListBox>();
    addAndMakeVisible (*table);
    tableModel = std::make_unique<TableListBoxModel> (*this);
    table->setModel (tableModel.get());

    auto& header = table->getHeader();
    header.addColumn ({}, letterColumn, 30, 30, -1, juce::TableHeaderComponent::visible);
    header.addColumn ({}, nameColumn, 30, 30, -1,
                      juce::TableHeaderComponent::visible | juce::TableHeaderComponent::resizable);
    header.addColumn ({}, loopColumn, 40, 40, -1, juce::TableHeaderComponent::visible);
    header.addColumn ({}, timeColumn, 80, 80, -1, juce::TableHeaderComponent::visible);
    table->setHeaderHeight (0);
    table->setRowHeight (rowHeight);
    table->getViewport()->setSingleStepSizes (20, rowHeight);
    table->setColour (juce::ListBox::backgroundColourId, background);

    table->onRowMoved = [this] (int from, int to) { dispatcher->swapSlot (from, to); };
    table->onFileDropped = [this] (int row, const juce::String& path) { assignToRow (row, path); };
    table->onKeyPressed = [this] (int row, const juce::KeyPress& key) { handleKey (row, key); };
    table->onRowMenuRequested = [this] (int row) { showRowMenu (row); };

    totalTimeComp = std::make_unique<TotalTimeComp>();
    addAndMakeVisible (*totalTimeComp);

    for (int i = 0; i < rowCount; ++i)
    {
        padPanels[(size_t)i] = std::make_unique<SlotPadPanel> (padDispatcher, i);
        addAndMakeVisible (*padPanels[(size_t)i]);
        padPanels[(size_t)i]->addChangeListener (this);
    }

    headerLeft = IconSvgs::createDrawable (IconSvgs::Id::bankEditTitle);
    headerRight = IconSvgs::createDrawable (IconSvgs::Id::bankEditTitleRule);
}

SlotView::~SlotView()
{
    if (registeredSlots != nullptr)
        registeredSlots->removeListener (this);

    if (registeredPads != nullptr)
        for (auto& panel : padPanels)
            registeredPads->removeListener (panel.get());

    if (clipboardLink)
        clipboardLink (this, false);

    for (auto& panel : padPanels)
        panel->removeChangeListener (this);

    // The table goes before its model, which it calls while it is torn down.
    table.reset();
    headerRight.reset();
    headerLeft.reset();

    for (auto it = padPanels.rbegin(); it != padPanels.rend(); ++it)
        it->reset();

    totalTimeComp.reset();
    tableModel.reset();
}

SlotPadPanel* SlotView::getPadPanel (int index)
{
    return (unsigned)index < (unsigned)rowCount ? padPanels[(size_t)index].get() : nullptr;
}

//==============================================================================
void SlotView::enableRow (int row, bool hasAudio)
{
    if (auto* rowComponent = table->getComponentForRowNumber (row))
    {
        rowComponent->setEnabled (hasAudio);
        rowComponent->repaint();
    }

    if (auto* panel = getPadPanel (row))
        panel->setEnabled (hasAudio);
}

void SlotView::slotListChanged (const std::unique_ptr<SlotListState>& snapshot)
{
    JUCE_ASSERT_MESSAGE_THREAD
    state = std::make_unique<SlotListState>();

    if (snapshot != nullptr)
    {
        state->selectedSlot = snapshot->selectedSlot;
        state->rows = snapshot->rows;
    }

    for (int i = 0; i < rowCount; ++i)
        enableRow (i, state->rows[(size_t)i].hasAudio);

    table->selectRow (state->selectedSlot);
    table->updateContent();
    updateTotalTime();
}

void SlotView::slotChanged (int row, bool hasAudio, const juce::String& name, double lengthSeconds, bool loop)
{
    if (state != nullptr && (unsigned)row < (unsigned)rowCount)
        state->rows[(size_t)row] = {hasAudio, name, lengthSeconds, loop};

    enableRow (row, hasAudio);
    table->updateContent();
    table->repaint();
    updateTotalTime();
}

void SlotView::slotNameChanged (int row, const juce::String& name)
{
    if (state == nullptr || (unsigned)row >= (unsigned)rowCount)
        return;

    state->rows[(size_t)row].name = name;
    table->updateContent();
}

void SlotView::slotLengthChanged (int row, double lengthSeconds)
{
    if (state != nullptr && (unsigned)row < (unsigned)rowCount)
    {
        state->rows[(size_t)row].lengthSeconds = lengthSeconds;
        table->updateContent();
    }

    updateTotalTime();
}

void SlotView::slotLoopModeChanged (int row, bool loop)
{
    if (state == nullptr || (unsigned)row >= (unsigned)rowCount)
        return;

    state->rows[(size_t)row].loop = loop;
    table->updateContent();
}

void SlotView::selectedSlotChanged (int row)
{
    table->selectRow (row);
}

void SlotView::clipboardChanged (const vantor::service::ClipboardInfo& info)
{
    clipboardKind = info.kind;
    clipboardName = info.name;
}

void SlotView::localeChanged()
{
    table->updateContent();

    for (auto& panel : padPanels)
        panel->updateTooltips();
}

void SlotView::changeListenerCallback (juce::ChangeBroadcaster* source)
{
    for (int i = 0; i < rowCount; ++i)
    {
        if (source == padPanels[(size_t)i].get())
        {
            table->selectRow (i);
            return;
        }
    }
}

//==============================================================================
SlotView::EditableTextCustomComponent* SlotView::getNameCell (int row) const
{
    return dynamic_cast<EditableTextCustomComponent*> (table->getCellComponent (nameColumn, row));
}

bool SlotView::isRowEnabled (int row) const
{
    auto* cell = getNameCell (row);
    return cell != nullptr && cell->isEnabled() && cell->getParentComponent() != nullptr &&
           cell->getParentComponent()->isEnabled();
}

bool SlotView::isRowLoop (int row) const
{
    return state != nullptr && (unsigned)row < (unsigned)rowCount && state->rows[(size_t)row].loop;
}

double SlotView::getRowLength (int row) const
{
    return state != nullptr && (unsigned)row < (unsigned)rowCount ? state->rows[(size_t)row].lengthSeconds
                                                                  : 0.0;
}

juce::String SlotView::getRowName (int row) const
{
    return state != nullptr && (unsigned)row < (unsigned)rowCount ? state->rows[(size_t)row].name
                                                                  : juce::String();
}

juce::String SlotView::getNameText (int row) const
{
    auto* cell = getNameCell (row);
    return cell != nullptr ? cell->getText() : juce::String();
}

bool SlotView::tableHasFocus() const
{
    auto* focused = juce::Component::getCurrentlyFocusedComponent();
    return focused != nullptr && (focused == table.get() || table->isParentOf (focused));
}

void SlotView::updateTotalTime()
{
    double total = 0.0;

    for (int row = 0; row < table->getNumRows(); ++row)
        if (auto* cell = dynamic_cast<TimeColumnCustomComponent*> (table->getCellComponent (timeColumn, row)))
            total += cell->getLengthSeconds();

    totalTimeComp->setTotalSeconds (total);
}

//==============================================================================
void SlotView::pasteIntoRow (int row)
{
    if (!isRowEnabled (row))
    {
        dispatcher->pasteSlot (row);
        return;
    }

    juce::WeakReference<SlotView> self (this);
    DialogHelper::confirmOverwriteSlot (
        [self, row]
        {
            if (auto* view = self.get())
                view->dispatcher->pasteSlot (row);
        });
}

void SlotView::assignToRow (int row, const juce::String& path)
{
    const juce::File file (path);

    if (!isRowEnabled (row))
    {
        dispatcher->assignAudio (row, file);
        return;
    }

    juce::WeakReference<SlotView> self (this);
    DialogHelper::confirmOverwriteSlot (
        [self, row, file]
        {
            if (auto* view = self.get())
                view->dispatcher->assignAudio (row, file);
        });
}

void SlotView::deleteRow (int row)
{
    if (row == -1 || !isRowEnabled (row))
        return;

    juce::WeakReference<SlotView> self (this);
    DialogHelper::confirmDeleteSlot (getNameText (row),
                                     [self, row]
                                     {
                                         if (auto* view = self.get())
                                             view->dispatcher->deleteSlot (row);
                                     });
}

void SlotView::renameRow (int row)
{
    if (auto* cell = getNameCell (row))
        cell->showEditor();
}

void SlotView::handleKey (int row, const juce::KeyPress& key)
{
    const auto mods = key.getModifiers();
    const auto isCtrl = [&key, &mods] (int letter)
    {
        const auto code = key.getKeyCode();
        return (code == letter || code == juce::CharacterFunctions::toUpperCase ((juce::juce_wchar)letter)) &&
               mods.withoutMouseButtons() == juce::ModifierKeys (juce::ModifierKeys::ctrlModifier);
    };

    if (isCtrl ('x'))
    {
        if (isRowEnabled (row))
            dispatcher->cutSlot (row);
    }
    else if (isCtrl ('c'))
    {
        if (isRowEnabled (row))
            dispatcher->copySlot (row);
    }
    else if (isCtrl ('v'))
    {
        if (clipboardKind == 2)
            pasteIntoRow (row);
    }
    else if (key.getKeyCode() == juce::KeyPress::F2Key && !mods.isShiftDown() && !mods.isCtrlDown() &&
             !mods.isAltDown())
    {
        renameRow (row);
    }
}

void SlotView::showRowMenu (int row)
{
    if (row < 0)
        return;

    const auto enabled = isRowEnabled (row);
    const auto slotOnClipboard = clipboardKind == 2;
    juce::WeakReference<SlotView> self (this);
    const auto onRow = [self, row] (void (*action) (SlotView&, int))
    {
        return [self, row, action]
        {
            if (auto* view = self.get())
                action (*view, row);
        };
    };

    juce::PopupMenu menu;
    menu.addItem (TRANS ("Cut"), enabled, false,
                  onRow ([] (SlotView& view, int r) { view.dispatcher->cutSlot (r); }));
    menu.addItem (TRANS ("Copy"), enabled, false,
                  onRow ([] (SlotView& view, int r) { view.dispatcher->copySlot (r); }));
    menu.addItem (slotOnClipboard ? TRANS ("Paste '{name}'").replace ("{name}", clipboardName)
                                  : TRANS ("Paste"),
                  slotOnClipboard, false, onRow ([] (SlotView& view, int r) { view.pasteIntoRow (r); }));
    menu.addSeparator();
    menu.addItem (TRANS ("Delete"), enabled, false,
                  onRow ([] (SlotView& view, int r) { view.deleteRow (r); }));
    menu.addItem (TRANS ("Rename"), enabled, false,
                  onRow ([] (SlotView& view, int r) { view.renameRow (r); }));
    menu.showMenuAsync (juce::PopupMenu::Options());
}

//==============================================================================
void SlotView::resized()
{
    const auto w = getWidth();
    const auto h = getHeight();

    totalTimeComp->setBounds (10, 29, juce::jmax (0, w - 20), 10);
    table->setBounds (0, totalTimeComp->getBottom() + 18, juce::jmax (0, w),
                      juce::jmax (0, table->getNumRows() * rowHeight) + 4);

    if (const auto nameWidth = tableModel->getColumnAutoSizeWidth (nameColumn); nameWidth > 0)
        table->getHeader().setColumnWidth (nameColumn, nameWidth);

    juce::FlexBox pads;
    pads.flexDirection = juce::FlexBox::Direction::row;
    pads.flexWrap = juce::FlexBox::Wrap::noWrap;
    pads.justifyContent = juce::FlexBox::JustifyContent::center;
    pads.alignContent = juce::FlexBox::AlignContent::center;
    pads.alignItems = juce::FlexBox::AlignItems::stretch;

    for (auto& panel : padPanels)
        pads.items.add (juce::FlexItem (*panel)
                            .withMinWidth ((float)SlotPadPanel::panelWidth)
                            .withMinHeight ((float)SlotPadPanel::panelHeight));

    pads.performLayout (
        juce::Rectangle<int> (0, table->getBottom(), w, juce::jmax (0, h - table->getBottom())));
}

void SlotView::paint (juce::Graphics& g)
{
    const auto w = getWidth();
    g.setColour (background);
    g.fillRoundedRectangle (getLocalBounds().toFloat(), 6.0f);

    PadLook::drawHeader (g, headerLeft.get(), headerRight.get(), w);
}
} // namespace vantor::slot
