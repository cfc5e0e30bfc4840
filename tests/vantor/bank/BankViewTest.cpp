#include "vantor/bank/BankView.h"

#include "common/AppSettingsSingleton.h"
#include "vantor/browse/NameCell.h"
#include "vantor/browse/TimeBar.h"
#include "vantor/ui/LookAndFeel.h"

#include "support/MessagePump.h"
#include "vantor/bank/MockBankDispatcher.h"

#include <gmock/gmock.h>

namespace
{
using namespace vantor;
using bank::BankListState;
using bank::BankView;
using browse::TimeBar;
using glorvak::test::MockBankDispatcher;
using ::testing::_;
using ::testing::NiceMock;
using ::testing::StrictMock;
using DragDetails = juce::DragAndDropTarget::SourceDetails;

// The view 500 pixels wide over a mocked dispatcher, fed a BANK list as the view model would.
struct ViewFixture
{
    explicit ViewFixture (std::vector<std::pair<juce::String, double>> rows = {}, int favorite = 0,
                          int current = 0)
    {
        juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeel);
        // The selection of the first list reaches the dispatcher; tests look at what follows.
        EXPECT_CALL (dispatcher, selectBank (_)).Times (::testing::AnyNumber());
        view = std::make_unique<BankView> (&dispatcher);
        view->setBounds (0, 0, 500, 347);
        send (rows, favorite, current);
        setWarnings (false);
    }

    ~ViewFixture()
    {
        view.reset();
        juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
    }

    void send (const std::vector<std::pair<juce::String, double>>& rows, int favorite, int current)
    {
        auto state = std::make_unique<BankListState>();
        state->favoriteBank = favorite;
        state->currentBank = current;
        for (size_t i = 0; i < rows.size() && i < state->rows.size(); ++i)
            state->rows[i] = {rows[i].first, rows[i].second};
        view->bankListChanged (state);
    }

    static void setWarnings (bool on)
    {
        auto* settings = common::AppSettingsSingleton::getInstance();
        settings->setWarnOverwriting (on);
        settings->setWarnDeleting (on);
    }

    DragDetails ownDrop (const juce::String& description, int row)
    {
        auto& table = view->getTable();
        return DragDetails (description, &table, {40, table.getRowPosition (row, true).getCentreY()});
    }

    DragDetails foreignDrop (const juce::String& description, int row)
    {
        auto& table = view->getTable();
        return DragDetails (description, &other, {40, table.getRowPosition (row, true).getCentreY()});
    }

    vantor::LookAndFeel lookAndFeel;
    StrictMock<MockBankDispatcher> dispatcher;
    std::unique_ptr<BankView> view;
    juce::Component other;
};

TEST (BankViewLayout, FiveHundredPixelsWideMatchesTheDrawnLayout)
{
    ViewFixture f;
    auto& table = f.view->getTable();

    EXPECT_EQ (table.getBounds(), juce::Rectangle<int> (10, 35, 480, 252));
    // 15 rows of 28 pixels do not fit into 252, so the vertical bar takes its width from the name.
    EXPECT_TRUE (table.getVerticalScrollBar().isVisible());
    EXPECT_EQ (table.getHeader().getColumnWidth (BankView::nameColumn),
               340 - f.lookAndFeel.getDefaultScrollbarWidth() - 2 * table.getOutlineThickness());
    EXPECT_EQ (f.view->getExportButton().getBounds(), juce::Rectangle<int> (115, 297, 270, 40));
}

// The tab, the strip the view draws and the rule at the right make one top edge: an orange
// line along pixel row 11 from the tab's rising end to the right edge, black above it.
TEST (BankViewLayout, TheHeaderLineRunsUnbrokenAcrossTheTop)
{
    ViewFixture f;
    const auto image = f.view->createComponentSnapshot (f.view->getLocalBounds());

    for (int x = 125; x < 495; ++x)
    {
        SCOPED_TRACE (x);
        const auto line = image.getPixelAt (x, 11);
        ASSERT_GT (line.getRed(), 200);
        ASSERT_LT (line.getBlue(), 60);
        ASSERT_EQ (image.getPixelAt (x, 6), juce::Colour (0xff000000));
        ASSERT_EQ (image.getPixelAt (x, 20), juce::Colour (0xff232323)) << "the panel below the line";
    }
}

