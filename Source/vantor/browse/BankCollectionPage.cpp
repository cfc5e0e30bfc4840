#include "vantor/browse/BankCollectionPage.h"

#include "vantor/browse/BankNames.h"
#include "vantor/browse/NameCell.h"
#include "vantor/browse/TableRows.h"
#include "vantor/ui/DialogHelper.h"
#include "vantor/ui/IconSvgs.h"

namespace vantor::browse
{
//==============================================================================
class BankCollectionPage::TableListBoxModel : public juce::TableListBoxModel
{
public:
    explicit TableListBoxModel (BankCollectionPage& ownerPage)
        : page (ownerPage)
    {
    }

    int getNumRows() override { return page.count; }

    void paintRowBackground (juce::Graphics& g, int row, int width, int height, bool isSelected) override
    {
        auto& laf = page.getLookAndFeel();
        const auto selected = laf.findColour (juce::TreeView::selectedItemBackgroundColourId);
        const auto odd = laf.isColourSpecified (juce::TreeView::oddItemsColourId)
                             ? laf.findColour (juce::TreeView::oddItemsColourId)
                             : juce::Colour (0xff000000);

        TableRows::fillRowBackground (g, *page.table, row, isSelected, selected, odd);

        const auto insertionRow = page.table->getInsertionRow();
        g.setColour (selected);

        if (row == insertionRow && width > 0)
            g.fillRect (0, 0, width, 1);
        else if (insertionRow == getNumRows() && row == getNumRows() - 1 && width > 0)
            g.fillRect (0, height - 1, width, 1);
    }

    void paintCell (juce::Graphics&, int, int, int, int, bool) override {}

    juce::Component* refreshComponentForCell (int row, int columnId, bool isRowSelected,
                                              juce::Component* existing) override
    {
        if (columnId == timeColumn)
        {
            auto* cell = TableRows::reuseCell<TimeColumnCustomComponent> (
                existing, [this] { return new TimeColumnCustomComponent (page, page.table.get()); });
            cell->setRow (row);
            return cell;
        }

        if (columnId == nameColumn)
        {
            auto* cell =
                NameCell::reuse (existing, *page.table,
                                 [p = &page] (NameCell& n, const juce::String& t) { p->nameEdited (n, t); });
            cell->showRow (row, page.getItemName (row), isRowSelected);
            return cell;
        }

        delete existing;
        return nullptr;
    }

    int getColumnAutoSizeWidth (int columnId) override
    {
        if (columnId != nameColumn)
            return 0;

        return page.table->getWidth() - 2 * page.table->getOutlineThickness() -
               page.getLookAndFeel().getDefaultScrollbarWidth() - 80;
    }

    void deleteKeyPressed (int row) override { page.deleteRow (row); }

