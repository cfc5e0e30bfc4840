#include "vantor/slot_detail/SlotDetailView.h"

#include "common/BeatChoices.h"
#include "common/player/AudioPlayer.h"
#include "vantor/slot/IconTint.h"
#include "vantor/slot/PadLook.h"
#include "vantor/slot/PreviewGain.h"
#include "vantor/slot/TimeText.h"
#include "vantor/slot_detail/SlotDetailViewModel.h"
#include "vantor/ui/DialogHelper.h"
#include "vantor/ui/IconSvgs.h"
#include "vantor/ui/Spotlight.h"

#include <cmath>

namespace vantor::slot_detail
{
using common::player::AudioPlayer;
using slot::iconGrey;
using slot::iconWhite;
using slot::tintedIcon;
using vantor::ui::IconSvgs;

namespace
{
constexpr double markerGap = 0.001;
constexpr double minimumBpm = 40.0;
constexpr double maximumBpm = 999.99;
const juce::Colour background{0xff232323};
const juce::Colour captionColour{0xff999999};

juce::String twoDecimals (double value)
{
    return juce::String::formatted ("%.2f", value);
}

/** A button showing only its text, drawn by the application look-and-feel. */
std::unique_ptr<juce::DrawableButton> makeTextButton (const juce::String& name, const juce::String& text)
{
    auto button = std::make_unique<juce::DrawableButton> (name, juce::DrawableButton::ImageFitted);
    button->setButtonText (text);
    return button;
}

void setTintedImages (juce::DrawableButton& button, IconSvgs::Id id, juce::Colour normal, juce::Colour over,
                      juce::Colour down)
{
    const auto normalImage = IconSvgs::createDrawable (id);
    const auto overImage = tintedIcon (id, normal, over);
    const auto downImage = tintedIcon (id, normal, down);
    button.setImages (normalImage.get(), overImage.get(), downImage.get());
}
} // namespace

//==============================================================================
SlotDetailView::PlayButton::PlayButton()
    : juce::Button ("playButton")
    , playIcon (IconSvgs::createDrawable (IconSvgs::Id::play))
    , stopIcon (IconSvgs::createDrawable (IconSvgs::Id::stop))
{
}

void SlotDetailView::PlayButton::paintButton (juce::Graphics& g, bool over, bool down)
{
    const auto w = getWidth();
    const auto h = getHeight();
    const auto top = slot::PadLook::adjust (juce::Colour (0xff424242), *this, over, down);
    const auto bottom = slot::PadLook::adjust (juce::Colour (0xff232323), *this, over, down);

    g.setGradientFill (juce::ColourGradient (top, 0.0f, 0.0f, bottom, 0.0f, (float)h, false));
    g.fillRoundedRectangle (0.0f, 0.0f, (float)w, (float)h, 2.0f);
    g.setColour (juce::Colours::black);
    g.drawRoundedRectangle (1.0f, 1.0f, (float)juce::jmax (0, w - 2), (float)juce::jmax (0, h - 2), 2.0f,
                            2.0f);

    if (auto* icon = getToggleState() ? stopIcon.get() : playIcon.get())
        icon->drawAt (g, (float)((w - 14) / 2), (float)((h - 14) / 2), isEnabled() ? 1.0f : 0.5f);
}

SlotDetailView::BpmLabel::BpmLabel (const juce::String& name, const juce::String& text)
    : juce::Label (name, text)
{
    setFont (juce::Font (14.0f, juce::Font::plain));
    setJustificationType (juce::Justification::centred);
    setEditable (true, false, false);
}

void SlotDetailView::BpmLabel::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::black);
    getLookAndFeel().drawLabel (g, *this);
}

void SlotDetailView::BpmLabel::editorShown (juce::TextEditor* editor)
{
    editor->setJustification (juce::Justification::centred);
    editor->setInputRestrictions (0, "0123456789.");
    juce::Label::editorShown (editor);
}

//==============================================================================
SlotDetailView::SlotDetailView (SlotDetailViewModel& viewModel)
    : SlotDetailView (static_cast<ISlotDetailCommandDispathcer*> (&viewModel))
{
    registeredWith = &viewModel;
    viewModel.addListener (this);
}