TEST (BankViewTimeBar, WidthColourAndTooltipFollowTheSixteenSecondLimit)
{
    struct Case
    {
        double seconds;
        int fill;
        const char* tooltip;
    };
    const Case cases[] = {
        {12.5, 60, "Remaining: 3.500 seconds"}, {17.25, 78, "Exceeded: 1.250 seconds"},
        {16.0, 78, "Remaining: 0.000 seconds"}, {0.0, 0, "Remaining: 16.000 seconds"},
        {0.1, 0, "Remaining: 15.900 seconds"},  {-1.0, 0, "Remaining: 17.000 seconds"},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.seconds);
        EXPECT_EQ (TimeBar::fillWidth (78, c.seconds), c.fill);
        EXPECT_EQ (TimeBar::tooltipFor (c.seconds), juce::String (c.tooltip));

        // The red of an exceeded BANK and the white below the limit, as drawn into the bar.
        juce::Image image (juce::Image::ARGB, 80, 10, true);
        {
            juce::Graphics g (image);
            TimeBar::paint (g, 80, 10, c.seconds, false);
        }
        if (c.fill > 0)
            EXPECT_EQ (image.getPixelAt (c.fill, 5),
                       juce::Colour (c.seconds > 16.0 ? 0xffff0000 : 0xffffffff));
        if (c.fill < 78)
            EXPECT_EQ (image.getPixelAt (c.fill + 1, 5), juce::Colour (0xff000000))
                << "inside beyond the fill";
    }
}

TEST (BankViewNames, OutsideTheListTheRowsAreEmpty)
{
    ViewFixture f ({{"Kit", 2.0}});

    for (int row : {-1, 15, 1000})
    {
        SCOPED_TRACE (row);
        EXPECT_EQ (f.view->getBankName (row), "");
        EXPECT_EQ (f.view->getBankSeconds (row), 0.0);
        EXPECT_TRUE (f.view->isBankEmpty (row));
    }
    EXPECT_EQ (f.view->getBankName (0), "Kit");
    EXPECT_FALSE (f.view->isBankEmpty (0));
}

TEST (BankViewNames, UniqueNamesKeepFortySixCharactersAndCountFromTwo)
{
    const auto sixty = juce::String::repeatedString ("n", 60);
    struct Case
    {
        std::vector<std::pair<juce::String, double>> rows;
        juce::String name;
        juce::String expected;
    };
    const Case cases[] = {
        {{{"Drums", 1.0}}, "Drums", "Drums(2)"},
        {{{"Drums", 1.0}, {"Drums(2)", 1.0}}, "Drums", "Drums(3)"},
        {{{sixty, 1.0}}, sixty, sixty.substring (0, 46) + "(2)"},
        {{{"", 0.0}}, "", "(2)"},
        {{{juce::String::fromUTF8 ("\xe3\x83\x89\xe3\x83\xa9\xe3\x83\xa0"), 1.0}},
         juce::String::fromUTF8 ("\xe3\x83\x89\xe3\x83\xa9\xe3\x83\xa0"),
         juce::String::fromUTF8 ("\xe3\x83\x89\xe3\x83\xa9\xe3\x83\xa0(2)")},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        ViewFixture f (c.rows);
        EXPECT_EQ (f.view->makeUniqueName (c.name), c.expected);
        EXPECT_LE (f.view->makeUniqueName (c.name).length(), 50);
    }
}

