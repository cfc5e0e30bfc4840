#include "vantor/ui/LookAndFeel.h"

#include "vantor/ui/TypefaceChoice.h"

#include <gmock/gmock.h>

namespace
{
using vantor::LookAndFeel;

juce::Image blank (int width, int height)
{
    return juce::Image (juce::Image::ARGB, width, height, true);
}

bool isDrawn (const juce::Image& image, int x, int y)
{
    return image.getPixelAt (x, y).getAlpha() > 128;
}

// The leftmost column in the rows [top, bottom) that holds a drawn pixel; -1 when none.
int leftmostDrawn (const juce::Image& image, int top, int bottom, int minimumAlpha = 128)
{
    for (int x = 0; x < image.getWidth(); ++x)
        for (int y = top; y < bottom; ++y)
            if (image.getPixelAt (x, y).getAlpha() >= minimumAlpha)
                return x;

    return -1;
}

bool anyDrawn (const juce::Image& image, juce::Rectangle<int> area)
{
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            if (image.getPixelAt (x, y).getAlpha() > 60)
                return true;

    return false;
}

//==============================================================================
TEST (LookAndFeel, ColourTableHoldsTheThemeAndLeavesOtherIdsAtTheDarkDefault)
{
    const std::pair<int, juce::uint32> expected[] = {
        {juce::ResizableWindow::backgroundColourId, 0xff424242},
        {juce::TreeView::backgroundColourId, 0xff000000},
        {juce::TreeView::oddItemsColourId, 0xff151515},
        {juce::TreeView::selectedItemBackgroundColourId, 0xffff5b1a},
        {juce::DirectoryContentsDisplayComponent::highlightColourId, 0xffff5b1a},
        {juce::ListBox::backgroundColourId, 0xff000000},
        {juce::ListBox::outlineColourId, 0xff333333},
        {juce::ScrollBar::thumbColourId, 0xff555555},
        {juce::DrawableButton::backgroundColourId, 0xff323232},
        {juce::DrawableButton::backgroundOnColourId, 0xffff5b1a},
        {juce::TextButton::buttonColourId, 0xff323232},
        {juce::TextButton::buttonOnColourId, 0xffff5b1a},
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
        {juce::PopupMenu::highlightedBackgroundColourId, 0xffff5b1a},
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

    LookAndFeel lf;

    for (const auto& [id, argb] : expected)
    {
        SCOPED_TRACE (juce::String::toHexString (id).toStdString());
        EXPECT_EQ (lf.findColour (id).getARGB(), argb);
    }

    juce::LookAndFeel_V4 base;

    for (auto id : {(int)juce::Label::textColourId, (int)juce::TextButton::textColourOffId,
                    (int)juce::ComboBox::arrowColourId, (int)juce::AlertWindow::textColourId})
        EXPECT_EQ (lf.findColour (id), base.findColour (id));
}

//==============================================================================
struct ToggleCase
{
    int height;
    float fontSize; // also the switch's height; the switch is twice as wide
    int textX;
};

class ToggleGeometry : public ::testing::TestWithParam<ToggleCase>
{
};

// The switch is stretched to 2 x fontSize by fontSize at the left, centred; the text starts at
// round (2 x fontSize) + 6. Probed on a ticked (orange) switch, whose track is the accent.
TEST_P (ToggleGeometry, SwitchAndTextFollowTheHeight)
{
    const auto c = GetParam();
    LookAndFeel lf;
    juce::ToggleButton button ("IIIIIIIIIIIIIIII");
    button.setLookAndFeel (&lf);
    button.setColour (juce::ToggleButton::textColourId, juce::Colours::white);
    button.setToggleState (true, juce::dontSendNotification);
    button.setBounds (0, 0, 200, c.height);

    auto image = blank (200, c.height);
    {
        juce::Graphics g (image);
        lf.drawToggleButton (g, button, false, false);
    }

    const int switchWidth = juce::roundToInt (2 * c.fontSize);
    const int midY = c.height / 2;
    const auto trackColour = image.getPixelAt (switchWidth / 5, midY);
    EXPECT_EQ (trackColour.getRed(), 0xff);
    EXPECT_NEAR (trackColour.getGreen(), 0x5b, 8);

    // Nothing between the switch and the text.
    EXPECT_FALSE (anyDrawn (image, {switchWidth + 1, 0, c.textX - switchWidth - 2, c.height}));
    // The switch's top and bottom edges.
    const int top = juce::roundToInt ((c.height - c.fontSize) / 2);
    EXPECT_FALSE (anyDrawn (image, {0, 0, switchWidth, juce::jmax (0, top - 1)}));
    EXPECT_TRUE (isDrawn (image, switchWidth / 5, top + 2));
    // The text starts where it should.
    EXPECT_THAT (leftmostDrawn (image.getClippedImage ({c.textX - 1, 0, 200 - c.textX + 1, c.height}), 0,
                                c.height, 60),
                 ::testing::AllOf (::testing::Ge (1), ::testing::Le (3)));
}

INSTANTIATE_TEST_SUITE_P (Heights, ToggleGeometry,
                          ::testing::Values (ToggleCase{16, 12.0f, 30}, ToggleCase{40, 15.0f, 36}));

// Six faces: off and on, each normal, over and down; over and down only change the knob.
TEST (LookAndFeel, TickBoxPicksOneOfSixSwitchFaces)
{
    LookAndFeel lf;
    juce::Component owner;
    std::set<juce::uint32> knobs;
    std::set<juce::uint32> tracks;

    for (bool ticked : {false, true})
        for (auto [over, down] : {std::pair{false, false}, {true, false}, {false, true}, {true, true}})
        {
            auto image = blank (66, 34);
            {
                juce::Graphics g (image);
                lf.drawTickBox (g, owner, 0, 0, 66, 34, ticked, true, over, down);
            }

            const int knobX = ticked ? 48 : 16; // knob centres at 8 and 24.25 of 33
            knobs.insert (image.getPixelAt (knobX, 17).getARGB());
            tracks.insert (image.getPixelAt (ticked ? 8 : 58, 17).getARGB());
        }

    EXPECT_EQ (knobs, (std::set<juce::uint32>{0xffcccccc, 0xffc2c2c2, 0xffaaaaaa, 0xffffffff, 0xfff3f3f3,
                                              0xffd5d5d5}));
    EXPECT_EQ (tracks, (std::set<juce::uint32>{0xff555555, 0xffff5b1a}));

    auto disabled = blank (66, 34);
    {
        juce::Graphics g (disabled);
        lf.drawTickBox (g, owner, 0, 0, 66, 34, false, false, false, false);
    }
    EXPECT_NEAR (disabled.getPixelAt (16, 17).getAlpha(), 128, 2);
}

//==============================================================================
juce::Image drawDrawableButton (LookAndFeel& lf, int width, juce::Colour background)
{
    juce::DrawableButton button ("", juce::DrawableButton::ImageOnButtonBackground);
    button.setColour (juce::DrawableButton::backgroundColourId, background);
    button.setBounds (0, 0, width, 30);

    auto image = blank (width, 30);
    juce::Graphics g (image);
    lf.drawDrawableButton (g, button, false, false);
    return image;
}

// Below 37 px wide the corner is 2, from 37 on 4; a see-through background is not painted.
TEST (LookAndFeel, DrawableButtonCornerFollowsWidthAndSeeThroughIsNotFilled)
{
    LookAndFeel lf;
    const auto narrow = drawDrawableButton (lf, 36, juce::Colour (0xff323232));
    const auto wide = drawDrawableButton (lf, 37, juce::Colour (0xff323232));

    EXPECT_TRUE (isDrawn (narrow, 18, 15));
    EXPECT_TRUE (isDrawn (wide, 18, 15));
    // At (1, 1) a 2 px corner is nearly filled, a 4 px corner leaves it mostly empty.
    EXPECT_GT (narrow.getPixelAt (1, 1).getAlpha(), 150);
    EXPECT_LT (wide.getPixelAt (1, 1).getAlpha(), 100);

    const auto seeThrough = drawDrawableButton (lf, 37, juce::Colour (0x80323232));
    EXPECT_FALSE (anyDrawn (seeThrough, {0, 0, 37, 30}));
}

//==============================================================================
struct FileRowCase
{
    int width;
    bool isDirectory;
    bool showsDate;
};

class FileRowColumns : public ::testing::TestWithParam<FileRowCase>
{
};

// Size and date columns appear from 451 px on, never for folders.
TEST_P (FileRowColumns, DateColumnOnlyFromWideFileRows)
{
    const auto c = GetParam();
    LookAndFeel lf;
    juce::TimeSliceThread thread ("unused");
    juce::DirectoryContentsList list (nullptr, thread);
    juce::FileListComponent display (list);
    display.setLookAndFeel (&lf);

    constexpr int height = 24;
    auto image = blank (c.width, height);
    {
        juce::Graphics g (image);
        lf.drawFileBrowserRow (g, c.width, height, juce::File ("/tmp/a.wav"), "a.wav", nullptr, "12 KB",
                               "2026/01/01 10:00", c.isDirectory, false, 0, display);
    }

    const int dateX = juce::roundToInt (c.width * 0.8f);
    EXPECT_EQ (anyDrawn (image, {dateX, 0, c.width - dateX - 10, height}), c.showsDate);
    EXPECT_TRUE (anyDrawn (image, {32, 0, 40, height})); // the name
    display.setLookAndFeel (nullptr);
}

INSTANTIATE_TEST_SUITE_P (Widths, FileRowColumns,
                          ::testing::Values (FileRowCase{450, false, false}, FileRowCase{451, false, true},
                                             FileRowCase{600, true, false}));

// Drive roots are named by the volume layer: "LABEL (NAME)", or the label alone.
TEST (LookAndFeel, DriveRootsShowTheirVolumeLabel)
{
    LookAndFeel lf;
    lf.setDriveRootLookup (
        [] (const juce::File& folder, juce::String& label)
        {
            if (folder != juce::File ("/media/E"))
                return false;

            label = "SAMPLES";
            return true;
        });

    EXPECT_EQ (lf.getFileRowText (juce::File ("/media/E"), "E:"), "SAMPLES (E:)");
    EXPECT_EQ (lf.getFileRowText (juce::File ("/media/E"), ""), "SAMPLES");
    EXPECT_EQ (lf.getFileRowText (juce::File ("/media/E/kick.wav"), "kick.wav"), "kick.wav");

    lf.setDriveRootLookup ({});
    EXPECT_EQ (lf.getFileRowText (juce::File ("/media/E"), "E"), "E");
    // JUCE's own test knows "/" as a root but no label for it: the row reads "/", not " (/)".
    ASSERT_TRUE (juce::File ("/").isRoot());
    EXPECT_EQ (lf.getFileRowText (juce::File ("/"), "/"), "/");

    // From the volume layer: roots and labels of the current volumes, read at each call.
    juce::Array<common::RemovableVolumeList::Volume> volumes;
    common::RemovableVolumeList::Volume card;
    card.rootFolder = juce::File ("/media/user/CARD");
    card.volumeLabel = juce::String::fromUTF8 (u8"サンプル");
    volumes.add (card);
    lf.setDriveRootLookup (LookAndFeel::lookupFromVolumes ([&] { return volumes; }));

    EXPECT_EQ (lf.getFileRowText (card.rootFolder, "CARD"), juce::String::fromUTF8 (u8"サンプル (CARD)"));
    EXPECT_EQ (lf.getFileRowText (card.rootFolder.getChildFile ("a.wav"), "a.wav"), "a.wav");
    volumes.getReference (0).volumeLabel = {};
    EXPECT_EQ (lf.getFileRowText (card.rootFolder, "CARD"), "CARD") << "a volume without a label";
    volumes.clear();
    EXPECT_EQ (lf.getFileRowText (card.rootFolder, "CARD"), "CARD");
}

//==============================================================================
// A bar at least 5 px wide gets a 5 px thumb centred across it; a thinner one the thumb inset by 1.
TEST (LookAndFeel, ScrollbarThumbIsCentredOrInsetByWidth)
{
    LookAndFeel lf;
    juce::ScrollBar bar (true);
    bar.setLookAndFeel (&lf);

    const auto draw = [&] (int width)
    {
        auto image = blank (width, 100);
        juce::Graphics g (image);
        lf.drawScrollbar (g, bar, 0, 0, width, 100, true, 20, 40, false, false);
        return image;
    };

    const auto thin = draw (4);
    EXPECT_FALSE (isDrawn (thin, 0, 40));
    EXPECT_TRUE (isDrawn (thin, 1, 40));
    EXPECT_TRUE (isDrawn (thin, 2, 40));
    EXPECT_FALSE (isDrawn (thin, 3, 40));
    EXPECT_FALSE (isDrawn (thin, 2, 20)); // inset at the thumb's start too
    EXPECT_TRUE (isDrawn (thin, 2, 25));
    EXPECT_EQ (thin.getPixelAt (2, 40).getARGB(), 0xff555555);

    const auto wide = draw (8); // 1.5 .. 6.5
    EXPECT_FALSE (isDrawn (wide, 0, 40));
    EXPECT_TRUE (isDrawn (wide, 2, 40));
    EXPECT_TRUE (isDrawn (wide, 5, 40));
    EXPECT_FALSE (isDrawn (wide, 7, 40));
    EXPECT_NEAR (wide.getPixelAt (1, 40).getAlpha(), 128, 10); // half a pixel
    EXPECT_TRUE (isDrawn (wide, 4, 21));
    bar.setLookAndFeel (nullptr);
}

//==============================================================================
TEST (LookAndFeel, SliderTextBoxCopiesTheSliderColours)
{
    LookAndFeel lf;
    juce::Slider slider;
    slider.setColour (juce::Slider::textBoxTextColourId, juce::Colour (0xff010203));
    slider.setColour (juce::Slider::textBoxBackgroundColourId, juce::Colour (0xff040506));
    slider.setColour (juce::Slider::textBoxOutlineColourId, juce::Colour (0xff070809));
    slider.setColour (juce::Slider::textBoxHighlightColourId, juce::Colour (0xff0a0b0c));

    std::unique_ptr<juce::Label> label (lf.createSliderTextBox (slider));
    ASSERT_NE (dynamic_cast<LookAndFeel::SliderLabelComp*> (label.get()), nullptr);
    EXPECT_TRUE (label->getText().isEmpty());
    EXPECT_EQ (label->getJustificationType(), juce::Justification (juce::Justification::centred));
    EXPECT_EQ (label->findColour (juce::Label::textColourId).getARGB(), 0xff010203u);
    EXPECT_EQ (label->findColour (juce::TextEditor::textColourId).getARGB(), 0xff010203u);
    EXPECT_EQ (label->findColour (juce::Label::backgroundColourId).getARGB(), 0xff040506u);
    EXPECT_EQ (label->findColour (juce::TextEditor::backgroundColourId).getARGB(), 0xff040506u);
    EXPECT_EQ (label->findColour (juce::Label::outlineColourId).getARGB(), 0xff070809u);
    EXPECT_EQ (label->findColour (juce::TextEditor::outlineColourId).getARGB(), 0xff070809u);
    EXPECT_EQ (label->findColour (juce::TextEditor::highlightColourId).getARGB(), 0xff0a0b0cu);
}

TEST (LookAndFeel, ComboBoxTextLeavesRoomForTheArrowBox)
{
    LookAndFeel lf;
    juce::ComboBox box;
    box.setLookAndFeel (&lf);
    box.setBounds (0, 0, 120, 24);
    juce::Label label;
    lf.positionComboBoxText (box, label);
    // a = 14: 120 - (24 - 14) / 2 - 14 = 101
    EXPECT_EQ (label.getBounds(), juce::Rectangle<int> (1, 1, 101, 22));

    auto image = blank (120, 24);
    {
        juce::Graphics g (image);
        lf.drawComboBox (g, 120, 24, false, 0, 0, 0, 0, box);
    }
    // Arrow box at (101, 5, 14, 14) in the button colour, the rest black.
    EXPECT_EQ (image.getPixelAt (103, 7).getARGB(), 0xff323232u);
    EXPECT_EQ (image.getPixelAt (50, 12).getARGB(), 0xff000000u);
    EXPECT_GT (image.getPixelAt (108, 13).getBrightness(), 0.5f); // the chevron's tip
    box.setLookAndFeel (nullptr);
}

//==============================================================================
// Every text uses one typeface that has Latin, kana and Han glyphs, so Japanese and Chinese
// never come out as boxes.
TEST (LookAndFeel, DefaultTypefaceHasGlyphsForEveryLanguage)
{
    auto typeface = vantor::ui::TypefaceChoice::get();

    if (typeface == nullptr)
        GTEST_SKIP() << "fonts-wqy-microhei is not installed (scripts/setup installs it)";

    LookAndFeel lf;
    EXPECT_EQ (lf.getTypefaceForFont (juce::Font (15.0f)), typeface);
    EXPECT_EQ (lf.getTypefaceForFont (juce::Font (15.0f, juce::Font::bold)), typeface);

    for (const auto* text : {u8"A", u8"日", u8"本", u8"語", u8"简", u8"体", u8"é", u8"ç"})
    {
        SCOPED_TRACE (text);
        juce::Array<int> glyphs;
        juce::Array<float> offsets;
        typeface->getGlyphPositions (juce::String::fromUTF8 (text), glyphs, offsets);
        ASSERT_EQ (glyphs.size(), 1);
        EXPECT_NE (glyphs[0], 0); // 0 is the "missing" box
    }
}

// Texts drawn before the look-and-feel became the default must not pin the old typeface: fonts
// made afterwards take the one that draws every language.
TEST (LookAndFeel, BecomingTheDefaultAfterOtherTextsWereDrawnStillSwitchesTheTypeface)
{
    auto typeface = vantor::ui::TypefaceChoice::get();

    if (typeface == nullptr)
        GTEST_SKIP() << "fonts-wqy-microhei is not installed (scripts/setup installs it)";

    {
        juce::Image image (juce::Image::ARGB, 60, 20, true);
        juce::Graphics g (image);
        g.setFont (juce::Font (15.0f));
        g.drawText ("before", 0, 0, 60, 20, juce::Justification::left);
        EXPECT_NE (juce::Font (15.0f).getTypefacePtr(), typeface);
    }

    LookAndFeel lf;
    juce::LookAndFeel::setDefaultLookAndFeel (&lf);
    EXPECT_EQ (juce::Font (15.0f).getTypefacePtr(), typeface);
    EXPECT_EQ (juce::Font (12.0f, juce::Font::bold).getTypefacePtr(), typeface);
    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
}
} // namespace