SlotDetailView::SlotDetailView (ISlotDetailCommandDispathcer* dispatcherToUse)
    : dispatcher (dispatcherToUse)
    , zoomSlider (juce::Slider::LinearHorizontal, juce::Slider::NoTextBox)
{
    timeLabel = std::make_unique<juce::Label> ("timeLabel", juce::String());
    addAndMakeVisible (*timeLabel);
    timeLabel->setJustificationType (juce::Justification::centred);
    timeLabel->setFont (juce::Font (20.0f, juce::Font::bold));

    zoomInButton = std::make_unique<juce::DrawableButton> ("zoomInButton", juce::DrawableButton::ImageRaw);
    zoomOutButton = std::make_unique<juce::DrawableButton> ("zoomOutButton", juce::DrawableButton::ImageRaw);
    zoomResetButton =
        std::make_unique<juce::DrawableButton> ("zoomResetButton", juce::DrawableButton::ImageRaw);
    const std::pair<juce::DrawableButton*, IconSvgs::Id> zoomButtons[] = {
        {zoomInButton.get(), IconSvgs::Id::zoomIn},
        {zoomOutButton.get(), IconSvgs::Id::zoomOut},
        {zoomResetButton.get(), IconSvgs::Id::zoomReset}};

    for (const auto& [button, icon] : zoomButtons)
    {
        addAndMakeVisible (*button);
        button->setButtonText ({});
        button->setColour (juce::DrawableButton::backgroundColourId, juce::Colours::transparentBlack);
        button->addListener (this);
        button->setWantsKeyboardFocus (false);
        setTintedImages (*button, icon, iconWhite, juce::Colour (0xfff3f3f3), juce::Colour (0xffd5d5d5));
    }

    startTime = std::make_unique<TimeSliderComp> ("startTime");
    endTime = std::make_unique<TimeSliderComp> ("endTime");
    addAndMakeVisible (*startTime);
    addAndMakeVisible (*endTime);
    startTime->getSlider()->addListener (this);
    endTime->getSlider()->addListener (this);

    playButton = std::make_unique<PlayButton>();
    addAndMakeVisible (*playButton);
    playButton->addListener (this);
    playButton->setWantsKeyboardFocus (false);

    oneShotButton = std::make_unique<juce::DrawableButton> ("oneShotButton",
                                                            juce::DrawableButton::ImageOnButtonBackground);
    loopButton = std::make_unique<juce::DrawableButton> (
        "loopButton", juce::DrawableButton::ImageOnButtonBackgroundOriginalSize);
    const std::tuple<juce::DrawableButton*, IconSvgs::Id, IconSvgs::Id> modeButtons[] = {
        {oneShotButton.get(), IconSvgs::Id::oneShotOff, IconSvgs::Id::oneShotOn},
        {loopButton.get(), IconSvgs::Id::loopOff, IconSvgs::Id::loopOn}};

    for (const auto& [button, off, on] : modeButtons)
    {
        addAndMakeVisible (*button);
        button->addListener (this);
        button->setWantsKeyboardFocus (false);
        const auto offImage = IconSvgs::createDrawable (off);
        const auto onImage = IconSvgs::createDrawable (on);
        button->setImages (offImage.get(), nullptr, nullptr, nullptr, onImage.get());
    }

    oneShotButton->setEdgeIndent (10);

    gainSlider = std::make_unique<GainSliderComp> ("gainSlider");
    addAndMakeVisible (*gainSlider);
    gainSlider->getSlider()->addListener (this);

    bpmLabel = std::make_unique<BpmLabel> ("bpmLabel", juce::String());
    addAndMakeVisible (*bpmLabel);
    bpmLabel->addListener (this);

    beatComboBox = std::make_unique<juce::ComboBox> ("beatComboBox");
    addAndMakeVisible (*beatComboBox);
    beatComboBox->setEnabled (false);
    beatComboBox->setEditableText (true);
    beatComboBox->setJustificationType (juce::Justification::centredLeft);
    beatComboBox->setTextWhenNothingSelected ("Unknown");
    beatComboBox->addItemList (common::BeatChoices, 1);
    beatComboBox->setSelectedId (0, juce::dontSendNotification);
    beatComboBox->addListener (this);

    halfBeatButton = makeTextButton ("halfBeatButton", "1/2x");
    doubleBeatButton = makeTextButton ("doubleBeatButton", "2x");

    for (auto* button : {halfBeatButton.get(), doubleBeatButton.get()})
    {
        addAndMakeVisible (*button);
        button->addListener (this);
        button->setWantsKeyboardFocus (false);
    }

    bpmCalcButton = std::make_unique<juce::ToggleButton> ("bpmCalcButton");
    bpmCalcButton->setButtonText ("BPM Calculation");
    addAndMakeVisible (*bpmCalcButton);
    bpmCalcButton->addListener (this);
    bpmCalcButton->setWantsKeyboardFocus (false);

    hintButton = std::make_unique<juce::DrawableButton> ("hintButton", juce::DrawableButton::ImageRaw);
    addAndMakeVisible (*hintButton);
    hintButton->addListener (this);
    hintButton->setWantsKeyboardFocus (false);
    hintButton->setButtonText ({});
    hintButton->setColour (juce::DrawableButton::backgroundColourId, juce::Colours::transparentBlack);
    setTintedImages (*hintButton, IconSvgs::Id::help, iconGrey, juce::Colour (0xffa2a2a2),
                     juce::Colour (0xff8e8e8e));

    calcBpmButton = makeTextButton ("calcBpmButton", juce::String());
    addChildComponent (*calcBpmButton);
    calcBpmButton->addListener (this);
    calcBpmButton->setWantsKeyboardFocus (false);
    calcBpmButton->setEnabled (false);

    formatManager.registerBasicFormats();
    zoomSlider.setRange (0.0, 1.0, 0.1);
    zoomSlider.onValueChange = [this] { thumbnail->setZoom (zoomSlider.getValue()); };

    thumbnail = std::make_unique<AudioThumbnailComponent> (formatManager);
    addAndMakeVisible (*thumbnail);
    thumbnail->addChangeListener (this);
    thumbnail->setCallbacks ([this] (double t, juce::NotificationType n) { moveStartMarker (t, n); },
                             [this] (double t, juce::NotificationType n) { moveEndMarker (t, n); });

    setEnabled (false);

    tabImage = IconSvgs::createDrawable (IconSvgs::Id::slotEditTitle);
    headerLineImage = IconSvgs::createDrawable (IconSvgs::Id::slotEditTitleRule);
    updateZoomButtons();

    auto* player = AudioPlayer::getInstance();
    player->addChangeListener (this);
    thumbnail->setTransportSource (player->getTransportSource());

    registerTourTargets();
}