// What pasting and loading a stored BANK send, with the overwrite question switched off.
TEST (BankViewPasteAndLoad, EmptyRowsTakeTheBankAtOnceAndTakenNamesBecomeUnique)
{
    struct Case
    {
        const char* what;
        std::vector<std::pair<juce::String, double>> rows;
        juce::String clipName;
        int row;
        juce::String sentName; // empty: the name the BANK brings along
    };
    const Case cases[] = {
        {"free name onto an empty row", {{"A", 1.0}}, "Kit", 6, ""},
        {"name of another row", {{"", 0.0}, {"Drums", 1.0}}, "Drums", 6, "Drums(2)"},
        {"name of another row, (2) taken too",
         {{"", 0},
          {"Drums", 1},
          {"", 0},
          {"", 0},
          {"", 0},
          {"", 0},
          {"", 0},
          {"", 0},
          {"", 0},
          {"Drums(2)", 1}},
         "Drums",
         6,
         "Drums(3)"},
        {"onto the row that bears the name", {{"", 0}, {"", 0}, {"Kit", 3.0}}, "Kit", 2, ""},
        {"no name while row 0 has none", {{"", 0.0}}, "", 3, "(2)"},
        {"onto a row with audio", {{"", 0}, {"", 0}, {"", 0}, {"Old", 4.0}}, "Kit", 3, ""},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        {
            ViewFixture f (c.rows);
            if (c.sentName.isEmpty())
                EXPECT_CALL (f.dispatcher, pasteBank (c.row));
            else
                EXPECT_CALL (f.dispatcher, pasteBank (c.row, c.sentName));
            f.view->clipboardChanged ({1, c.clipName});
            f.view->handleKey (c.row, juce::KeyPress ('v', juce::ModifierKeys::ctrlModifier, 0));
        }
        {
            ViewFixture f (c.rows);
            EXPECT_CALL (f.dispatcher,
                         assignBank (12, c.row, c.sentName.isEmpty() ? c.clipName : c.sentName));
            f.view->loadCollectionBank (12, c.clipName, c.row);
        }
    }
}

TEST (BankViewPasteAndLoad, AClipboardWithoutABankPastesNothing)
{
    ViewFixture f ({{"A", 1.0}});
    f.view->clipboardChanged ({2, "Snare"});
    f.view->handleKey (0, juce::KeyPress ('v', juce::ModifierKeys::ctrlModifier, 0));

    const auto menu = f.view->makeRowMenu (0);
    juce::PopupMenu::MenuItemIterator items (menu);
    ASSERT_TRUE (items.next());
    EXPECT_EQ (items.getItem().text, "Copy");
    ASSERT_TRUE (items.next());
    EXPECT_EQ (items.getItem().text, "Paste");
    EXPECT_FALSE (items.getItem().isEnabled);

    f.view->clipboardChanged ({1, "Kit"});
    const auto menuWithBank = f.view->makeRowMenu (0);
    juce::PopupMenu::MenuItemIterator withBank (menuWithBank);
    withBank.next();
    withBank.next();
    EXPECT_EQ (withBank.getItem().text, "Paste 'Kit'");
    EXPECT_TRUE (withBank.getItem().isEnabled);
}

TEST (BankViewMenu, DeleteIsOfferedOnlyForARowWithANameOrAudio)
{
    ViewFixture f ({{"", 0.0}, {"Kit", 0.0}, {"", 2.0}});

    for (auto [row, enabled] : {std::pair{0, false}, {1, true}, {2, true}})
    {
        SCOPED_TRACE (row);
        const auto menu = f.view->makeRowMenu (row);
        juce::PopupMenu::MenuItemIterator items (menu);
        juce::String texts;
        bool deleteEnabled = false;
        while (items.next())
        {
            texts << items.getItem().text << "|";
            if (items.getItem().text == "Delete")
                deleteEnabled = items.getItem().isEnabled;
        }
        EXPECT_EQ (texts, "Copy|Paste||Delete|Rename|");
        EXPECT_EQ (deleteEnabled, enabled);
    }

    // No dialog and no command for the empty row; the others after the (here silent) question.
    f.view->deleteRow (0);
    EXPECT_CALL (f.dispatcher, deleteBank (2));
    f.view->deleteRow (2);
    EXPECT_TRUE (f.view->makeRowMenu (-1).getNumItems() == 0);
}

