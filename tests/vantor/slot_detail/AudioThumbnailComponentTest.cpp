#include "vantor/slot_detail/AudioThumbnailComponent.h"

#include "harness/SlotViewsHarness.h"
#include "support/ScratchFolder.h"
#include "vantor/slot/SlotViewTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
using namespace glorvak::test;
using vantor::slot_detail::AudioThumbnailComponent;

class AudioThumbnailComponentTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        formats.registerBasicFormats();
        component = std::make_unique<AudioThumbnailComponent> (formats);
        component->setSize (393, 85);
    }

    void TearDown() override { component.reset(); }

    /** Loads a file and waits until its levels are read. */
    void load (const juce::File& file)
    {
        component->loadFile (juce::URL (file));
        ASSERT_TRUE (pumpMessagesUntil ([this] { return component->isFullyLoaded(); }, 60000));
    }

    /** Heights of the drawn envelope per column, measured from the bottom of the wave area. */
    std::vector<int> envelopeHeights()
    {
        juce::Image image (juce::Image::RGB, component->getWidth(), component->getHeight(), true);
        {
            juce::Graphics g (image);
            component->paintEntireComponent (g, false);
        }

        const auto waveHeight = component->getHeight() - 9;
        std::vector<int> heights;

        for (int x = 20; x < component->getWidth() - 20; ++x)
        {
            int top = waveHeight;

            for (int y = 0; y < waveHeight; ++y)
            {
                const auto pixel = image.getPixelAt (x, y);

                if (pixel.getRed() > 0x80 && pixel.getBlue() < 0x60) // the wave's orange
                {
                    top = y;
                    break;
                }
            }

            heights.push_back (waveHeight - top);
        }

        return heights;
    }

    juce::AudioFormatManager formats;
    ScratchFolder folder;
    std::unique_ptr<AudioThumbnailComponent> component;
};

int median (std::vector<int> values)
{
    std::sort (values.begin(), values.end());
    return values[values.size() / 2];
}

TEST_F (AudioThumbnailComponentTest, MergedEnvelopeStandsOnTheBottomAtTheChannelsAverage)
{
    const struct
    {
        const char* name;
        int channels;
        bool rightSilent;
    } cases[] = {{"mono", 1, false}, {"stereo", 2, false}, {"stereo, right silent", 2, true}};

    std::vector<int> medians;

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        // 3 kHz: every pixel column spans several periods, so each reaches both peaks.
        load (SlotViewsHarness::writeWav (folder.child (juce::String (c.name) + ".wav"), 1.0, c.channels,
                                          48000.0, c.rightSilent, 3000.0f, false));
        // The whole file within the range: no shade darkens the wave.
        component->setStartTime (0.0);
        component->setEndTime (1.0);
        medians.push_back (median (envelopeHeights()));
    }

    // A sine at 0.8 spans 0.8 of the wave area peak to peak, standing on the bottom edge.
    const auto waveHeight = component->getHeight() - 9;
    EXPECT_NEAR (medians[0], 0.8 * waveHeight, 1.5) << "mono: full height";
    EXPECT_NEAR (medians[1], medians[0], 1.0) << "stereo alike: the same";
    // The silent channel counts as zero in the average.
    EXPECT_NEAR (medians[2], medians[0] / 2.0, 1.0) << "right channel silent: half height";
}

TEST_F (AudioThumbnailComponentTest, ZoomStepsHalveTheViewDownToFourTenthsOfASecond)
{
    load (SlotViewsHarness::writeWav (folder.child ("one.wav"), 1.0, 1, 48000.0));
    EXPECT_TRUE (component->canZoomIn());
    EXPECT_FALSE (component->canZoomOut());

    component->zoomInAtSelectedMarker();
    EXPECT_NEAR (component->getVisibleRange().getLength(), 0.5, 1e-9);
    EXPECT_TRUE (component->canZoomIn());

    component->zoomInAtSelectedMarker();
    EXPECT_NEAR (component->getVisibleRange().getLength(), 0.4, 1e-9) << "never below 0.4 s";
    EXPECT_FALSE (component->canZoomIn());

    component->zoomOutAtSelectedMarker();
    component->zoomOutAtSelectedMarker();
    EXPECT_EQ (component->getVisibleRange(), juce::Range<double> (0.0, 1.0)) << "level 0 is the whole file";
    EXPECT_FALSE (component->canZoomOut());
}

TEST_F (AudioThumbnailComponentTest, CtrlWheelZoomsPerQuarterAndPlainWheelScrolls)
{
    load (SlotViewsHarness::writeWav (folder.child ("eight.wav"), 8.0, 1, 48000.0));
    const auto ctrl = juce::ModifierKeys (juce::ModifierKeys::ctrlModifier);
    const juce::Point<float> middle (196.0f, 40.0f);
    juce::MouseWheelDetails wheel{};

    wheel.deltaY = 0.2f;
    component->mouseWheelMove (mouseAt (*component, middle, middle, ctrl), wheel);
    EXPECT_EQ (component->getZoomLevel(), 0) << "0.2 is not yet a step";
    component->mouseWheelMove (mouseAt (*component, middle, middle, ctrl), wheel);
    EXPECT_EQ (component->getZoomLevel(), 1) << "0.4 summed is";
    EXPECT_NEAR (component->getVisibleRange().getLength(), 4.0, 1e-9);

    const auto before = component->getVisibleRange();
    wheel.deltaY = -1.0f;
    component->mouseWheelMove (mouseAt (*component, middle, middle), wheel);
    EXPECT_NEAR (component->getVisibleRange().getStart(), before.getStart() + 0.4, 1e-9)
        << "a tenth per unit";

    wheel.deltaY = -100.0f;
    component->mouseWheelMove (mouseAt (*component, middle, middle), wheel);
    EXPECT_NEAR (component->getVisibleRange().getEnd(), 8.0, 1e-9) << "stops at the end";
    wheel.deltaY = 100.0f;
    component->mouseWheelMove (mouseAt (*component, middle, middle), wheel);
    EXPECT_NEAR (component->getVisibleRange().getStart(), 0.0, 1e-9) << "and at the start";
}

