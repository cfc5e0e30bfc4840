// The SLOT table and the detail editor in a real window on the real service, driven by real
// mouse and key input through xdotool. Screenshots go to $GLORVAK_SHOTS_DIR when it is set.

#include "common/AppSettingsSingleton.h"
#include "harness/SlotViewsHarness.h"
#include "support/ScratchFolder.h"
#include "vantor/slot/SlotViewTestSupport.h"
#include "vantor/slot/TimeText.h"

#include <gtest/gtest.h>

namespace
{
using namespace glorvak::test;

bool run (juce::StringArray arguments)
{
    juce::ChildProcess process;

    if (!process.start (arguments, 0))
        return false;

    // Keeps the message loop running: the window must answer the X server while the input
    // program waits for it.
    return pumpMessagesUntil ([&process] { return !process.isRunning(); }, 60000) &&
           process.getExitCode() == 0;
}

bool xdotool (juce::StringArray arguments)
{
    arguments.insert (0, "xdotool");
    return run (arguments);
}

/** The centre of another program's window on the screen, from xdotool's geometry. */
bool findWindowCentre (const juce::String& name, juce::Point<int>& centre)
{
    juce::ChildProcess process;

    if (!process.start (
            juce::StringArray{"xdotool", "search", "--name", name, "getwindowgeometry", "--shell"}))
        return false;

    const auto output = process.readAllProcessOutput();
    juce::StringPairArray values;

    for (const auto& line : juce::StringArray::fromLines (output))
        values.set (line.upToFirstOccurrenceOf ("=", false, false),
                    line.fromFirstOccurrenceOf ("=", false, false));

    if (values["WIDTH"].getIntValue() <= 0)
        return false;

    centre = {values["X"].getIntValue() + values["WIDTH"].getIntValue() / 2,
              values["Y"].getIntValue() + values["HEIGHT"].getIntValue() / 2};
    return true;
}

class SlotViewsGuiTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isEmpty())
            GTEST_SKIP() << "needs an X display (scripts/with-display)";

        auto* settings = common::AppSettingsSingleton::getInstance();
        settings->setWarnDeleting (false);
        settings->setWarnOverwriting (true);
    }

    void TearDown() override
    {
        if (window == nullptr)
            return;

        const auto dataFolder = harness().getService().getDataSet().getDataFolder();
        window.reset();
        releaseViewSingletons();
        dataFolder.deleteRecursively();
    }

    void open (int detailWidth = SlotViewsHarness::viewWidth)
    {
        window = std::make_unique<SlotViewsHarnessWindow> (detailWidth);
        harness().fillDemoBank (sources.child ("demo"));
        ASSERT_TRUE (pumpMessagesUntil ([this] { return window->isOnDesktop() && window->isShowing(); }));
        ASSERT_TRUE (xdotool ({"search", "--sync", "--name", SlotViewsHarnessWindow::title}));
        windowId = juce::String::toHexString ((juce::pointer_sized_int)window->getWindowHandle());
        // The first click gives the window the X focus.
        clickAt (harness().getSlotView(), {200, 10});
        ASSERT_TRUE (pumpMessagesUntil ([this] { return window->isActiveWindow(); }));
        waitForWaveform();
    }

    void waitForWaveform()
    {
        ASSERT_TRUE (pumpMessagesUntil ([this] { return detail().getThumbnail().isFullyLoaded(); }, 60000));
    }

    SlotViewsHarness& harness() { return window->getHarness(); }
    vantor::slot::SlotView& slotView() { return harness().getSlotView(); }
    vantor::slot_detail::SlotDetailView& detail() { return harness().getDetailView(); }
    const vantor::slot_detail::SlotDetailState& detailState()
    {
        return harness().getDetailViewModel().getState();
    }

    juce::Point<int> screen (juce::Component& component, juce::Point<int> local)
    {
        return component.localPointToGlobal (local);
    }

    bool moveTo (juce::Component& component, juce::Point<int> local)
    {
        const auto at = screen (component, local);
        return xdotool ({"mousemove", "--sync", juce::String (at.x), juce::String (at.y)});
    }

    void clickAt (juce::Component& component, juce::Point<int> local, int button = 1)
    {
        ASSERT_TRUE (moveTo (component, local));
        ASSERT_TRUE (xdotool ({"click", juce::String (button)}));
    }

    /** Presses, moves in small steps and releases, as a hand does. */
    void dragFromTo (juce::Component& component, juce::Point<int> from, juce::Point<int> to, int button = 1)
    {
        ASSERT_TRUE (moveTo (component, from));
        ASSERT_TRUE (xdotool ({"mousedown", juce::String (button)}));
        flushMessages();

        for (int step = 1; step <= 6; ++step)
        {
            ASSERT_TRUE (moveTo (component, from + (to - from) * step / 6));
            flushMessages();
        }

        ASSERT_TRUE (xdotool ({"mouseup", juce::String (button)}));
    }

    /** Types keys into the window; the X focus is put on it first, since a busy display may
        have moved it. */
    void key (const char* keys)
    {
        ASSERT_TRUE (xdotool ({"windowfocus", "--sync", "0x" + windowId}));
        ASSERT_TRUE (xdotool ({"key", "--clearmodifiers", keys}));
    }

    /** Types keys into the current dialog. It is a window of its own, and the X focus goes to it
        only some time after it shows: keys typed into the main window meanwhile are lost. */
    void keyToDialog (const char* keys)
    {
        auto* dialog = vantor::ui::DialogHelper::getCurrentDialog();
        ASSERT_NE (dialog, nullptr);
        ASSERT_TRUE (
            pumpMessagesUntil ([dialog] { return dialog->getPeer() != nullptr && dialog->isShowing(); }));
        const auto dialogId = juce::String::toHexString ((juce::pointer_sized_int)dialog->getWindowHandle());
        ASSERT_TRUE (xdotool ({"windowfocus", "--sync", "0x" + dialogId}));
        ASSERT_TRUE (pumpMessagesUntil ([dialog] { return dialog->getPeer()->isFocused(); }));
        ASSERT_TRUE (xdotool ({"key", "--clearmodifiers", keys}));
    }

    /** Clicks a row and waits until the table has the keyboard focus and the row is selected. */
    void focusRow (int row)
    {
        clickAt (slotView(), rowCentre (row));
        ASSERT_TRUE (pumpMessagesUntil (
            [this, row] {
                return slotView().getTable().hasKeyboardFocus (true) &&
                       slotView().getTable().getSelectedRow() == row;
            }));
    }

    void screenshot (const juce::String& name)
    {
        const auto folder = juce::SystemStats::getEnvironmentVariable ("GLORVAK_SHOTS_DIR", {});

        if (folder.isEmpty())
            return;

        flushMessages();
        juce::File (folder).createDirectory();
        // The window's own pixels, as the X server shows them (with openbox's frame).
        const auto area = window->getScreenBounds();
        EXPECT_TRUE (run ({"import", "-window", "root", "-crop",
                           juce::String (area.getWidth()) + "x" + juce::String (area.getHeight()) + "+" +
                               juce::String (area.getX()) + "+" + juce::String (area.getY()),
                           juce::File (folder).getChildFile (name + ".png").getFullPathName()}));
    }

    /** Drags files from another X program (a GTK window at the screen's left) onto a point. */
    void dropFiles (const juce::StringArray& files, juce::Component& target, juce::Point<int> local)
    {
        const auto script =
            juce::File (GLORVAK_TEST_DATA_DIR).getSiblingFile ("harness").getChildFile ("drag-files.py");
        juce::StringArray arguments{"/usr/bin/python3", script.getFullPathName(), "0", "500"};
        arguments.addArray (files);
        juce::ChildProcess source;
        ASSERT_TRUE (source.start (arguments, 0));
        ASSERT_TRUE (xdotool ({"search", "--sync", "--name", "glorvak-drag-source"}));
        juce::Point<int> from;
        ASSERT_TRUE (pumpMessagesUntil ([&from] { return findWindowCentre ("glorvak-drag-source", from); }));

        ASSERT_TRUE (xdotool ({"mousemove", "--sync", juce::String (from.x), juce::String (from.y)}));
        ASSERT_TRUE (xdotool ({"mousedown", "1"}));
        const auto to = screen (target, local);

        for (int step = 1; step <= 10; ++step)
        {
            const auto at = from + (to - from) * step / 10;
            ASSERT_TRUE (xdotool ({"mousemove", "--sync", juce::String (at.x), juce::String (at.y)}));
            flushMessages();
        }

        ASSERT_TRUE (xdotool ({"mouseup", "1"}));
        EXPECT_TRUE (pumpMessagesUntil ([&source] { return !source.isRunning(); }, 60000))
            << "the drag ended";
        source.kill();
    }

    juce::Point<int> rowCentre (int row)
    {
        auto& table = slotView().getTable();
        return table.getBounds().getTopLeft() +
               juce::Point<int> (120, row * vantor::slot::SlotView::rowHeight + 17);
    }

    ScratchFolder sources;
    std::unique_ptr<SlotViewsHarnessWindow> window;
    juce::String windowId;
};