TEST (BankViewRename, ATakenNameIsRevertedAndEverythingElseIsSent)
{
    const auto sixty = juce::String::repeatedString ("x", 60);
    struct Case
    {
        const char* what;
        juce::String text;
        bool sent;
    };
    const Case cases[] = {
        {"name of row 7", "Seven", false},
        {"its own name", "Three", true},
        {"empty", "", true},
        {"other letter case", "seven", true},
        {"cut to 50, then row 7's name", sixty, false},
        {"a new name", "Fresh", true},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        ViewFixture f ({{"", 0}, {"", 0}, {"", 0}, {"Three", 1}, {"", 0}, {"", 0}, {"", 0}, {"Seven", 1}});
        if (juce::String (c.what).startsWith ("cut"))
            f.view->bankNameChanged (7, sixty.substring (0, 50));

        auto* cell =
            dynamic_cast<browse::NameCell*> (f.view->getTable().getCellComponent (BankView::nameColumn, 3));
        ASSERT_NE (cell, nullptr);

        if (c.sent)
            EXPECT_CALL (f.dispatcher, changeBankName (3, c.text));
        cell->setText (c.text, juce::dontSendNotification);
        f.view->nameEdited (*cell, c.text);

        if (!c.sent)
            EXPECT_EQ (cell->getText(), "Three");
    }
}

TEST (BankViewDrops, OwnRowsSwapAndTheFavouriteFollowsTheDraggedBank)
{
    struct Case
    {
        const char* what;
        juce::String description;
        int onRow;
        int favorite;
        int expectSwapFrom; // -1: nothing sent
        bool favoriteFollows;
    };
    const Case cases[] = {
        {"row 2 onto row 7", "Bank_2,B", 7, 0, 2, false},
        {"the favourite onto row 7", "Bank_2,B", 7, 2, 2, true},
        {"onto the favourite", "Bank_2,B", 7, 7, 2, false},
        {"onto itself", "Bank_2,B", 2, 0, -1, false},
        {"a name with commas", "Bank_3,a,b", 5, 0, 3, false},
        {"no row part", "Bank_", 5, 0, -1, false},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        ViewFixture f ({{"A", 1}, {"B", 1}, {"C", 1}, {"a,b", 1}}, c.favorite);
        auto& table = f.view->getTable();
        table.scrollToEnsureRowIsOnscreen (0);

        if (c.expectSwapFrom >= 0)
            EXPECT_CALL (f.dispatcher, swapBank (c.expectSwapFrom, c.onRow));
        if (c.favoriteFollows)
            EXPECT_CALL (f.dispatcher, setFavorite (c.onRow));

        const auto details = f.ownDrop (c.description, c.onRow);
        ASSERT_TRUE (table.isInterestedInDragSource (details));
        table.itemDragEnter (details);
        EXPECT_EQ (table.getDropRow(), c.onRow);
        table.itemDropped (details);
        EXPECT_EQ (table.getDropRow(), -1);
    }
}

TEST (BankViewDrops, StoredBanksLoadByTheirDescriptionAndOthersAreRefused)
{
    struct Case
    {
        juce::String description;
        bool interested;
        int collectionIndex; // -1: nothing sent
        juce::String name;
    };
    const Case cases[] = {
        {"BankCollection_12,Bass", true, 12, "Bass"},
        {"BankCollection_12,Bass,Live", true, 12, "Bass,Live"},
        {"BankCollection_x,Odd", true, 0, "Odd"},
        {"BankCollection_", true, -1, ""},
        {"Slot_1,Snare", false, -1, ""},
        {"FactorySample", false, -1, ""},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.description);
        ViewFixture f;
        auto& table = f.view->getTable();
        const auto details = f.foreignDrop (c.description, 0);
        EXPECT_EQ (table.isInterestedInDragSource (details), c.interested);

        if (!c.interested)
            continue;

        if (c.collectionIndex >= 0)
            EXPECT_CALL (f.dispatcher, assignBank (c.collectionIndex, 0, c.name));
        table.itemDragEnter (details);
        table.itemDropped (details);
    }
}

