// The BANK table and the browser pane in a real window over a real service, driven with real
// mouse and keys (xdotool) under Xvfb with openbox. Screenshots go to $GLORVAK_SHOTS_DIR.

#include "vantor/browse/BankBrowseHarness.h"

#include "common/player/AudioPlayer.h"
#include "vantor/browse/FactorySamplePage.h"
#include "vantor/browse/NameCell.h"
#include "vantor/browse/UserSamplePage.h"
#include "vantor/dataset/WyxBankCollection.h"

#include <gtest/gtest.h>

namespace
{
using namespace glorvak::test;
using vantor::bank::BankView;
using vantor::browse::BankCollectionPage;

bool hasDisplay()
{
    return juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isNotEmpty() &&
           juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() != nullptr;
}

#define SKIP_WITHOUT_DISPLAY()                                                                               \
    if (!hasDisplay())                                                                                       \
    GTEST_SKIP() << "needs an X display (run under Xvfb with openbox)"

constexpr int rate = 96000;

// BANK 1 12.5 s, BANK 2 17.25 s, BANK 3 16.0 s; the rest empty but named.
std::vector<SlotFixture> timedBanks()
{
    return {{0, 0, "a.wav", rate * 25 / 2}, {1, 0, "b.wav", rate * 69 / 4}, {2, 0, "c.wav", rate * 16}};
}

juce::Point<int> rowPoint (BankView& view, int row, int x = 150)
{
    auto& table = view.getTable();
    const auto r = table.getRowPosition (row, true);
    return BankBrowseHarness::onScreen (table, {x, r.getCentreY()});
}

juce::Point<int> collectionRowPoint (BankCollectionPage& page, int row)
{
    auto& table = page.getTable();
    const auto r = table.getRowPosition (row, true);
    return BankBrowseHarness::onScreen (table, {100, r.getCentreY()});
}

int numModals()
{
    return juce::ModalComponentManager::getInstance()->getNumModalComponents();
}

juce::AlertWindow* topAlert()
{
    return numModals() > 0 ? dynamic_cast<juce::AlertWindow*> (
                                 juce::ModalComponentManager::getInstance()->getModalComponent (0))
                           : nullptr;
}

TEST (BankBrowseWindow, ScreensOfTheBankTableThePaneAndThePages)
{
    SKIP_WITHOUT_DISPLAY();
    BankBrowseHarness h (timedBanks(), 3);
    h.volumes.set ({h.scratch.child ("Stick")});
    h.scratch.child ("Stick/Drums").createDirectory();
    h.scratch.child ("Stick/loop.wav").replaceWithText ("x");
    h.scratch.child ("Stick/LOUD.WAV").replaceWithText ("x");
    h.volumes.change();

    // The pane starts closed: tab 0..24, the sample page at 44.
    auto& pane = *h.browseView;
    EXPECT_FALSE (pane.isCollectionOpen());
    EXPECT_EQ (pane.getOpenCloseButton().getBounds(), juce::Rectangle<int> (0, 0, 24, pane.getHeight()));
    EXPECT_EQ (pane.getSamplePage().getX(), 44);
    EXPECT_EQ (h.bankView->getExportButton().getBounds(), juce::Rectangle<int> (115, 297, 270, 40));
    ASSERT_TRUE (pumpMessagesUntil (
        [&] { return pane.getSamplePage().getUserPage().getSourceNames().size() == 4; }, 20000));
    BankBrowseHarness::screenshot ("01-bank-view-and-pane-closed");

    // A click on the tab slides the collection in.
    BankBrowseHarness::click (BankBrowseHarness::onScreen (pane.getOpenCloseButton(), {12, 100}));
    ASSERT_TRUE (pumpMessagesUntil ([&] { return pane.isCollectionOpen() && !pane.isSliding(); }, 60000));
    EXPECT_EQ (pane.getOpenCloseButton().getBounds(), juce::Rectangle<int> (384, 0, 24, pane.getHeight()));
    EXPECT_EQ (pane.getSamplePage().getX(), 428);
    EXPECT_TRUE (pane.getBankCollectionPage()->isVisible());
    EXPECT_EQ (pane.getBankCollectionPage()->getCapacityLabel().getText(), "0/100");
    EXPECT_TRUE ((bool)common::AppSettingsSingleton::getInstance()->getValue (
        common::SettingsKey::BankCollectionOpen, false));
    BankBrowseHarness::screenshot ("02-pane-open-collection-empty");

    // BANK 2 is over the limit: the service keeps it out.
    for (int bank : {0, 1, 2, 3})
        h.service->saveBankToCollection (bank, -1, {});
    EXPECT_EQ (pane.getBankCollectionPage()->getCapacityLabel().getText(), "3/100");
    BankBrowseHarness::screenshot ("03-collection-filled");

    // The user tree with the volume's folder open.
    auto& user = pane.getSamplePage().getUserPage();
    auto& tree = user.getTreeView();
    juce::TreeViewItem* stick = nullptr;
    ASSERT_TRUE (pumpMessagesUntil (
        [&]
        {
            auto* root = tree.getRootItem();
            for (int i = 0; i < root->getNumSubItems(); ++i)
                if (root->getSubItem (i)->getUniqueName() == h.scratch.child ("Stick").getFullPathName() &&
                    root->getSubItem (i)->mightContainSubItems())
                    stick = root->getSubItem (i);
            return stick != nullptr;
        },
        20000));
    stick->setOpen (true);
    ASSERT_TRUE (pumpMessagesUntil ([&] { return stick->getNumSubItems() == 3; }, 60000));
    BankBrowseHarness::screenshot ("04-user-tree");

    // The factory page through the USER / FACTORY toggle.
    auto& toggle = pane.getSamplePage().getUserFactoryButton();
    BankBrowseHarness::click (BankBrowseHarness::onScreen (toggle, {100, 12}));
    ASSERT_TRUE (
        pumpMessagesUntil ([&] { return pane.getSamplePage().getFactoryPage().isVisible(); }, 60000));
    EXPECT_FALSE (user.isVisible());
    EXPECT_EQ (toggle.getTooltip(), "Click to view files on your computer.");
    ASSERT_TRUE (pumpMessagesUntil (
        [&] { return pane.getSamplePage().getFactoryPage().getList().hasBeenRead(); }, 60000));
    BankBrowseHarness::screenshot ("05-factory-page");
}

TEST (BankBrowseWindow, AStoredBankDroppedOnARowIsLoadedAfterTheOverwriteQuestion)
{
    SKIP_WITHOUT_DISPLAY();
    BankBrowseHarness h (timedBanks(), 0, 2, true);
    common::AppSettingsSingleton::getInstance()->setWarnOverwriting (true);
    auto& page = *h.browseView->getBankCollectionPage();
    ASSERT_TRUE (pumpMessagesUntil ([&] { return page.getCount() == 2 && page.isShowing(); }));
    h.service->renameCollectionBank (1, "Stored Kit");

    // Row 5 holds "BANK 6": the drop asks before it overwrites; Yes (Return) loads.
    ASSERT_TRUE (BankBrowseHarness::drag (collectionRowPoint (page, 1), rowPoint (*h.bankView, 5), page,
                                          [&] { return h.bankView->getTable().getDropRow() == 5; }));
    ASSERT_TRUE (
        pumpMessagesUntil ([] { return vantor::ui::DialogHelper::getCurrentDialog() != nullptr; }, 60000));
    EXPECT_EQ (vantor::ui::DialogHelper::getDialogMessage (*vantor::ui::DialogHelper::getCurrentDialog()),
               "Are you sure you want to overwrite?");
    EXPECT_EQ (h.banks->getRow (5).name, "BANK 6") << "nothing before the answer";
    BankBrowseHarness::screenshot ("11-load-overwrite-question");
    ASSERT_TRUE (
        BankBrowseHarness::pressKeyInWindow (*vantor::ui::DialogHelper::getCurrentDialog(), "Return"));
    ASSERT_TRUE (pumpMessagesUntil ([&] { return h.banks->getRow (5).name == "Stored Kit"; }, 60000));
    EXPECT_EQ (h.banks->getCurrentBank(), 5);
}

TEST (BankBrowseWindow, CollectionRowsReorderWithAnInsertionLine)
{
    SKIP_WITHOUT_DISPLAY();
    BankBrowseHarness h ({}, 0, 4, true);
    auto& page = *h.browseView->getBankCollectionPage();
    ASSERT_TRUE (pumpMessagesUntil ([&] { return page.getCount() == 4 && page.isShowing(); }));
    for (int i = 0; i < 4; ++i)
        h.service->renameCollectionBank (i, juce::String::charToString ((juce::juce_wchar) ('A' + i)));

    auto& table = page.getTable();
    const auto from = collectionRowPoint (page, 0);
    const auto boundary =
        BankBrowseHarness::onScreen (table, {100, table.getRowPosition (3, true).getY() + 2});

    // Pressed and moved, not released: the line shows where the row would go.
    ASSERT_TRUE (BankBrowseHarness::press (from));
    ASSERT_TRUE (BankBrowseHarness::moveInSteps (boundary, 10));
    ASSERT_TRUE (pumpMessagesUntil ([&] { return table.getInsertionRow() == 3; }, 60000));
    BankBrowseHarness::screenshot ("07-collection-insertion-line");
    ASSERT_TRUE (BankBrowseHarness::release());

    ASSERT_TRUE (pumpMessagesUntil ([&] { return page.getItemName (2) == "A"; }, 60000));
    EXPECT_EQ (page.getItemName (0), "B");
    EXPECT_EQ (page.getItemName (1), "C");
    EXPECT_EQ (page.getItemName (3), "D");
}

TEST (BankBrowseWindow, RightClicksOpenTheRowMenuUnlessTheMouseMovedSixPixels)
{
    SKIP_WITHOUT_DISPLAY();
    BankBrowseHarness h (timedBanks());
    const auto at = rowPoint (*h.bankView, 1);

    ASSERT_TRUE (BankBrowseHarness::press (at, 3));
    ASSERT_TRUE (BankBrowseHarness::release (3));
    ASSERT_TRUE (pumpMessagesUntil ([] { return numModals() > 0; }, 60000));
    BankBrowseHarness::screenshot ("08-bank-row-menu");
    EXPECT_TRUE (juce::PopupMenu::dismissAllActiveMenus());
    ASSERT_TRUE (pumpMessagesUntil ([] { return numModals() == 0; }, 60000));

    // Each step seen before the next, so the release has been handled when the menus are looked at.
    ASSERT_TRUE (BankBrowseHarness::press (at, 3));
    ASSERT_TRUE (BankBrowseHarness::moveTo (at + juce::Point<int> (6, 0)));
    ASSERT_TRUE (BankBrowseHarness::release (3));
    EXPECT_EQ (numModals(), 0) << "a right click that moved 6 pixels opens no menu";
}

TEST (BankBrowseWindow, ClicksAfterScrollingToTheBottomReachOnlyLiveCells)
{
    SKIP_WITHOUT_DISPLAY();
    BankBrowseHarness h (timedBanks());
    auto& table = h.bankView->getTable();

    table.scrollToEnsureRowIsOnscreen (14);
    pumpMessagesUntil ([&] { return table.getCellComponent (BankView::nameColumn, 14) != nullptr; });
    for (int row : {14, 10, 8, 12, 6})
    {
        SCOPED_TRACE (row);
        BankBrowseHarness::click (rowPoint (*h.bankView, row));
        ASSERT_TRUE (pumpMessagesUntil ([&] { return table.getSelectedRow() == row; }, 60000));
    }

    // Shrinking the table deletes more cells; clicks still reach only live ones.
    h.bankView->setSize (500, 200);
    table.scrollToEnsureRowIsOnscreen (0);
    for (int row : {0, 2})
    {
        BankBrowseHarness::click (rowPoint (*h.bankView, row));
        ASSERT_TRUE (pumpMessagesUntil ([&] { return table.getSelectedRow() == row; }, 60000));
    }
}
bool isHoveredByABank (BankCollectionPage& page)
{
    return page.getTable().findColour (juce::ListBox::outlineColourId) !=
           juce::Colour (vantor::browse::DraggableTableListBox::idleOutlineColour);
}

// The press of the drag selects row 2 (which loads its SLOTs) and the drag goes on from there.
TEST (BankBrowseWindow, RowTwoDraggedOntoRowSevenSwapsAndTheFavouriteFollows)
{
    SKIP_WITHOUT_DISPLAY();
    BankBrowseHarness h (timedBanks(), 2);
    ASSERT_EQ (h.banks->getRow (2).name, "BANK 3");
    auto& table = h.bankView->getTable();

    ASSERT_TRUE (BankBrowseHarness::drag (rowPoint (*h.bankView, 2), rowPoint (*h.bankView, 7), *h.bankView,
                                          [&] { return table.getDropRow() == 7; }));
    ASSERT_TRUE (pumpMessagesUntil ([&] { return h.banks->getRow (7).name == "BANK 3"; }, 60000));
    EXPECT_EQ (h.banks->getRow (2).name, "BANK 8");
    ASSERT_TRUE (pumpMessagesUntil ([&] { return h.banks->getFavoriteBank() == 7; }, 60000));
    EXPECT_EQ (table.getDropRow(), -1) << "the drop outline is gone";
}

TEST (BankBrowseWindow, ABankOverTheClosedTabOpensItAndDroppedInTheCollectionIsStored)
{
    SKIP_WITHOUT_DISPLAY();
    BankBrowseHarness h (timedBanks());
    auto& pane = *h.browseView;
    auto& page = *pane.getBankCollectionPage();
    auto& tab = pane.getOpenCloseButton();
    ASSERT_FALSE (pane.isCollectionOpen());
    auto* settings = common::AppSettingsSingleton::getInstance();
    settings->setWarnOverwriting (true);

    // Row 0 (BANK 1; BANK 2 is over the limit, which the service refuses to store) onto the tab:
    // the collection slides open. The pointer follows the moving
    // tab while it slides, entering it again and again: the tab only ever opens.
    const auto from = rowPoint (*h.bankView, 0);
    ASSERT_TRUE (BankBrowseHarness::press (from));
    ASSERT_TRUE (BankBrowseHarness::moveInSteps (from + juce::Point<int> (0, 12), 2));
    ASSERT_TRUE (pumpMessagesUntil ([&] { return h.bankView->isDragAndDropActive(); }, 60000));
    ASSERT_TRUE (BankBrowseHarness::moveInSteps (BankBrowseHarness::onScreen (tab, {12, 200})));
    ASSERT_TRUE (pumpMessagesUntil ([&] { return pane.isCollectionOpen(); }, 60000));
    for (int i = 0; pane.isSliding() && i < 40; ++i)
    {
        BankBrowseHarness::moveTo (BankBrowseHarness::onScreen (tab, {4 + 16 * (i % 2), 200}));
        EXPECT_TRUE (pane.isCollectionOpen());
    }
    ASSERT_TRUE (pumpMessagesUntil ([&] { return !pane.isSliding(); }, 60000));
    EXPECT_TRUE (pane.isCollectionOpen());

    // On into the collection, whose outline lights up, and dropped: stored.
    ASSERT_TRUE (BankBrowseHarness::moveInSteps (BankBrowseHarness::onScreen (page.getTable(), {150, 100})));
    ASSERT_TRUE (pumpMessagesUntil ([&] { return isHoveredByABank (page); }, 60000));
    ASSERT_TRUE (BankBrowseHarness::release());
    ASSERT_TRUE (pumpMessagesUntil ([&] { return page.getCount() == 1; }, 60000));
    EXPECT_EQ (page.getItemName (0), "BANK 1");
    EXPECT_FALSE (isHoveredByABank (page));

    // The same BANK again: Overwrite, Save As or Cancel; Cancel stores nothing.
    ASSERT_TRUE (BankBrowseHarness::drag (rowPoint (*h.bankView, 0), collectionRowPoint (page, 0),
                                          *h.bankView, [&] { return isHoveredByABank (page); }));
    ASSERT_TRUE (pumpMessagesUntil ([] { return topAlert() != nullptr; }, 60000));
    auto* question = topAlert();
    EXPECT_EQ (question->getNumButtons(), 3);
    juce::StringArray buttons;
    for (auto* child : question->getChildren())
        if (auto* button = dynamic_cast<juce::Button*> (child))
            buttons.add (button->getButtonText());
    EXPECT_EQ (buttons, juce::StringArray ({"Overwrite", "Save As", "Cancel"}));
    BankBrowseHarness::screenshot ("06-same-name-question");
    ASSERT_TRUE (BankBrowseHarness::pressKeyInWindow (*topAlert(), "Escape"));
    ASSERT_TRUE (pumpMessagesUntil ([] { return numModals() == 0; }, 60000));
    EXPECT_EQ (page.getCount(), 1);

    // A BANK without a name is offered Save As with "Untitled BANK"; OK stores it so.
    h.service->renameBank (2, {});
    ASSERT_TRUE (pumpMessagesUntil ([&] { return h.banks->getRow (2).name.isEmpty(); }));
    ASSERT_TRUE (BankBrowseHarness::drag (rowPoint (*h.bankView, 2), collectionRowPoint (page, 0),
                                          *h.bankView, [&] { return isHoveredByABank (page); }));
    ASSERT_TRUE (
        pumpMessagesUntil ([] { return vantor::ui::DialogHelper::getCurrentDialog() != nullptr; }, 60000));
    auto* saveAs = vantor::ui::DialogHelper::getCurrentDialog();
    EXPECT_EQ (saveAs->getTextEditorContents ("text"), "Untitled BANK");
    BankBrowseHarness::screenshot ("09-save-as-untitled-bank");
    ASSERT_TRUE (
        BankBrowseHarness::pressKeyInWindow (*vantor::ui::DialogHelper::getCurrentDialog(), "Return"));
    ASSERT_TRUE (pumpMessagesUntil ([&] { return page.getCount() == 2; }, 60000));
    EXPECT_GE (page.findRowByName ("Untitled BANK"), 0);
}

// F2 opens the name editor of the selected row; Ctrl+F2 does not.
TEST (BankBrowseWindow, FTwoRenamesTheSelectedRowAndCtrlFTwoDoesNot)
{
    SKIP_WITHOUT_DISPLAY();
    BankBrowseHarness h (timedBanks());
    BankBrowseHarness::click (rowPoint (*h.bankView, 4));
    ASSERT_TRUE (pumpMessagesUntil ([&] { return h.banks->getCurrentBank() == 4; }, 60000));
    ASSERT_TRUE (BankBrowseHarness::waitForKeyboardFocus (h.bankView->getTable()));
    const auto editing = [&] (int row)
    {
        auto* cell =
            dynamic_cast<juce::Label*> (h.bankView->getTable().getCellComponent (BankView::nameColumn, row));
        return cell != nullptr && cell->isBeingEdited();
    };

    // Down after Ctrl+F2 moves the selection once both keys are handled, in their order.
    BankBrowseHarness::xdotool ({"key", "ctrl+F2", "key", "Down"});
    ASSERT_TRUE (pumpMessagesUntil ([&] { return h.banks->getCurrentBank() == 5; }, 60000));
    EXPECT_FALSE (editing (4));
    EXPECT_FALSE (editing (5));

    ASSERT_TRUE (BankBrowseHarness::pressKeyUntil ("F2", [&] { return editing (5); }));
    BankBrowseHarness::xdotool ({"key", "ctrl+a", "type", "Renamed"});
    BankBrowseHarness::xdotool ({"key", "Return"});
    ASSERT_TRUE (pumpMessagesUntil ([&] { return h.banks->getRow (5).name == "Renamed"; }, 60000));
}

// Space held down on a file: the key repeats, the preview toggles once.
TEST (BankBrowseWindow, SpaceHeldOnAFileTogglesThePreviewOnce)
{
    SKIP_WITHOUT_DISPLAY();
    BankBrowseHarness h ({});
    const auto kick = writeSeededWav (h.factoryFolder.getChildFile ("Kick 01.wav"), rate, 7);
    auto& samples = h.browseView->getSamplePage();
    BankBrowseHarness::click (BankBrowseHarness::onScreen (samples.getUserFactoryButton(), {100, 12}));
    auto& factory = samples.getFactoryPage();
    ASSERT_TRUE (
        pumpMessagesUntil ([&] { return factory.isVisible() && factory.getList().hasBeenRead(); }, 60000));

    auto& tree = factory.getTree();
    juce::TreeViewItem* item = nullptr;
    ASSERT_TRUE (pumpMessagesUntil (
        [&]
        {
            if (auto* root = tree.getRootItem())
                for (int i = 0; i < root->getNumSubItems(); ++i)
                    if (root->getSubItem (i)->getUniqueName() == kick.getFullPathName())
                        item = root->getSubItem (i);
            return item != nullptr;
        },
        60000));
    BankBrowseHarness::click (BankBrowseHarness::onScreen (tree, item->getItemPosition (true).getCentre()));
    ASSERT_TRUE (pumpMessagesUntil ([&] { return item->isSelected(); }, 60000));
    ASSERT_TRUE (BankBrowseHarness::waitForKeyboardFocus (tree));

    // Counts the key's presses (auto-repeat included) as they reach the tree.
    struct PressCounter : juce::KeyListener
    {
        bool keyPressed (const juce::KeyPress& key, juce::Component*) override
        {
            presses += key.getKeyCode() == juce::KeyPress::spaceKey ? 1 : 0;
            return false;
        }
        int presses = 0;
    } counter;
    tree.addKeyListener (&counter);

    using common::player::AudioPlayer;
    const auto playingKick = [&kick]
    {
        auto* player = AudioPlayer::getInstanceWithoutCreating();
        return player != nullptr && player->getCurrentUrl() == juce::URL (kick) && player->isPlaying();
    };
    ASSERT_FALSE (playingKick());

    BankBrowseHarness::xdotool ({"keydown", "space"});
    bool stoppedWhileHeld = false;
    const auto repeated = pumpMessagesUntil (
        [&]
        {
            if (counter.presses > 0 && !playingKick())
                stoppedWhileHeld = stoppedWhileHeld || counter.presses > 1;
            return counter.presses >= 4;
        },
        60000);
    BankBrowseHarness::xdotool ({"keyup", "space"});
    tree.removeKeyListener (&counter);
    if (!repeated)
        GTEST_SKIP() << "the X server does not repeat a held key here (" << counter.presses << " presses)";

    EXPECT_FALSE (stoppedWhileHeld);
    EXPECT_TRUE (playingKick()) << "one toggle: the preview plays";
    if (auto* player = AudioPlayer::getInstanceWithoutCreating())
        player->startOrStop (false);
}

// A selected row scrolled out of view has no cells; Delete still names it in the question.
TEST (BankBrowseWindow, TheDeleteQuestionOfARowScrolledOutOfViewNamesIt)
{
    SKIP_WITHOUT_DISPLAY();
    BankBrowseHarness h (timedBanks(), 0, 30, true);
    common::AppSettingsSingleton::getInstance()->setWarnDeleting (true);
    auto& page = *h.browseView->getBankCollectionPage();
    ASSERT_TRUE (pumpMessagesUntil ([&] { return page.getCount() == 30 && page.isShowing(); }, 60000));

    struct Case
    {
        const char* table;
        juce::TableListBox* list;
        int nameColumn;
        std::function<juce::String()> name;
        std::function<int()> count;
    };
    const Case cases[] = {
        {"BANK", &h.bankView->getTable(), BankView::nameColumn, [&] { return h.banks->getRow (0).name; },
         [&] { return (int)h.banks->getRow (0).name.isNotEmpty(); }},
        {"collection", &page.getTable(), BankCollectionPage::nameColumn, [&] { return page.getItemName (0); },
         [&] { return page.getCount(); }},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.table);
        auto& table = *c.list;
        const auto name = c.name();
        const auto countBefore = c.count();
        ASSERT_TRUE (name.isNotEmpty());
        table.scrollToEnsureRowIsOnscreen (0);
        ASSERT_TRUE (pumpMessagesUntil ([&] { return table.getCellComponent (c.nameColumn, 0) != nullptr; }));
        BankBrowseHarness::click (
            BankBrowseHarness::onScreen (table, table.getRowPosition (0, true).getCentre()));
        ASSERT_TRUE (pumpMessagesUntil ([&] { return table.isRowSelected (0); }, 60000));
        ASSERT_TRUE (BankBrowseHarness::waitForKeyboardFocus (table));

        table.scrollToEnsureRowIsOnscreen (table.getNumRows() - 1);
        ASSERT_TRUE (pumpMessagesUntil ([&] { return table.getCellComponent (c.nameColumn, 0) == nullptr; }));
        ASSERT_TRUE (BankBrowseHarness::pressKeyUntil (
            "Delete", [] { return vantor::ui::DialogHelper::getCurrentDialog() != nullptr; }));
        EXPECT_EQ (vantor::ui::DialogHelper::getDialogMessage (*vantor::ui::DialogHelper::getCurrentDialog()),
                   "Are you sure you want to delete '" + name + "'?");
        BankBrowseHarness::screenshot (juce::String ("10-delete-question-") + c.table);
        ASSERT_TRUE (
            BankBrowseHarness::pressKeyInWindow (*vantor::ui::DialogHelper::getCurrentDialog(), "Escape"));
        // The helper lets go of its dialog before JUCE ends the modal state: a click in between
        // would be swallowed by the dialog's modality.
        ASSERT_TRUE (pumpMessagesUntil (
            [] { return vantor::ui::DialogHelper::getCurrentDialog() == nullptr && numModals() == 0; },
            60000));
        EXPECT_EQ (c.count(), countBefore) << "cancelled";
    }
}
} // namespace
