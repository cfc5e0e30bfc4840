#include "vantor/slot/SlotView.h"

#include "common/AppSettingsSingleton.h"
#include "vantor/slot/SlotViewTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace
{
using namespace glorvak::test;
using ::testing::_;
using vantor::slot::DraggableTableListBox;
using vantor::slot::SlotListState;
using vantor::slot::SlotView;

// A SLOT view over mock dispatchers showing A "Kick, soft" and C "Loop" with audio, B and D empty.
class SlotViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto* settings = common::AppSettingsSingleton::getInstance();
        settings->setWarnDeleting (false);
        settings->setWarnOverwriting (false);

        view = std::make_unique<SlotView> (&slots, &pads);
        view->setSize (413, 350);
        EXPECT_CALL (slots, selectSlot (_)).Times (::testing::AnyNumber());
        view->slotListChanged (makeState());
        ::testing::Mock::VerifyAndClearExpectations (&slots);
    }

    void TearDown() override
    {
        view.reset();
        releaseViewSingletons();
    }

    static std::unique_ptr<SlotListState> makeState()
    {
        auto state = std::make_unique<SlotListState>();
        state->selectedSlot = 0;
        state->rows[0] = {true, "Kick, soft", 2.0, false};
        state->rows[2] = {true, "Loop", 1.0, true};
        state->rows[1].name = "";
        return state;
    }

    static juce::Point<int> rowCentre (int row) { return {100, row * SlotView::rowHeight + 17}; }

    ::testing::StrictMock<MockSlotDispatcher> slots;
    ::testing::StrictMock<MockSlotPadDispatcher> pads;
    std::unique_ptr<SlotView> view;
};

struct SlotActionCase
{
    const char* name;
    std::function<void (SlotView&)> act;
    std::function<void (MockSlotDispatcher&)> expect;
};

juce::KeyPress ctrl (char letter, bool shift = false)
{
    const auto mods = juce::ModifierKeys::ctrlModifier | (shift ? juce::ModifierKeys::shiftModifier : 0);
    return juce::KeyPress (letter, juce::ModifierKeys (mods), 0);
}