SlotDetailView::~SlotDetailView()
{
    if (registeredWith != nullptr)
        registeredWith->removeListener (this);

    // Leaving the player must not create one during shut-down.
    if (auto* player = AudioPlayer::getInstanceWithoutCreating())
        player->removeChangeListener (this);

    thumbnail->resetTransportSource();
    thumbnail->removeChangeListener (this);
}

void SlotDetailView::registerTourTargets()
{
    auto* spotlight = vantor::ui::Spotlight::getInstance();

    if (spotlight == nullptr)
        return;

    constexpr int left = juce::BubbleComponent::left;
    constexpr int anywhere = juce::BubbleComponent::above | juce::BubbleComponent::below |
                             juce::BubbleComponent::left | juce::BubbleComponent::right;
    spotlight->addTarget ("bpmCalculation", bpmCalcButton.get(), true,
                          "You can calculate the BPM when you don't know the track's BPM. (1/4)", left);
    spotlight->addTarget ("audioThumbnail", thumbnail.get(), true,
                          "Adjust the Start and End according to the beat of the track. (2/4)", anywhere);
    spotlight->addTarget ("beat", beatComboBox.get(), true,
                          "Enter the number of beats in the playback range. (3/4)", left);
    spotlight->addTarget ("calcBpm", calcBpmButton.get(), true, "Click [Calculate]. (4/4)", left);
}