TEST_F (SlotViewsGuiTest, ShowsFourSlotsAndTheEditorAtTheirLayout)
{
    open();
    auto& d = detail();
    EXPECT_EQ (d.getThumbnail().getBottom(), 145);
    EXPECT_EQ (d.getPlayButton().getY(), 222);
    EXPECT_EQ (d.getGainSlider().getY(), 222);
    EXPECT_EQ (d.getBeatComboBox().getY(), 265);
    EXPECT_EQ (d.getOneShotButton().getY(), 289);
    EXPECT_EQ (d.getBpmCalcButton().getY(), 294);
    EXPECT_EQ (d.getCalcBpmButton().getY(), 315);
    EXPECT_TRUE (slotView().isRowEnabled (0));
    EXPECT_FALSE (slotView().isRowEnabled (1));
    EXPECT_TRUE (slotView().isRowEnabled (2));
    EXPECT_DOUBLE_EQ (slotView().getTotalTimeComp().getTotalSeconds(), 3.0);
    screenshot ("slot-views-413");

    clickAt (slotView(), rowCentre (2));
    ASSERT_TRUE (pumpMessagesUntil ([this] { return detailState().slotIndex == 2; }));
    waitForWaveform();
    EXPECT_TRUE (d.getLoopButton().getToggleState());
    screenshot ("slot-views-loop-selected");
}

