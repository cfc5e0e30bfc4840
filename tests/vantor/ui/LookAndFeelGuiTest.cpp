#include "vantor/ui/LookAndFeel.h"

#include "vantor/ui/IconSvgs.h"
#include "vantor/ui/MessageBoxIconTypeComponent.h"

#include "support/MessagePump.h"
#include "support/Screenshot.h"

#include <gmock/gmock.h>

// Alert windows lay themselves out against a display, so these run with one.
namespace
{
using vantor::LookAndFeel;

//==============================================================================
struct AlertCase
{
    const char* name;
    juce::MessageBoxIconType iconType;
    int markerType; // -1: no marker
    bool iconDrawn;
    int textX;
};

// The window's own icon moves the text to 81; a marker only draws its picture, the text stays at 1.
TEST (LookAndFeel, AlertBoxDrawsIconByTypeOrMarker)
{
    const AlertCase cases[] = {
        {"marker warning", juce::MessageBoxIconType::NoIcon, 3, true, 1},
        {"marker none", juce::MessageBoxIconType::NoIcon, 0, false, 1},
        {"marker unknown", juce::MessageBoxIconType::NoIcon, 7, false, 1},
        {"no marker", juce::MessageBoxIconType::NoIcon, -1, false, 1},
        {"own warning", juce::MessageBoxIconType::WarningIcon, -1, true, 81},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        LookAndFeel lf;
        juce::AlertWindow window ("t", "", c.iconType);
        window.setLookAndFeel (&lf);
        window.setColour (juce::AlertWindow::textColourId, juce::Colours::white);
        vantor::ui::MessageBoxIconTypeComponent marker;

        if (c.markerType >= 0)
        {
            marker.setType (c.markerType);
            window.addCustomComponent (&marker);
        }

        window.setSize (300, 200);
        juce::AttributedString text;
        text.append ("MMMM\nMMMM\nMMMM\nMMMM", juce::Font (15.0f), juce::Colours::white);
        juce::TextLayout layout;
        layout.createLayout (text, 200.0f);

        auto image = juce::Image (juce::Image::ARGB, 300, 200, true);
        {
            juce::Graphics g (image);
            lf.drawAlertBox (g, window, {}, layout);
        }

        // Warning triangle: white at (10 + 15, 10 + 20), its cut-out mark at (10 + 15, 10 + 14).
        EXPECT_EQ (image.getPixelAt (16, 33) == juce::Colours::white, c.iconDrawn);

        // Below the icon only the text is white.
        int left = -1;
        for (int x = 2; x < 300 && left < 0; ++x)
            for (int y = 48; y < 80; ++y)
                if (image.getPixelAt (x, y).getBrightness() > 0.9f)
                {
                    left = x;
                    break;
                }

        EXPECT_THAT (left, ::testing::AllOf (::testing::Ge (c.textX), ::testing::Le (c.textX + 3)));
        window.removeCustomComponent (0);
        window.setLookAndFeel (nullptr);
    }
}

//==============================================================================
// Every face the look-and-feel draws, in one window: the switches in their six states, buttons,
// combo box, slider boxes, file rows, scrollbars, the alert icons at twice their size and texts
// in Japanese and Chinese.
class Gallery : public juce::Component
{
public:
    explicit Gallery (LookAndFeel& lf)
        : lookAndFeel (lf)
    {
        setLookAndFeel (&lf);
        setOpaque (true);

        for (auto* b : {&toggleOff, &toggleOn, &toggleDisabled})
            addAndMakeVisible (b);

        toggleOn.setToggleState (true, juce::dontSendNotification);
        toggleDisabled.setEnabled (false);
        toggleOff.setBounds (20, 120, 200, 16);
        toggleOn.setBounds (20, 145, 200, 40);
        toggleDisabled.setBounds (240, 145, 200, 24);

        for (auto* b : {&plain, &highlighted, &left, &right})
            addAndMakeVisible (b);

        highlighted.setColour (juce::TextButton::buttonColourId, juce::Colours::white);
        highlighted.setColour (juce::TextButton::textColourOffId, juce::Colours::black);
        left.setConnectedEdges (juce::Button::ConnectedOnRight);
        right.setConnectedEdges (juce::Button::ConnectedOnLeft);
        plain.setBounds (20, 200, 80, 28);
        highlighted.setBounds (110, 200, 80, 28);
        left.setBounds (210, 200, 60, 28);
        right.setBounds (270, 200, 60, 28);

        star = IconSvgsDrawable (vantor::ui::IconSvgs::Id::favoriteOn);
        narrow.setImages (star.get());
        wide.setImages (star.get());
        narrow.setBounds (350, 200, 36, 28);
        wide.setBounds (396, 200, 37, 28);
        addAndMakeVisible (narrow);
        addAndMakeVisible (wide);

        combo.addItemList ({"1", "2", "4", "8", u8"拍"}, 1);
        combo.setSelectedId (3);
        combo.setBounds (20, 245, 120, 24);
        addAndMakeVisible (combo);

        slider.setSliderStyle (juce::Slider::LinearHorizontal);
        slider.setTextBoxStyle (juce::Slider::TextBoxRight, false, 60, 22);
        slider.setRange (40.0, 999.99, 0.01);
        slider.setValue (120.0);
        slider.setBounds (160, 245, 260, 24);
        addAndMakeVisible (slider);

        japanese.setText (juce::String::fromUTF8 (u8"日本語: サンプルを読み込みました。"),
                          juce::dontSendNotification);
        chinese.setText (juce::String::fromUTF8 (u8"简体中文：样本已载入。"), juce::dontSendNotification);
        japanese.setBounds (460, 120, 320, 24);
        chinese.setBounds (460, 150, 320, 24);
        addAndMakeVisible (japanese);
        addAndMakeVisible (chinese);

        setSize (820, 560);
    }

