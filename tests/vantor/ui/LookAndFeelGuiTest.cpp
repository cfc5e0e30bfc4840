#include "vantor/ui/LookAndFeel.h"

#include "vantor/ui/MessageBoxIconTypeComponent.h"

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

} // namespace
