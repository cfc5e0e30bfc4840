#include "vantor/slot_detail/SlotDetailView.h"

#include "harness/SlotViewsHarness.h"
#include "support/ScratchFolder.h"
#include "vantor/slot/SlotViewTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace
{
using namespace glorvak::test;
using ::testing::_;
using ::testing::DoubleNear;
using vantor::slot_detail::SlotDetailState;
using vantor::slot_detail::SlotDetailView;

// The editor showing SLOT C (loop allowed) of a 2-s file: range 0.5..1.5 s, 120 BPM, 2 beats.
class SlotDetailViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        file = SlotViewsHarness::writeWav (folder.child ("c.wav"), 2.0, 2, 48000.0);
        view = std::make_unique<SlotDetailView> (&dispatcher);
        view->setSize (413, 350);
        view->localeChanged();
        view->slotDetailChanged (makeState (2), false);
        ::testing::Mock::VerifyAndClearExpectations (&dispatcher);
    }

    void TearDown() override
    {
        view.reset();
        releaseViewSingletons();
    }

    SlotDetailState makeState (int slotIndex) const
    {
        SlotDetailState state;
        state.slotIndex = slotIndex;
        state.audioFile = file;
        state.startSeconds = 0.5;
        state.endSeconds = 1.5;
        state.fileLengthSeconds = 2.0;
        state.bpm = 120.0;
        state.beats = 2.0;
        return state;
    }

    void dragStartMarker (float fromX, float toX)
    {
        auto& thumbnail = view->getThumbnail();
        const juce::Point<float> down (fromX, 40.0f);
        thumbnail.mouseDown (mouseAt (thumbnail, down, down));
        thumbnail.mouseDrag (mouseAt (thumbnail, {(fromX + toX) / 2.0f, 40.0f}, down, {}, true));
        thumbnail.mouseDrag (mouseAt (thumbnail, {toX, 40.0f}, down, {}, true));
        thumbnail.mouseUp (mouseAt (thumbnail, {toX, 40.0f}, down, {}, fromX != toX));
    }

    ScratchFolder folder;
    juce::File file;
    ::testing::StrictMock<MockSlotDetailDispatcher> dispatcher;
    std::unique_ptr<SlotDetailView> view;
};

struct ActionCase
{
    const char* name;
    std::function<void (SlotDetailView&)> act;
    std::function<void (MockSlotDetailDispatcher&)> expect;
};

