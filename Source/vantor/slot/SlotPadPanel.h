#pragma once

#include "vantor/slot/ISlotPadCommandDispatcher.h"
#include "vantor/slot/SlotPadObserver.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

namespace vantor::slot
{
/** One of the four pads under the SLOT table: a square button that previews its SLOT through the
    process-wide preview player, a fader for the SLOT gain in whole decibels and a label with the
    stored gain. Audio files from the computer and file items of the sample trees dropped on the
    button are assigned to the SLOT, also while the pad is disabled (an empty SLOT).
    A click broadcasts a synchronous change message, upon which the SLOT table selects the row.
    Threads: message thread only. */
class SlotPadPanel : public juce::Component,
                     private juce::Button::Listener,
                     private juce::Slider::Listener,
                     public SlotPadObserver,
                     private juce::ChangeListener,
                     public juce::ChangeBroadcaster
{
public:
    /** The pad button, a drop target for files and sample-tree items. */
    class PadButton : public juce::TextButton,
                      public juce::DragAndDropTarget,
                      public juce::FileDragAndDropTarget
    {
    public:
        PadButton (const juce::String& name, const juce::String& letter);

        void paintButton (juce::Graphics& g, bool highlighted, bool down) override;

        bool isInterestedInDragSource (const SourceDetails& details) override;
        void itemDragEnter (const SourceDetails& details) override;
        void itemDragExit (const SourceDetails& details) override;
        void itemDropped (const SourceDetails& details) override;

        bool isInterestedInFileDrag (const juce::StringArray& files) override;
        void fileDragEnter (const juce::StringArray& files, int x, int y) override;
        void fileDragExit (const juce::StringArray& files) override;
        void filesDropped (const juce::StringArray& files, int x, int y) override;

        bool isDragOver() const noexcept { return dragOver; }

        std::function<void (const juce::String& path)> onFileDropped;

    private:
        void setDragOver (bool over);

        bool dragOver = false;
    };

    /** The fader's drawing: track, scale and cap pictures, a white line from 0 dB to the cap. */
    class SliderLookAndFeel : public juce::LookAndFeel_V4
    {
    public:
        SliderLookAndFeel();
        ~SliderLookAndFeel() override;

        int getSliderThumbRadius (juce::Slider&) override { return 7; }
        void drawLinearSlider (juce::Graphics& g, int x, int y, int width, int height, float sliderPos,
                               float minSliderPos, float maxSliderPos, juce::Slider::SliderStyle style,
                               juce::Slider& slider) override;

    private:
        std::unique_ptr<juce::Drawable> track, thumb, scale;
    };

    /** The dispatcher (the pad view model) outlives the panel. */
    SlotPadPanel (ISlotPadCommandDispatcher* dispatcher, int slotIndex);
    ~SlotPadPanel() override;

    void updateTooltips();

    // SlotPadObserver: every pad hears every pad's notifications and acts on its own.
    void padChanged (int slotIndex, const SlotPadState& state) override;
    void padStartTimeChanged (int slotIndex, double seconds) override;
    void padEndTimeChanged (int slotIndex, double seconds) override;
    void padLoopModeChanged (int slotIndex, bool loop) override;
    void padGainDbChanged (int slotIndex, float gainDb) override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    int getSlotIndex() const noexcept { return slotIndex; }
    PadButton& getPadButton() noexcept { return *padButton; }
    juce::Slider& getGainSlider() noexcept { return *gainSlider; }
    juce::Label& getGainLabel() noexcept { return *gainLabel; }
    const juce::URL& getUrl() const noexcept { return url; }

    static constexpr int panelWidth = 87;
    static constexpr int panelHeight = 128;

    /** The key that plays pad 0..3 when nothing takes it: z, x, c, v. */
    static juce::KeyPress shortcutFor (int slotIndex);

private:
    void buttonClicked (juce::Button* button) override;
    void sliderValueChanged (juce::Slider* slider) override;
    void changeListenerCallback (juce::ChangeBroadcaster* source) override;
    void fileDropped (const juce::String& path);
    bool playerHoldsThisPad() const;

    ISlotPadCommandDispatcher* dispatcher;
    const int slotIndex;
    juce::URL url;
    bool loop = false;
    double startSeconds = 0.0, endSeconds = 0.0;
    std::unique_ptr<PadButton> padButton;
    // Declared before the fader that uses it, so it is destroyed after it.
    std::unique_ptr<SliderLookAndFeel> sliderLookAndFeel;
    std::unique_ptr<juce::Slider> gainSlider;
    std::unique_ptr<juce::Label> gainLabel;

    JUCE_DECLARE_WEAK_REFERENCEABLE (SlotPadPanel)
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SlotPadPanel)
};
} // namespace vantor::slot
