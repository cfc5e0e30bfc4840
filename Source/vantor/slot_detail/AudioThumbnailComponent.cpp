#include "vantor/slot_detail/AudioThumbnailComponent.h"

#include "common/player/LoopingSource.h"
#include "vantor/slot/IconTint.h"

#include <cmath>

namespace vantor::slot_detail
{
namespace
{
constexpr int scrollBarThickness = 9;
constexpr int sourceSamplesPerThumbSample = 512;
const juce::Colour shadeColour{0x80000000};
const juce::Colour waveColour{0xffdf8a20};
const juce::Colour gridColour{0xff666666};
constexpr float minBeatSpacing = 6.0f;

void setRectangle (juce::DrawableRectangle& rectangle, juce::Rectangle<int> bounds)
{
    const juce::Parallelogram<float> wanted (bounds.toFloat());

    if (rectangle.getRectangle() != wanted)
        rectangle.setRectangle (wanted);
}
} // namespace

/** The dashed beat lines between the markers. The spacing follows every marker move, so the
    lines stay on the beats also while the markers are dragged or fitted. */
class AudioThumbnailComponent::Grid : public juce::Component
{
public:
    Grid() { setInterceptsMouseClicks (false, false); }

    void setBeats (double newBeats)
    {
        beats = newBeats;
        updateSpacing();
    }

    void setMarkers (int newStartX, int newEndX)
    {
        startX = newStartX;
        endX = newEndX;
        updateSpacing();
    }

    float getSpacing() const noexcept { return beats > 0.0 && spacing >= minBeatSpacing ? spacing : 0.0f; }

    void paint (juce::Graphics& g) override
    {
        const auto step = getSpacing();

        if (step <= 0.0f)
            return;

        g.setColour (gridColour);
        const float dashLengths[2] = {2.0f, 2.0f};

        for (int k = 1; (float)startX + (float)k * step < (float)endX; ++k)
        {
            const auto x = (float)juce::roundToInt ((float)startX + (float)k * step - 0.5f) + 0.5f;
            g.drawDashedLine ({x, 0.0f, x, (float)getHeight()}, dashLengths, 2, 1.0f);
        }
    }

private:
    void updateSpacing()
    {
        const auto newSpacing = beats > 0.0 ? (float)((endX - startX) / beats) : 0.0f;

        if (newSpacing != spacing)
        {
            spacing = newSpacing;
            repaint();
        }
    }

    double beats = 0.0;
    int startX = 0, endX = 0;
    float spacing = 0.0f;
};

AudioThumbnailComponent::AudioThumbnailComponent (juce::AudioFormatManager& formatManager)
{
    addAndMakeVisible (scrollBar);
    scrollBar.setRangeLimits (visibleRange);
    scrollBar.setAutoHide (true);
    scrollBar.addListener (this);

    thumbnail = std::make_unique<AudioThumbnail> (sourceSamplesPerThumbSample, formatManager, thumbnailCache);
    thumbnail->addChangeListener (this);

    playCursor.setFill (juce::Colours::white);
    leftShade.setFill (shadeColour);
    rightShade.setFill (shadeColour);

    grid = std::make_unique<Grid>();
    addAndMakeVisible (*grid);
    addChildComponent (playCursor);
    addAndMakeVisible (leftShade);
    addAndMakeVisible (rightShade);
    addAndMakeVisible (startLine);
    addAndMakeVisible (endLine);
    highlightMarkers ({-1.0f, -1.0f});

    startHandle = slot::tintedIcon (vantor::ui::IconSvgs::Id::rangeArrows, slot::iconWhite, startColour);
    endHandle = slot::tintedIcon (vantor::ui::IconSvgs::Id::rangeArrows, slot::iconWhite, endColour);
    addChildComponent (*startHandle);
    addChildComponent (*endHandle);

    scrollBar.toFront (false);
}

AudioThumbnailComponent::~AudioThumbnailComponent()
{
    stopTimer();
    scrollBar.removeListener (this);
    thumbnail->removeChangeListener (this);
    // The thumbnail stops its level reading before the cache's thread goes away with the cache.
    thumbnail.reset();
}

void AudioThumbnailComponent::loadFile (const juce::URL& url)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (url.isEmpty())
        thumbnail->setSource (nullptr);
    else if (url.isLocalFile())
        thumbnail->setSource (new juce::FileInputSource (url.getLocalFile(), false));
    else
        thumbnail->setSource (new juce::URLInputSource (url));