TEST_F (AudioThumbnailComponentTest, MarkersReportTheTimeAndOnlyTheReleaseNotifies)
{
    load (SlotViewsHarness::writeWav (folder.child ("two.wav"), 2.0, 1, 48000.0));
    component->setStartTime (0.5);
    component->setEndTime (1.5);

    std::vector<std::pair<double, juce::NotificationType>> starts, ends;
    component->setCallbacks ([&] (double t, juce::NotificationType n) { starts.emplace_back (t, n); },
                             [&] (double t, juce::NotificationType n) { ends.emplace_back (t, n); });

    const juce::Point<float> nearEnd ((float)component->timeToX (1.5) + 3.0f, 40.0f);
    component->mouseDown (mouseAt (*component, nearEnd, nearEnd));
    component->mouseDrag (mouseAt (*component, {300.0f, 40.0f}, nearEnd, {}, true));
    component->mouseUp (mouseAt (*component, {300.0f, 40.0f}, nearEnd, {}, true));

    EXPECT_TRUE (starts.empty());
    ASSERT_EQ (ends.size(), 3u);
    EXPECT_EQ (ends[0].second, juce::dontSendNotification);
    EXPECT_EQ (ends[1].second, juce::dontSendNotification);
    EXPECT_EQ (ends[2].second, juce::sendNotification);
    EXPECT_NEAR (ends[2].first, 300.0 / 393.0 * 2.0, 1e-6);
    EXPECT_EQ (component->getSelectedMarker(), 1);
    EXPECT_EQ (component->getEndLineBounds().getX(), juce::roundToInt (component->timeToX (1.5) - 1.0))
        << "the component itself does not move the marker";
}

TEST_F (AudioThumbnailComponentTest, MarkersOnOnePixelSplitAtTheirLine)
{
    load (SlotViewsHarness::writeWav (folder.child ("same.wav"), 2.0, 1, 48000.0));
    component->setStartTime (1.0);
    component->setEndTime (1.0);
    int startCalls = 0, endCalls = 0;
    component->setCallbacks ([&] (double, juce::NotificationType) { ++startCalls; },
                             [&] (double, juce::NotificationType) { ++endCalls; });

    const auto lineX = (float)component->getStartLineBounds().getX();
    const juce::Point<float> left (lineX - 4.0f, 0.0f), right (lineX + 4.0f, 0.0f);
    component->mouseDown (mouseAt (*component, left, left));
    component->mouseUp (mouseAt (*component, left, left));
    EXPECT_EQ (startCalls, 2);
    EXPECT_EQ (endCalls, 0);
    component->mouseDown (mouseAt (*component, right, right));
    component->mouseUp (mouseAt (*component, right, right));
    EXPECT_EQ (endCalls, 2);
}

TEST_F (AudioThumbnailComponentTest, BeatLinesFollowEveryMarkerMove)
{
    load (SlotViewsHarness::writeWav (folder.child ("beats.wav"), 2.0, 1, 48000.0));
    component->setStartTime (0.0);
    component->setEndTime (2.0);
    component->setBeats (4.0);
    const auto wide = component->getBeatSpacing();
    EXPECT_NEAR (wide, (component->timeToX (2.0) - component->timeToX (0.0)) / 4.0, 1.0);

    component->setEndTime (1.0);
    EXPECT_NEAR (component->getBeatSpacing(), wide / 2.0, 1.0) << "a marker move alone moves the lines";

    component->setBeats (64.0);
    EXPECT_EQ (component->getBeatSpacing(), 0.0f) << "lines closer than 6 px are not drawn";
}

TEST_F (AudioThumbnailComponentTest, UnreadableOrMissingFilesShowNothing)
{
    const auto text = folder.child ("not audio.wav");
    text.replaceWithText ("no audio here");

    for (const auto& url : {juce::URL(), juce::URL (text), juce::URL (folder.child ("missing.wav"))})
    {
        SCOPED_TRACE (url.toString (false));
        component->loadFile (url);
        EXPECT_EQ (component->getTotalLength(), 0.0);
        EXPECT_FALSE (component->canZoomIn());
        EXPECT_FALSE (component->canZoomOut());
        EXPECT_TRUE (component->getVisibleRange().isEmpty());
        juce::MouseWheelDetails wheel{};
        wheel.deltaY = 1.0f;
        component->mouseWheelMove (mouseAt (*component, {10.0f, 10.0f}, {10.0f, 10.0f}), wheel);
        EXPECT_TRUE (component->getVisibleRange().isEmpty());
    }
}
} // namespace
