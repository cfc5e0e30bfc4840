#pragma once

#include "vantor/browse/BrowseObserver.h"
#include "vantor/browse/DraggableTableListBox.h"
#include "vantor/browse/IBrowseCommandDispatcher.h"
#include "vantor/browse/TimeCell.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <vector>

namespace vantor::browse
{
class NameCell;

/** The stored BANKs: title, "n/100", and a table of names with a bar of each BANK's time against
    the 16-second limit. A BANK row dropped from the BANK table is stored (same name: Overwrite,
    Save As or Cancel; no name: Save As "Untitled BANK"); own rows are reordered with an insertion
    line, renamed in place and deleted. The page changes the collection only through the
    dispatcher and shows what the view model reports back.
    Threads: message thread. */
class BankCollectionPage : public juce::Component, public juce::DragAndDropContainer, public BrowseObserver
{
public:
    /** The dispatcher outlives the page. The page does not register itself as an observer. */
    explicit BankCollectionPage (IBrowseCommandDispatcher* dispatcher);
    ~BankCollectionPage() override;

    void bankCollectionChanged (const std::vector<BankCollectionItem>& items) override;
    void bankCollectionItemChanged (int index, const juce::String& name, double seconds) override;
    void bankCollectionItemRenamed (int index, const juce::String& name) override;
    void bankCollectionItemSelected (int index) override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    /** Empty (and 0) outside the list or before the first list. */
    juce::String getItemName (int row) const;
    double getItemSeconds (int row) const;
    int findRowByName (const juce::String& name) const;
    bool isNameUsedByOtherRow (int row, const juce::String& name) const;
    juce::String makeUniqueName (const juce::String& name) const;
    int getCount() const noexcept { return count; }

    void renameRow (int row, const juce::String& name);
    void saveDroppedBank (int bankIndex, const juce::String& name);
    void showRowMenu (int row);
    juce::PopupMenu makeRowMenu (int row);
    /** The row's name from the page's own copy, so a row scrolled out of view is named too. */
    void deleteRow (int row);
    /** Opens the name editor of the row (when its cell exists). */
    void editRowName (int row);
    /** The edit of a row's name was committed with text. */
    void nameEdited (NameCell& cell, const juce::String& text);

    DraggableTableListBox& getTable() noexcept { return *table; }
    juce::Label& getCapacityLabel() noexcept { return *capacityLabel; }

    static constexpr int maxBanks = 100;
    static constexpr int nameColumn = 1;
    static constexpr int timeColumn = 2;

    class TimeColumnCustomComponent;

private:
    class TableListBoxModel;

    void applyBackgroundRule();
    void handleKey (int row, const juce::KeyPress& key);

    IBrowseCommandDispatcher* dispatcher;
    std::unique_ptr<juce::Label> capacityLabel;
    std::unique_ptr<DraggableTableListBox> table;
    std::unique_ptr<TableListBoxModel> tableModel;
    int count = 0;
    std::unique_ptr<std::vector<BankCollectionItem>> items;
    std::unique_ptr<juce::Drawable> titleImage;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BankCollectionPage)
};

/** The bar of a stored BANK's time against the 16-second limit (red and full above it). */
class BankCollectionPage::TimeColumnCustomComponent : public TimeCell
{
public:
    TimeColumnCustomComponent (BankCollectionPage& page, juce::Component* table);
};
} // namespace vantor::browse