TEST_F (SlotViewsGuiTest, WideEditorJoinsTheHeader)
{
    open (640);
    EXPECT_EQ (detail().getWidth(), 640);
    screenshot ("slot-detail-640");
}

TEST_F (SlotViewsGuiTest, MarkerDragMovesTheRangeOnRelease)
{
    open();
    auto& thumbnail = detail().getThumbnail();
    const auto endX = juce::roundToInt (thumbnail.timeToX (detailState().endSeconds));
    dragFromTo (thumbnail, {endX - 1, 40}, {endX - 150, 40});
    ASSERT_TRUE (pumpMessagesUntil ([this] { return detailState().endSeconds < 1.5; }));
    EXPECT_NEAR (detailState().endSeconds, (endX - 150) / 393.0 * 2.0, 0.02);
    EXPECT_EQ (detail().getTimeLabel().getText(),
               vantor::slot::formatPlaybackTime (detailState().endSeconds));
    screenshot ("slot-detail-end-dragged");

    // Zoomed in at the end marker, the view is a quarter of the file around it.
    click (detail().getZoomInButton());
    click (detail().getZoomInButton());
    EXPECT_NEAR (thumbnail.getVisibleRange().getLength(), 0.5, 1e-9);
    screenshot ("slot-detail-zoomed");
}

TEST_F (SlotViewsGuiTest, KnobDragSetsTheGainOnRelease)
{
    open();
    auto& knob = *detail().getGainSlider().getSlider();
    // The knob turns with the angle around its centre: from the top (0 dB) towards the right.
    dragFromTo (knob, {35, 4}, {66, 40});
    ASSERT_TRUE (pumpMessagesUntil ([this] { return detailState().gainDb != 0.0f; }));
    EXPECT_GT (detailState().gainDb, 0.0f);
    EXPECT_EQ (harness().getPadViewModel().getPad (0).gainDb, detailState().gainDb);
}

TEST_F (SlotViewsGuiTest, HeldPlusRepeatsTheStep)
{
    open();
    auto& plus = detail().getStartTime().getIncreaseButton();
    const auto before = detailState().startSeconds;
    ASSERT_TRUE (moveTo (plus, {8, 8}));
    ASSERT_TRUE (xdotool ({"mousedown", "1"}));
    ASSERT_TRUE (pumpMessagesUntil ([&] { return detailState().startSeconds >= before + 0.05 - 1e-9; }));
    ASSERT_TRUE (xdotool ({"mouseup", "1"}));
    flushMessages();
}

TEST_F (SlotViewsGuiTest, PadKeysPlayFromTheTableButNotWhileANameIsEdited)
{
    open();
    focusRow (0);

    key ("c");
    ASSERT_TRUE (pumpMessagesUntil ([this] { return slotView().getTable().getSelectedRow() == 2; }))
        << "pad C selects its row";
    EXPECT_TRUE (pumpMessagesUntil ([this] { return detailState().slotIndex == 2; }));

    key ("F2");
    ASSERT_TRUE (pumpMessagesUntil ([this] { return slotView().getNameCell (2)->isBeingEdited(); }));
    key ("z");
    flushMessages();
    EXPECT_EQ (slotView().getTable().getSelectedRow(), 2) << "z went into the name";
    key ("Escape");
    ASSERT_TRUE (pumpMessagesUntil ([this] { return !slotView().getNameCell (2)->isBeingEdited(); }));
}

