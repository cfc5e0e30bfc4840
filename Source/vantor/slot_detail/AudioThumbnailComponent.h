#pragma once

#include "vantor/slot_detail/AudioThumbnail.h"

#include <juce_audio_utils/juce_audio_utils.h>

#include <functional>
#include <memory>

namespace common::player
{
class LoopingSource;
}

namespace vantor::slot_detail
{
/** The waveform of the selected SLOT's WAV with the start (yellow) and end (orange) markers,
    shaded areas outside the range, beat lines between the markers, a play cursor, zoom and a
    horizontal scroll bar.
    It changes no data: a marker drag reports the time under the mouse through the marker
    callbacks (without notification while pressed and dragged, with sendNotification on release)
    and the owner answers with setStartTime / setEndTime. It broadcasts an asynchronous change
    message after every change of the visible range.
    Threads: message thread; the level data is read on the cache's time-slice thread. */
class AudioThumbnailComponent : public juce::Component,
                                private juce::ChangeListener,
                                public juce::ChangeBroadcaster,
                                private juce::ScrollBar::Listener,
                                private juce::Timer
{
public:
    using MarkerCallback = std::function<void (double seconds, juce::NotificationType)>;

    /** The format manager outlives the component (its owner holds both). */
    explicit AudioThumbnailComponent (juce::AudioFormatManager& formatManager);
    ~AudioThumbnailComponent() override;

    void loadFile (const juce::URL& url);
    /** Forgets the cached levels of the file, so a file rewritten under the same name is read
        again. */
    void removeCachedThumbnail (const juce::URL& url);
    void clearCache();

    /** Kept weakly: the preview player owns the transport. */
    void setTransportSource (const std::shared_ptr<common::player::LoopingSource>& source);
    void resetTransportSource();

    void setStartTime (double seconds);
    void setEndTime (double seconds);
    void setBeats (double beats);
    /** Runs the play cursor's timer only while true. */
    void setPlaying (bool playing);
    void setCallbacks (MarkerCallback onStart, MarkerCallback onEnd);

    void setVisibleRange (juce::Range<double> seconds);
    juce::Range<double> getVisibleRange() const noexcept { return visibleRange; }
    bool canZoomIn() const;
    bool canZoomOut() const;
    void zoomInAtSelectedMarker();
    void zoomOutAtSelectedMarker();
    void resetZoom();
    /** 0 shows the whole file; otherwise the visible length is total x (1 - p), at least 0.4 s,
        around the centre of the present view. */
    void setZoom (double proportion);

    float xToTime (float x) const;
    double timeToX (double seconds) const;

    double getTotalLength() const;
    bool isFullyLoaded() const;
    bool isPlayCursorRunning() const { return isTimerRunning(); }
    int getZoomLevel() const noexcept { return zoomLevel; }
    int getSelectedMarker() const noexcept { return selectedMarker; }
    /** The beat lines' spacing in pixels; 0 when no lines are drawn. */
    float getBeatSpacing() const noexcept;
    /** The bounds of a marker line, for tests and for the guided tour's pointer. */
    juce::Rectangle<int> getStartLineBounds() const;
    juce::Rectangle<int> getEndLineBounds() const;
    bool isStartHighlighted() const noexcept { return startHandle->isVisible(); }
    bool isEndHighlighted() const noexcept { return endHandle->isVisible(); }

    void paint (juce::Graphics& g) override;
    void resized() override;
    void mouseMove (const juce::MouseEvent& e) override;
    void mouseEnter (const juce::MouseEvent& e) override;
    void mouseExit (const juce::MouseEvent& e) override;
    void mouseDown (const juce::MouseEvent& e) override;
    void mouseDrag (const juce::MouseEvent& e) override;
    void mouseUp (const juce::MouseEvent& e) override;
    void mouseWheelMove (const juce::MouseEvent& e, const juce::MouseWheelDetails& wheel) override;

    /** Levels kept for at most this many files. */
    static constexpr int cachedThumbnails = 20;
    static constexpr double minVisibleSeconds = 0.4;
    static constexpr float wheelZoomStep = 0.25f;

private:
    class Grid;
    enum class Marker
    {
        none,
        start,
        end
    };

    void changeListenerCallback (juce::ChangeBroadcaster* source) override;
    void scrollBarMoved (juce::ScrollBar* bar, double newRangeStart) override;
    void timerCallback() override;

    int getScrollBarHeight() const;
    juce::Rectangle<int> getWaveArea() const;
    double pixelOf (double seconds) const;
    void layoutMarkers();
    bool isMarkerTimeVisible (double seconds) const;
    Marker pickMarker (float x, float y) const;
    void highlightMarkers (juce::Point<float> position);
    double eventTime (const juce::MouseEvent& e) const;
    void seekTransport (double seconds);
    void zoomAround (float anchorX, bool zoomIn);

    const juce::Colour startColour{0xffffd400};
    const juce::Colour endColour{0xffff6400};
    std::weak_ptr<common::player::LoopingSource> transport;
    juce::ScrollBar scrollBar{false};
    // The cache is declared before the thumbnail, which refers to it until it is destroyed.
    juce::AudioThumbnailCache thumbnailCache{cachedThumbnails};
    std::unique_ptr<AudioThumbnail> thumbnail;
    juce::Range<double> visibleRange;
    juce::DrawableRectangle playCursor;
    double startSeconds = 0.0, endSeconds = 0.0;
    juce::DrawableRectangle startLine, endLine;
    juce::DrawableRectangle leftShade, rightShade;
    std::unique_ptr<juce::Drawable> startHandle, endHandle;
    std::unique_ptr<Grid> grid;
    bool draggingStart = false, draggingEnd = false;
    MarkerCallback onStartChanged, onEndChanged;
    int selectedMarker = 0; // 0 start, 1 end: the marker the zoom buttons keep in place
    int zoomLevel = 0;      // 0 = whole file
    float wheelAccumulator = 0.0f;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AudioThumbnailComponent)
};
} // namespace vantor::slot_detail