//==============================================================================
void SlotDetailView::slotDetailChanged (const SlotDetailState& state, bool audioFileChanged)
{
    JUCE_ASSERT_MESSAGE_THREAD
    const juce::URL newUrl = state.audioFile == juce::File() ? juce::URL() : juce::URL (state.audioFile);

    if (audioFileChanged)
    {
        // The file was written anew: the player lets go of it and its levels are read again.
        AudioPlayer::getInstance()->load ({}, false);
        thumbnail->removeCachedThumbnail (newUrl);
    }

    loadSample (newUrl);

    if (state.fileLengthSeconds > 0.0)
    {
        startTime->setRange (0.0, state.fileLengthSeconds, 0.001);
        endTime->setRange (0.0, state.fileLengthSeconds, 0.001);
    }

    startTimeChanged (state.startSeconds);
    endTimeChanged (state.endSeconds);
    loopModeChanged (state.loop);
    gainDbChanged (state.gainDb);
    beatsChanged (state.beats);
    bpmChanged (state.bpm);

    setEnabled (!url.isEmpty());

    if (!isEnabled())
    {
        oneShotButton->setToggleState (false, juce::dontSendNotification);
        loopButton->setToggleState (false, juce::dontSendNotification);
    }

    loopAllowed = state.slotIndex == 2 || state.slotIndex == 3;
    loopButton->setEnabled (loopAllowed);
    loopButton->setTooltip (loopAllowed ? TRANS ("Loop playback in sync with BPM")
                                        : TRANS ("This SLOT does not support loop playback."));

    // Leaves the calculation mode (one changeCalcBpmMode (false), only when it was on) ...
    bpmCalcButton->setToggleState (false, juce::sendNotificationSync);
    // ... and puts "Calculate" back in step with the switch, also after a tour that was left
    // half-way and never restored it.
    showCalcMode (bpmCalcButton->getToggleState());
}

void SlotDetailView::slotDetailReloaded (const SlotDetailState& state)
{
    AudioPlayer::getInstance()->load ({}, false);
    thumbnail->clearCache();
    slotDetailChanged (state, false);
}

void SlotDetailView::startTimeChanged (double seconds)
{
    startTime->setValue (seconds, juce::dontSendNotification);
    updateTimeLabel();
    thumbnail->setStartTime (seconds);
}

void SlotDetailView::endTimeChanged (double seconds)
{
    endTime->setValue (seconds, juce::dontSendNotification);
    updateTimeLabel();
    thumbnail->setEndTime (seconds);
}

void SlotDetailView::loopModeChanged (bool loop)
{
    oneShotButton->setToggleState (!loop, juce::dontSendNotification);
    loopButton->setToggleState (loop, juce::dontSendNotification);

    // A running preview of this SLOT follows at once.
    if (playerHoldsThisSlot())
        AudioPlayer::getInstance()->setLooping (loop);
}

void SlotDetailView::gainDbChanged (float gainDb)
{
    gainSlider->setValue (gainDb);
}

void SlotDetailView::beatsChanged (double beats)
{
    beatComboBox->setText (twoDecimals (beats), juce::dontSendNotification);
    thumbnail->setBeats (beats);
}

void SlotDetailView::bpmChanged (double bpm)
{
    bpmLabel->setText (twoDecimals (bpm), juce::dontSendNotification);
}

void SlotDetailView::bpmCalculated (double bpm)
{
    if (!bpmCalcButton->getToggleState())
        return;

    juce::Component::SafePointer<SlotDetailView> self (this);
    vantor::ui::DialogHelper::showBpmCalculationResult (
        bpm,
        [self, bpm]
        {
            auto* view = self.getComponent();

            if (view == nullptr)
                return;

            // Sent also when the label already shows this BPM: a label that does not change would
            // not tell its listeners, and leaving the mode would then restore the old BPM and range.
            view->bpmLabel->setText (twoDecimals (bpm), juce::dontSendNotification);
            view->dispatcher->changeBpm (slot::parseHundredths (view->bpmLabel->getText()));
            view->bpmCalcButton->setToggleState (false, juce::sendNotificationSync);
        });
}

//==============================================================================
void SlotDetailView::sliderValueChanged (juce::Slider* slider)
{
    if (slider == startTime->getSlider())
        dispatcher->changeStartTime (startTime->getValue());
    else if (slider == endTime->getSlider())
        dispatcher->changeEndTime (endTime->getValue());
    else if (slider == gainSlider->getSlider())
        dispatcher->changeGainDb ((float)gainSlider->getValue());
}

