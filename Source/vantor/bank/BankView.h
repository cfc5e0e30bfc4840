#pragma once

#include "common/LocaleObserver.h"
#include "vantor/bank/BankObserver.h"
#include "vantor/bank/DraggableTableListBox.h"
#include "vantor/bank/IBankCommandDispatcher.h"
#include "vantor/service/ClipboardObserver.h"
#include "vantor/ui/ColumnCustomComponent.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

namespace vantor::browse
{
class NameCell;
}

namespace vantor::bank
{
class BankViewModel;

/** The 15 BANKs of the working model: FAVORITE star, number, name and a bar of the BANK's time
    against the 16-second limit, with the EXPORT button below. The selected row is the current
    BANK. Rows are renamed in place, copied, pasted and deleted (menu and keys), swapped by
    dragging one onto another (the FAVORITE mark follows the dragged BANK), loaded from the bank
    collection by a drop, and dragged out into the collection.
    The view keeps its own copy of the last BANK list and acts only through the dispatcher.
    Threads: message thread. */
class BankView : public juce::Component,
                 public juce::DragAndDropContainer,
                 private juce::Button::Listener,
                 public BankObserver,
                 public service::ClipboardObserver,
                 public common::LocaleObserver
{
public:
    using ClipboardLink = service::ClipboardLink;

    /** Registers with the view model and the clipboard now and leaves both in the destructor;
        both outlive the view. */
    BankView (BankViewModel& viewModel, ClipboardLink clipboardLink);
    /** Registers nothing (the caller feeds the observer operations). */
    explicit BankView (IBankCommandDispatcher* dispatcher);
    ~BankView() override;

    void bankListChanged (const std::unique_ptr<BankListState>& state) override;
    void bankChanged (int bankIndex, const juce::String& name, double totalSeconds) override;
    void bankNameChanged (int bankIndex, const juce::String& name) override;
    void bankTotalTimeChanged (int bankIndex, double totalSeconds) override;
    void favoriteBankChanged (int bankIndex) override;
    void currentBankChanged (int bankIndex) override;
    void clipboardChanged (const service::ClipboardInfo& info) override;
    void localeChanged() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    juce::String getBankName (int row) const;
    double getBankSeconds (int row) const;
    int findBankByName (const juce::String& name) const;
    bool isBankEmpty (int row) const;
    juce::String makeUniqueName (const juce::String& name) const;
    void pasteBankAt (int row, const juce::String& name);
    void loadCollectionBank (int collectionIndex, const juce::String& name, int row);
    void moveBank (int from, int to);
    void showRowMenu (int row);
    juce::PopupMenu makeRowMenu (int row);
    void handleKey (int row, const juce::KeyPress& key);
    void deleteRow (int row);
    void editRowName (int row);
    void nameEdited (browse::NameCell& cell, const juce::String& text);

    bool isFavorite (int row) const;
    const service::ClipboardInfo& getClipboard() const noexcept { return clipboard; }
    DraggableTableListBox& getTable() noexcept { return *table; }
    juce::Button& getExportButton() noexcept;
    IBankCommandDispatcher& getDispatcher() noexcept { return *dispatcher; }

    static constexpr int numRows = 15;
    enum ColumnIds
    {
        favoriteColumn = 1,
        numberColumn = 2,
        nameColumn = 3,
        timeColumn = 4
    };

    class FavoriteColumnCustomComponent;
    class NumberColumnCustomComponent;
    class TimeColumnCustomComponent;
    class ExportButton;

private:
    class TableListBoxModel;

    void buttonClicked (juce::Button* button) override;
    /** The paste and load decision: direct on an empty row, else after the overwrite question;
        a name another row bears gets a unique one. */
    void placeBank (int row, const juce::String& name,
                    std::function<void (const juce::String& newName)> place);

    IBankCommandDispatcher* dispatcher;
    BankViewModel* registeredWith = nullptr;
    ClipboardLink clipboardLink;
    std::unique_ptr<BankListState> state;
    service::ClipboardInfo clipboard;
    std::unique_ptr<DraggableTableListBox> table;
    std::unique_ptr<TableListBoxModel> tableModel;
    std::unique_ptr<ExportButton> exportButton;
    std::unique_ptr<juce::Drawable> headerLeftImage;
    std::unique_ptr<juce::Drawable> headerRightImage;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BankView)
};
} // namespace vantor::bank
