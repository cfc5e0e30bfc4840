// The BANK table and the browser pane in a real window over a real service, driven with real
// mouse and keys (xdotool) under Xvfb with openbox. Screenshots go to $GLORVAK_SHOTS_DIR.

#include "vantor/browse/BankBrowseHarness.h"

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
    ASSERT_TRUE (pumpMessagesUntil ([&] { return pane.isCollectionOpen() && !pane.isSliding(); }));
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
    ASSERT_TRUE (pumpMessagesUntil ([&] { return stick->getNumSubItems() == 3; }));
    BankBrowseHarness::screenshot ("04-user-tree");

    // The factory page through the USER / FACTORY toggle.
    auto& toggle = pane.getSamplePage().getUserFactoryButton();
    BankBrowseHarness::click (BankBrowseHarness::onScreen (toggle, {100, 12}));
    ASSERT_TRUE (pumpMessagesUntil ([&] { return pane.getSamplePage().getFactoryPage().isVisible(); }));
    EXPECT_FALSE (user.isVisible());
    EXPECT_EQ (toggle.getTooltip(), "Click to view files on your computer.");
    ASSERT_TRUE (
        pumpMessagesUntil ([&] { return pane.getSamplePage().getFactoryPage().getList().hasBeenRead(); }));
    BankBrowseHarness::screenshot ("05-factory-page");
}

TEST (BankBrowseWindow, AStoredBankDroppedOnARowIsLoadedAfterTheOverwriteQuestion)
{
    SKIP_WITHOUT_DISPLAY();
    BankBrowseHarness h (timedBanks(), 0, 2, true);
    common::AppSettingsSingleton::getInstance()->setWarnOverwriting (false);
    auto& page = *h.browseView->getBankCollectionPage();
    ASSERT_TRUE (pumpMessagesUntil ([&] { return page.getCount() == 2 && page.isShowing(); }));
    h.service->renameCollectionBank (1, "Stored Kit");

    ASSERT_TRUE (BankBrowseHarness::drag (collectionRowPoint (page, 1), rowPoint (*h.bankView, 5)));
    ASSERT_TRUE (pumpMessagesUntil ([&] { return h.banks->getRow (5).name == "Stored Kit"; }));
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
    juce::StringArray press{
        "mousemove", juce::String (from.x), juce::String (from.y), "sleep", "0.2", "mousedown", "1"};
    for (int i = 1; i <= 10; ++i)
    {
        const auto p = from + (boundary - from) * i / 10;
        press.addArray ({"sleep", "0.05", "mousemove", juce::String (p.x), juce::String (p.y)});
    }
    press.addArray ({"sleep", "0.3"});
    ASSERT_TRUE (BankBrowseHarness::xdotool (press));
    EXPECT_EQ (table.getInsertionRow(), 3);
    BankBrowseHarness::screenshot ("07-collection-insertion-line");
    BankBrowseHarness::xdotool ({"mouseup", "1", "sleep", "0.2"});

    ASSERT_TRUE (pumpMessagesUntil ([&] { return page.getItemName (2) == "A"; }));
    EXPECT_EQ (page.getItemName (0), "B");
    EXPECT_EQ (page.getItemName (1), "C");
    EXPECT_EQ (page.getItemName (3), "D");
}

TEST (BankBrowseWindow, RightClicksOpenTheRowMenuUnlessTheMouseMovedSixPixels)
{
    SKIP_WITHOUT_DISPLAY();
    BankBrowseHarness h (timedBanks());
    const auto at = rowPoint (*h.bankView, 1);

    BankBrowseHarness::click (at, 3);
    ASSERT_TRUE (pumpMessagesUntil (
        [] { return juce::ModalComponentManager::getInstance()->getNumModalComponents() > 0; }));
    BankBrowseHarness::screenshot ("08-bank-row-menu");
    EXPECT_TRUE (juce::PopupMenu::dismissAllActiveMenus());
    pumpMessagesUntil ([]
                       { return juce::ModalComponentManager::getInstance()->getNumModalComponents() == 0; });

    BankBrowseHarness::xdotool ({"mousemove", juce::String (at.x), juce::String (at.y), "sleep", "0.1",
                                 "mousedown", "3", "sleep", "0.1", "mousemove", juce::String (at.x + 6),
                                 juce::String (at.y), "sleep", "0.1", "mouseup", "3", "sleep", "0.3"});
    EXPECT_FALSE (juce::PopupMenu::dismissAllActiveMenus())
        << "a right click that moved 6 pixels opens no menu";
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
} // namespace