    const auto total = juce::jmax (0.0, thumbnail->getTotalLength());

    if (scrollBar.getMinimumRangeLimit() != 0.0 || scrollBar.getMaximumRangeLimit() != total)
        scrollBar.setRangeLimits (0.0, total);

    setVisibleRange ({0.0, total});
    selectedMarker = 0;
    zoomLevel = 0;
    wheelAccumulator = 0.0f;
}

void AudioThumbnailComponent::removeCachedThumbnail (const juce::URL& url)
{
    if (!url.isLocalFile())
        return;

    juce::FileInputSource source (url.getLocalFile(), false);
    thumbnailCache.removeThumb (source.hashCode());
}

void AudioThumbnailComponent::clearCache()
{
    thumbnailCache.clear();
}

void AudioThumbnailComponent::setTransportSource (
    const std::shared_ptr<common::player::LoopingSource>& source)
{
    transport = source;
}

void AudioThumbnailComponent::resetTransportSource()
{
    transport.reset();
}

void AudioThumbnailComponent::setStartTime (double seconds)
{
    startSeconds = seconds;
    layoutMarkers();
}

void AudioThumbnailComponent::setEndTime (double seconds)
{
    endSeconds = seconds;
    layoutMarkers();
}

void AudioThumbnailComponent::setBeats (double beats)
{
    grid->setBeats (beats);
    grid->repaint();
}

void AudioThumbnailComponent::setPlaying (bool playing)
{
    if (playing)
    {
        startTimer (25);
    }
    else
    {
        stopTimer();
        playCursor.setVisible (false);
    }
}

void AudioThumbnailComponent::setCallbacks (MarkerCallback onStart, MarkerCallback onEnd)
{
    onStartChanged = std::move (onStart);
    onEndChanged = std::move (onEnd);
}

double AudioThumbnailComponent::getTotalLength() const
{
    return thumbnail->getTotalLength();
}

bool AudioThumbnailComponent::isFullyLoaded() const
{
    return thumbnail->isFullyLoaded();
}

float AudioThumbnailComponent::getBeatSpacing() const noexcept
{
    return grid->getSpacing();
}

juce::Rectangle<int> AudioThumbnailComponent::getStartLineBounds() const
{
    return startLine.getDrawableBounds().getSmallestIntegerContainer();
}

juce::Rectangle<int> AudioThumbnailComponent::getEndLineBounds() const
{
    return endLine.getDrawableBounds().getSmallestIntegerContainer();
}

//==============================================================================
void AudioThumbnailComponent::setVisibleRange (juce::Range<double> seconds)
{
    visibleRange = seconds;
    scrollBar.setCurrentRange (visibleRange);

    const auto showRange = visibleRange.getStart() != visibleRange.getEnd();
    startLine.setVisible (showRange);
    leftShade.setVisible (showRange);
    endLine.setVisible (showRange);
    rightShade.setVisible (showRange);

    layoutMarkers();
    repaint();
    sendChangeMessage();
}

bool AudioThumbnailComponent::canZoomIn() const
{
    const auto total = getTotalLength();
    return total > 0.0 && total / std::pow (2.0, zoomLevel) > minVisibleSeconds;
}

bool AudioThumbnailComponent::canZoomOut() const
{
    return getTotalLength() > 0.0 && zoomLevel >= 1;
}