TEST (BankViewDrops, TheDescriptionCarriesTheSelectedRowAndItsName)
{
    ViewFixture f ({{"A", 1}, {"Kick, Snare", 1}}, 0, 1);
    auto* model = f.view->getTable().getModel();
    juce::SparseSet<int> rows;
    EXPECT_EQ (model->getDragSourceDescription (rows).toString(), "Bank_");
    rows.addRange ({1, 2});
    EXPECT_EQ (model->getDragSourceDescription (rows).toString(), "Bank_1,Kick, Snare");
}

TEST (BankViewStar, ClickingTheStarOfAnotherRowAsksOnlyForThatRow)
{
    ViewFixture f ({{"A", 1}}, 2);
    auto* starOfTwo =
        dynamic_cast<juce::Button*> (f.view->getTable().getCellComponent (BankView::favoriteColumn, 2));
    auto* starOfFive =
        dynamic_cast<juce::Button*> (f.view->getTable().getCellComponent (BankView::favoriteColumn, 5));
    ASSERT_NE (starOfTwo, nullptr);
    ASSERT_NE (starOfFive, nullptr);
    EXPECT_TRUE (starOfTwo->getToggleState());
    EXPECT_FALSE (starOfFive->getToggleState());

    // The clicks arrive in order: had the favourite's own star sent anything, the strict mock
    // would fail before the second click's command arrives.
    bool sent = false;
    EXPECT_CALL (f.dispatcher, setFavorite (5)).WillOnce ([&sent] (const int&) { sent = true; });
    starOfTwo->triggerClick();
    starOfFive->triggerClick();
    EXPECT_TRUE (glorvak::test::pumpMessagesUntil ([&sent] { return sent; }));
    EXPECT_FALSE (starOfFive->getToggleState()) << "on only when the view model says so";

    f.view->favoriteBankChanged (5);
    EXPECT_TRUE (starOfFive->getToggleState());
}

TEST (BankViewKeys, CopyRenameAndStarKeysReachTheirRow)
{
    ViewFixture f ({{"A", 1}, {"B", 1}});
    EXPECT_CALL (f.dispatcher, copyBank (1));
    f.view->handleKey (1, juce::KeyPress ('c', juce::ModifierKeys::ctrlModifier, 0));
    f.view->handleKey (
        1, juce::KeyPress ('C', juce::ModifierKeys::ctrlModifier | juce::ModifierKeys::shiftModifier, 0));

    f.view->handleKey (1, juce::KeyPress (juce::KeyPress::F2Key, juce::ModifierKeys::ctrlModifier, 0));
    auto* cell = dynamic_cast<juce::Label*> (f.view->getTable().getCellComponent (BankView::nameColumn, 1));
    ASSERT_NE (cell, nullptr);
    EXPECT_FALSE (cell->isBeingEdited()) << "Ctrl+F2 opens no editor";
    f.view->handleKey (1, juce::KeyPress (juce::KeyPress::F2Key));
    EXPECT_TRUE (cell->isBeingEdited());
    cell->hideEditor (true);
}

TEST (BankViewUpdates, RowUpdatesOutsideTheListAndBeforeTheFirstListChangeNothing)
{
    StrictMock<MockBankDispatcher> dispatcher;
    BankView view (&dispatcher);
    view.setBounds (0, 0, 500, 347);
    view.bankChanged (1, "Early", 3.0);
    view.bankNameChanged (1, "Early");
    EXPECT_EQ (view.getBankName (1), "");

    ViewFixture f ({{"A", 1}});
    for (int index : {-1, 15})
    {
        f.view->bankChanged (index, "X", 1.0);
        f.view->bankNameChanged (index, "X");
        f.view->bankTotalTimeChanged (index, 9.0);
    }
    EXPECT_EQ (f.view->findBankByName ("X"), -1);
    f.view->bankTotalTimeChanged (0, 12.5);
    EXPECT_EQ (f.view->getBankSeconds (0), 12.5);
}
} // namespace
