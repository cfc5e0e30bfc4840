#include "vantor/browse/BankCollectionPage.h"

#include "common/AppSettingsSingleton.h"
#include "vantor/browse/NameCell.h"
#include "vantor/browse/RowDragDescription.h"
#include "vantor/browse/RowDropGeometry.h"
#include "vantor/ui/LookAndFeel.h"

#include "vantor/browse/MockBrowseDispatcher.h"

#include <gmock/gmock.h>

namespace
{
using namespace vantor;
using browse::BankCollectionItem;
using browse::BankCollectionPage;
using browse::RowDragDescription;
using browse::RowDropGeometry;
using glorvak::test::MockBrowseDispatcher;
using ::testing::StrictMock;
using DragDetails = juce::DragAndDropTarget::SourceDetails;

// The page 384 x 600 over a mocked dispatcher, with the confirmations switched off.
struct PageFixture
{
    explicit PageFixture (std::vector<BankCollectionItem> items = {})
    {
        juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeel);
        page = std::make_unique<BankCollectionPage> (&dispatcher);
        page->setBounds (0, 0, 384, 600);
        page->bankCollectionChanged (items);
        auto* settings = common::AppSettingsSingleton::getInstance();
        settings->setWarnOverwriting (false);
        settings->setWarnDeleting (false);
    }

    ~PageFixture()
    {
        page.reset();
        juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
    }

    DragDetails drop (const juce::String& description, int y, bool own)
    {
        auto& table = page->getTable();
        return DragDetails (description, own ? static_cast<juce::Component*> (&table) : &other, {40, y});
    }

    static std::vector<BankCollectionItem> named (std::initializer_list<const char*> names)
    {
        std::vector<BankCollectionItem> items;
        for (auto* n : names)
            items.push_back ({juce::String::fromUTF8 (n), 1.0});
        return items;
    }

    vantor::LookAndFeel lookAndFeel;
    StrictMock<MockBrowseDispatcher> dispatcher;
    std::unique_ptr<BankCollectionPage> page;
    juce::Component other;
};

TEST (BankCollectionPageList, CounterBackgroundAndRowsFollowTheList)
{
    PageFixture f;
    EXPECT_EQ (f.page->getCapacityLabel().getText(), "0/100");
    EXPECT_FALSE (f.page->getTable().findColour (juce::ListBox::backgroundColourId).isOpaque());

    f.page->bankCollectionChanged (PageFixture::named ({"Kit"}));
    EXPECT_EQ (f.page->getCapacityLabel().getText(), "1/100");
    EXPECT_TRUE (f.page->getTable().findColour (juce::ListBox::backgroundColourId).isOpaque());
    EXPECT_EQ (f.page->getTable().getNumRows(), 1);

    // Single-row updates outside the list are ignored; inside they replace the row.
    f.page->bankCollectionItemChanged (1, "X", 2.0);
    f.page->bankCollectionItemRenamed (-1, "X");
    f.page->bankCollectionItemChanged (0, "Bass", 16.5);
    f.page->bankCollectionItemRenamed (0, "Bass 2");
    EXPECT_EQ (f.page->getItemName (0), "Bass 2");
    EXPECT_EQ (f.page->getItemSeconds (0), 16.5);
    EXPECT_EQ (f.page->getCapacityLabel().getText(), "1/100");
}

TEST (BankCollectionPageList, ReadingOutsideTheListGivesNothingInsteadOfThrowing)
{
    PageFixture before;
    StrictMock<MockBrowseDispatcher> dispatcher;
    BankCollectionPage empty (&dispatcher);
    EXPECT_EQ (empty.getItemName (0), "");
    EXPECT_EQ (empty.findRowByName (""), -1);

    PageFixture f (PageFixture::named ({"A", "B"}));
    for (int row : {-1, 2, 100})
    {
        SCOPED_TRACE (row);
        EXPECT_NO_THROW (EXPECT_EQ (f.page->getItemName (row), ""));
        EXPECT_NO_THROW (EXPECT_EQ (f.page->getItemSeconds (row), 0.0));
    }
}

