#include "vantor/ui/ColumnCustomComponent.h"

#include "vantor/ui/LookAndFeel.h"

#include "support/MessagePump.h"
#include "support/Screenshot.h"
#include "support/XdoTool.h"

#include <gmock/gmock.h>

#include <set>

using glorvak::test::pumpMessagesUntil;
using glorvak::test::screenshot;
using vantor::ui::ColumnCustomComponent;

namespace
{
// A real click at a point of the component, its window raised first.
void clickAt (juce::Component& component, juce::Point<int> local, int button)
{
    ASSERT_TRUE (glorvak::test::clickWithXdotool (component, local, button));
}

// A cell whose content covers its left half, as the program's time and loop cells do.
class Cell : public ColumnCustomComponent
{
public:
    using ColumnCustomComponent::ColumnCustomComponent;

    void resized() override { getContent().setBounds (0, 2, getWidth() / 2, getHeight() - 4); }

    void paintContent (juce::Graphics& g, int width, int height) override
    {
        g.fillAll (juce::Colour (0xff323232));
        g.setColour (juce::Colours::white);
        g.drawText ("#" + juce::String (getRow()), 0, 0, width, height, juce::Justification::centred);
    }
};

// The table's right-click menu lives in its mouseUp, as in the program's tables.
class Table : public juce::TableListBox
{
public:
    void mouseDown (const juce::MouseEvent& e) override
    {
        if (e.mods.isRightButtonDown())
            ++rightDowns;
    }

    void mouseUp (const juce::MouseEvent& e) override
    {
        if (e.mods.isRightButtonDown())
            ++rightUps;
    }

    int rightDowns = 0, rightUps = 0;
};

class Model : public juce::TableListBoxModel
{
public:
    explicit Model (Table& t)
        : table (t)
    {
    }

    int getNumRows() override { return 100; }

    void paintRowBackground (juce::Graphics& g, int, int, int, bool selected) override
    {
        g.fillAll (selected ? juce::Colour (0xffff5b1a) : juce::Colour (0xff000000));
    }

    void paintCell (juce::Graphics& g, int row, int, int width, int height, bool) override
    {
        g.setColour (juce::Colours::white);
        g.drawText ("row " + juce::String (row), 4, 0, width - 8, height, juce::Justification::centredLeft);
    }

    juce::Component* refreshComponentForCell (int row, int column, bool, juce::Component* existing) override
    {
        if (column != 2)
        {
            jassert (existing == nullptr);
            return nullptr;
        }

        auto* cell = existing != nullptr ? static_cast<Cell*> (existing) : new Cell (&table);
        cell->setRow (row);
        return cell;
    }

    Table& table;
};

class CellGui : public ::testing::Test
{
protected:
    void SetUp() override
    {
        juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeel);
        table.setModel (&model);
        table.getHeader().addColumn ("Name", 1, 150);
        table.getHeader().addColumn ("Time", 2, 120);
        table.setRowHeight (24);
        table.setBounds (1400, 200, 300, 240); // away from the centre, where dialogs of other tests appear
        // Undecorated, so that the window manager leaves it where it was put.
        table.addToDesktop (juce::ComponentPeer::windowIsTemporary);
        table.setVisible (true);
        ASSERT_TRUE (pumpMessagesUntil ([this] { return table.isShowing() && cellOf (0) != nullptr; }));
    }

    void TearDown() override
    {
        table.removeFromDesktop();
        table.setModel (nullptr);
        juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
    }

    Cell* cellOf (int row) { return dynamic_cast<Cell*> (table.getCellComponent (2, row)); }

    // A left or right click on the cell's content or on its bare part (where the row gets it).
    void click (int row, bool onContent, int button)
    {
        auto* cell = cellOf (row);
        ASSERT_NE (cell, nullptr);
        ASSERT_EQ (cell->getRow(), row);
        const int x = onContent ? cell->getWidth() / 4 : cell->getWidth() * 3 / 4;
        clickAt (*cell, {x, cell->getHeight() / 2}, button);
    }

    void drain()
    {
        bool done = false;
        juce::MessageManager::callAsync ([&] { done = true; });
        ASSERT_TRUE (pumpMessagesUntil ([&] { return done; }));
    }