void SlotDetailView::labelTextChanged (juce::Label* label)
{
    if (label == bpmLabel.get())
        dispatcher->changeBpm (slot::parseHundredths (bpmLabel->getText()));
}

void SlotDetailView::comboBoxChanged (juce::ComboBox* box)
{
    if (box == beatComboBox.get())
        dispatcher->changeBeats (slot::parseHundredths (beatComboBox->getText()));
}

void SlotDetailView::buttonClicked (juce::Button* button)
{
    if (button == zoomInButton.get())
        thumbnail->zoomInAtSelectedMarker();
    else if (button == zoomOutButton.get())
        thumbnail->zoomOutAtSelectedMarker();
    else if (button == zoomResetButton.get())
        thumbnail->resetZoom();
    else if (button == playButton.get())
        startPreview();
    else if (button == oneShotButton.get())
        dispatcher->changeLoopMode (false);
    else if (button == loopButton.get())
        clickLoop();
    else if (button == halfBeatButton.get())
        clickHalfBeats();
    else if (button == doubleBeatButton.get())
        dispatcher->doubleBeats (slot::parseHundredths (beatComboBox->getText()));
    else if (button == bpmCalcButton.get())
        calcModeToggled();
    else if (button == hintButton.get())
        startTour();
    else if (button == calcBpmButton.get())
        dispatcher->calcBpm (slot::parseHundredths (beatComboBox->getText()));
}

void SlotDetailView::startPreview()
{
    auto* player = AudioPlayer::getInstance();

    if (player->getCurrentUrl() != url)
        player->load (url, false);

    player->setLooping (loopButton->getToggleState());
    const auto start = startTime->getValue();
    player->setLoopRange ({start, juce::jmax (start, endTime->getValue())});
    player->setGain (slot::previewGain (gainSlider->getValue()));
    player->startOrStop (false);
}

void SlotDetailView::clickLoop()
{
    if (bpmLabel->getText().getDoubleValue() > 0.0)
    {
        dispatcher->changeLoopMode (true);
        return;
    }

    // Loop playback always has a BPM: ask for one first.
    juce::Component::SafePointer<SlotDetailView> self (this);
    vantor::ui::DialogHelper::showBpmInputDialog (
        [self] (const juce::String& text)
        {
            const auto bpm = text.getDoubleValue();

            if (bpm < minimumBpm || bpm > maximumBpm)
                return false;

            if (auto* view = self.getComponent())
            {
                view->dispatcher->changeBpm (slot::parseHundredths (text));
                view->dispatcher->changeLoopMode (true);
            }

            return true;
        });
}

void SlotDetailView::clickHalfBeats()
{
    const auto beats = beatComboBox->getText().getDoubleValue();

    if (beats == 0.0)
        dispatcher->halveBeats (0); // the service asks for the number of beats
    else if (beats > 0.01)
        dispatcher->halveBeats (slot::parseHundredths (beatComboBox->getText()));
}

void SlotDetailView::startTour()
{
    const auto calcWasVisible = calcBpmButton->isVisible();
    calcBpmButton->setVisible (true);

    juce::WeakReference<juce::Component> calc (calcBpmButton.get());

    if (auto* spotlight = vantor::ui::Spotlight::getInstance())
        spotlight->start ({"bpmCalculation", "audioThumbnail", "beat", "calcBpm"},
                          [calc, calcWasVisible]
                          {
                              if (auto* button = calc.get())
                                  button->setVisible (calcWasVisible);
                          });
}

void SlotDetailView::showCalcMode (bool on)
{
    bpmLabel->setEnabled (!on);
    beatComboBox->setEnabled (on);
    calcBpmButton->setVisible (on);
    calcBpmButton->setEnabled (on);
}

void SlotDetailView::calcModeToggled()
{
    const auto on = bpmCalcButton->getToggleState();
    showCalcMode (on);
    dispatcher->changeCalcBpmMode (on);
}