void AudioThumbnailComponent::zoomAround (float anchorX, bool zoomIn)
{
    const auto total = getTotalLength();
    const auto width = getWidth();

    if (zoomIn ? !canZoomIn() : !canZoomOut())
        return;

    zoomLevel += zoomIn ? 1 : -1;

    if (zoomLevel == 0)
    {
        setVisibleRange ({0.0, total});
        return;
    }

    const auto length = juce::jmax (total / std::pow (2.0, zoomLevel), minVisibleSeconds);
    const auto proportion = width > 0 ? (double)anchorX / width : 0.0;
    auto start = visibleRange.getStart() + visibleRange.getLength() * proportion - length * proportion;
    // Near either end of the file the anchor cannot stay put: the view stays inside the file.
    start = juce::jlimit (0.0, juce::jmax (0.0, total - length), start);
    setVisibleRange ({start, start + length});
}

void AudioThumbnailComponent::zoomInAtSelectedMarker()
{
    if (selectedMarker == 0 || selectedMarker == 1)
        zoomAround ((float)pixelOf (selectedMarker == 0 ? startSeconds : endSeconds), true);
}

void AudioThumbnailComponent::zoomOutAtSelectedMarker()
{
    if (selectedMarker == 0 || selectedMarker == 1)
        zoomAround ((float)pixelOf (selectedMarker == 0 ? startSeconds : endSeconds), false);
}

void AudioThumbnailComponent::resetZoom()
{
    zoomLevel = 0;
    const auto total = getTotalLength();

    if (total > 0.0)
        setVisibleRange ({0.0, total});
}

void AudioThumbnailComponent::setZoom (double proportion)
{
    const auto total = getTotalLength();

    if (total <= 0.0)
        return;

    if (proportion == 0.0)
    {
        setVisibleRange ({0.0, total});
        return;
    }

    const auto p = juce::jlimit (0.0, 1.0 - minVisibleSeconds, proportion);
    const auto length = juce::jmax (total * (1.0 - p), minVisibleSeconds);
    const auto centre = visibleRange.getStart() + visibleRange.getLength() / 2.0;
    setVisibleRange ({centre - length / 2.0, centre + length / 2.0});
}

float AudioThumbnailComponent::xToTime (float x) const
{
    return (float)(x / (float)getWidth() * visibleRange.getLength() + visibleRange.getStart());
}

double AudioThumbnailComponent::timeToX (double seconds) const
{
    return pixelOf (seconds);
}

double AudioThumbnailComponent::pixelOf (double seconds) const
{
    const auto length = visibleRange.getLength();

    if (length <= 0.0)
        return 0.0;

    return (seconds - visibleRange.getStart()) / length * getWidth();
}

//==============================================================================
int AudioThumbnailComponent::getScrollBarHeight() const
{
    return juce::jmin (getHeight(), scrollBarThickness);
}

juce::Rectangle<int> AudioThumbnailComponent::getWaveArea() const
{
    return {0, 0, getWidth(), getHeight() - getScrollBarHeight()};
}

void AudioThumbnailComponent::resized()
{
    grid->setBounds (0, 0, getWidth(), juce::jmax (getHeight() - scrollBarThickness, 0));
    scrollBar.setBounds (0, getHeight() - getScrollBarHeight(), getWidth(), getScrollBarHeight());
    layoutMarkers();
}

void AudioThumbnailComponent::layoutMarkers()
{
    const auto w = getWidth();
    const auto h = getHeight() - getScrollBarHeight();
    const auto sx = juce::roundToInt (pixelOf (startSeconds) - 1.0);
    const auto ex = juce::roundToInt (pixelOf (endSeconds) - 1.0);

    setRectangle (startLine, {sx, 0, 2, h});
    setRectangle (leftShade, {0, 0, sx + 2, h});
    setRectangle (endLine, {ex, 0, 2, h});
    setRectangle (rightShade, {ex, 0, w - ex, h});

    if (startHandle != nullptr)
        startHandle->setTopLeftPosition (sx - 9, 0);

    if (endHandle != nullptr)
        endHandle->setTopLeftPosition (ex - 9, 0);

    if (w > 0 && h > 0)
        grid->setMarkers (sx, ex);
}

