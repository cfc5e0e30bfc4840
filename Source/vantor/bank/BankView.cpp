#include "vantor/bank/BankView.h"

#include "vantor/bank/BankViewModel.h"
#include "vantor/browse/BankNames.h"
#include "vantor/browse/NameCell.h"
#include "vantor/browse/TableRows.h"
#include "vantor/browse/TimeCell.h"
#include "vantor/slot/PadLook.h"
#include "vantor/ui/DialogHelper.h"
#include "vantor/ui/IconSvgs.h"

namespace vantor::bank
{
using browse::BankNames;
using browse::NameCell;
using ui::IconSvgs;

namespace
{
bool isRowIndex (int row)
{
    return (unsigned)row < (unsigned)BankView::numRows;
}

std::unique_ptr<juce::Drawable> starWithOutline (const char* colour)
{
    const auto svg = IconSvgs::get (IconSvgs::Id::favoriteOff).replace ("#555555", colour);

    if (auto xml = juce::XmlDocument::parse (svg))
        return juce::Drawable::createFromSVG (*xml);

    return {};
}
} // namespace

//==============================================================================
class BankView::FavoriteColumnCustomComponent : public juce::DrawableButton
{
public:
    explicit FavoriteColumnCustomComponent (BankView& ownerView)
        : juce::DrawableButton ({}, juce::DrawableButton::ImageOnButtonBackgroundOriginalSize)
        , view (ownerView)
        , offImage (IconSvgs::createDrawable (IconSvgs::Id::favoriteOff))
        , offOverImage (starWithOutline ("#5D5D5D"))
        , offDownImage (starWithOutline ("#717171"))
        , onImage (IconSvgs::createDrawable (IconSvgs::Id::favoriteOn))
    {
        setImages (offImage.get(), offOverImage.get(), offDownImage.get(), nullptr, onImage.get());
        setWantsKeyboardFocus (false);
    }

    void clicked() override
    {
        if (!getToggleState())
            view.dispatcher->setFavorite (row);
    }

    int row = -1;

private:
    BankView& view;
    std::unique_ptr<juce::Drawable> offImage, offOverImage, offDownImage, onImage;
};

class BankView::NumberColumnCustomComponent : public ui::ColumnCustomComponent
{
public:
    NumberColumnCustomComponent (BankView& ownerView, juce::Component* tableToUse)
        : ui::ColumnCustomComponent (tableToUse)
        , view (ownerView)
        , font (14.0f, juce::Font::plain)
    {
    }

    void resized() override { getContent().setBounds (getLocalBounds()); }

    void paint (juce::Graphics& g) override
    {
        g.setFont (font);
        g.setColour (juce::Colour (0xff232323));
        g.drawRect (juce::Rectangle<int> (0, -1, juce::jmax (0, getWidth()), juce::jmax (0, getHeight() + 2)),
                    1);
        g.setColour (view.getLookAndFeel().findColour (juce::ListBox::textColourId));
        g.drawText (juce::String (getRow() + 1), getLocalBounds(), juce::Justification::centred, true);
    }

private:
    BankView& view;
    juce::Font font;
};

class BankView::TimeColumnCustomComponent : public browse::TimeCell
{
public:
    TimeColumnCustomComponent (BankView& view, juce::Component* tableToUse)
        : browse::TimeCell (
              tableToUse, [&view] (int row) { return view.getBankSeconds (row); }, false)
    {
    }
};

class BankView::ExportButton : public juce::Button
{
public:
    ExportButton()
        : juce::Button ("exportButton")
        , image (IconSvgs::createDrawable (IconSvgs::Id::exportButton))
    {
    }