void SlotDetailView::changeListenerCallback (juce::ChangeBroadcaster* source)
{
    if (source == thumbnail.get())
    {
        updateZoomButtons();
        return;
    }

    auto* player = AudioPlayer::getInstanceWithoutCreating();

    if (player == nullptr || source != player)
        return;

    const auto playing = isPlayingThisSlot();
    playButton->setToggleState (playing, juce::dontSendNotification);
    playButton->setTooltip (playing ? TRANS ("Stop") : TRANS ("Play"));
    thumbnail->setPlaying (playing);
}

//==============================================================================
void SlotDetailView::moveStartMarker (double seconds, juce::NotificationType notification)
{
    const auto end = endTime->getValue();

    if (seconds >= end)
        seconds = end - markerGap;

    if (notification == juce::dontSendNotification)
    {
        startTime->setValue (seconds, juce::dontSendNotification);
        updateTimeLabel();
        thumbnail->setStartTime (seconds);
        return;
    }

    // The box first takes another value silently, so the release always reports a change and
    // sends exactly one changeStartTime, also when the marker ends where it started.
    startTime->setValue (end, juce::dontSendNotification);
    startTime->setValue (seconds, juce::sendNotificationSync);
}

void SlotDetailView::moveEndMarker (double seconds, juce::NotificationType notification)
{
    const auto start = startTime->getValue();

    if (seconds <= start)
        seconds = start + markerGap;

    if (notification == juce::dontSendNotification)
    {
        endTime->setValue (seconds, juce::dontSendNotification);
        updateTimeLabel();
        thumbnail->setEndTime (seconds);
        return;
    }

    endTime->setValue (start, juce::dontSendNotification);
    endTime->setValue (seconds, juce::sendNotificationSync);
}

void SlotDetailView::loadSample (const juce::URL& newUrl)
{
    auto* player = AudioPlayer::getInstance();

    if (player->getCurrentUrl() != newUrl)
        player->load (newUrl, false);

    url = newUrl;
    zoomSlider.setValue (0.0, juce::sendNotificationSync);
    thumbnail->loadFile (url);
}

void SlotDetailView::updateTimeLabel()
{
    const auto start = startTime->getValue();
    const auto end = endTime->getValue();
    timeLabel->setText (slot::formatPlaybackTime (juce::jmax (0.0, end - start)), juce::dontSendNotification);

    // A running preview of this SLOT follows every range change at once.
    if (playerHoldsThisSlot())
        AudioPlayer::getInstance()->setLoopRange ({start, juce::jmax (start, end)});
}

void SlotDetailView::updateZoomButtons()
{
    zoomInButton->setEnabled (thumbnail->canZoomIn());
}

bool SlotDetailView::playerHoldsThisSlot() const
{
    auto* player = AudioPlayer::getInstanceWithoutCreating();
    return player != nullptr && player->getCurrentUrl() == url;
}

bool SlotDetailView::isPlayingThisSlot() const
{
    auto* player = AudioPlayer::getInstanceWithoutCreating();
    return player != nullptr && player->getCurrentUrl() == url && player->isPlaying();
}

void SlotDetailView::localeChanged()
{
    zoomInButton->setTooltip (TRANS ("Zoom in"));
    zoomOutButton->setTooltip (TRANS ("Zoom out"));
    zoomResetButton->setTooltip (TRANS ("Reset zoom"));
    startTime->updateTooltips();
    endTime->updateTooltips();
    playButton->setTooltip (isPlayingThisSlot() ? TRANS ("Stop") : TRANS ("Play"));
    oneShotButton->setTooltip (TRANS ("Play one shot"));
    loopButton->setTooltip (loopAllowed ? TRANS ("Loop playback in sync with BPM")
                                        : TRANS ("This SLOT does not support loop playback."));
    gainSlider->updateTooltips();
    bpmLabel->setTooltip (TRANS ("Enter BPM.\r\nValid range is 40.00-999.99."));
    beatComboBox->setTooltip (TRANS ("Enter number of beats for playback range."));
    halfBeatButton->setTooltip (TRANS ("Halve the number of beats"));
    doubleBeatButton->setTooltip (TRANS ("Double the number of beats"));
    hintButton->setTooltip (TRANS ("How to use BPM Calculation"));
    calcBpmButton->setButtonText (TRANS ("Calculate"));
}