TEST_F (SlotViewsGuiTest, ClipboardKeysAndDeleteReachTheService)
{
    open();
    focusRow (0);
    key ("ctrl+c");
    ASSERT_TRUE (pumpMessagesUntil ([this] { return harness().getService().getClipboardInfo().kind == 2; }));

    focusRow (1);
    key ("ctrl+v");
    ASSERT_TRUE (pumpMessagesUntil ([this] { return slotView().isRowEnabled (1); }))
        << "empty row: pasted at once";

    // The table takes the key again (the paste refreshed its rows).
    focusRow (1);
    key ("Delete");
    ASSERT_TRUE (pumpMessagesUntil ([this] { return !slotView().isRowEnabled (1); }))
        << "WarnDeleting off; dialog open: " << (vantor::ui::DialogHelper::getCurrentDialog() != nullptr);

    focusRow (2);
    key ("ctrl+x");
    ASSERT_TRUE (pumpMessagesUntil ([this] { return !slotView().isRowEnabled (2); }));
    EXPECT_EQ (harness().getService().getClipboardInfo().name, "Loop");
}

TEST_F (SlotViewsGuiTest, RightClickOpensTheMenuOnlyWithoutADrag)
{
    open();
    // A shown menu is modal; a drag's image is only another window on the desktop.
    const auto menus = [] { return juce::ModalComponentManager::getInstance()->getNumModalComponents(); };
    const auto before = menus();

    dragFromTo (slotView(), rowCentre (0), rowCentre (0) + juce::Point<int> (5, 0), 3);
    ASSERT_TRUE (pumpMessagesUntil ([&] { return menus() > before; })) << "5 px: the menu opens";
    screenshot ("slot-row-menu");
    juce::PopupMenu::dismissAllActiveMenus();
    ASSERT_TRUE (pumpMessagesUntil ([&] { return menus() == before; }));

    dragFromTo (slotView(), rowCentre (0), rowCentre (0) + juce::Point<int> (6, 0), 3);
    flushMessages();
    EXPECT_EQ (menus(), before) << "6 px is a drag";
}

TEST_F (SlotViewsGuiTest, RowDraggedOntoAnotherSwapsTheSlots)
{
    open();
    clickAt (slotView(), rowCentre (0));
    dragFromTo (slotView(), rowCentre (0), rowCentre (1));
    ASSERT_TRUE (pumpMessagesUntil ([this] { return slotView().getNameText (1) == "Kick left"; }));
    EXPECT_EQ (slotView().getNameText (0), "Empty B");
    EXPECT_TRUE (slotView().isRowEnabled (1));
    EXPECT_FALSE (slotView().isRowEnabled (0));
}

TEST_F (SlotViewsGuiTest, CalculatedBpmKeptWithYesAndUndoneWithNo)
{
    open();

    for (const bool apply : {true, false})
    {
        SCOPED_TRACE (apply ? "Yes" : "No");
        auto& service = harness().getService();
        const auto savedStart = detailState().startSeconds;
        const auto savedEnd = detailState().endSeconds;
        click (detail().getBpmCalcButton());
        ASSERT_TRUE (detail().getCalcBpmButton().isVisible());

        // Fit the range and give its beats: 120 BPM either way, the SLOT's own BPM.
        ASSERT_TRUE (service.setEndTime (apply ? 1.0 : 0.5));
        detail().getBeatComboBox().setText (apply ? "2" : "1", juce::sendNotificationSync);
        click (detail().getCalcBpmButton());
        ASSERT_TRUE (
            pumpMessagesUntil ([] { return vantor::ui::DialogHelper::getCurrentDialog() != nullptr; }));
        screenshot (apply ? "slot-detail-bpm-result" : "slot-detail-bpm-result-no");
        keyToDialog (apply ? "Return" : "Escape");
        ASSERT_TRUE (
            pumpMessagesUntil ([] { return vantor::ui::DialogHelper::getCurrentDialog() == nullptr; }));

        if (apply)
        {
            // 2 beats in 1 s is 120 BPM, which the SLOT already had: kept with the fitted range.
            ASSERT_TRUE (
                pumpMessagesUntil ([this] { return !detail().getBpmCalcButton().getToggleState(); }));
            EXPECT_NEAR (detailState().bpm, 120.0, 1e-3);
            EXPECT_NEAR (detailState().endSeconds, 1.0, 1e-6);
        }
        else
        {
            click (detail().getBpmCalcButton());
            EXPECT_NEAR (detailState().endSeconds, savedEnd, 1e-6);
            EXPECT_NEAR (detailState().startSeconds, savedStart, 1e-6);
        }
    }
}

