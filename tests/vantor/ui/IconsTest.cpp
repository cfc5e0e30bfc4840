#include "vantor/ui/Icons.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <gmock/gmock.h>

namespace
{
struct IconCase
{
    const char* name;
    const char* svg;
    int size; // the pictures are drawn 1:1 at their own size
    juce::Rectangle<float> canvas;
    juce::Point<int> inside; // a point of the white triangle
    juce::Point<int> cutOut; // a point of the exclamation bar
};

// Each warning sign parses into a picture that stays on its canvas: white triangle, mark cut out.
TEST (Icons, WarningSignsDrawAWhiteTriangleWithACutOutMark)
{
    const IconCase cases[] = {
        {"alert window", vantor::ui::icons::warningIcon, 30, {0, 0, 30, 30}, {6, 23}, {15, 14}},
        {"bubble", vantor::ui::icons::bubbleWarningIcon, 16, {0, 0, 16, 13}, {3, 11}, {8, 6}},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const auto xml = juce::XmlDocument::parse (c.svg);
        ASSERT_NE (xml, nullptr);
        const auto drawable = juce::Drawable::createFromSVG (*xml);
        ASSERT_NE (drawable, nullptr);
        EXPECT_TRUE (c.canvas.expanded (0.01f).contains (drawable->getDrawableBounds()));

        juce::Image image (juce::Image::ARGB, c.size, c.size, true);
        {
            juce::Graphics g (image);
            drawable->drawAt (g, 0.0f, 0.0f, 1.0f);
        }

        EXPECT_EQ (image.getPixelAt (c.inside.x, c.inside.y), juce::Colours::white);
        EXPECT_LT (image.getPixelAt (c.cutOut.x, c.cutOut.y).getAlpha(), 160);
    }
}
} // namespace