TEST (BankCollectionPageNames, ProposalsKeepFortySixCharactersAndStartWithTheFreeBase)
{
    const auto sixty = juce::String::repeatedString ("k", 60);
    struct Case
    {
        std::vector<BankCollectionItem> items;
        juce::String name;
        juce::String expected;
    };
    const Case cases[] = {
        {{}, "", "Untitled BANK"},
        {PageFixture::named ({"Untitled BANK"}), "", "Untitled BANK(2)"},
        {PageFixture::named ({"Kit"}), "Kit", "Kit(2)"},
        {PageFixture::named ({"Kit", "Kit(2)"}), "Kit", "Kit(3)"},
        {{{sixty, 1.0}}, sixty, sixty.substring (0, 46)},
        {{{sixty, 1.0}, {sixty.substring (0, 46), 1.0}}, sixty, sixty.substring (0, 46) + "(2)"},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name + " -> " + c.expected);
        PageFixture f (c.items);
        EXPECT_EQ (f.page->makeUniqueName (c.name), c.expected);
    }
}

TEST (BankCollectionPageStore, ADroppedBankIsStoredByItsName)
{
    PageFixture f (PageFixture::named ({"A", "B", "C", "D", "E", "Kit"}));
    auto& table = f.page->getTable();

    struct Case
    {
        juce::String description;
        std::function<void (MockBrowseDispatcher&)> expect;
    };
    const Case cases[] = {
        {"Bank_3,Fresh", [] (MockBrowseDispatcher& d) { EXPECT_CALL (d, saveBank (3)); }},
        // Same name, no overwrite warning: overwritten at once.
        {"Bank_3,Kit", [] (MockBrowseDispatcher& d) { EXPECT_CALL (d, overwriteBank (3, 5)); }},
        // A name with commas arrives whole.
        {"Bank_4,a,b", [] (MockBrowseDispatcher& d) { EXPECT_CALL (d, saveBank (4)); }},
        {"Bank_", [] (MockBrowseDispatcher&) {}},
        {"Slot_1,Snare", [] (MockBrowseDispatcher&) {}},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.description);
        c.expect (f.dispatcher);
        const auto details = f.drop (c.description, 60, false);
        if (table.isInterestedInDragSource (details))
        {
            table.itemDragEnter (details);
            table.itemDropped (details);
        }
        ::testing::Mock::VerifyAndClearExpectations (&f.dispatcher);
    }
}

TEST (BankCollectionPageMove, OwnRowsMoveToTheNearestBoundary)
{
    PageFixture f (PageFixture::named ({"A", "B", "C", "D"}));
    auto& table = f.page->getTable();
    const int top = table.getViewport()->getY();

    struct Case
    {
        const char* what;
        int y;
        int insertion;
        bool moves;
    };
    const Case cases[] = {
        {"row 2 onto the boundary of rows 2 and 3", top + 3 * 28 - 2, 3, true},
        {"row 2 onto its own top boundary", top + 2 * 28 + 3, 2, false},
        {"below the last row", top + 4 * 28 + 40, 4, true},
        {"onto the very top", top + 1, 0, true},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        if (c.moves)
            EXPECT_CALL (f.dispatcher, moveBank (2, c.insertion));

        const auto details = f.drop ("BankCollection_2,C", c.y, true);
        table.itemDragEnter (details);
        table.itemDragMove (details);
        EXPECT_EQ (table.getInsertionRow(), c.insertion);
        table.itemDropped (details);
        EXPECT_EQ (table.getInsertionRow(), -1);
        ::testing::Mock::VerifyAndClearExpectations (&f.dispatcher);
    }
}

TEST (BankCollectionPageMove, RowArithmeticOfTheDropGeometry)
{
    struct Case
    {
        int x, y, scroll, rows;
        int under, boundary;
        bool inner;
    };
    // A table 300 x 200, rows of 28 starting at the top, 5 rows unless said otherwise.
    const Case cases[] = {
        {10, 0, 0, 5, 0, 0, false},    {10, 13, 0, 5, 0, 0, false},   {10, 14, 0, 5, 0, 1, true},
        {10, 55, 0, 5, 1, 2, true},    {10, 139, 0, 5, 4, 5, true},   {10, 150, 0, 5, -1, 5, true},
        {10, 190, 0, 5, -1, 5, false}, {-1, 50, 0, 5, -1, -1, false}, {300, 50, 0, 5, -1, -1, false},
        {10, 10, 56, 9, 2, 2, false},  {10, 20, 56, 9, 2, 3, true},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.x) + "," + juce::String (c.y) + " scrolled " + juce::String (c.scroll));
        RowDropGeometry g;
        g.x = c.x;
        g.y = c.y;
        g.width = 300;
        g.height = 200;
        g.scrollY = c.scroll;
        g.rowHeight = 28;
        g.numRows = c.rows;
        EXPECT_EQ (g.rowUnderPointer(), c.under);
        EXPECT_EQ (g.nearestBoundary(), c.boundary);
        EXPECT_EQ (g.isInInnerBand(), c.inner);
    }
}