void AudioThumbnailComponent::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::black);
    g.setColour (waveColour);

    if (thumbnail->getTotalLength() > 0.0)
        thumbnail->drawMergedChannels (g, getWaveArea(), visibleRange.getStart(), visibleRange.getEnd(), 0,
                                       1.0f);
}

void AudioThumbnailComponent::changeListenerCallback (juce::ChangeBroadcaster* source)
{
    if (source == thumbnail.get())
        repaint();
}

//==============================================================================
bool AudioThumbnailComponent::isMarkerTimeVisible (double seconds) const
{
    const auto shown = scrollBar.getCurrentRange();
    const auto from = shown.getStart() - 0.001;
    return from <= seconds && seconds < juce::jmax (shown.getEnd() + 0.001, from);
}

AudioThumbnailComponent::Marker AudioThumbnailComponent::pickMarker (float x, float y) const
{
    const juce::Point<float> position (x, y);
    const auto toStart = position.getDistanceFrom (startLine.getDrawableBounds().getTopLeft());
    const auto toEnd = position.getDistanceFrom (endLine.getDrawableBounds().getTopLeft());

    // Both lines on one pixel: left of them the start marker, at or right of them the end marker.
    if (std::abs (toStart - toEnd) <= 1.1920929e-7f)
        return startLine.getDrawableBounds().getX() > x ? Marker::start : Marker::end;

    const auto startVisible = isMarkerTimeVisible (startSeconds);
    const auto endVisible = isMarkerTimeVisible (endSeconds);

    if (toStart < toEnd)
        return startVisible ? Marker::start : (endVisible ? Marker::end : Marker::none);

    return endVisible ? Marker::end : (startVisible ? Marker::start : Marker::none);
}

void AudioThumbnailComponent::highlightMarkers (juce::Point<float> position)
{
    auto marker = Marker::none;
    const auto inside = position.x >= 0.0f && position.x < (float)getWidth() && position.y >= 0.0f &&
                        position.y < (float)(getHeight() - getScrollBarHeight());

    if (inside && isEnabled())
        marker = pickMarker (position.x, position.y);

    // The highlighted line comes above the other one (the handles stay above both). Children are
    // reordered only when the order must change: every reorder makes JUCE send a fake mouse move,
    // which would come back here.
    if (marker != Marker::none && startHandle != nullptr)
    {
        auto& line = marker == Marker::start ? startLine : endLine;
        auto& other = marker == Marker::start ? endLine : startLine;

        if (getIndexOfChildComponent (&line) < getIndexOfChildComponent (&other))
            line.toBehind (startHandle.get());
    }

    startLine.setFill (marker == Marker::start ? startColour : startColour.contrasting (0.2f));
    endLine.setFill (marker == Marker::end ? endColour : endColour.contrasting (0.2f));

    if (startHandle != nullptr)
    {
        startHandle->setVisible (marker == Marker::start);
        endHandle->setVisible (marker == Marker::end);
    }
}

void AudioThumbnailComponent::mouseMove (const juce::MouseEvent& e)
{
    highlightMarkers (e.position);
}

void AudioThumbnailComponent::mouseEnter (const juce::MouseEvent& e)
{
    highlightMarkers (e.position);
}

void AudioThumbnailComponent::mouseExit (const juce::MouseEvent& e)
{
    highlightMarkers (e.position);
}

double AudioThumbnailComponent::eventTime (const juce::MouseEvent& e) const
{
    const auto w = getWidth();

    if (w <= 0)
        return visibleRange.getStart();

    const auto x = juce::jlimit (0, w, e.x);
    return (double)((float)x / (float)w) * visibleRange.getLength() + visibleRange.getStart();
}