//==============================================================================
void SlotDetailView::resized()
{
    const auto w = getWidth();
    const auto iw = juce::jmax (0, w - 20);
    const auto cw = juce::jmin (iw, 393);
    const auto cl = 10 + (iw - cw) / 2;
    const auto cr = cl + cw;

    thumbnail->setBounds (10, 60, iw, 85);
    zoomInButton->setBounds (juce::jmax (iw - 4, 0) - 1, 46, 13, 13);
    zoomResetButton->setBounds (zoomInButton->getX() - 23, 46, 13, 13);
    zoomOutButton->setBounds (zoomResetButton->getX() - 23, 46, 13, 13);
    startTime->setBounds (25, thumbnail->getBottom() + 5, 114, 25);
    endTime->setBounds (juce::jmax (iw - 30, 0) - 89, thumbnail->getBottom() + 5, 114, 25);

    const auto gap = endTime->getX() - startTime->getRight();
    timeLabel->setBounds (10 + (iw - gap) / 2, thumbnail->getBottom() + 4, gap, 26);

    playButton->setBounds (cl, timeLabel->getBottom() + 47, 110, 42);
    oneShotButton->setBounds (playButton->getX(), playButton->getBottom() + 25, 46, 20);
    loopButton->setBounds (playButton->getRight() - 46, playButton->getBottom() + 25, 46, 20);
    bpmLabel->setBounds (cr - 163, timeLabel->getBottom() + 38, 163, 30);
    beatComboBox->setBounds (bpmLabel->getX(), bpmLabel->getBottom() + 22, 80, 20);
    doubleBeatButton->setBounds (bpmLabel->getRight() - 36, bpmLabel->getBottom() + 22, 36, 20);
    halfBeatButton->setBounds (doubleBeatButton->getX() - 36 - 5, doubleBeatButton->getY(), 36, 20);
    bpmCalcButton->setBounds (cr - 163, beatComboBox->getBottom() + 9, 142, 16);
    hintButton->setBounds (cr - 16, bpmCalcButton->getY() + (bpmCalcButton->getHeight() - 16) / 2, 16, 16);
    calcBpmButton->setBounds (cr - 163, bpmCalcButton->getBottom() + 5, 163, 20);
    gainSlider->setBounds (playButton->getRight() + (bpmLabel->getX() - playButton->getRight() - 70) / 2,
                           playButton->getY(), 70, 90);

    thumbnail->setStartTime (startTime->getValue());
    thumbnail->setEndTime (endTime->getValue());
}

void SlotDetailView::paint (juce::Graphics& g)
{
    const auto w = getWidth();
    const auto iw = juce::jmax (0, w - 20);

    g.setColour (background);
    g.fillRoundedRectangle (getLocalBounds().toFloat(), 6.0f);
    g.setColour (juce::Colours::black);
    g.fillRect (10, 44, iw, 150);

    slot::PadLook::drawHeader (g, tabImage.get(), headerLineImage.get(), w);

    g.setColour (captionColour);
    g.setFont (juce::Font (10.0f, juce::Font::plain));
    const auto caption = [&g] (const char* text, juce::Rectangle<int> area, juce::Justification justification)
    { g.drawText (text, area, justification, true); };
    caption ("Start", {startTime->getX(), startTime->getBottom(), startTime->getWidth(), 12},
             juce::Justification::centred);
    caption ("End", {endTime->getX(), endTime->getBottom(), endTime->getWidth(), 12},
             juce::Justification::centred);
    caption (
        "1Shot",
        {oneShotButton->getX(), oneShotButton->getY() - 14, juce::jmax (0, oneShotButton->getWidth()), 10},
        juce::Justification::centred);
    caption ("Loop", {loopButton->getX(), loopButton->getY() - 14, loopButton->getWidth(), 10},
             juce::Justification::centred);
    caption ("BPM", {bpmLabel->getX(), bpmLabel->getY() - 13, bpmLabel->getWidth(), 10},
             juce::Justification::centredLeft);
    caption ("BEAT", {beatComboBox->getX(), beatComboBox->getY() - 13, beatComboBox->getWidth(), 10},
             juce::Justification::centredLeft);

    slot::PadLook::drawShadows (g, playButton->getBounds());
}
} // namespace vantor::slot_detail