TEST (BankCollectionPageMove, DescriptionsSplitAtTheFirstCommaOnly)
{
    struct Case
    {
        juce::var description;
        const char* prefix;
        bool read;
        int row;
        const char* name;
    };
    const Case cases[] = {
        {"Bank_3,Kit", "Bank_", true, 3, "Kit"},
        {"Bank_3,a,b", "Bank_", true, 3, "a,b"},
        {"Bank_3,", "Bank_", true, 3, ""},
        {"Bank_x,Odd", "Bank_", true, 0, "Odd"},
        {"Bank_", "Bank_", false, -1, ""},
        {"Bank_3", "Bank_", false, -1, ""},
        {"BankCollection_12,Bass", "Bank_", false, -1, ""}, // not a BANK row of the BANK table
        {"BankCollection_12,Bass", "BankCollection_", true, 12, "Bass"},
        {"Slot_1,a", "Bank_", false, -1, ""},
        {juce::var (12), "Bank_", false, -1, ""},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.description.toString());
        RowDragDescription d;
        EXPECT_EQ (RowDragDescription::read (c.description, c.prefix, d), c.read);
        if (c.read)
        {
            EXPECT_EQ (d.row, c.row);
            EXPECT_EQ (d.name, c.name);
        }
    }
    EXPECT_EQ (RowDragDescription::make ("BankCollection_", 4, "a,b"), "BankCollection_4,a,b");
    EXPECT_EQ (RowDragDescription::make ("BankCollection_", -1, "x"), "BankCollection_");
}

TEST (BankCollectionPageRename, EmptyAndTakenNamesSnapBack)
{
    const auto sixty = juce::String::repeatedString ("z", 60);
    struct Case
    {
        const char* what;
        juce::String text;
        bool sent;
    };
    const Case cases[] = {
        {"another row's name", "Bass", false},
        {"empty", "", false},
        {"other letter case", "bass", true},
        {"its own name", "Kit", true},
        {"cut to 50, then another row's name", sixty, false},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        PageFixture f ({{"Kit", 1.0}, {"Bass", 2.0}, {sixty.substring (0, 50), 3.0}});
        auto* cell = dynamic_cast<browse::NameCell*> (
            f.page->getTable().getCellComponent (BankCollectionPage::nameColumn, 0));
        ASSERT_NE (cell, nullptr);

        if (c.sent)
            EXPECT_CALL (f.dispatcher, renameBank (0, c.text));
        cell->setText (c.text, juce::dontSendNotification);
        f.page->nameEdited (*cell, c.text);

        if (!c.sent)
            EXPECT_EQ (cell->getText(), "Kit");
    }
}

TEST (BankCollectionPageMenu, TheMenuOffersDeleteAndRenameForARowOnly)
{
    PageFixture f (PageFixture::named ({"Kit"}));
    EXPECT_EQ (f.page->makeRowMenu (-1).getNumItems(), 0);
    const auto menu = f.page->makeRowMenu (0);
    juce::PopupMenu::MenuItemIterator items (menu);
    juce::String texts;
    while (items.next())
        texts << items.getItem().text << "|";
    EXPECT_EQ (texts, "Delete|Rename|");

    EXPECT_CALL (f.dispatcher, deleteBank (0));
    f.page->deleteRow (0);
    f.page->deleteRow (1); // outside the list: nothing
}

TEST (BankCollectionPageDrag, TheDescriptionCarriesTheSelectedRowAndItsName)
{
    PageFixture f (PageFixture::named ({"A", "Kick, Snare"}));
    auto* model = f.page->getTable().getModel();
    juce::SparseSet<int> rows;
    EXPECT_EQ (model->getDragSourceDescription (rows).toString(), "BankCollection_");
    rows.addRange ({1, 2});
    EXPECT_EQ (model->getDragSourceDescription (rows).toString(), "BankCollection_1,Kick, Snare");
}

TEST (BankCollectionPageDrag, ABankHoveringLightsTheOutlineUntilItLeaves)
{
    PageFixture f;
    auto& table = f.page->getTable();
    const auto details = f.drop ("Bank_1,Kit", 60, false);
    table.itemDragEnter (details);
    EXPECT_EQ (table.findColour (juce::ListBox::outlineColourId),
               f.lookAndFeel.findColour (juce::TreeView::selectedItemBackgroundColourId));
    EXPECT_EQ (table.getInsertionRow(), -1);
    table.itemDragExit (details);
    EXPECT_EQ (table.findColour (juce::ListBox::outlineColourId), juce::Colour (0xff333333));
}
} // namespace
