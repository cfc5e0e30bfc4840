#pragma once

#include "common/LocaleObserver.h"
#include "vantor/slot_detail/AudioThumbnailComponent.h"
#include "vantor/slot_detail/GainSliderComp.h"
#include "vantor/slot_detail/ISlotDetailCommandDispathcer.h"
#include "vantor/slot_detail/SlotDetailObserver.h"
#include "vantor/slot_detail/TimeSliderComp.h"

#include <juce_audio_utils/juce_audio_utils.h>
#include <juce_gui_extra/juce_gui_extra.h>

#include <memory>

namespace vantor::slot_detail
{
class SlotDetailViewModel;

/** The editor of the SLOT selected in the SLOT table: the waveform with start and end markers,
    the start and end boxes with the playback length between them, the preview button, one-shot
    and loop, the gain knob, BPM, beats with halve and double, and the BPM calculation with its
    guided tour.
    It reads the SLOT only through SlotDetailObserver and changes it only through the dispatcher;
    it talks to the preview player directly. Every range change goes out as one changeStartTime
    or changeEndTime (a marker drag sends one, on release); it never sends changeTimeRange.
    Threads: message thread only. */
class SlotDetailView : public juce::Component,
                       public SlotDetailObserver,
                       private juce::Button::Listener,
                       private juce::Slider::Listener,
                       private juce::Label::Listener,
                       private juce::ComboBox::Listener,
                       private juce::ChangeListener,
                       public common::LocaleObserver
{
public:
    /** The preview button: the play or stop picture on a dark face. Its toggle state (set by the
        editor only) says that this SLOT is being previewed. */
    class PlayButton : public juce::Button
    {
    public:
        PlayButton();
        void paintButton (juce::Graphics& g, bool over, bool down) override;

    private:
        std::unique_ptr<juce::Drawable> playIcon, stopIcon;
    };

    /** The BPM on black, edited by a single click; only digits and "." can be typed. */
    class BpmLabel : public juce::Label
    {
    public:
        BpmLabel (const juce::String& name, const juce::String& text);
        void paint (juce::Graphics& g) override;

    protected:
        void editorShown (juce::TextEditor* editor) override;
    };

    /** Registers with the view model (receiving its state at once) and leaves it when deleted;
        the view model outlives the editor. */
    explicit SlotDetailView (SlotDetailViewModel& viewModel);
    /** Registers nowhere; the dispatcher outlives the editor. */
    explicit SlotDetailView (ISlotDetailCommandDispathcer* dispatcher);
    ~SlotDetailView() override;

    // SlotDetailObserver
    void slotDetailChanged (const SlotDetailState& state, bool audioFileChanged) override;
    void slotDetailReloaded (const SlotDetailState& state) override;
    void reservedNotification() override {}
    void startTimeChanged (double startSeconds) override;
    void endTimeChanged (double endSeconds) override;
    void loopModeChanged (bool loop) override;
    void gainDbChanged (float gainDb) override;
    void beatsChanged (double beats) override;
    void bpmChanged (double bpm) override;
    void bpmCalculated (double bpm) override;

    void localeChanged() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    // The parts, for the composition root's tour and for tests.
    AudioThumbnailComponent& getThumbnail() noexcept { return *thumbnail; }
    TimeSliderComp& getStartTime() noexcept { return *startTime; }
    TimeSliderComp& getEndTime() noexcept { return *endTime; }
    juce::Label& getTimeLabel() noexcept { return *timeLabel; }
    PlayButton& getPlayButton() noexcept { return *playButton; }
    juce::DrawableButton& getOneShotButton() noexcept { return *oneShotButton; }
    juce::DrawableButton& getLoopButton() noexcept { return *loopButton; }
    GainSliderComp& getGainSlider() noexcept { return *gainSlider; }
    BpmLabel& getBpmLabel() noexcept { return *bpmLabel; }
    juce::ComboBox& getBeatComboBox() noexcept { return *beatComboBox; }
    juce::DrawableButton& getHalfBeatButton() noexcept { return *halfBeatButton; }
    juce::DrawableButton& getDoubleBeatButton() noexcept { return *doubleBeatButton; }
    juce::ToggleButton& getBpmCalcButton() noexcept { return *bpmCalcButton; }
    juce::DrawableButton& getHintButton() noexcept { return *hintButton; }
    juce::DrawableButton& getCalcBpmButton() noexcept { return *calcBpmButton; }
    juce::DrawableButton& getZoomInButton() noexcept { return *zoomInButton; }
    juce::DrawableButton& getZoomOutButton() noexcept { return *zoomOutButton; }
    juce::DrawableButton& getZoomResetButton() noexcept { return *zoomResetButton; }
    const juce::URL& getUrl() const noexcept { return url; }
    bool isLoopAllowed() const noexcept { return loopAllowed; }

    /** The width at which the title tab and the header line's end meet. */
    static constexpr int headerJoinWidth = 413;

private:
    void buttonClicked (juce::Button* button) override;
    void sliderValueChanged (juce::Slider* slider) override;
    void labelTextChanged (juce::Label* label) override;
    void comboBoxChanged (juce::ComboBox* box) override;
    void changeListenerCallback (juce::ChangeBroadcaster* source) override;

    void loadSample (const juce::URL& newUrl);
    void updateTimeLabel();
    void updateZoomButtons();
    bool isPlayingThisSlot() const;
    bool playerHoldsThisSlot() const;
    void startPreview();
    void clickLoop();
    void clickHalfBeats();
    void startTour();
    void showCalcMode (bool on);
    void calcModeToggled();
    void moveStartMarker (double seconds, juce::NotificationType notification);
    void moveEndMarker (double seconds, juce::NotificationType notification);
    void registerTourTargets();

    ISlotDetailCommandDispathcer* dispatcher;
    SlotDetailViewModel* registeredWith = nullptr;
    juce::AudioFormatManager formatManager;
    juce::URL url;
    juce::Slider zoomSlider;
    std::unique_ptr<AudioThumbnailComponent> thumbnail;
    std::unique_ptr<juce::Label> timeLabel;
    std::unique_ptr<juce::DrawableButton> zoomInButton, zoomOutButton, zoomResetButton;
    std::unique_ptr<TimeSliderComp> startTime, endTime;
    std::unique_ptr<PlayButton> playButton;
    std::unique_ptr<juce::DrawableButton> oneShotButton;
    std::unique_ptr<juce::DrawableButton> loopButton;
    bool loopAllowed = false;
    std::unique_ptr<GainSliderComp> gainSlider;
    std::unique_ptr<BpmLabel> bpmLabel;
    std::unique_ptr<juce::ComboBox> beatComboBox;
    std::unique_ptr<juce::DrawableButton> halfBeatButton, doubleBeatButton;
    std::unique_ptr<juce::ToggleButton> bpmCalcButton;
    std::unique_ptr<juce::DrawableButton> hintButton;
    std::unique_ptr<juce::DrawableButton> calcBpmButton;
    std::unique_ptr<juce::Drawable> tabImage;
    std::unique_ptr<juce::Drawable> headerLineImage;

    JUCE_DECLARE_WEAK_REFERENCEABLE (SlotDetailView)
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SlotDetailView)
};
} // namespace vantor::slot_detail