    juce::var getDragSourceDescription (const juce::SparseSet<int>& selectedRows) override
    {
        return TableRows::dragDescription (*page.table, "BankCollection_", nameColumn, selectedRows);
    }

private:
    BankCollectionPage& page;
};

//==============================================================================
BankCollectionPage::TimeColumnCustomComponent::TimeColumnCustomComponent (BankCollectionPage& page,
                                                                          juce::Component* tableToUse)
    : TimeCell (
          tableToUse, [&page] (int row) { return page.getItemSeconds (row); }, true)
{
}

//==============================================================================
BankCollectionPage::BankCollectionPage (IBrowseCommandDispatcher* dispatcherToUse)
    : dispatcher (dispatcherToUse)
{
    capacityLabel = std::make_unique<juce::Label> ("capacityLabel", "");
    addAndMakeVisible (*capacityLabel);
    capacityLabel->setJustificationType (juce::Justification::centredLeft);
    capacityLabel->setColour (juce::Label::textColourId, juce::Colour (0xff999999));
    capacityLabel->setFont (juce::Font (12.0f, juce::Font::plain));

    table = std::make_unique<DraggableTableListBox>();
    addAndMakeVisible (*table);

    tableModel = std::make_unique<TableListBoxModel> (*this);
    table->setModel (tableModel.get());

    auto& header = table->getHeader();
    header.addColumn ({}, nameColumn, 30, 30, -1,
                      juce::TableHeaderComponent::visible | juce::TableHeaderComponent::resizable);
    header.addColumn ({}, timeColumn, 80, 80, -1, juce::TableHeaderComponent::visible);
    table->setHeaderHeight (0);
    table->setRowHeight (28);
    table->updateContent();

    table->onRowMoved = [this] (int from, int to) { dispatcher->moveBank (from, to); };
    table->onBankDropped = [this] (const int& bankIndex, const juce::String& name)
    { saveDroppedBank (bankIndex, name); };
    table->onKeyPressed = [this] (int row, const juce::KeyPress& key) { handleKey (row, key); };
    table->onRowMenuRequested = [this] (int row) { showRowMenu (row); };

    table->setColour (juce::ListBox::backgroundColourId, juce::Colour (0x00000000));

    titleImage = ui::IconSvgs::createDrawable (ui::IconSvgs::Id::bankCollectionTitle);
    capacityLabel->setText (juce::String::formatted ("%d/%d", 0, maxBanks), juce::dontSendNotification);
}

BankCollectionPage::~BankCollectionPage()
{
    table->setModel (nullptr);
}

//==============================================================================
void BankCollectionPage::applyBackgroundRule()
{
    table->setColour (juce::ListBox::backgroundColourId,
                      table->getNumRows() > 0
                          ? getLookAndFeel().findColour (juce::ListBox::backgroundColourId)
                          : juce::Colour (0x00000000));
    repaint();
}

void BankCollectionPage::bankCollectionChanged (const std::vector<BankCollectionItem>& newItems)
{
    JUCE_ASSERT_MESSAGE_THREAD
    count = (int)newItems.size();
    items = std::make_unique<std::vector<BankCollectionItem>> (newItems);
    table->updateContent();
    applyBackgroundRule();
    capacityLabel->setText (juce::String::formatted ("%d/%d", count, maxBanks), juce::dontSendNotification);
}

void BankCollectionPage::bankCollectionItemChanged (int index, const juce::String& name, double seconds)
{
    JUCE_ASSERT_MESSAGE_THREAD
    if (items == nullptr || (size_t)index >= items->size())
        return;

    (*items)[(size_t)index] = {name, seconds};
    table->updateContent();
    table->repaint();
    applyBackgroundRule();
}

void BankCollectionPage::bankCollectionItemRenamed (int index, const juce::String& name)
{
    JUCE_ASSERT_MESSAGE_THREAD
    if (items == nullptr || (size_t)index >= items->size())
        return;

    (*items)[(size_t)index].name = name;
    table->updateContent();
}

void BankCollectionPage::bankCollectionItemSelected (int index)
{
    JUCE_ASSERT_MESSAGE_THREAD
    table->selectRow (index);
}

//==============================================================================
juce::String BankCollectionPage::getItemName (int row) const
{
    if (items == nullptr || (size_t)row >= items->size())
        return {};

    return (*items)[(size_t)row].name;
}

double BankCollectionPage::getItemSeconds (int row) const
{
    if (items == nullptr || (size_t)row >= items->size())
        return 0.0;

    return (*items)[(size_t)row].seconds;
}

int BankCollectionPage::findRowByName (const juce::String& name) const
{
    if (items == nullptr)
        return -1;

    for (size_t i = 0; i < items->size(); ++i)
        if ((*items)[i].name == name)
            return (int)i;

    return -1;
}

bool BankCollectionPage::isNameUsedByOtherRow (int row, const juce::String& name) const
{
    if (items == nullptr)
        return false;

    for (size_t i = 0; i < items->size(); ++i)
        if ((int)i != row && (*items)[i].name == name)
            return true;

    return false;
}

juce::String BankCollectionPage::makeUniqueName (const juce::String& name) const
{
    return BankNames::makeUnique (
        name.isEmpty() ? TRANS ("Untitled BANK") : name,
        [this] (const juce::String& candidate) { return findRowByName (candidate) >= 0; }, true);
}

//==============================================================================
void BankCollectionPage::renameRow (int row, const juce::String& name)
{
    dispatcher->renameBank (row, name);
}

void BankCollectionPage::nameEdited (NameCell& cell, const juce::String& text)
{
    const auto row = cell.getRow();

    // The service keeps the first 50 code points: a name that becomes another row's name once
    // cut is refused here like an exact match.
    if (text.isEmpty() || isNameUsedByOtherRow (row, BankNames::asStored (text)))
    {
        cell.setText (getItemName (row), juce::dontSendNotification);
        return;
    }

    renameRow (row, text);
}

void BankCollectionPage::saveDroppedBank (int bankIndex, const juce::String& name)
{
    JUCE_ASSERT_MESSAGE_THREAD

    juce::Component::SafePointer<BankCollectionPage> self (this);
    auto onNewName = [self, bankIndex] (const juce::String& newName)
    {
        if (self == nullptr)
            return true;

        if (self->findRowByName (newName) >= 0)
            return false;

        self->dispatcher->saveBankAs (bankIndex, newName);
        return true;
    };

    if (name.isEmpty())
    {
        ui::DialogHelper::showSaveAsDialog (makeUniqueName ({}), onNewName);
        return;
    }

    const auto found = findRowByName (name);

    if (found < 0)
    {
        dispatcher->saveBank (bankIndex);
        return;
    }

    ui::DialogHelper::resolveSameNameBank (
        TableRows::whileAlive<BankCollectionPage> (*this, [bankIndex, found] (BankCollectionPage& p)
                                                   { p.dispatcher->overwriteBank (bankIndex, found); }),
        makeUniqueName (name), onNewName);
}

void BankCollectionPage::deleteRow (int row)
{
    if (row < 0 || row >= count)
        return;

    ui::DialogHelper::confirmDeleteCollectionBank (
        getItemName (row), TableRows::whileAlive<BankCollectionPage> (*this, [row] (BankCollectionPage& p)
                                                                      { p.dispatcher->deleteBank (row); }));
}

void BankCollectionPage::editRowName (int row)
{
    TableRows::showNameEditor (*table, nameColumn, row);
}

void BankCollectionPage::handleKey (int row, const juce::KeyPress& key)
{
    const auto mods = key.getModifiers();

    if (key.getKeyCode() == juce::KeyPress::F2Key && !mods.isShiftDown() && !mods.isCtrlDown() &&
        !mods.isAltDown() && row >= 0)
        editRowName (row);
}

juce::PopupMenu BankCollectionPage::makeRowMenu (int row)
{
    juce::PopupMenu menu;

    if (row < 0)
        return menu;

    TableRows::addItem<BankCollectionPage> (menu, TRANS ("Delete"), true, *this,
                                            [row] (BankCollectionPage& p) { p.deleteRow (row); });
    TableRows::addItem<BankCollectionPage> (menu, TRANS ("Rename"), true, *this,
                                            [row] (BankCollectionPage& p) { p.editRowName (row); });
    return menu;
}

void BankCollectionPage::showRowMenu (int row)
{
    TableRows::showMenu (makeRowMenu (row));
}

//==============================================================================
void BankCollectionPage::resized()
{
    capacityLabel->setBounds (142, 0, juce::jmax (0, getWidth() - 142), 24);
    table->setBounds (0, 30, getWidth(), juce::jmax (0, getHeight() - 30));

    if (const auto width = tableModel->getColumnAutoSizeWidth (nameColumn); width > 0)
        table->getHeader().setColumnWidth (nameColumn, width);
}

void BankCollectionPage::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0xff000000));

    if (!table->findColour (juce::ListBox::backgroundColourId).isOpaque())
    {
        g.setColour (juce::Colour (0xff555555));
        g.drawText (TRANS ("Drop BANK here"), table->getBounds(), juce::Justification::centred, true);
    }

    if (titleImage != nullptr)
        titleImage->drawAt (g, 0.0f, 5.0f, 1.0f);
}
} // namespace vantor::browse