void AudioThumbnailComponent::seekTransport (double seconds)
{
    if (auto source = transport.lock())
        if (source->isPrepared())
            source->setNextReadPosition ((juce::int64) (juce::jmax (seconds, 0.0) * source->getSampleRate()));
}

void AudioThumbnailComponent::mouseDown (const juce::MouseEvent& e)
{
    if (!isEnabled())
        return;

    const auto t = eventTime (e);
    const auto marker = pickMarker (e.position.x, e.position.y);
    draggingStart = marker == Marker::start;
    draggingEnd = marker == Marker::end;

    if (draggingStart && onStartChanged)
        onStartChanged (t, juce::dontSendNotification);
    else if (draggingEnd && onEndChanged)
        onEndChanged (t, juce::dontSendNotification);
    else if (marker == Marker::none)
        seekTransport (t);
}

void AudioThumbnailComponent::mouseDrag (const juce::MouseEvent& e)
{
    if (!isEnabled())
        return;

    const auto t = eventTime (e);

    if (draggingStart)
    {
        if (onStartChanged)
            onStartChanged (t, juce::dontSendNotification);
    }
    else if (draggingEnd)
    {
        if (onEndChanged)
            onEndChanged (t, juce::dontSendNotification);
    }
    else
    {
        seekTransport (t);
    }
}

void AudioThumbnailComponent::mouseUp (const juce::MouseEvent& e)
{
    if (isEnabled())
    {
        const auto t = eventTime (e);

        if (draggingStart)
        {
            selectedMarker = 0;

            if (onStartChanged)
                onStartChanged (t, juce::sendNotification);
        }
        else if (draggingEnd)
        {
            selectedMarker = 1;

            if (onEndChanged)
                onEndChanged (t, juce::sendNotification);
        }
    }

    draggingStart = draggingEnd = false;
}

void AudioThumbnailComponent::mouseWheelMove (const juce::MouseEvent& e, const juce::MouseWheelDetails& wheel)
{
    const auto total = getTotalLength();

    if (total <= 0.0)
        return;

    if (e.mods.isCtrlDown())
    {
        if (!juce::approximatelyEqual (wheel.deltaY, 0.0f))
        {
            wheelAccumulator += wheel.deltaY;

            if (wheelAccumulator > wheelZoomStep)
            {
                wheelAccumulator = 0.0f;
                zoomAround ((float)juce::roundToInt (e.position.x), true);
            }
            else if (wheelAccumulator < -wheelZoomStep)
            {
                wheelAccumulator = 0.0f;
                zoomAround ((float)juce::roundToInt (e.position.x), false);
            }
        }
    }
    else
    {
        const auto delta = std::abs (wheel.deltaX) > std::abs (wheel.deltaY) ? wheel.deltaX : wheel.deltaY;
        const auto length = visibleRange.getLength();
        const auto start = juce::jlimit (0.0, juce::jmax (total - length, 0.0),
                                         visibleRange.getStart() - delta * length / 10.0);
        setVisibleRange ({start, start + length});
    }

    repaint();
}

void AudioThumbnailComponent::scrollBarMoved (juce::ScrollBar* bar, double newRangeStart)
{
    if (bar == &scrollBar)
        setVisibleRange ({newRangeStart, newRangeStart + visibleRange.getLength()});
}

void AudioThumbnailComponent::timerCallback()
{
    const auto source = transport.lock();
    playCursor.setVisible (!visibleRange.isEmpty() && source != nullptr && source->isPlaying());

    if (source == nullptr)
        return;

    const auto position =
        source->isPrepared() ? (double)source->getNextReadPosition() / source->getSampleRate() : 0.0;
    const auto length = visibleRange.getLength();
    const auto px = length <= 0.0 ? 0.0 : (position - visibleRange.getStart()) / length * getWidth();
    setRectangle (playCursor, {juce::roundToInt (px - 1.0), 0, 2, getHeight() - getScrollBarHeight()});
}
} // namespace vantor::slot_detail
