#pragma once

#include "common/volumes/RemovableVolumeList.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

namespace vantor
{
/** The program's dark theme with its one orange accent: a colour table set once at construction,
    switch-style toggle buttons, round icons in the alert windows, flat scrollbars, square-cornered
    buttons and the file browser's rows. Every text is drawn with the typeface of TypefaceChoice,
    which holds Latin, kana and Han alike (JUCE 7 has no glyph fallback), once an instance is the
    desktop's default look-and-feel.

    Threads: message thread only, like every look-and-feel. */
class LookAndFeel : public juce::LookAndFeel_V4
{
public:
    /** The program's accent. */
    static constexpr juce::uint32 accentColour = 0xffff5b1a;

    /** Says whether a folder is the root of a drive and, when it is, its label (the volume's
        label; may be empty). JUCE on Linux knows only "/" as a root and no labels, so the shell
        answers from the removable-volume list. */
    using DriveRootLookup = std::function<bool (const juce::File& folder, juce::String& volumeLabel)>;

    /** The label that createSliderTextBox returns: a plain label that accessibility tools skip,
        since the slider itself is the accessible element. */
    class SliderLabelComp : public juce::Label
    {
    public:
        SliderLabelComp();

    private:
        std::unique_ptr<juce::AccessibilityHandler> createAccessibilityHandler() override;
    };

    LookAndFeel();
    ~LookAndFeel() override;

    /** A drive-root test answered from the volume layer: a folder is a drive root when it is the
        root folder of one of the volumes the function returns (read at each call), labelled with
        that volume's label. */
    static DriveRootLookup
    lookupFromVolumes (std::function<juce::Array<common::RemovableVolumeList::Volume>()> volumes);

    /** Replaces the drive-root test of the file rows; an empty lookup restores JUCE's own
        (File::isRoot and File::getVolumeLabel). */
    void setDriveRootLookup (DriveRootLookup lookup);

    /** The file rows' label of a folder: "LABEL (NAME)" for a drive root with a label and a name,
        the label alone for a root without a name, else the name (also for a root without a
        label, such as "/"). */
    juce::String getFileRowText (const juce::File& file, const juce::String& filename) const;

    // juce::ScrollBar::LookAndFeelMethods
    void drawScrollbar (juce::Graphics&, juce::ScrollBar&, int x, int y, int width, int height,
                        bool isScrollbarVertical, int thumbStartPosition, int thumbSize, bool isMouseOver,
                        bool isMouseDown) override;

    // juce::Button::LookAndFeelMethods
    void drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour& backgroundColour,
                               bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    void drawToggleButton (juce::Graphics&, juce::ToggleButton&, bool shouldDrawButtonAsHighlighted,
                           bool shouldDrawButtonAsDown) override;
    void drawTickBox (juce::Graphics&, juce::Component&, float x, float y, float w, float h, bool ticked,
                      bool isEnabled, bool shouldDrawButtonAsHighlighted,
                      bool shouldDrawButtonAsDown) override;
    void drawDrawableButton (juce::Graphics&, juce::DrawableButton&, bool shouldDrawButtonAsHighlighted,
                             bool shouldDrawButtonAsDown) override;

    // juce::FileBrowserComponent::LookAndFeelMethods
    void drawFileBrowserRow (juce::Graphics&, int width, int height, const juce::File& file,
                             const juce::String& filename, juce::Image* icon,
                             const juce::String& fileSizeDescription, const juce::String& fileTimeDescription,
                             bool isDirectory, bool isItemSelected, int itemIndex,
                             juce::DirectoryContentsDisplayComponent&) override;

    // juce::AlertWindow::LookAndFeelMethods
    void drawAlertBox (juce::Graphics&, juce::AlertWindow&, const juce::Rectangle<int>& textArea,
                       juce::TextLayout&) override;

    // juce::ComboBox::LookAndFeelMethods
    void drawComboBox (juce::Graphics&, int width, int height, bool isButtonDown, int buttonX, int buttonY,
                       int buttonW, int buttonH, juce::ComboBox&) override;
    void positionComboBoxText (juce::ComboBox&, juce::Label&) override;

    // juce::Slider::LookAndFeelMethods
    juce::Label* createSliderTextBox (juce::Slider&) override;

    // Every text of the program in the one typeface that draws all its languages.
    juce::Typeface::Ptr getTypefaceForFont (const juce::Font&) override;

private:
    const juce::Drawable* pickSwitch (bool ticked, bool down, bool over) const;

    DriveRootLookup driveRootLookup;

    std::unique_ptr<juce::Drawable> switchOff, switchOffOver, switchOffDown;
    std::unique_ptr<juce::Drawable> switchOn, switchOnOver, switchOnDown;
    std::unique_ptr<juce::Drawable> hintIcon, questionIcon, warningIcon, infoIcon;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LookAndFeel)
};
} // namespace vantor