    vantor::LookAndFeel lookAndFeel;
    Table table;
    Model model{table};
};

struct ClickCase
{
    const char* name;
    int row;
    bool onContent;
    int button; // 1 left, 3 right
};

// Left clicks select the cell's row; right clicks select it and reach the table's mouseDown and
// mouseUp exactly once each, from the content and from the bare cell alike.
TEST_F (CellGui, ClicksSelectTheRowAndRightClicksReachTheTableOnce)
{
    const ClickCase cases[] = {
        {"left on content", 3, true, 1},
        {"left on bare cell", 5, false, 1},
        {"right on content", 2, true, 3},
        {"right on bare cell", 6, false, 3},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        table.rightDowns = table.rightUps = 0;
        click (c.row, c.onContent, c.button);
        ASSERT_TRUE (pumpMessagesUntil ([&] { return table.getSelectedRow() == c.row; }));
        drain();

        const int expectedRight = c.button == 3 ? 1 : 0;
        EXPECT_EQ (table.rightDowns, expectedRight);
        EXPECT_EQ (table.rightUps, expectedRight);
        EXPECT_EQ (table.getNumSelectedRows(), 1);
    }

    screenshot ("table-cells");
}

// Scrolling makes the table hand its row components (and their cells) to other rows: a click
// still selects the row the cell shows, and each row still forwards once.
TEST_F (CellGui, ReusedRowComponentsSelectTheRowTheyShow)
{
    std::set<Cell*> before;

    for (int row = 0; row < 10; ++row)
        before.insert (cellOf (row));

    table.scrollToEnsureRowIsOnscreen (60);
    ASSERT_TRUE (pumpMessagesUntil ([&] { return cellOf (60) != nullptr; }));
    drain();
    EXPECT_EQ (cellOf (0), nullptr);
    EXPECT_EQ (before.count (cellOf (60)), 1u); // a cell of an earlier row, now showing row 60

    for (int row : {55, 60})
    {
        SCOPED_TRACE (row);
        for (bool onContent : {true, false})
        {
            table.rightDowns = table.rightUps = 0;
            click (row, onContent, 3);
            ASSERT_TRUE (pumpMessagesUntil ([&] { return table.getSelectedRow() == row; }));
            drain();
            EXPECT_EQ (table.rightUps, 1);
            EXPECT_EQ (table.rightDowns, 1);
            table.deselectAllRows();
        }
    }

    screenshot ("table-cells-scrolled");
}

// A cell re-parented or deleted leaves its old parent's mouse listeners: clicks on the old parent
// neither reach it nor touch freed memory (the sanitizer build watches).
TEST_F (CellGui, CellLeavesItsParentsListenersWhenMovedOrDeleted)
{
    juce::Component first, second;
    first.setBounds (0, 0, 200, 30);
    second.setBounds (0, 0, 200, 30);
    auto cell = std::make_unique<Cell> (&table);
    cell->setBounds (0, 0, 200, 30);
    cell->setRow (7);

    first.addAndMakeVisible (*cell);
    second.addAndMakeVisible (*cell); // moved: listens to second only

    table.rightDowns = 0;
    juce::Component window;
    window.setBounds (1400, 600, 200, 30);
    window.addToDesktop (juce::ComponentPeer::windowIsTemporary);
    window.setVisible (true);
    window.addAndMakeVisible (first);
    ASSERT_TRUE (pumpMessagesUntil ([&] { return window.isShowing(); }));

    clickAt (first, {150, 15}, 3); // the old parent: the cell no longer listens
    drain();
    EXPECT_EQ (table.rightDowns, 0);

    window.removeChildComponent (&first);
    window.addAndMakeVisible (second);
    clickAt (second, {150, 15}, 3); // the new parent: one forward
    ASSERT_TRUE (pumpMessagesUntil ([&] { return table.rightDowns == 1; }));
    EXPECT_EQ (table.getSelectedRow(), 7);

    cell.reset();
    clickAt (second, {150, 15}, 3); // deleted: nothing, and no dangling listener
    drain();
    EXPECT_EQ (table.rightDowns, 1);
    window.removeFromDesktop();
}
} // namespace