    ~Gallery() override { setLookAndFeel (nullptr); }

    static std::unique_ptr<juce::Drawable> IconSvgsDrawable (vantor::ui::IconSvgs::Id id)
    {
        return vantor::ui::IconSvgs::createDrawable (id);
    }

    void paint (juce::Graphics& g) override
    {
        g.fillAll (findColour (juce::ResizableWindow::backgroundColourId));

        // The six switch faces, twice their size: off and on, each normal, over, down.
        int x = 20;
        for (bool ticked : {false, true})
            for (auto [over, down] : {std::pair{false, false}, {true, false}, {false, true}})
            {
                lookAndFeel.drawTickBox (g, *this, (float)x, 20.0f, 66.0f, 34.0f, ticked, true, over, down);
                x += 76;
            }

        // The alert icons, twice their size.
        x = 20;
        for (auto id : {vantor::ui::IconSvgs::Id::hintIcon, vantor::ui::IconSvgs::Id::questionIcon,
                        vantor::ui::IconSvgs::Id::warningIcon, vantor::ui::IconSvgs::Id::infoIcon})
        {
            if (auto icon = vantor::ui::IconSvgs::createDrawable (id))
                icon->drawWithin (g, juce::Rectangle<float> ((float)x, 60.0f, 60.0f, 60.0f).reduced (2),
                                  juce::RectanglePlacement::centred, 1.0f);
            x += 70;
        }

        // File rows: 450 and 451 wide, a selected one, a folder and a drive root.
        const struct
        {
            int width;
            juce::String name;
            bool folder, selected;
        } rows[] = {
            {450, "kick_450px.wav", false, false},
            {451, "kick_451px.wav", false, false},
            {451, juce::String::fromUTF8 (u8"スネア.wav"), false, true},
            {451, "Loops", true, false},
            {451, "E", true, false},
        };

        int y = 290;
        for (const auto& row : rows)
        {
            juce::Graphics::ScopedSaveState saved (g);
            g.setOrigin (20, y);
            g.reduceClipRegion (0, 0, row.width, 24);
            g.fillAll (juce::Colours::black);
            lookAndFeel.drawFileBrowserRow (g, row.width, 24, juce::File ("/media/" + row.name), row.name,
                                            nullptr, "1.2 MB", "2026/12/11 06:00", row.folder, row.selected,
                                            0, display);
            y += 28;
        }

        // Scrollbars 4 and 8 px wide.
        juce::ScrollBar bar (true);
        bar.setLookAndFeel (&lookAndFeel);
        {
            juce::Graphics::ScopedSaveState saved (g);
            g.setOrigin (500, 290);
            lookAndFeel.drawScrollbar (g, bar, 0, 0, 4, 120, true, 20, 60, false, false);
            g.setOrigin (20, 0);
            lookAndFeel.drawScrollbar (g, bar, 0, 0, 8, 120, true, 20, 60, false, false);
        }
        bar.setLookAndFeel (nullptr);
    }

    LookAndFeel& lookAndFeel;
    juce::ToggleButton toggleOff{"Warn before overwriting"}, toggleOn{"Show tooltips"},
        toggleDisabled{"Disabled switch"};
    juce::TextButton plain{"Cancel"}, highlighted{"OK"}, left{"Left"}, right{"Right"};
    std::unique_ptr<juce::Drawable> star;
    juce::DrawableButton narrow{"", juce::DrawableButton::ImageOnButtonBackground},
        wide{"", juce::DrawableButton::ImageOnButtonBackground};
    juce::ComboBox combo;
    juce::Slider slider;
    juce::Label japanese, chinese;
    juce::TimeSliceThread thread{"unused"};
    juce::DirectoryContentsList list{nullptr, thread};
    juce::FileListComponent display{list};
};

TEST (LookAndFeel, GalleryOfEveryFace)
{
    LookAndFeel lf;
    juce::LookAndFeel::setDefaultLookAndFeel (&lf);
    lf.setDriveRootLookup (
        [] (const juce::File& folder, juce::String& label)
        {
            label = "SAMPLES";
            return folder == juce::File ("/media/E");
        });

    {
        Gallery gallery (lf);
        gallery.setTopLeftPosition (100, 100);
        gallery.addToDesktop (juce::ComponentPeer::windowIsTemporary);
        gallery.setVisible (true);
        ASSERT_TRUE (glorvak::test::pumpMessagesUntil ([&] { return gallery.isShowing(); }));

        // The slider's text box is the look-and-feel's label, which accessibility tools skip.
        juce::Label* box = nullptr;
        for (auto* child : gallery.slider.getChildren())
            if ((box = dynamic_cast<LookAndFeel::SliderLabelComp*> (child)) != nullptr)
                break;

        ASSERT_NE (box, nullptr);
        EXPECT_EQ (box->getText(), "120.00");
        ASSERT_NE (box->getAccessibilityHandler(), nullptr);
        EXPECT_TRUE (box->getAccessibilityHandler()->isIgnored());

        glorvak::test::screenshot ("look-and-feel-gallery");
        gallery.removeFromDesktop();
    }

    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
}
} // namespace