TEST_F (SlotViewTest, EachUserActionSendsItsOneCommand)
{
    const auto press = [] (int row, juce::KeyPress key)
    {
        return [row, key] (SlotView& v)
        {
            v.getTable().selectRow (row);
            v.getTable().keyPressed (key);
        };
    };
    const auto rowDrop = [] (const char* description, int toRow)
    {
        return [description, toRow] (SlotView& v)
        {
            auto& table = v.getTable();
            table.itemDropped ({juce::var (description), &table, rowCentre (toRow)});
        };
    };

    const SlotActionCase cases[] = {
        {"Ctrl+X on a SLOT with audio", press (0, ctrl ('x')),
         [] (auto& d) { EXPECT_CALL (d, cutSlot (0)); }},
        {"Ctrl+X on an empty SLOT", press (1, ctrl ('x')), [] (auto&) {}},
        {"Ctrl+Shift+X", press (0, ctrl ('x', true)), [] (auto&) {}},
        {"Ctrl+C", press (2, ctrl ('c')), [] (auto& d) { EXPECT_CALL (d, copySlot (2)); }},
        {"Ctrl+C on an empty SLOT", press (3, ctrl ('c')), [] (auto&) {}},
        {"Ctrl+V without a SLOT on the clipboard", press (1, ctrl ('v')), [] (auto&) {}},
        {"Ctrl+V with a SLOT on the clipboard, empty row: at once",
         [press] (SlotView& v)
         {
             v.clipboardChanged ({2, "Snare"});
             press (1, ctrl ('v')) (v);
         },
         [] (auto& d) { EXPECT_CALL (d, pasteSlot (1)); }},
        {"Ctrl+V after copying a BANK",
         [press] (SlotView& v)
         {
             v.clipboardChanged ({1, "Bank"});
             press (1, ctrl ('v')) (v);
         },
         [] (auto&) {}},
        {"Delete on a SLOT with audio (no confirmation wanted)",
         press (2, juce::KeyPress (juce::KeyPress::deleteKey)),
         [] (auto& d) { EXPECT_CALL (d, deleteSlot (2)); }},
        {"Backspace", press (0, juce::KeyPress (juce::KeyPress::backspaceKey)),
         [] (auto& d) { EXPECT_CALL (d, deleteSlot (0)); }},
        {"Delete on an empty SLOT", press (3, juce::KeyPress (juce::KeyPress::deleteKey)), [] (auto&) {}},
        {"F2 opens the name editor only", press (0, juce::KeyPress (juce::KeyPress::F2Key)), [] (auto&) {}},
        {"row A onto row B", rowDrop ("Slot_0,Kick", 1), [] (auto& d) { EXPECT_CALL (d, swapSlot (0, 1)); }},
        {"a name with a comma still drags", rowDrop ("Slot_0,Kick, soft", 2),
         [] (auto& d) { EXPECT_CALL (d, swapSlot (0, 2)); }},
        {"an empty name drags", rowDrop ("Slot_3,", 0), [] (auto& d) { EXPECT_CALL (d, swapSlot (3, 0)); }},
        {"a row onto itself", rowDrop ("Slot_1,x", 1), [] (auto&) {}},
        {"no row in the description", rowDrop ("Slot_", 1), [] (auto&) {}},
        {"below the last row", rowDrop ("Slot_0,Kick", 5),
         [] (auto& d) { EXPECT_CALL (d, swapSlot (0, -1)); }},
        {"an audio file on an empty row: at once",
         [] (SlotView& v)
         {
             juce::StringArray files{"/tmp/Some Where/LOOP.WAV", "/tmp/other.wav"};
             ASSERT_TRUE (v.getTable().isInterestedInFileDrag (files));
             const auto at = rowCentre (3);
             v.getTable().filesDropped (files, at.x, at.y);
         },
         [] (auto& d) { EXPECT_CALL (d, assignAudio (3, juce::File ("/tmp/Some Where/LOOP.WAV"))); }},
        {"an audio file on a row with audio, overwriting not asked",
         [] (SlotView& v)
         {
             const auto at = rowCentre (0);
             v.getTable().filesDropped ({"/tmp/x.FlAc"}, at.x, at.y);
         },
         [] (auto& d) { EXPECT_CALL (d, assignAudio (0, juce::File ("/tmp/x.FlAc"))); }},
        {"selecting a row", [] (SlotView& v) { v.getTable().selectRow (2); },
         [] (auto& d) { EXPECT_CALL (d, selectSlot (2)); }},
        {"clicking pad D selects row D",
         [] (SlotView& v) { v.getPadPanel (3)->sendSynchronousChangeMessage(); },
         [] (auto& d) { EXPECT_CALL (d, selectSlot (3)); }},
        {"a committed new name",
         [] (SlotView& v)
         {
             auto* cell = v.getNameCell (2);
             ASSERT_NE (cell, nullptr);
             cell->showEditor();
             ASSERT_NE (cell->getCurrentTextEditor(), nullptr);
             cell->getCurrentTextEditor()->setText ("Loop, long", false);
             cell->hideEditor (false);
         },
         [] (auto& d) { EXPECT_CALL (d, changeSlotName (2, juce::String ("Loop, long"))); }},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        EXPECT_CALL (slots, selectSlot (_)).Times (::testing::AnyNumber());
        view->clipboardChanged ({0, {}});
        view->getTable().selectRow (0);
        view->getTable().deselectAllRows();
        ::testing::Mock::VerifyAndClearExpectations (&slots);

        // Moving the selection to the row under test is not what the row checks.
        EXPECT_CALL (slots, selectSlot (_)).Times (::testing::AnyNumber());
        c.expect (slots);
        c.act (*view);
        flushMessages();
        ::testing::Mock::VerifyAndClearExpectations (&slots);
    }
}