    void paintButton (juce::Graphics& g, bool highlighted, bool down) override
    {
        const auto w = getWidth(), h = getHeight();
        const auto adjust = [&] (juce::Colour c)
        { return slot::PadLook::adjust (c, *this, highlighted, down); };

        g.setColour (juce::Colour (0xff000000));
        g.drawRoundedRectangle (1.0f, 1.0f, (float)juce::jmax (0, w - 2), (float)juce::jmax (0, h - 2), 5.0f,
                                2.0f);

        const juce::Rectangle<float> inner (2.0f, 2.0f, (float)juce::jmax (0, w - 4),
                                            (float)juce::jmax (0, h - 4));
        g.setColour (adjust (juce::Colour (0xff4b4b4b)));
        g.drawRoundedRectangle (inner, 4.0f, 2.0f);

        g.setGradientFill (juce::ColourGradient::vertical (adjust (juce::Colour (0xff424242)), 0.0f,
                                                           adjust (juce::Colour (0xff232323)), (float)h));
        g.fillRoundedRectangle (inner, 4.0f);

        if (image != nullptr)
            image->drawAt (g, (float)((w - 96) / 2), (float)((h - 24) / 2), isEnabled() ? 1.0f : 0.5f);
    }

private:
    std::unique_ptr<juce::Drawable> image;
};

//==============================================================================
class BankView::TableListBoxModel : public juce::TableListBoxModel
{
public:
    explicit TableListBoxModel (BankView& ownerView)
        : view (ownerView)
    {
    }

    int getNumRows() override { return numRows; }

    void paintRowBackground (juce::Graphics& g, int row, int width, int height, bool isSelected) override
    {
        auto& laf = view.getLookAndFeel();
        const auto selected = laf.findColour (juce::TreeView::selectedItemBackgroundColourId);

        browse::TableRows::fillRowBackground (g, *view.table, row, isSelected, selected,
                                              laf.findColour (juce::TreeView::oddItemsColourId));

        if (row == view.table->getDropRow())
        {
            g.setColour (selected);
            g.drawRect (0, 0, width, height, 1);
        }
    }

    void paintCell (juce::Graphics&, int, int, int, int, bool) override {}

    juce::Component* refreshComponentForCell (int row, int columnId, bool isRowSelected,
                                              juce::Component* existing) override
    {
        switch (columnId)
        {
            case favoriteColumn:
            {
                auto* cell = browse::TableRows::reuseCell<FavoriteColumnCustomComponent> (
                    existing, [this] { return new FavoriteColumnCustomComponent (view); });
                cell->row = row;
                cell->setToggleState (view.isFavorite (row), juce::dontSendNotification);
                cell->setTooltip (TRANS ("Set as FAVORITE BANK"));
                return cell;
            }
            case numberColumn:
            {
                auto* cell = browse::TableRows::reuseCell<NumberColumnCustomComponent> (
                    existing, [this] { return new NumberColumnCustomComponent (view, view.table.get()); });
                cell->setRow (row);
                cell->repaint();
                return cell;
            }
            case nameColumn:
            {
                auto* cell = NameCell::reuse (existing, *view.table,
                                              [v = &view] (NameCell& n, const juce::String& t)
                                              { v->nameEdited (n, t); });
                cell->setEmptyText (TRANS ("Click to enter name"));
                cell->showRow (row, view.getBankName (row), isRowSelected);
                return cell;
            }
            case timeColumn:
            {
                auto* cell = browse::TableRows::reuseCell<TimeColumnCustomComponent> (
                    existing, [this] { return new TimeColumnCustomComponent (view, view.table.get()); });
                cell->setRow (row);
                return cell;
            }
            default:
                delete existing;
                return nullptr;
        }
    }

    int getColumnAutoSizeWidth (int columnId) override
    {
        if (columnId != nameColumn)
            return 0;

        auto& t = *view.table;
        const auto scrollBar =
            t.getVerticalScrollBar().isVisible() ? view.getLookAndFeel().getDefaultScrollbarWidth() : 0;
        return t.getWidth() - 2 * t.getOutlineThickness() - 140 - scrollBar;
    }

    void selectedRowsChanged (int lastRowSelected) override { view.dispatcher->selectBank (lastRowSelected); }

    void deleteKeyPressed (int row) override { view.deleteRow (row); }