TEST_F (SlotDetailViewTest, EachUserActionSendsItsOneCommand)
{
    const ActionCase cases[] = {
        {"typed BPM 40.05 keeps its last hundredth",
         [] (SlotDetailView& v) { v.getBpmLabel().setText ("40.05", juce::sendNotificationSync); },
         [] (auto& d) { EXPECT_CALL (d, changeBpm (4005)); }},
        {"emptied BPM sends 0",
         [] (SlotDetailView& v) { v.getBpmLabel().setText ("", juce::sendNotificationSync); },
         [] (auto& d) { EXPECT_CALL (d, changeBpm (0)); }},
        {"typed beats 8.20",
         [] (SlotDetailView& v) { v.getBeatComboBox().setText ("8.20", juce::sendNotificationSync); },
         [] (auto& d) { EXPECT_CALL (d, changeBeats (820)); }},
        {"1/2x on 8.20 sends 820 (the view model halves to 410)",
         [] (SlotDetailView& v)
         {
             v.beatsChanged (8.2);
             click (v.getHalfBeatButton());
         },
         [] (auto& d) { EXPECT_CALL (d, halveBeats (820)); }},
        {"1/2x on 0.00 asks the service for beats",
         [] (SlotDetailView& v)
         {
             v.beatsChanged (0.0);
             click (v.getHalfBeatButton());
         },
         [] (auto& d) { EXPECT_CALL (d, halveBeats (0)); }},
        {"1/2x on 0.01 does nothing",
         [] (SlotDetailView& v)
         {
             v.beatsChanged (0.01);
             click (v.getHalfBeatButton());
         },
         [] (auto&) {}},
        {"1/2x below 0 does nothing",
         [] (SlotDetailView& v)
         {
             v.beatsChanged (-1.0);
             click (v.getHalfBeatButton());
         },
         [] (auto&) {}},
        {"2x on 4.00",
         [] (SlotDetailView& v)
         {
             v.beatsChanged (4.0);
             click (v.getDoubleBeatButton());
         },
         [] (auto& d) { EXPECT_CALL (d, doubleBeats (400)); }},
        {"1Shot", [] (SlotDetailView& v) { click (v.getOneShotButton()); },
         [] (auto& d) { EXPECT_CALL (d, changeLoopMode (false)); }},
        {"Loop with a BPM", [] (SlotDetailView& v) { click (v.getLoopButton()); },
         [] (auto& d) { EXPECT_CALL (d, changeLoopMode (true)); }},
        {"switch on", [] (SlotDetailView& v) { click (v.getBpmCalcButton()); },
         [] (auto& d) { EXPECT_CALL (d, changeCalcBpmMode (true)); }},
        {"switch on, then Calculate with 4 beats",
         [] (SlotDetailView& v)
         {
             click (v.getBpmCalcButton());
             v.beatsChanged (4.0);
             click (v.getCalcBpmButton());
         },
         [] (auto& d)
         {
             ::testing::InSequence order;
             EXPECT_CALL (d, changeCalcBpmMode (true));
             EXPECT_CALL (d, calcBpm (400));
         }},
        {"another SLOT while the switch is on leaves the mode once",
         [this] (SlotDetailView& v)
         {
             click (v.getBpmCalcButton());
             v.slotDetailChanged (makeState (3), false);
             v.slotDetailChanged (makeState (2), false);
         },
         [] (auto& d)
         {
             ::testing::InSequence order;
             EXPECT_CALL (d, changeCalcBpmMode (true));
             EXPECT_CALL (d, changeCalcBpmMode (false));
         }},
        {"another SLOT with the switch off sends nothing",
         [this] (SlotDetailView& v) { v.slotDetailChanged (makeState (1), true); }, [] (auto&) {}},
        {"typed start 1:05.25 is limited to the file",
         [] (SlotDetailView& v)
         {
             v.getStartTime().getSlider()->setValue (
                 v.getStartTime().getSlider()->getValueFromText ("1:05.25"), juce::sendNotificationSync);
         },
         [] (auto& d) { EXPECT_CALL (d, changeStartTime (DoubleNear (2.0, 1e-9))); }},
        {"start +", [] (SlotDetailView& v) { click (v.getStartTime().getIncreaseButton()); },
         [] (auto& d) { EXPECT_CALL (d, changeStartTime (DoubleNear (0.51, 1e-9))); }},
        {"end -", [] (SlotDetailView& v) { click (v.getEndTime().getDecreaseButton()); },
         [] (auto& d) { EXPECT_CALL (d, changeEndTime (DoubleNear (1.49, 1e-9))); }},
        {"gain +", [] (SlotDetailView& v) { click (v.getGainSlider().getIncreaseButton()); },
         [] (auto& d) { EXPECT_CALL (d, changeGainDb (::testing::FloatNear (0.1f, 1e-5f))); }},
        {"gain - at -18 dB changes nothing",
         [] (SlotDetailView& v)
         {
             v.gainDbChanged (-18.0f);
             click (v.getGainSlider().getDecreaseButton());
         },
         [] (auto&) {}},
        {"zoom buttons only zoom",
         [] (SlotDetailView& v)
         {
             click (v.getZoomInButton());
             click (v.getZoomOutButton());
             click (v.getZoomResetButton());
         },
         [] (auto&) {}},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        view->slotDetailChanged (makeState (2), false);
        c.expect (dispatcher);
        c.act (*view);
        flushMessages();
        ::testing::Mock::VerifyAndClearExpectations (&dispatcher);
        // Leaves the mode a row may have entered, outside the row's expectations.
        EXPECT_CALL (dispatcher, changeCalcBpmMode (false)).Times (::testing::AtMost (1));
        view->slotDetailChanged (makeState (2), false);
        ::testing::Mock::VerifyAndClearExpectations (&dispatcher);
    }
}