TEST_F (SlotViewTest, FilesAreTakenByTheirFirstNameIgnoringCase)
{
    const struct
    {
        juce::StringArray files;
        bool taken;
    } cases[] = {
        {{"/a/LOOP.WAV"}, true},
        {{"/a/x.FlAc"}, true},
        {{"/a/x.fla"}, true},
        {{"/a/x.aiff"}, true},
        {{"/a/x.m4a"}, true},
        {{"/a/x.ogg"}, false},
        {{"/a/notes.txt", "/a/x.wav"}, false},
        {{"/a/x.wav", "/a/notes.txt"}, true},
        {{}, false},
        {{juce::String (juce::CharPointer_UTF8 ("/a/Kick, soft \xc3\xa9.wav"))}, true},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.files.joinIntoString ("|"));
        EXPECT_EQ (view->getTable().isInterestedInFileDrag (c.files), c.taken);
        EXPECT_EQ (view->getPadPanel (0)->getPadButton().isInterestedInFileDrag (c.files), c.taken);
    }
}

TEST_F (SlotViewTest, RowDescriptionsNameTheFirstSelectedRowAndItsName)
{
    const struct
    {
        const char* description;
        int row;
    } cases[] = {{"Slot_0,Kick", 0}, {"Slot_3,", 3}, {"Slot_2,Kick, soft, x", 2}, {"Bank_12,Name", 12}};

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.description);
        const auto row = DraggableTableListBox::rowOfDescription (c.description);
        ASSERT_TRUE (row.has_value());
        EXPECT_EQ (*row, c.row);
    }

    EXPECT_FALSE (DraggableTableListBox::rowOfDescription ("Slot_").has_value());
    EXPECT_FALSE (DraggableTableListBox::rowOfDescription ("Slot_1").has_value());
    EXPECT_FALSE (DraggableTableListBox::rowOfDescription ("FactorySample").has_value());
}

TEST_F (SlotViewTest, TableShowsTheRowsAndTheTotal)
{
    EXPECT_EQ (view->getTable().getBounds(), juce::Rectangle<int> (0, 57, 413, 140));
    EXPECT_EQ (view->getTable().getHeader().getColumnWidth (3), 413 - 150);
    EXPECT_TRUE (view->isRowEnabled (0));
    EXPECT_FALSE (view->isRowEnabled (1));
    EXPECT_TRUE (view->isRowEnabled (2));
    EXPECT_FALSE (view->isRowEnabled (-1));
    EXPECT_EQ (view->getNameText (0), "Kick, soft");
    EXPECT_DOUBLE_EQ (view->getTotalTimeComp().getTotalSeconds(), 3.0);
    EXPECT_TRUE (view->getPadPanel (0)->isEnabled());
    EXPECT_FALSE (view->getPadPanel (1)->isEnabled());
    EXPECT_EQ (view->getPadPanel (4), nullptr);
    EXPECT_EQ (view->getPadPanel (-1), nullptr);

    for (int i = 0; i < 4; ++i)
        EXPECT_EQ (view->getPadPanel (i)->getBounds(), juce::Rectangle<int> (32 + 87 * i, 197, 87, 153))
            << "pad " << i;
}

TEST (SlotTotalTime, RedExactlyWhenTheBankCouldNotBeStored)
{
    const struct
    {
        double seconds;
        bool red;
    } cases[] = {
        {8.0, false},
        {16.0, false},
        // 151545 + 3 x 461485 frames at 96 kHz: exactly 16 s of frames whose seconds add up a hair
        // above 16.
        {151545.0 / 96000.0 + 461485.0 / 96000.0 + 461485.0 / 96000.0 + 461485.0 / 96000.0, false},
        {16.001, true},
        {16.0 + 1.0 / 96000.0, true},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.seconds);
        SlotView::TotalTimeComp total;
        total.setTotalSeconds (c.seconds);
        EXPECT_EQ (total.isOverBudget(), c.red);
    }
}
} // namespace