    juce::var getDragSourceDescription (const juce::SparseSet<int>& selectedRows) override
    {
        return browse::TableRows::dragDescription (*view.table, "Bank_", nameColumn, selectedRows);
    }

private:
    BankView& view;
};

//==============================================================================
BankView::BankView (BankViewModel& viewModel, ClipboardLink link)
    : BankView (static_cast<IBankCommandDispatcher*> (&viewModel))
{
    registeredWith = &viewModel;
    clipboardLink = std::move (link);
    viewModel.addListener (this);

    if (clipboardLink)
        clipboardLink (this, true);
}

BankView::BankView (IBankCommandDispatcher* dispatcherToUse)
    : dispatcher (dispatcherToUse)
{
    table = std::make_unique<DraggableTableListBox>();
    addAndMakeVisible (*table);

    tableModel = std::make_unique<TableListBoxModel> (*this);
    table->setModel (tableModel.get());

    auto& header = table->getHeader();
    header.addColumn ({}, favoriteColumn, 24, 24, -1, juce::TableHeaderComponent::visible);
    header.addColumn ({}, numberColumn, 26, 26, -1, juce::TableHeaderComponent::visible);
    header.addColumn ({}, nameColumn, 30, 30, -1,
                      juce::TableHeaderComponent::visible | juce::TableHeaderComponent::resizable);
    header.addColumn ({}, timeColumn, 90, 90, -1, juce::TableHeaderComponent::visible);
    table->setHeaderHeight (0);
    table->setRowHeight (28);
    table->updateContent();

    table->onRowMoved = [this] (int from, int to) { moveBank (from, to); };
    table->onBankDropped = [this] (int collectionIndex, juce::String name, int row)
    { loadCollectionBank (collectionIndex, name, row); };
    table->onKeyPressed = [this] (int row, const juce::KeyPress& key) { handleKey (row, key); };
    table->onRowMenuRequested = [this] (int row) { showRowMenu (row); };

    exportButton = std::make_unique<ExportButton>();
    addAndMakeVisible (*exportButton);
    exportButton->setButtonText ("EXPORT");
    exportButton->addListener (this);
    exportButton->setWantsKeyboardFocus (false);

    headerLeftImage = IconSvgs::createDrawable (IconSvgs::Id::bankTitle);
    headerRightImage = IconSvgs::createDrawable (IconSvgs::Id::banksTitleRule);
}

BankView::~BankView()
{
    if (registeredWith != nullptr)
        registeredWith->removeListener (this);

    if (clipboardLink)
        clipboardLink (this, false);

    exportButton->removeListener (this);
    table->setModel (nullptr);
}

juce::Button& BankView::getExportButton() noexcept
{
    return *exportButton;
}

//==============================================================================
void BankView::bankListChanged (const std::unique_ptr<BankListState>& newState)
{
    JUCE_ASSERT_MESSAGE_THREAD
    if (newState == nullptr)
        return;

    state = std::make_unique<BankListState> (*newState);
    table->updateContent();
    table->selectRow (state->currentBank);
}

void BankView::bankChanged (int bankIndex, const juce::String& name, double totalSeconds)
{
    JUCE_ASSERT_MESSAGE_THREAD
    if (state == nullptr || !isRowIndex (bankIndex))
        return;

    state->rows[(size_t)bankIndex] = {name, totalSeconds};
    table->updateContent();
    table->repaint();
}

void BankView::bankNameChanged (int bankIndex, const juce::String& name)
{
    JUCE_ASSERT_MESSAGE_THREAD
    if (state == nullptr || !isRowIndex (bankIndex))
        return;

    state->rows[(size_t)bankIndex].name = name;
    table->updateContent();
}

void BankView::bankTotalTimeChanged (int bankIndex, double totalSeconds)
{
    JUCE_ASSERT_MESSAGE_THREAD
    if (state == nullptr || !isRowIndex (bankIndex))
        return;

    state->rows[(size_t)bankIndex].totalSeconds = totalSeconds;
    table->updateContent();
}

void BankView::favoriteBankChanged (int bankIndex)
{
    JUCE_ASSERT_MESSAGE_THREAD
    if (state == nullptr)
        return;

    state->favoriteBank = bankIndex;
    table->updateContent();
}

void BankView::currentBankChanged (int bankIndex)
{
    JUCE_ASSERT_MESSAGE_THREAD
    if (state != nullptr)
        state->currentBank = bankIndex;

    table->selectRow (bankIndex);
}

void BankView::clipboardChanged (const service::ClipboardInfo& info)
{
    clipboard = info;
}

void BankView::localeChanged()
{
    table->updateContent();
    table->repaint();
    exportButton->setTooltip (
        TRANS ("Write BANK information and sample audio sources for each SLOT to storage media."));
}

void BankView::buttonClicked (juce::Button* button)
{
    if (button == exportButton.get())
        dispatcher->showExportDialog();
}

//==============================================================================
juce::String BankView::getBankName (int row) const
{
    if (state == nullptr || !isRowIndex (row))
        return {};

    return state->rows[(size_t)row].name;
}

double BankView::getBankSeconds (int row) const
{
    if (state == nullptr || !isRowIndex (row))
        return 0.0;

    return state->rows[(size_t)row].totalSeconds;
}

int BankView::findBankByName (const juce::String& name) const
{
    if (state == nullptr)
        return -1;

    for (int i = 0; i < numRows; ++i)
        if (state->rows[(size_t)i].name == name)
            return i;

    return -1;
}

bool BankView::isBankEmpty (int row) const
{
    if (state == nullptr || !isRowIndex (row))
        return true;

    const auto& r = state->rows[(size_t)row];
    return r.name.isEmpty() && !(r.totalSeconds > 0.0);
}

bool BankView::isFavorite (int row) const
{
    return state != nullptr && row == state->favoriteBank;
}

juce::String BankView::makeUniqueName (const juce::String& name) const
{
    return BankNames::makeUnique (
        name, [this] (const juce::String& candidate) { return findBankByName (candidate) >= 0; }, false);
}

void BankView::placeBank (int row, const juce::String& name, std::function<void (const juce::String&)> place)
{
    const auto other = findBankByName (name);
    const auto newName = (other < 0 || other == row) ? juce::String() : makeUniqueName (name);

    if (isBankEmpty (row))
    {
        place (newName);
        return;
    }

    ui::DialogHelper::confirmOverwriteBank (
        browse::TableRows::whileAlive<BankView> (*this, [place, newName] (BankView&) { place (newName); }));
}

void BankView::pasteBankAt (int row, const juce::String& name)
{
    placeBank (row, name,
               [d = dispatcher, row] (const juce::String& newName)
               {
                   if (newName.isEmpty())
                       d->pasteBank (row);
                   else
                       d->pasteBank (row, newName);
               });
}

void BankView::loadCollectionBank (int collectionIndex, const juce::String& name, int row)
{
    placeBank (row, name,
               [d = dispatcher, collectionIndex, row, name] (const juce::String& newName)
               { d->assignBank (collectionIndex, row, newName.isEmpty() ? name : newName); });
}

void BankView::moveBank (int from, int to)
{
    const bool favoriteMoves = state != nullptr && state->favoriteBank == from;
    dispatcher->swapBank (from, to);

    if (favoriteMoves)
        dispatcher->setFavorite (to);
}

void BankView::deleteRow (int row)
{
    if (row < 0 || isBankEmpty (row))
        return;

    ui::DialogHelper::confirmDeleteBank (getBankName (row),
                                         browse::TableRows::whileAlive<BankView> (
                                             *this, [row] (BankView& v) { v.dispatcher->deleteBank (row); }));
}

void BankView::editRowName (int row)
{
    browse::TableRows::showNameEditor (*table, nameColumn, row);
}

void BankView::nameEdited (NameCell& cell, const juce::String& text)
{
    const auto row = cell.getRow();

    // Compared as the service will store it (first 50 code points), so a cut name never
    // duplicates another row.
    const auto stored = BankNames::asStored (text);
    const auto other = findBankByName (stored);

    if (text.isNotEmpty() && other >= 0 && other != row)
    {
        cell.setText (getBankName (row), juce::dontSendNotification);
        return;
    }

    dispatcher->changeBankName (row, text);
}

void BankView::handleKey (int row, const juce::KeyPress& key)
{
    const auto mods = key.getModifiers();
    const bool plain = !mods.isShiftDown() && !mods.isCtrlDown() && !mods.isAltDown();
    const bool ctrlOnly = mods.withoutMouseButtons() == juce::ModifierKeys (juce::ModifierKeys::ctrlModifier);
    const auto character = juce::CharacterFunctions::toLowerCase ((juce::juce_wchar)key.getKeyCode());

    if (ctrlOnly && character == 'c')
    {
        dispatcher->copyBank (row);
        return;
    }

    if (ctrlOnly && character == 'v')
    {
        if (clipboard.kind == service::ClipboardInfo::bank)
            pasteBankAt (row, clipboard.name);
        return;
    }

    if (key.getKeyCode() == juce::KeyPress::F2Key && plain)
    {
        editRowName (row);
        return;
    }

    if (key.getKeyCode() == juce::KeyPress::spaceKey && plain)
        if (auto* star = dynamic_cast<juce::Button*> (table->getCellComponent (favoriteColumn, row)))
            star->triggerClick();
}

juce::PopupMenu BankView::makeRowMenu (int row)
{
    juce::PopupMenu menu;

    if (row < 0)
        return menu;

    using browse::TableRows;
    const bool canPaste = clipboard.kind == service::ClipboardInfo::bank;
    const auto clipName = clipboard.name;

    TableRows::addItem<BankView> (menu, TRANS ("Copy"), true, *this,
                                  [row] (BankView& v) { v.dispatcher->copyBank (row); });
    TableRows::addItem<BankView> (
        menu, canPaste ? TRANS ("Paste '{name}'").replace ("{name}", clipName) : TRANS ("Paste"), canPaste,
        *this, [row, clipName] (BankView& v) { v.pasteBankAt (row, clipName); });
    menu.addSeparator();
    TableRows::addItem<BankView> (menu, TRANS ("Delete"), !isBankEmpty (row), *this,
                                  [row] (BankView& v) { v.deleteRow (row); });
    TableRows::addItem<BankView> (menu, TRANS ("Rename"), true, *this,
                                  [row] (BankView& v) { v.editRowName (row); });
    return menu;
}

void BankView::showRowMenu (int row)
{
    browse::TableRows::showMenu (makeRowMenu (row));
}

//==============================================================================
void BankView::resized()
{
    const auto w = getWidth();
    table->setBounds (10, 35, juce::jmax (0, w - 20), 252);

    if (const auto width = tableModel->getColumnAutoSizeWidth (nameColumn); width > 0)
        table->getHeader().setColumnWidth (nameColumn, width);

    exportButton->setBounds (table->getX() + (table->getWidth() - 270) / 2, table->getBottom() + 10, 270, 40);
}

void BankView::paint (juce::Graphics& g)
{
    const auto w = getWidth();
    g.setColour (juce::Colour (0xff232323));
    g.fillRoundedRectangle (getLocalBounds().toFloat(), 6.0f);

    // The same header as the SLOT views': tab, strip and rule meet in one line at y 11.5.
    slot::PadLook::drawHeader (g, headerLeftImage.get(), headerRightImage.get(), w);

    const auto shadowColour = juce::Colour::fromHSL (juce::Colour (0xff232323).getHue(),
                                                     juce::Colour (0xff232323).getSaturationHSL(),
                                                     juce::Colour (0xff232323).getLightness() * 0.6f, 1.0f);
    const auto button = exportButton->getBounds();
    juce::DropShadow (shadowColour, 10, {0, 0}).drawForRectangle (g, button.withY (button.getY() + 5));
}
} // namespace vantor::bank
