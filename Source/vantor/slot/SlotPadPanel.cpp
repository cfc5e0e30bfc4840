#include "vantor/slot/SlotPadPanel.h"

#include "common/player/AudioPlayer.h"
#include "vantor/slot/PadLook.h"
#include "vantor/slot/PreviewGain.h"
#include "vantor/slot/SlotDrop.h"
#include "vantor/ui/DialogHelper.h"
#include "vantor/ui/IconSvgs.h"

namespace vantor::slot
{
using common::player::AudioPlayer;
using vantor::ui::IconSvgs;

namespace
{
constexpr int padSize = 70;
constexpr int faderAreaWidth = 73; // the fader's drawing area at the panel width of 87
constexpr int faderHeight = 23;
} // namespace

//==============================================================================
SlotPadPanel::PadButton::PadButton (const juce::String& name, const juce::String& letter)
    : juce::TextButton (name)
{
    setButtonText (letter);
}

void SlotPadPanel::PadButton::paintButton (juce::Graphics& g, bool highlighted, bool down)
{
    const auto w = (float)getWidth();
    const auto h = (float)getHeight();

    g.setColour (dragOver ? findColour (juce::TextButton::buttonOnColourId) : juce::Colours::black);
    g.drawRoundedRectangle (1.0f, 1.0f, w - 2.0f, h - 2.0f, 4.0f, 2.0f);

    const auto face =
        PadLook::adjust (juce::Colour (getToggleState() ? 0xffffffff : 0xffaaaaaa), *this, highlighted, down);
    g.setColour (face);
    g.drawRoundedRectangle (4.0f, 4.0f, w - 8.0f, h - 8.0f, 2.0f, 4.0f);

    g.setGradientFill (juce::ColourGradient (
        PadLook::adjust (juce::Colour (0xff303030), *this, highlighted, down), 0.0f, 0.0f,
        PadLook::adjust (juce::Colour (0xff1c1c1c), *this, highlighted, down), 0.0f, h, false));
    g.fillRect (5.0f, 5.0f, w - 10.0f, h - 10.0f);

    g.setColour (face);
    g.setFont (juce::Font (13.0f, juce::Font::bold));
    g.drawText (getButtonText(), juce::Rectangle<float> (9.0f, 7.0f, w - 18.0f, h - 14.0f),
                juce::Justification::topLeft, true);
}

void SlotPadPanel::PadButton::setDragOver (bool over)
{
    dragOver = over;
    repaint();
}

bool SlotPadPanel::PadButton::isInterestedInDragSource (const SourceDetails& details)
{
    return SlotDrop::isSampleTreeDrag (details);
}

void SlotPadPanel::PadButton::itemDragEnter (const SourceDetails&)
{
    setDragOver (true);
}

void SlotPadPanel::PadButton::itemDragExit (const SourceDetails&)
{
    setDragOver (false);
}

void SlotPadPanel::PadButton::itemDropped (const SourceDetails& details)
{
    if (SlotDrop::isSampleTreeDrag (details))
        if (const auto path = SlotDrop::selectedTreeFile (details); path && onFileDropped)
            onFileDropped (*path);

    setDragOver (false);
}

bool SlotPadPanel::PadButton::isInterestedInFileDrag (const juce::StringArray& files)
{
    return SlotDrop::isAudioFileDrop (files);
}

void SlotPadPanel::PadButton::fileDragEnter (const juce::StringArray&, int, int)
{
    setDragOver (true);
}

void SlotPadPanel::PadButton::fileDragExit (const juce::StringArray&)
{
    setDragOver (false);
}

void SlotPadPanel::PadButton::filesDropped (const juce::StringArray& files, int, int)
{
    if (!files.isEmpty() && onFileDropped)
        onFileDropped (files[0]);

    setDragOver (false);
}

//==============================================================================
SlotPadPanel::SliderLookAndFeel::SliderLookAndFeel()
    : track (IconSvgs::createDrawable (IconSvgs::Id::sliderTrack))
    , thumb (IconSvgs::createDrawable (IconSvgs::Id::sliderThumb))
    , scale (IconSvgs::createDrawable (IconSvgs::Id::sliderScale))
{
    setColour (juce::Slider::trackColourId, juce::Colours::white);
}

SlotPadPanel::SliderLookAndFeel::~SliderLookAndFeel() = default;

void SlotPadPanel::SliderLookAndFeel::drawLinearSlider (juce::Graphics& g, int x, int y, int width,
                                                        int height, float sliderPos, float minSliderPos,
                                                        float maxSliderPos, juce::Slider::SliderStyle style,
                                                        juce::Slider& slider)
{
    if (width != faderAreaWidth || height != faderHeight || style != juce::Slider::LinearHorizontal ||
        track == nullptr || thumb == nullptr || scale == nullptr)
    {
        juce::LookAndFeel_V4::drawLinearSlider (g, x, y, width, height, sliderPos, minSliderPos, maxSliderPos,
                                                style, slider);
        return;
    }

    const auto enabled = slider.isEnabled();
    const auto alpha = enabled ? 1.0f : 0.5f;
    const auto trackWidth = track->getWidth();
    const auto thumbWidth = thumb->getWidth();

    track->drawAt (g, (float)x + (faderAreaWidth - trackWidth) * 0.5f, (float)y + 7.5f, alpha);
    scale->drawAt (g, (float)x + (faderAreaWidth - scale->getWidth()) * 0.5f, (float)y + 16.5f, alpha);

    if (enabled)
    {
        juce::Path line;
        line.startNewSubPath ((float)x + 36.5f, (float)y + 10.0f);
        line.lineTo (sliderPos, (float)y + 10.0f);
        g.setColour (slider.findColour (juce::Slider::trackColourId));
        g.strokePath (line,
                      juce::PathStrokeType (4.0f, juce::PathStrokeType::curved, juce::PathStrokeType::butt));
    }

    // Keeps the cap over the track at both ends of the travel.
    const auto thumbX = (float)(thumbWidth - trackWidth + faderAreaWidth) * 0.5f *
                            ((36.5f - (sliderPos - (float)x)) / (float)faderAreaWidth) +
                        sliderPos - (float)thumbWidth * 0.5f;
    const auto thumbY = (float)y;

    juce::DropShadow (juce::Colour (0x90000000), 10, {})
        .drawForRectangle (g, {(int)thumbX, (int)thumbY + 5, thumbWidth, thumb->getHeight()});
    thumb->drawAt (g, thumbX, thumbY, alpha);
}

//==============================================================================
SlotPadPanel::SlotPadPanel (ISlotPadCommandDispatcher* dispatcherToUse, int index)
    : dispatcher (dispatcherToUse)
    , slotIndex (index)
{
    const auto letter = juce::String::charToString ((juce::juce_wchar) ('A' + slotIndex));

    padButton = std::make_unique<PadButton> ("PAD_" + letter, letter);
    padButton->setSize (padSize, padSize);
    padButton->addListener (this);
    padButton->setWantsKeyboardFocus (false);
    addAndMakeVisible (*padButton);

    padButton->onFileDropped = [this] (const juce::String& path) { fileDropped (path); };
    padButton->addShortcut (shortcutFor (slotIndex));

    sliderLookAndFeel = std::make_unique<SliderLookAndFeel>();
    gainSlider = std::make_unique<juce::Slider> (juce::Slider::LinearHorizontal, juce::Slider::NoTextBox);
    gainSlider->setRange (-18.0, 9.0, 1.0);
    gainSlider->setDoubleClickReturnValue (true, 0.0, juce::ModifierKeys::altModifier);
    gainSlider->setSkewFactorFromMidPoint (0.0);
    gainSlider->addListener (this);
    addAndMakeVisible (*gainSlider);
    gainSlider->setLookAndFeel (sliderLookAndFeel.get());

    gainLabel = std::make_unique<juce::Label> ("gainLabel", juce::String());
    gainLabel->setFont (juce::Font (10.0f, juce::Font::plain));
    gainLabel->setJustificationType (juce::Justification::centred);
    addAndMakeVisible (*gainLabel);

    AudioPlayer::getInstance()->addChangeListener (this);

    setSize (panelWidth, panelHeight);
}

SlotPadPanel::~SlotPadPanel()
{
    // Leaving the player must not create one during shut-down.
    if (auto* player = AudioPlayer::getInstanceWithoutCreating())
        player->removeChangeListener (this);

    gainSlider->setLookAndFeel (nullptr);
    gainLabel.reset();
    gainSlider.reset();
    sliderLookAndFeel.reset();
    padButton.reset();
}

juce::KeyPress SlotPadPanel::shortcutFor (int index)
{
    static constexpr char keys[] = {'z', 'x', 'c', 'v'};
    return juce::KeyPress (keys[juce::jlimit (0, 3, index)]);
}

void SlotPadPanel::updateTooltips()
{
    const auto letter = juce::String::charToString ((juce::juce_wchar) ('A' + slotIndex));
    padButton->setTooltip (TRANS ("Play SLOT {slot} sample audio").replace ("{slot}", letter));
    gainSlider->setTooltip (TRANS ("Adjust SLOT {slot} gain").replace ("{slot}", letter));
}

//==============================================================================
void SlotPadPanel::padChanged (int index, const SlotPadState& state)
{
    if (index == slotIndex)
        url = state.audioFile == juce::File() ? juce::URL() : juce::URL (state.audioFile);

    padStartTimeChanged (index, state.startSeconds);
    padEndTimeChanged (index, state.endSeconds);
    padLoopModeChanged (index, state.loop);
    padGainDbChanged (index, state.gainDb);
}

void SlotPadPanel::padStartTimeChanged (int index, double seconds)
{
    if (index == slotIndex)
        startSeconds = seconds;
}

void SlotPadPanel::padEndTimeChanged (int index, double seconds)
{
    if (index == slotIndex)
        endSeconds = seconds;
}

void SlotPadPanel::padLoopModeChanged (int index, bool shouldLoop)
{
    if (index == slotIndex)
        loop = shouldLoop;
}

void SlotPadPanel::padGainDbChanged (int index, float gainDb)
{
    if (index != slotIndex)
        return;

    gainSlider->setValue (gainDb, juce::dontSendNotification);
    gainLabel->setText (juce::String::formatted ("%+.2lfdB", (double)gainDb), juce::dontSendNotification);

    // A running preview of this pad follows the gain at once.
    if (playerHoldsThisPad())
        AudioPlayer::getInstance()->setGain (previewGain (gainSlider->getValue()));
}

bool SlotPadPanel::playerHoldsThisPad() const
{
    auto* player = AudioPlayer::getInstanceWithoutCreating();
    return player != nullptr && player->getCurrentUrl() == url;
}

//==============================================================================
void SlotPadPanel::buttonClicked (juce::Button* button)
{
    if (button != padButton.get())
        return;

    auto* player = AudioPlayer::getInstance();

    if (player->getCurrentUrl() != url)
        player->load (url, false);

    player->setLooping (loop);
    player->setLoopRange ({startSeconds, juce::jmax (endSeconds, startSeconds)});
    player->setGain (previewGain (gainSlider->getValue()));
    // A looping pad starts and stops; a one-shot pad starts again from the range start.
    player->startOrStop (!loop);

    sendSynchronousChangeMessage();
}

void SlotPadPanel::sliderValueChanged (juce::Slider* slider)
{
    if (slider == gainSlider.get())
        dispatcher->changeGainDb (slotIndex, (float)gainSlider->getValue());
}

void SlotPadPanel::changeListenerCallback (juce::ChangeBroadcaster* source)
{
    auto* player = AudioPlayer::getInstanceWithoutCreating();

    if (player == nullptr || source != player)
        return;

    padButton->setToggleState (player->getCurrentUrl() == url && player->isPlaying(),
                               juce::dontSendNotification);
}

void SlotPadPanel::fileDropped (const juce::String& path)
{
    const juce::File file (path);

    // An empty SLOT (the pad is disabled then) takes the file at once.
    if (!padButton->isEnabled())
    {
        dispatcher->assignAudio (slotIndex, file);
        return;
    }

    juce::WeakReference<SlotPadPanel> self (this);
    vantor::ui::DialogHelper::confirmOverwriteSlot (
        [self, file]
        {
            if (auto* panel = self.get())
                panel->dispatcher->assignAudio (panel->slotIndex, file);
        });
}

//==============================================================================
void SlotPadPanel::paint (juce::Graphics& g)
{
    PadLook::drawShadows (g, padButton->getBounds());
}

void SlotPadPanel::resized()
{
    const auto w = getWidth();
    padButton->setBounds ((w - padSize) / 2, 11, padSize, padSize);
    gainSlider->setBounds (0, padButton->getBottom() + 12, w, faderHeight);
    gainLabel->setBounds (0, gainSlider->getBottom() + 3, w, 11);
}
} // namespace vantor::slot
