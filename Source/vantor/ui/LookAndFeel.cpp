#include "vantor/ui/LookAndFeel.h"

#include "vantor/ui/IconSvgs.h"
#include "vantor/ui/MessageBoxIconTypeComponent.h"
#include "vantor/ui/TypefaceChoice.h"

namespace vantor
{
namespace
{
std::unique_ptr<juce::Drawable> pictureOf (const juce::String& svg)
{
    if (const auto xml = juce::XmlDocument::parse (svg))
        if (xml->hasTagName ("svg"))
            return juce::Drawable::createFromSVG (*xml);

    return nullptr;
}

std::unique_ptr<juce::Drawable> pictureOf (ui::IconSvgs::Id id, const char* from = nullptr,
                                           const char* to = nullptr)
{
    auto svg = ui::IconSvgs::get (id);

    if (from != nullptr)
        svg = svg.replace (from, to);

    return pictureOf (svg);
}

bool isDisabled (const juce::Component& component)
{
    const auto* parent = component.getParentComponent();
    return !component.isEnabled() || (parent != nullptr && !parent->isEnabled());
}

// The colour steps that button faces share: focus saturation, disabled alpha, pressed/over contrast.
juce::Colour buttonFace (juce::Colour colour, const juce::Button& button, bool over, bool down)
{
    auto result = colour.withMultipliedSaturation (button.hasKeyboardFocus (true) ? 1.3f : 0.9f)
                      .withMultipliedAlpha (button.isEnabled() ? 1.0f : 0.5f);

    if (down)
        return result.contrasting (0.2f);

    if (over)
        return result.contrasting (0.05f);

    return result;
}

juce::Rectangle<float> insetHalfPixel (juce::Rectangle<int> bounds)
{
    return bounds.toFloat().withSizeKeepingCentre (juce::jmax (0.0f, (float)bounds.getWidth() - 1.0f),
                                                   juce::jmax (0.0f, (float)bounds.getHeight() - 1.0f));
}
} // namespace

//==============================================================================
LookAndFeel::SliderLabelComp::SliderLabelComp() = default;

std::unique_ptr<juce::AccessibilityHandler> LookAndFeel::SliderLabelComp::createAccessibilityHandler()
{
    return createIgnoredAccessibilityHandler (*this);
}

//==============================================================================
LookAndFeel::LookAndFeel()
{
    static constexpr std::pair<int, juce::uint32> colourTable[] = {
        {juce::ResizableWindow::backgroundColourId, 0xff424242},
        {juce::TreeView::backgroundColourId, 0xff000000},
        {juce::TreeView::oddItemsColourId, 0xff151515},
        {juce::TreeView::selectedItemBackgroundColourId, accentColour},
        {juce::DirectoryContentsDisplayComponent::highlightColourId, accentColour},
        {juce::ListBox::backgroundColourId, 0xff000000},
        {juce::ListBox::outlineColourId, 0xff333333},
        {juce::ScrollBar::thumbColourId, 0xff555555},
        {juce::DrawableButton::backgroundColourId, 0xff323232},
        {juce::DrawableButton::backgroundOnColourId, accentColour},
        {juce::TextButton::buttonColourId, 0xff323232},
        {juce::TextButton::buttonOnColourId, accentColour},
        {juce::ComboBox::outlineColourId, 0x00000000},
        {juce::Slider::rotarySliderOutlineColourId, 0xff323232},
        {juce::Slider::rotarySliderFillColourId, 0xff999999},
        {juce::Slider::thumbColourId, 0xffffffff},
        {juce::Slider::trackColourId, 0xffffffff},
        {juce::Slider::textBoxBackgroundColourId, 0xff000000},
        {juce::Slider::textBoxHighlightColourId, 0x7fff5b1a},
        {juce::Slider::textBoxOutlineColourId, 0x00000000},
        {juce::ComboBox::backgroundColourId, 0xff000000},
        {juce::ComboBox::buttonColourId, 0xff323232},
        {juce::PopupMenu::backgroundColourId, 0xff000000},
        {juce::PopupMenu::highlightedBackgroundColourId, accentColour},
        {juce::TextEditor::backgroundColourId, 0xff000000},
        {juce::TextEditor::highlightColourId, 0x7fff5b1a},
        {juce::TextEditor::focusedOutlineColourId, 0x00000000},
        {juce::CaretComponent::caretColourId, 0xffffffff},
        {juce::AlertWindow::backgroundColourId, 0xff424242},
        {juce::AlertWindow::outlineColourId, 0xffaaaaaa},
        {juce::TooltipWindow::backgroundColourId, 0xff444444},
        {juce::TooltipWindow::outlineColourId, 0xff555555},
        {juce::ProgressBar::backgroundColourId, 0xff323232},
        {juce::ProgressBar::foregroundColourId, 0xffffffff},
    };

    for (const auto& [id, argb] : colourTable)
        setColour (id, juce::Colour (argb));

    using Id = ui::IconSvgs::Id;
    switchOff = pictureOf (Id::switchOff);
    switchOffOver = pictureOf (Id::switchOff, "#CCCCCC", "#C2C2C2");
    switchOffDown = pictureOf (Id::switchOff, "#CCCCCC", "#AAAAAA");
    switchOn = pictureOf (Id::switchOn);
    switchOnOver = pictureOf (Id::switchOn, "\"white\"", "\"#F3F3F3\"");
    switchOnDown = pictureOf (Id::switchOn, "\"white\"", "\"#D5D5D5\"");
    hintIcon = pictureOf (Id::hintIcon);
    questionIcon = pictureOf (Id::questionIcon);
    warningIcon = pictureOf (Id::warningIcon);
    infoIcon = pictureOf (Id::infoIcon);

    // Typefaces found under another default look-and-feel are cached by name: forget them, so that
    // texts drawn once this one is the default take its typeface.
    juce::Typeface::clearTypefaceCache();
}

LookAndFeel::~LookAndFeel()
{
    // The pictures go first, in reverse order of their making; the base follows.
    infoIcon.reset();
    warningIcon.reset();
    questionIcon.reset();
    hintIcon.reset();
    switchOnDown.reset();
    switchOnOver.reset();
    switchOn.reset();
    switchOffDown.reset();
    switchOffOver.reset();
    switchOff.reset();
}

LookAndFeel::DriveRootLookup
LookAndFeel::lookupFromVolumes (std::function<juce::Array<common::RemovableVolumeList::Volume>()> volumes)
{
    return [volumes = std::move (volumes)] (const juce::File& folder, juce::String& volumeLabel)
    {
        if (!volumes)
            return false;

        for (const auto& volume : volumes())
        {
            if (volume.rootFolder == folder)
            {
                volumeLabel = volume.volumeLabel;
                return true;
            }
        }

        return false;
    };
}

void LookAndFeel::setDriveRootLookup (DriveRootLookup lookup)
{
    driveRootLookup = std::move (lookup);
}

juce::String LookAndFeel::getFileRowText (const juce::File& file, const juce::String& filename) const
{
    juce::String label;
    bool isDriveRoot = false;

    if (driveRootLookup)
    {
        isDriveRoot = driveRootLookup (file, label);
    }
    else
    {
        isDriveRoot = file.isRoot();
        label = isDriveRoot ? file.getVolumeLabel() : juce::String();
    }

    // Linux knows no volume labels for "/" (and a volume may have none): a root without a label
    // is shown by its name alone, never as " (/)".
    if (!isDriveRoot || label.isEmpty())
        return filename;

    return filename.isEmpty() ? label : label + " (" + filename + ")";
}

juce::Typeface::Ptr LookAndFeel::getTypefaceForFont (const juce::Font& font)
{
    if (font.getTypefaceName() == juce::Font::getDefaultSansSerifFontName())
        if (auto typeface = ui::TypefaceChoice::get())
            return typeface;

    return juce::LookAndFeel_V4::getTypefaceForFont (font);
}

//==============================================================================
void LookAndFeel::drawScrollbar (juce::Graphics& g, juce::ScrollBar& scrollbar, int x, int y, int width,
                                 int height, bool isScrollbarVertical, int thumbStartPosition, int thumbSize,
                                 bool, bool)
{
    g.setColour (scrollbar.findColour (juce::ScrollBar::thumbColourId));

    // Both orientations test the width: a thin bar in either direction gets the inset thumb.
    if (width >= 5)
    {
        constexpr float bar = 5.0f;
        const auto thumb =
            isScrollbarVertical
                ? juce::Rectangle<float> ((float)x + ((float)width - bar) * 0.5f, (float)thumbStartPosition,
                                          bar, (float)thumbSize)
                : juce::Rectangle<float> ((float)thumbStartPosition, (float)y + ((float)height - bar) * 0.5f,
                                          (float)thumbSize, bar);
        g.fillRoundedRectangle (thumb, 2.0f);
        return;
    }

    const auto thumb = isScrollbarVertical
                           ? juce::Rectangle<int> (x + 1, thumbStartPosition + 1, juce::jmax (0, width - 2),
                                                   juce::jmax (0, thumbSize - 2))
                           : juce::Rectangle<int> (thumbStartPosition + 1, y + 1,
                                                   juce::jmax (0, thumbSize - 2), juce::jmax (0, height - 2));
    g.fillRoundedRectangle (thumb.toFloat(), 4.0f);
}

void LookAndFeel::drawButtonBackground (juce::Graphics& g, juce::Button& button,
                                        const juce::Colour& backgroundColour, bool over, bool down)
{
    constexpr float cornerSize = 2.0f;
    const auto bounds = insetHalfPixel (button.getLocalBounds());
    const auto face = buttonFace (backgroundColour, button, over, down);
    const auto outline = button.findColour (juce::ComboBox::outlineColourId);

    g.setColour (face);

    const bool flatOnLeft = button.isConnectedOnLeft(), flatOnRight = button.isConnectedOnRight();
    const bool flatOnTop = button.isConnectedOnTop(), flatOnBottom = button.isConnectedOnBottom();

    if (flatOnLeft || flatOnRight || flatOnTop || flatOnBottom)
    {
        juce::Path path;
        path.addRoundedRectangle (bounds.getX(), bounds.getY(), bounds.getWidth(), bounds.getHeight(),
                                  cornerSize, cornerSize, !(flatOnLeft || flatOnTop),
                                  !(flatOnRight || flatOnTop), !(flatOnLeft || flatOnBottom),
                                  !(flatOnRight || flatOnBottom));
        g.fillPath (path);
        g.setColour (outline);
        g.strokePath (path, juce::PathStrokeType (1.0f));
        return;
    }

    g.fillRoundedRectangle (bounds, cornerSize);
    g.setColour (outline);
    g.drawRoundedRectangle (bounds, cornerSize, 1.0f);
}

void LookAndFeel::drawToggleButton (juce::Graphics& g, juce::ToggleButton& button, bool over, bool down)
{
    const auto height = (float)button.getHeight();
    const auto fontSize = juce::jlimit (12.0f, 15.0f, height * 0.75f);

    drawTickBox (g, button, 0.0f, (height - fontSize) * 0.5f, fontSize * 2.0f, fontSize,
                 button.getToggleState(), button.isEnabled(), over, down);

    g.setColour (button.findColour (juce::ToggleButton::textColourId));
    g.setFont (fontSize);

    if (!button.isEnabled())
        g.setOpacity (0.5f);

    const auto textX = juce::roundToInt (fontSize * 2.0f) + 6;
    g.drawFittedText (
        button.getButtonText(),
        juce::Rectangle<int> (textX, 0, juce::jmax (0, button.getWidth() - textX - 2), button.getHeight()),
        juce::Justification::centredLeft, 10);
}

const juce::Drawable* LookAndFeel::pickSwitch (bool ticked, bool down, bool over) const
{
    if (ticked)
        return down ? switchOnDown.get() : over ? switchOnOver.get() : switchOn.get();

    return down ? switchOffDown.get() : over ? switchOffOver.get() : switchOff.get();
}

void LookAndFeel::drawTickBox (juce::Graphics& g, juce::Component&, float x, float y, float w, float h,
                               bool ticked, bool isEnabled, bool over, bool down)
{
    if (const auto* picture = pickSwitch (ticked, down, over))
        picture->drawWithin (g, {x, y, w, h}, juce::RectanglePlacement::stretchToFit,
                             isEnabled ? 1.0f : 0.5f);
}

void LookAndFeel::drawDrawableButton (juce::Graphics& g, juce::DrawableButton& button, bool over, bool down)
{
    const bool on = button.getToggleState();
    const auto face = buttonFace (button.findColour (on ? juce::DrawableButton::backgroundOnColourId
                                                        : juce::DrawableButton::backgroundColourId),
                                  button, over, down);

    // A see-through face means "no background": the picture alone is the button.
    if (face.getAlpha() == 255)
    {
        g.setColour (face);
        g.fillRoundedRectangle (insetHalfPixel (button.getLocalBounds()),
                                button.getWidth() < 37 ? 2.0f : 4.0f);
    }

    const bool imageAbove = button.getStyle() == juce::DrawableButton::ImageAboveTextLabel;
    const int height = button.getHeight();
    const int textHeight = imageAbove ? juce::jmin (16, juce::roundToInt ((float)height * 0.25f))
                                      : (button.getButtonText().isEmpty()
                                             ? 0
                                             : juce::jmin (15, juce::roundToInt ((float)height * 0.8f)));

    if (textHeight <= 0 || height <= 0)
        return;

    g.setFont ((float)textHeight);
    g.setColour (
        button.findColour (on ? juce::DrawableButton::textColourOnId : juce::DrawableButton::textColourId)
            .withMultipliedAlpha (button.isEnabled() ? 1.0f : 0.4f));

    const auto area =
        imageAbove ? juce::Rectangle<int> (2, height - textHeight - 1, button.getWidth() - 4, textHeight)
                   : button.getLocalBounds();
    g.drawFittedText (button.getButtonText(), area, juce::Justification::centred, 1);
}

void LookAndFeel::drawFileBrowserRow (juce::Graphics& g, int width, int height, const juce::File& file,
                                      const juce::String& filename, juce::Image* icon,
                                      const juce::String& sizeText, const juce::String& dateText,
                                      bool isDirectory, bool isSelected, int,
                                      juce::DirectoryContentsDisplayComponent& display)
{
    auto* displayComponent = dynamic_cast<juce::Component*> (&display);

    if (isSelected)
    {
        const auto highlight =
            displayComponent != nullptr
                ? displayComponent->findColour (juce::DirectoryContentsDisplayComponent::highlightColourId)
                : findColour (juce::DirectoryContentsDisplayComponent::highlightColourId);
        const bool focused = displayComponent != nullptr && displayComponent->hasKeyboardFocus (true);
        g.fillAll (highlight.withBrightness (focused ? 1.0f : 0.47f));
    }

    const auto iconArea = juce::Rectangle<int> (2, 2, 28, juce::jmax (0, height - 4));

    if (icon != nullptr && icon->isValid())
    {
        g.setOpacity (1.0f);
        g.drawImageWithin (*icon, iconArea.getX(), iconArea.getY(), iconArea.getWidth(), iconArea.getHeight(),
                           juce::RectanglePlacement::centred | juce::RectanglePlacement::onlyReduceInSize,
                           false);
    }
    else if (const auto* picture = isDirectory ? getDefaultFolderImage() : getDefaultDocumentFileImage())
    {
        picture->drawWithin (g, iconArea.toFloat(),
                             juce::RectanglePlacement::centred | juce::RectanglePlacement::onlyReduceInSize,
                             1.0f);
    }

    const auto colourOf = [&] (int id)
    { return displayComponent != nullptr ? displayComponent->findColour (id) : findColour (id); };

    g.setColour (colourOf (isSelected ? juce::DirectoryContentsDisplayComponent::highlightedTextColourId
                                      : juce::DirectoryContentsDisplayComponent::textColourId));
    g.setFont (juce::Font (juce::jmax (14.0f, (float)height * 0.7f),
                           isSelected ? juce::Font::bold : juce::Font::plain));

    const auto text = getFileRowText (file, filename);

    if (width < 451 || isDirectory)
    {
        g.drawFittedText (text, 32, 0, width - 32, height, juce::Justification::centredLeft, 1);
        return;
    }

    const int sizeX = juce::roundToInt ((float)width * 0.7f);
    const int dateX = juce::roundToInt ((float)width * 0.8f);
    g.drawFittedText (text, 32, 0, sizeX - 32, height, juce::Justification::centredLeft, 1);

    g.setFont (juce::Font (juce::jmax (12.0f, (float)height * 0.5f)));
    g.setColour (juce::Colour (0xffaaaaaa));
    g.drawFittedText (sizeText, sizeX, 0, width - sizeX - 130, height, juce::Justification::centredRight, 1);
    g.drawFittedText (dateText, dateX, 0, width - dateX - 10, height, juce::Justification::centredRight, 1);
}

void LookAndFeel::drawAlertBox (juce::Graphics& g, juce::AlertWindow& alert, const juce::Rectangle<int>&,
                                juce::TextLayout& textLayout)
{
    constexpr float cornerSize = 4.0f;
    const auto bounds = alert.getLocalBounds();

    g.setColour (alert.findColour (juce::AlertWindow::outlineColourId));
    g.drawRoundedRectangle (bounds.toFloat(), cornerSize, 2.0f);

    const auto inner = bounds.reduced (1);
    g.reduceClipRegion (inner);
    g.setColour (alert.findColour (juce::AlertWindow::backgroundColourId));
    g.fillRoundedRectangle (inner.toFloat(), cornerSize);

    const juce::Drawable* icon = nullptr;

    switch (alert.getAlertType())
    {
        case juce::MessageBoxIconType::QuestionIcon:
            icon = questionIcon.get();
            break;
        case juce::MessageBoxIconType::WarningIcon:
            icon = warningIcon.get();
            break;
        case juce::MessageBoxIconType::InfoIcon:
            icon = infoIcon.get();
            break;
        case juce::MessageBoxIconType::NoIcon:
            for (int i = 0; i < alert.getNumCustomComponents(); ++i)
            {
                if (auto* marker =
                        dynamic_cast<ui::MessageBoxIconTypeComponent*> (alert.getCustomComponent (i)))
                {
                    const juce::Drawable* byType[] = {nullptr, hintIcon.get(), questionIcon.get(),
                                                      warningIcon.get(), infoIcon.get()};
                    const auto type = marker->getType();
                    icon = type >= 1 && type <= 4 ? byType[type] : nullptr;
                    break;
                }
            }
            break;
    }

    if (icon != nullptr)
        icon->drawAt (g, 10.0f, 10.0f, 1.0f);

    // The text keeps its place beside a real icon; a marker icon does not move it.
    const int textX = alert.getAlertType() != juce::MessageBoxIconType::NoIcon ? 81 : 1;
    g.setColour (alert.findColour (juce::AlertWindow::textColourId));
    textLayout.draw (g, juce::Rectangle<int> (textX, 30, inner.getWidth(),
                                              inner.getHeight() - getAlertWindowButtonHeight() - 20)
                            .toFloat());
}

void LookAndFeel::drawComboBox (juce::Graphics& g, int width, int height, bool, int, int, int, int,
                                juce::ComboBox& box)
{
    const float cornerSize =
        box.findParentComponentOfClass<juce::ChoicePropertyComponent>() != nullptr ? 0.0f : 3.0f;

    g.setColour (box.findColour (juce::ComboBox::backgroundColourId));
    g.fillRoundedRectangle (0.0f, 0.0f, (float)width, (float)height, cornerSize);
    g.setColour (box.findColour (juce::ComboBox::outlineColourId));
    g.drawRoundedRectangle (0.5f, 0.5f, juce::jmax (0.0f, (float)width - 1.0f),
                            juce::jmax (0.0f, (float)height - 1.0f), cornerSize, 1.0f);

    const int side = juce::jmin (height, 14);
    const int gap = (height - side) / 2;
    const int left = width - gap - side;
    g.setColour (box.findColour (juce::ComboBox::buttonColourId));
    g.fillRoundedRectangle ((float)left, (float)gap, (float)side, (float)side, cornerSize);

    const int centreX = left + side / 2;
    const int centreY = gap + side / 2;
    juce::Path arrow;
    arrow.startNewSubPath ((float)(left + 3), (float)(centreY - 2));
    arrow.lineTo ((float)centreX, (float)(centreY + 3));
    arrow.lineTo ((float)(width - gap - 3), (float)(centreY - 2));

    g.setColour (box.findColour (juce::ComboBox::arrowColourId).withAlpha (box.isEnabled() ? 0.9f : 0.2f));
    g.strokePath (arrow, juce::PathStrokeType (2.0f));
}

void LookAndFeel::positionComboBoxText (juce::ComboBox& box, juce::Label& label)
{
    const int height = box.getHeight();
    const int arrow = juce::jmin (height, 14);
    label.setBounds (1, 1, box.getWidth() - (height - arrow) / 2 - arrow, height - 2);
    label.setFont (getComboBoxFont (box));
}

juce::Label* LookAndFeel::createSliderTextBox (juce::Slider& slider)
{
    auto* label = new SliderLabelComp();
    label->setJustificationType (juce::Justification::centred);
    label->setKeyboardType (juce::TextInputTarget::decimalKeyboard);

    const auto copy = [&] (int sliderId, std::initializer_list<int> targetIds)
    {
        for (auto id : targetIds)
            label->setColour (id, slider.findColour (sliderId));
    };

    copy (juce::Slider::textBoxTextColourId, {juce::Label::textColourId, juce::TextEditor::textColourId});
    copy (juce::Slider::textBoxBackgroundColourId,
          {juce::Label::backgroundColourId, juce::TextEditor::backgroundColourId});
    copy (juce::Slider::textBoxOutlineColourId,
          {juce::Label::outlineColourId, juce::TextEditor::outlineColourId});
    copy (juce::Slider::textBoxHighlightColourId, {juce::TextEditor::highlightColourId});
    return label;
}
} // namespace vantor