TEST_F (SlotViewsGuiTest, FilesFromAnotherProgramLandOnPadsAndRows)
{
    open();
    const auto loop = SlotViewsHarness::writeWav (
        sources.child (juce::CharPointer_UTF8 ("Kick, soft \xc3\xa9.WAV")), 0.5, 2, 44100.0);
    const auto refused = sources.child ("x.ogg");
    refused.replaceWithText ("not taken");

    // An empty pad (disabled) takes the file at once.
    auto& padB = slotView().getPadPanel (1)->getPadButton();
    dropFiles ({loop.getFullPathName()}, padB, {35, 35});
    ASSERT_TRUE (pumpMessagesUntil ([this] { return slotView().isRowEnabled (1); }));
    EXPECT_EQ (slotView().getNameText (1), juce::String (juce::CharPointer_UTF8 ("Kick, soft \xc3\xa9")))
        << "the comma, the space and the accent arrive intact";

    // A pad with audio asks first while WarnOverwriting is on ...
    dropFiles ({loop.getFullPathName()}, padB, {35, 35});
    ASSERT_TRUE (pumpMessagesUntil ([] { return vantor::ui::DialogHelper::getCurrentDialog() != nullptr; }));
    screenshot ("slot-pad-overwrite");
    keyToDialog ("Escape");
    ASSERT_TRUE (pumpMessagesUntil ([] { return vantor::ui::DialogHelper::getCurrentDialog() == nullptr; }));

    // ... and overwrites at once when it is off.
    common::AppSettingsSingleton::getInstance()->setWarnOverwriting (false);
    dropFiles ({loop.getFullPathName()}, padB, {35, 35});
    EXPECT_EQ (vantor::ui::DialogHelper::getCurrentDialog(), nullptr);

    // A row takes an audio file; x.ogg is refused.
    dropFiles ({refused.getFullPathName()}, slotView(), rowCentre (3));
    flushMessages();
    EXPECT_FALSE (slotView().isRowEnabled (3));
    dropFiles ({loop.getFullPathName(), refused.getFullPathName()}, slotView(), rowCentre (3));
    ASSERT_TRUE (pumpMessagesUntil ([this] { return slotView().isRowEnabled (3); }));
}

TEST_F (SlotViewsGuiTest, ClosesCleanlyWithTheMenuOpenAndAPreviewRunning)
{
    open();
    click (detail().getPlayButton());
    ASSERT_TRUE (pumpMessagesUntil ([this] { return detail().getPlayButton().getToggleState(); }));
    EXPECT_TRUE (detail().getThumbnail().isPlayCursorRunning());
    clickAt (slotView(), rowCentre (0), 3);
    ASSERT_TRUE (pumpMessagesUntil (
        [] { return juce::ModalComponentManager::getInstance()->getNumModalComponents() > 0; }));
    // TearDown deletes the window with the menu open and the preview running.
}

TEST_F (SlotViewsGuiTest, ClosesCleanlyWithAConfirmationOpen)
{
    open();
    const auto file = SlotViewsHarness::writeWav (sources.child ("other.wav"), 1.0, 2, 48000.0);
    clickAt (slotView(), rowCentre (0));
    slotView().assignToRow (0, file.getFullPathName());
    ASSERT_TRUE (pumpMessagesUntil ([] { return vantor::ui::DialogHelper::getCurrentDialog() != nullptr; }))
        << "Overwrite SLOT is asked";
    screenshot ("slot-overwrite-confirmation");
}

TEST_F (SlotViewsGuiTest, ClosesCleanlyWhileALongWaveformLoads)
{
    open();
    const auto file = SlotViewsHarness::writeWav (sources.child ("long.wav"), 300.0, 2, 48000.0);
    ASSERT_TRUE (harness().getService().assignAudio (3, file));
    ASSERT_TRUE (harness().getService().selectSlot (3));
    EXPECT_FALSE (detail().getThumbnail().isFullyLoaded());
}
} // namespace