TEST_F (SlotDetailViewTest, MarkerDragSendsOneCommandOnReleaseAlsoWhenUnchanged)
{
    auto& thumbnail = view->getThumbnail();
    const auto startX = (float)thumbnail.timeToX (0.5);

    {
        SCOPED_TRACE ("moved");
        EXPECT_CALL (dispatcher, changeStartTime (DoubleNear (150.0 / 393.0 * 2.0, 0.0006)));
        dragStartMarker (startX, 150.0f);
        ::testing::Mock::VerifyAndClearExpectations (&dispatcher);
        // The box and the marker follow the drag; the service's answer sets them afterwards.
        EXPECT_NEAR (view->getStartTime().getValue(), 150.0 / 393.0 * 2.0, 0.0006);
    }
    {
        SCOPED_TRACE ("released where the box already stands");
        view->startTimeChanged (view->getStartTime().getValue());
        const auto x = (float)thumbnail.timeToX (view->getStartTime().getValue());
        EXPECT_CALL (dispatcher, changeStartTime (DoubleNear (view->getStartTime().getValue(), 0.0006)));
        dragStartMarker (x, x);
        ::testing::Mock::VerifyAndClearExpectations (&dispatcher);
    }
    {
        SCOPED_TRACE ("past the end marker: stops a millisecond before it");
        EXPECT_CALL (dispatcher, changeStartTime (DoubleNear (1.499, 1e-9)));
        dragStartMarker ((float)thumbnail.timeToX (view->getStartTime().getValue()), 390.0f);
        ::testing::Mock::VerifyAndClearExpectations (&dispatcher);
    }
}

TEST_F (SlotDetailViewTest, NeverSendsTheRangeInOneCommand)
{
    EXPECT_CALL (dispatcher, changeTimeRange (_, _)).Times (0);
    EXPECT_CALL (dispatcher, changeStartTime (_)).Times (::testing::AnyNumber());
    EXPECT_CALL (dispatcher, changeEndTime (_)).Times (::testing::AnyNumber());
    auto& thumbnail = view->getThumbnail();
    dragStartMarker ((float)thumbnail.timeToX (0.5), 20.0f);
    const juce::Point<float> endDown ((float)thumbnail.timeToX (1.5), 40.0f);
    thumbnail.mouseDown (mouseAt (thumbnail, endDown, endDown));
    thumbnail.mouseUp (mouseAt (thumbnail, {380.0f, 40.0f}, endDown, {}, true));
    click (view->getStartTime().getIncreaseButton());
    click (view->getEndTime().getDecreaseButton());
}

TEST_F (SlotDetailViewTest, ShowsTheSlotAsTheViewModelTellsIt)
{
    EXPECT_TRUE (view->isEnabled());
    EXPECT_EQ (view->getTimeLabel().getText(), "0:01.000");
    EXPECT_EQ (view->getBpmLabel().getText(), "120.00");
    EXPECT_EQ (view->getBeatComboBox().getText(), "2.00");
    EXPECT_TRUE (view->getLoopButton().isEnabled());
    EXPECT_EQ (view->getLoopButton().getTooltip(), "Loop playback in sync with BPM");

    view->endTimeChanged (0.5);
    EXPECT_EQ (view->getTimeLabel().getText(), "0:00.000") << "equal start and end";
    view->endTimeChanged (0.25);
    EXPECT_EQ (view->getTimeLabel().getText(), "0:00.000") << "never a negative length";

    auto first = makeState (0);
    view->slotDetailChanged (first, false);
    EXPECT_FALSE (view->getLoopButton().isEnabled());
    EXPECT_EQ (view->getLoopButton().getTooltip(), "This SLOT does not support loop playback.");

    SlotDetailState empty;
    view->slotDetailChanged (empty, false);
    EXPECT_FALSE (view->isEnabled());
    EXPECT_FALSE (view->getOneShotButton().getToggleState());
    EXPECT_FALSE (view->getLoopButton().getToggleState());
    EXPECT_TRUE (view->getUrl().isEmpty());
}

TEST_F (SlotDetailViewTest, CalculateFollowsTheSwitchAgainAfterAnAbandonedTour)
{
    click (view->getHintButton());
    EXPECT_TRUE (view->getCalcBpmButton().isVisible()) << "the tour shows Calculate";

    // The tour is left half-way: its end never restores Calculate. The next SLOT puts it back
    // in step with the switch, which is off.
    view->slotDetailChanged (makeState (3), false);
    EXPECT_FALSE (view->getCalcBpmButton().isVisible());
    EXPECT_FALSE (view->getBeatComboBox().isEnabled());
    EXPECT_TRUE (view->getBpmLabel().isEnabled());
}

TEST_F (SlotDetailViewTest, BpmResultIsAskedOnlyInTheCalculationMode)
{
    view->bpmCalculated (128.0);
    EXPECT_EQ (vantor::ui::DialogHelper::getCurrentDialog(), nullptr);
}
} // namespace
