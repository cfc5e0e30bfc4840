#include "vantor/ui/IconSvgs.h"

#include <gmock/gmock.h>

#include <set>

namespace
{
using Id = vantor::ui::IconSvgs::Id;

struct IconCase
{
    Id id;
    const char* name;
    int width, height;
    std::set<juce::String> colours; // every solid fill and stroke, as RRGGBB
    bool gradient = false;
};

const std::vector<IconCase>& iconCases()
{
    static const std::vector<IconCase> cases = {
        {Id::switchOff, "switch off", 33, 17, {"555555", "CCCCCC"}},
        {Id::switchOn, "switch on", 33, 17, {"FF5B1A", "FFFFFF"}},
        {Id::logotype, "logotype", 90, 11, {"AAAAAA"}},
        {Id::hintIcon, "hint", 30, 30, {"555555", "FFFFFF"}},
        {Id::questionIcon, "question", 30, 30, {"555555", "FFFFFF"}},
        {Id::warningIcon, "warning", 30, 30, {"FFFFFF"}},
        {Id::infoIcon, "information", 30, 30, {"555555", "FFFFFF"}},
        {Id::slotEditTitle, "SLOT EDIT tab", 137, 29, {"CCCCCC", "000000", "FF5B1A"}},
        {Id::slotEditTitleRule, "SLOT EDIT rule", 276, 29, {"FF5B1A", "000000"}},
        {Id::zoomIn, "zoom in", 13, 13, {"FFFFFF"}},
        {Id::zoomOut, "zoom out", 13, 13, {"FFFFFF"}},
        {Id::zoomReset, "zoom reset", 13, 13, {"FFFFFF"}},
        {Id::rangeArrows, "range arrows", 20, 10, {"FFFFFF"}},
        {Id::play, "play", 16, 16, {"FFFFFF"}},
        {Id::stop, "stop", 15, 15, {"FFFFFF"}},
        {Id::oneShotOff, "one-shot grey", 22, 8, {"AAAAAA"}},
        {Id::oneShotOn, "one-shot white", 22, 8, {"FFFFFF"}},
        {Id::loopOff, "loop grey", 22, 14, {"AAAAAA"}},
        {Id::loopOn, "loop white", 22, 14, {"FFFFFF"}},
        {Id::help, "help", 16, 16, {"AAAAAA"}},
        {Id::bankEditTitle, "BANK EDIT tab", 137, 29, {"CCCCCC", "000000", "FF5B1A"}},
        {Id::bankEditTitleRule, "BANK EDIT rule", 276, 29, {"FF5B1A", "000000"}},
        {Id::oneShotColumn, "one-shot column", 18, 6, {"FFFFFF"}},
        {Id::loopColumn, "loop column", 18, 12, {"FFFFFF"}},
        {Id::sliderThumb, "slider thumb", 13, 17, {"222222", "1E1E1E", "6E6E6E"}, true},
        {Id::sliderTrack, "slider track", 67, 4, {"555555"}},
        {Id::sliderScale, "slider scale", 65, 6, {"AAAAAA", "555555"}},
        {Id::banksTitle, "BANKS tab", 137, 29, {"CCCCCC", "000000", "FF5B1A"}},
        {Id::banksTitleRule, "BANKS rule", 276, 29, {"FF5B1A", "000000"}},
        {Id::favoriteOff, "favourite off", 16, 15, {"555555"}},
        {Id::favoriteOn, "favourite on", 16, 15, {"FFFFFF"}},
        {Id::exportButton, "export", 97, 24, {"FFFFFF"}},
        {Id::sampleBrowseTitle, "SAMPLE BROWSE", 112, 14, {"CCCCCC"}},
        {Id::userSelected, "USER selected", 136, 24, {"FF5B1A", "FFFFFF"}},
        {Id::factorySelected, "FACTORY selected", 136, 24, {"FF5B1A", "FFFFFF"}},
        {Id::bankCollectionTitle, "BANK COLLECTION", 122, 14, {"CCCCCC"}},
        {Id::bankCollectionVertical, "vertical BANK COLLECTION", 9, 147, {"CCCCCC"}},
        {Id::closeVertical, "vertical CLOSE", 9, 147, {"CCCCCC"}},
        {Id::bankTitle, "BANK tab", 137, 29, {"CCCCCC", "000000", "FF5B1A"}},
    };
    return cases;
}

void collectPaint (const juce::Component& component, std::set<juce::String>& colours, bool& gradient)
{
    const auto note = [&] (const juce::FillType& fill)
    {
        if (fill.isColour() && !fill.colour.isTransparent())
            colours.insert (fill.colour.toDisplayString (false));

        gradient = gradient || fill.isGradient();
    };

    if (const auto* shape = dynamic_cast<const juce::DrawableShape*> (&component))
    {
        note (shape->getFill());

        if (shape->getStrokeType().getStrokeThickness() > 0)
            note (shape->getStrokeFill());
    }

    for (const auto* child : component.getChildren())
        collectPaint (*child, colours, gradient);
}

juce::Image render (const juce::Drawable& drawable, int width, int height)
{
    juce::Image image (juce::Image::ARGB, width, height, true);
    juce::Graphics g (image);
    drawable.drawAt (g, 0.0f, 0.0f, 1.0f);
    return image;
}

// Every picture is a real SVG document of its listed size, drawn with its listed colours only,
// staying on its canvas, with its lettering as outlines rather than SVG text.
TEST (IconSvgs, EachParsesAtItsSizeWithItsColours)
{
    ASSERT_EQ ((int)iconCases().size(), vantor::ui::IconSvgs::numIds);

    for (const auto& c : iconCases())
    {
        SCOPED_TRACE (c.name);
        const auto& svg = vantor::ui::IconSvgs::get (c.id);
        EXPECT_FALSE (svg.contains ("<text"));

        const auto xml = juce::XmlDocument::parse (svg);
        ASSERT_NE (xml, nullptr);
        EXPECT_TRUE (xml->hasTagName ("svg"));
        EXPECT_EQ (xml->getIntAttribute ("width"), c.width);
        EXPECT_EQ (xml->getIntAttribute ("height"), c.height);

        const auto drawable = vantor::ui::IconSvgs::createDrawable (c.id);
        ASSERT_NE (drawable, nullptr);
        const auto bounds = drawable->getDrawableBounds();
        EXPECT_FALSE (bounds.isEmpty());
        EXPECT_TRUE (
            juce::Rectangle<float> ((float)c.width, (float)c.height).expanded (0.01f).contains (bounds))
            << bounds.toString();

        std::set<juce::String> colours;
        bool gradient = false;
        collectPaint (*drawable, colours, gradient);
        EXPECT_EQ (colours, c.colours);
        EXPECT_EQ (gradient, c.gradient);
    }
}

// The lettering runs along the long side; the vertical lettering reads from bottom to top.
TEST (IconSvgs, LetteringRunsAlongTheLongSideAndVerticalOnesReadUpwards)
{
    for (auto id : {Id::logotype, Id::sampleBrowseTitle, Id::bankCollectionTitle})
    {
        const auto bounds = vantor::ui::IconSvgs::createDrawable (id)->getDrawableBounds();
        EXPECT_GT (bounds.getWidth(), 4 * bounds.getHeight());
    }

    for (auto id : {Id::bankCollectionVertical, Id::closeVertical})
    {
        const auto bounds = vantor::ui::IconSvgs::createDrawable (id)->getDrawableBounds();
        EXPECT_GT (bounds.getHeight(), 3 * bounds.getWidth());
    }

    // In CLOSE read upwards the lowest ink is the left side of "C", closed in its middle, and the
    // highest the right side of "E", open between its bars; read downwards it would be the reverse.
    const auto drawable = vantor::ui::IconSvgs::createDrawable (Id::closeVertical);
    const auto bounds = drawable->getDrawableBounds();
    const auto image = render (*drawable, 9, 147);
    const auto middle = (int)bounds.getCentreX();
    EXPECT_GT (image.getPixelAt (middle, (int)std::floor (bounds.getBottom() - 0.75f)).getAlpha(), 128);
    EXPECT_LT (image.getPixelAt (middle, (int)std::floor (bounds.getY() + 0.25f)).getAlpha(), 64);
}

// A panel's title tab and the rule at its right carry one orange line at y 11.5 (pixel row 11):
// the tab's lower edge rises from the bottom at the left to that height at its right end, the
// rule is a black band above the line and transparent below it.
TEST (IconSvgs, TitleTabsAndRulesCarryTheLineAtTheSameHeight)
{
    struct Probe
    {
        int x, y;
        juce::uint32 argb; // 0: transparent
        const char* what;
    };
    const Probe tabProbes[] = {
        {130, 11, 0xffff5b1a, "the line at the right end"},
        {136, 11, 0xffff5b1a, "reaching the edge"},
        {130, 5, 0xff000000, "the band above it"},
        {130, 20, 0, "nothing below the band"},
        {136, 25, 0, "nothing below the band"},
        {50, 28, 0xffff5b1a, "the line at the bottom"},
        {50, 25, 0xff000000, "the body"},
        {0, 0, 0, "the rounded corner"},
    };
    const Probe ruleProbes[] = {
        {0, 11, 0xffff5b1a, "the line at the left end"},
        {200, 11, 0xffff5b1a, "the line"},
        {200, 5, 0xff000000, "the band"},
        {200, 20, 0, "nothing below"},
        {200, 28, 0, "no line at the bottom"},
        {275, 0, 0, "the rounded corner"},
    };

    const auto check = [] (Id id, int width, const Probe* probes, size_t count)
    {
        const auto image = render (*vantor::ui::IconSvgs::createDrawable (id), width, 29);
        for (size_t i = 0; i < count; ++i)
        {
            SCOPED_TRACE (juce::String (probes[i].what) + " at " + juce::String (probes[i].x) + "," +
                          juce::String (probes[i].y));
            const auto pixel = image.getPixelAt (probes[i].x, probes[i].y);
            if (probes[i].argb == 0)
                EXPECT_LT (pixel.getAlpha(), 16);
            else // within a step or two of the colour (edges are smoothed)
                for (auto [got, wanted] :
                     {std::pair{pixel.getAlpha(), juce::Colour (probes[i].argb).getAlpha()},
                      std::pair{pixel.getRed(), juce::Colour (probes[i].argb).getRed()},
                      std::pair{pixel.getGreen(), juce::Colour (probes[i].argb).getGreen()},
                      std::pair{pixel.getBlue(), juce::Colour (probes[i].argb).getBlue()}})
                    EXPECT_NEAR (got, wanted, 3) << pixel.toDisplayString (true);
        }
    };

    for (auto id : {Id::slotEditTitle, Id::bankEditTitle, Id::banksTitle, Id::bankTitle})
        check (id, 137, tabProbes, std::size (tabProbes));
    for (auto id : {Id::slotEditTitleRule, Id::bankEditTitleRule, Id::banksTitleRule})
        check (id, 276, ruleProbes, std::size (ruleProbes));
}

// The one-shot and loop faces come in the editor's grey and white and the table's smaller white;
// the two switch states and the two source-switch states are mirror images of their selection.
TEST (IconSvgs, PairedStatesShowTheirSelection)
{
    const auto pixel = [] (Id id, int x, int y)
    {
        const auto drawable = vantor::ui::IconSvgs::createDrawable (id);
        const auto& c = *std::find_if (iconCases().begin(), iconCases().end(),
                                       [id] (const IconCase& candidate) { return candidate.id == id; });
        return render (*drawable, c.width, c.height).getPixelAt (x, y);
    };

    // The knob sits at the left when off and at the right when on.
    EXPECT_EQ (pixel (Id::switchOff, 8, 8), juce::Colour (0xffcccccc));
    EXPECT_EQ (pixel (Id::switchOff, 24, 8), juce::Colour (0xff555555));
    EXPECT_EQ (pixel (Id::switchOn, 24, 8), juce::Colours::white);
    EXPECT_EQ (pixel (Id::switchOn, 8, 8), juce::Colour (0xffff5b1a));

    // The orange block lies behind the selected source: a point between letters on each side.
    EXPECT_EQ (pixel (Id::userSelected, 4, 12), juce::Colour (0xffff5b1a));
    EXPECT_LT (pixel (Id::userSelected, 72, 12).getAlpha(), 16);
    EXPECT_EQ (pixel (Id::factorySelected, 70, 12), juce::Colour (0xffff5b1a));
    EXPECT_LT (pixel (Id::factorySelected, 4, 12).getAlpha(), 16);

    // The favourite star: hollow when off, filled when on.
    EXPECT_LT (pixel (Id::favoriteOff, 8, 8).getAlpha(), 16);
    EXPECT_EQ (pixel (Id::favoriteOn, 8, 8), juce::Colours::white);
}

// The alert icons at their documented places: white marks on the grey disc, the switch faces
// with the knob strings the look-and-feel replaces for its mouse-over and pressed faces.
TEST (IconSvgs, AlertIconsAndSwitchesHaveTheirShapes)
{
    struct Probe
    {
        Id id;
        const char* name;
        int x, y;
        juce::uint32 argb;
    };

    const Probe probes[] = {
        {Id::infoIcon, "i bar", 15, 17, 0xffffffff},
        {Id::infoIcon, "i dot", 15, 9, 0xffffffff},
        {Id::infoIcon, "between dot and bar", 15, 11, 0xff555555},
        {Id::infoIcon, "beside the bar", 12, 17, 0xff555555},
        {Id::questionIcon, "dot", 15, 19, 0xffffffff},
        {Id::questionIcon, "stem", 15, 16, 0xffffffff},
        {Id::questionIcon, "inside the hook", 15, 13, 0xff555555},
        {Id::hintIcon, "upper base line", 15, 19, 0xffffffff},
        {Id::hintIcon, "left ray", 7, 13, 0xffffffff},
        {Id::hintIcon, "inside the bulb", 15, 14, 0xff555555},
        {Id::hintIcon, "top ray", 15, 6, 0xffffffff},
        {Id::switchOff, "off track", 28, 8, 0xff555555},
        {Id::switchOff, "off knob", 8, 8, 0xffcccccc},
        {Id::switchOn, "on track", 5, 8, 0xffff5b1a},
        {Id::switchOn, "on knob", 24, 8, 0xffffffff},
    };

    for (const auto& p : probes)
    {
        SCOPED_TRACE (p.name);
        const auto drawable = vantor::ui::IconSvgs::createDrawable (p.id);
        ASSERT_NE (drawable, nullptr);
        const auto image = render (*drawable, 33, 30);
        // Probed at pixel corners, so the edges' smoothing counts: each channel within 72.
        const auto got = image.getPixelAt (p.x, p.y);
        const juce::Colour want (p.argb);
        const auto diff =
            juce::jmax (std::abs (got.getRed() - want.getRed()), std::abs (got.getGreen() - want.getGreen()),
                        std::abs (got.getBlue() - want.getBlue()));
        EXPECT_LT (diff, 72) << got.toDisplayString (true);
        EXPECT_EQ (got.getAlpha(), 255);
    }

    // The question mark is about 6.7 wide and 10 high around the disc's centre.
    const auto question = vantor::ui::IconSvgs::createDrawable (Id::questionIcon);
    juce::Rectangle<float> mark;

    for (auto* child : question->getChildren())
        if (auto* shape = dynamic_cast<juce::DrawableShape*> (child))
            if (shape->getDrawableBounds().getWidth() < 20)
                mark =
                    mark.isEmpty() ? shape->getDrawableBounds() : mark.getUnion (shape->getDrawableBounds());

    EXPECT_NEAR (mark.getWidth(), 6.7f, 0.5f);
    EXPECT_NEAR (mark.getHeight(), 10.5f, 1.0f);
    EXPECT_NEAR (mark.getCentreX(), 15.0f, 0.3f);
    EXPECT_NEAR (mark.getCentreY(), 15.0f, 0.6f);

    EXPECT_TRUE (vantor::ui::IconSvgs::get (Id::switchOff).contains ("\"#CCCCCC\""));
    EXPECT_TRUE (vantor::ui::IconSvgs::get (Id::switchOn).contains ("\"white\""));
}
} // namespace
