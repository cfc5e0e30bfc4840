#include "vantor/ui/IconSvgs.h"

#include "vantor/ui/Icons.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace vantor::ui
{
namespace
{
// Colours of the program's drawing.
constexpr const char* orange = "#FF5B1A";
constexpr const char* lightGrey = "#CCCCCC";
constexpr const char* midGrey = "#AAAAAA";
constexpr const char* darkGrey = "#555555";
constexpr const char* white = "#FFFFFF";
constexpr const char* black = "#000000";

using Polygon = std::vector<juce::Point<float>>;
using Polygons = std::vector<Polygon>;

juce::String number (float value)
{
    return juce::String (value, 2);
}

juce::String svgDocument (int width, int height, const juce::String& content)
{
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + juce::String (width) + "\" height=\"" +
           juce::String (height) + "\" viewBox=\"0 0 " + juce::String (width) + " " + juce::String (height) +
           "\">\n" + content + "</svg>\n";
}

juce::String rect (float x, float y, float w, float h, float radius, const juce::String& fill)
{
    return "<rect x=\"" + number (x) + "\" y=\"" + number (y) + "\" width=\"" + number (w) + "\" height=\"" +
           number (h) + "\" rx=\"" + number (radius) + "\" fill=\"" + fill + "\"/>\n";
}

juce::String outlinedRect (float x, float y, float w, float h, float radius, const juce::String& stroke,
                           float strokeWidth)
{
    return "<rect x=\"" + number (x) + "\" y=\"" + number (y) + "\" width=\"" + number (w) + "\" height=\"" +
           number (h) + "\" rx=\"" + number (radius) + "\" fill=\"none\" stroke=\"" + stroke +
           "\" stroke-width=\"" + number (strokeWidth) + "\"/>\n";
}

juce::String circle (float cx, float cy, float r, const juce::String& fill)
{
    return "<circle cx=\"" + number (cx) + "\" cy=\"" + number (cy) + "\" r=\"" + number (r) + "\" fill=\"" +
           fill + "\"/>\n";
}

juce::String outlinedCircle (float cx, float cy, float r, const juce::String& stroke, float strokeWidth)
{
    return "<circle cx=\"" + number (cx) + "\" cy=\"" + number (cy) + "\" r=\"" + number (r) +
           "\" fill=\"none\" stroke=\"" + stroke + "\" stroke-width=\"" + number (strokeWidth) + "\"/>\n";
}

// All polygons as one filled path; they are wound alike, so overlaps unite instead of cancelling.
juce::String filledPolygons (const Polygons& polygons, const juce::String& fill,
                             const juce::AffineTransform& transform = {})
{
    juce::String data;

    for (const auto& polygon : polygons)
    {
        for (size_t i = 0; i < polygon.size(); ++i)
        {
            const auto p = polygon[i].transformedBy (transform);
            data << (i == 0 ? "M" : " L") << number (p.x) << " " << number (p.y);
        }

        data << " Z ";
    }

    return "<path fill=\"" + fill + "\" d=\"" + data.trimEnd() + "\"/>\n";
}

Polygon woundClockwise (Polygon polygon)
{
    float twiceArea = 0;

    for (size_t i = 0; i < polygon.size(); ++i)
    {
        const auto& a = polygon[i];
        const auto& b = polygon[(i + 1) % polygon.size()];
        twiceArea += a.x * b.y - b.x * a.y;
    }

    if (twiceArea < 0)
        std::reverse (polygon.begin(), polygon.end());

    return polygon;
}

// A polyline of the given thickness as polygons: one band per segment and a square on every
// vertex, which closes the joints and squares off the ends.
void addStroke (Polygons& out, const std::vector<juce::Point<float>>& points, float thickness,
                bool squareVertices)
{
    const auto half = thickness / 2;

    for (size_t i = 0; i + 1 < points.size(); ++i)
    {
        const auto a = points[i], b = points[i + 1];
        const auto length = a.getDistanceFrom (b);

        if (length <= 0)
            continue;

        const juce::Point<float> normal ((a.y - b.y) * half / length, (b.x - a.x) * half / length);
        out.push_back (woundClockwise ({a + normal, b + normal, b - normal, a - normal}));
    }

    if (squareVertices)
        for (const auto& p : points)
            out.push_back (woundClockwise ({{p.x - half, p.y - half},
                                            {p.x + half, p.y - half},
                                            {p.x + half, p.y + half},
                                            {p.x - half, p.y + half}}));
}

//==============================================================================
// Capital letters on a grid six units high, as polylines ("x,y x,y|x,y x,y"); enough for the
// program's titles and the marks of its dialog icons.
struct Glyph
{
    char character;
    float width;
    const char* strokes;
};

constexpr Glyph glyphs[] = {
    {' ', 2, ""},
    {'A', 4, "0,6 2,0 4,6|0.67,4 3.33,4"},
    {'B', 4, "0,0 0,6 3,6 4,5 4,4 3,3 0,3|0,0 3,0 4,1 4,2 3,3"},
    {'C', 4, "4,1 3,0 1,0 0,1 0,5 1,6 3,6 4,5"},
    {'D', 4, "0,0 0,6 3,6 4,5 4,1 3,0 0,0"},
    {'E', 4, "4,0 0,0 0,6 4,6|0,3 3,3"},
    {'F', 4, "4,0 0,0 0,6|0,3 3,3"},
    {'G', 4, "4,1 3,0 1,0 0,1 0,5 1,6 3,6 4,5 4,3 2,3"},
    {'I', 2, "0,0 2,0|1,0 1,6|0,6 2,6"},
    {'K', 4, "0,0 0,6|4,0 0,4|1.5,2.5 4,6"},
    {'L', 4, "0,0 0,6 4,6"},
    {'M', 5, "0,6 0,0 2.5,3.5 5,0 5,6"},
    {'N', 4, "0,6 0,0 4,6 4,0"},
    {'O', 4, "1,0 3,0 4,1 4,5 3,6 1,6 0,5 0,1 1,0"},
    {'P', 4, "0,6 0,0 3,0 4,1 4,2 3,3 0,3"},
    {'R', 4, "0,6 0,0 3,0 4,1 4,2 3,3 0,3|2,3 4,6"},
    {'S', 4, "4,1 3,0 1,0 0,1 0,2 1,3 3,3 4,4 4,5 3,6 1,6 0,5"},
    {'T', 4, "0,0 4,0|2,0 2,6"},
    {'U', 4, "0,0 0,5 1,6 3,6 4,5 4,0"},
    {'V', 4, "0,0 2,6 4,0"},
    {'W', 5, "0,0 1.25,6 2.5,2 3.75,6 5,0"},
    {'X', 4, "0,0 4,6|4,0 0,6"},
    {'Y', 4, "0,0 2,3 4,0|2,3 2,6"},
    {'?', 4, "0,1 1,0 3,0 4,1 4,2 2,3.5 2,4.3|2,6 2,6"},
    {'!', 0, "0,0 0,4.2|0,6 0,6"},
    {'i', 0, "0,0 0,0|0,2 0,6"},
};

const Glyph& glyphFor (char c)
{
    for (const auto& glyph : glyphs)
        if (glyph.character == c)
            return glyph;

    jassertfalse; // a letter the titles never needed before: add it above
    return glyphs[0];
}

constexpr float gridHeight = 6;
constexpr float letterGap = 1.5f;

struct Lettering
{
    Polygons polygons; // top-left of the ink at (0, 0)
    float width = 0;   // of the ink
};

// Lettering whose ink is capHeight high, strokes included. A non-zero spreadTo widens the gaps
// between letters so that the ink is exactly that wide (the logotype).
Lettering outlineText (const char* text, float capHeight, float thickness, float spreadTo = 0)
{
    const auto unit = (capHeight - thickness) / gridHeight;
    const auto length = (int)std::strlen (text);
    auto gap = letterGap;

    if (spreadTo > 0 && length > 1)
    {
        float widths = 0;

        for (int i = 0; i < length; ++i)
            widths += glyphFor (text[i]).width;

        gap = ((spreadTo - thickness) / unit - widths) / (float)(length - 1);
    }

    Lettering result;
    float x = 0;

    for (int i = 0; i < length; ++i)
    {
        const auto& glyph = glyphFor (text[i]);

        for (const auto& stroke : juce::StringArray::fromTokens (glyph.strokes, "|", ""))
        {
            std::vector<juce::Point<float>> points;

            for (const auto& pair : juce::StringArray::fromTokens (stroke, " ", ""))
                points.push_back (
                    {thickness / 2 +
                         (x + pair.upToFirstOccurrenceOf (",", false, false).getFloatValue()) * unit,
                     thickness / 2 + pair.fromFirstOccurrenceOf (",", false, false).getFloatValue() * unit});

            addStroke (result.polygons, points, thickness, true);
        }

        result.width = (x + glyph.width) * unit + thickness;
        x += glyph.width + gap;
    }

    return result;
}

// The lettering centred in a box, squeezed sideways if it would not fit.
juce::String letteringIn (const char* text, juce::Rectangle<float> box, float capHeight, float thickness,
                          const juce::String& fill)
{
    const auto lettering = outlineText (text, capHeight, thickness);
    const auto squeeze = juce::jmin (1.0f, box.getWidth() / lettering.width);
    const auto transform =
        juce::AffineTransform::scale (squeeze, 1.0f)
            .translated (box.getCentreX() - lettering.width * squeeze / 2, box.getCentreY() - capHeight / 2);
    return filledPolygons (lettering.polygons, fill, transform);
}

// Lettering turned a quarter left so that it reads from bottom to top, centred in a tall box.
juce::String verticalLettering (const char* text, int width, int height, float capHeight, float thickness,
                                const juce::String& fill)
{
    const auto lettering = outlineText (text, capHeight, thickness);
    const auto transform =
        juce::AffineTransform::rotation (-juce::MathConstants<float>::halfPi)
            .translated (((float)width - capHeight) / 2, ((float)height + lettering.width) / 2);
    return svgDocument (width, height, filledPolygons (lettering.polygons, fill, transform));
}

//==============================================================================
// The knob colours are the literal strings "#CCCCCC" and "white": the look-and-feel makes the
// mouse-over and pressed faces by replacing exactly those strings.
juce::String switchFace (bool on)
{
    const juce::String track = on ? orange : darkGrey;
    return svgDocument (33, 17,
                        "<rect x=\"1.24609\" y=\"1.5\" width=\"30\" height=\"14\" rx=\"7\" fill=\"" + track +
                            "\" stroke=\"" + track + "\" stroke-width=\"2\"/>\n" +
                            (on ? "<circle cx=\"24.2461\" cy=\"8.5\" r=\"6\" fill=\"white\"/>\n"
                                : "<circle cx=\"8\" cy=\"8.5\" r=\"6\" fill=\"#CCCCCC\"/>\n"));
}

juce::String logotype()
{
    const auto lettering = outlineText ("GLORVAK", 11, 1.6f, 90);
    return svgDocument (90, 11, filledPolygons (lettering.polygons, midGrey));
}

// A light bulb with rays in white strokes on the grey disc of the alert icons.
juce::String hintIcon()
{
    const juce::String strokes =
        "fill=\"none\" stroke=\"white\" stroke-width=\"1.2\" stroke-linecap=\"round\" "
        "stroke-linejoin=\"round\"";
    return svgDocument (
        30, 30,
        circle (15, 15, 15, darkGrey) +
            // rays: left, upper left, top, upper right, right
            "<path " + strokes +
            " d=\"M6.6 13.6 H8.4 M9.3 8.3 L10.6 9.6 M15 6.2 V8 M20.7 8.3 L19.4 9.6 M21.6 13.6 H23.4\"/>\n" +
            // the bulb, down to its neck
            "<path " + strokes +
            " d=\"M11 16.2 C10.1 14.9 10.2 12.9 11.5 11.8 C12.4 11.1 13.6 10.8 15 10.8 C16.4 10.8 17.6 11.1 "
            "18.5 11.8 C19.8 12.9 19.9 14.9 19 16.2 C18.2 17.3 17.2 18 17.2 19.4 V20.8 H12.8 V19.4 C12.8 18 "
            "11.8 17.3 11 16.2 Z\"/>\n" +
            // the base
            "<path " + strokes + " d=\"M13 19 H16.83 M13.75 22.5 H16.25\"/>\n");
}

// A white question mark, about 6.7 wide and 10 high, centred on the grey disc.
juce::String questionIcon()
{
    return svgDocument (
        30, 30,
        circle (15, 15, 15, darkGrey) +
            "<path fill=\"none\" stroke=\"white\" stroke-width=\"1.9\" stroke-linecap=\"round\" "
            "stroke-linejoin=\"round\" d=\"M12.6 13 C12.6 11.3 13.7 10.4 15 10.4 C16.4 10.4 17.4 11.4 "
            "17.4 12.7 C17.4 14.5 15 14.9 15 16.9\"/>\n" +
            circle (15, 19.1f, 1.05f, white));
}

// A white "i": a bar from (14, 12.8) to (16, 20.8) under a dot, on the grey disc.
juce::String infoIcon()
{
    return svgDocument (30, 30,
                        circle (15, 15, 15, darkGrey) + rect (14, 12.8f, 2, 8, 0, white) +
                            "<ellipse cx=\"15\" cy=\"9.9\" rx=\"1\" ry=\"0.9\" fill=\"" +
                            juce::String (white) + "\"/>\n");
}

// The panel title: a black tab, full height at the left, whose lower edge rises along a curve
// to a band 11.5 high at the right; that edge is stroked orange, so it continues as the line at
// y 11.5 that the title rule and the panel's own strip carry on to the right edge. The top-left
// corner is rounded with radius 8.
juce::String titleTab (const char* title)
{
    const juce::String lowerEdge = "C106.273 28.5 106.6 28.4 108 27 C110 25 115.958 16.5506 119.5 13 "
                                   "C120.579 11.9181 121.717 11.5 123 11.5";
    const auto lettering = outlineText (title, 8.9f, 1.5f);
    const auto squeeze = juce::jmin (1.0f, 90.0f / lettering.width);
    return svgDocument (
        137, 29,
        "<path d=\"M0 28.5 V8 Q0 0 8 0 H137 V11.5 H123 C121.717 11.5 120.579 11.9181 119.5 13 "
        "C115.958 16.5506 110 25 108 27 C106.6 28.4 106.273 28.5 105 28.5 Z\" fill=\"" +
            juce::String (black) + "\"/>\n" + "<path d=\"M0 28.5 H105 " + lowerEdge +
            " H137\" fill=\"none\" stroke=\"" + orange + "\" stroke-width=\"1\"/>\n" +
            filledPolygons (lettering.polygons, lightGrey,
                            juce::AffineTransform::scale (squeeze, 1.0f).translated (10.9f, 9.3f)));
}

// The title rule's end at the right: a black band 11 high (top-right corner rounded with radius
// 8) and the orange line at y 11.5 below it, meeting the tab's line.
juce::String titleRule()
{
    return svgDocument (276, 29,
                        "<path d=\"M0 0 H268 Q276 0 276 8 V11 H0 Z\" fill=\"" + juce::String (black) +
                            "\"/>\n" + rect (0, 11, 276, 1, 0, orange));
}

juce::String magnifier (bool plus)
{
    Polygons handle;
    addStroke (handle, {{8.9f, 8.9f}, {12, 12}}, 2, false);

    auto content = outlinedCircle (5.5f, 5.5f, 4.6f, white, 1.4f) + filledPolygons (handle, white) +
                   rect (3.3f, 4.9f, 4.4f, 1.2f, 0, white);

    if (plus)
        content << rect (4.9f, 3.3f, 1.2f, 4.4f, 0, white);

    return svgDocument (13, 13, content);
}

juce::String zoomReset()
{
    Polygons shapes;
    const auto t = 1.2f, a = 0.6f, b = 12.4f, arm = 3.6f;

    for (const auto& corner : std::vector<std::vector<juce::Point<float>>>{
             {{a, a + arm}, {a, a}, {a + arm, a}},
             {{b - arm, a}, {b, a}, {b, a + arm}},
             {{b, b - arm}, {b, b}, {b - arm, b}},
             {{a + arm, b}, {a, b}, {a, b - arm}},
         })
        addStroke (shapes, corner, t, true);

    addStroke (shapes, {{4, 9}, {7.6f, 5.4f}}, t, false);
    shapes.push_back (woundClockwise ({{9.4f, 3.6f}, {9.0f, 7.6f}, {5.4f, 4.0f}}));
    return svgDocument (13, 13, filledPolygons (shapes, white));
}

juce::String rangeArrows()
{
    const Polygons heads = {{{0, 5}, {7, 0}, {7, 10}}, {{20, 5}, {13, 10}, {13, 0}}};
    return svgDocument (20, 10, filledPolygons (heads, white));
}

juce::String playFace()
{
    return svgDocument (16, 16, filledPolygons ({{{3, 1.5f}, {14.5f, 8}, {3, 14.5f}}}, white));
}

juce::String stopFace()
{
    return svgDocument (15, 15,
                        rect (2.5f, 1.5f, 3.5f, 12, 1.5f, white) + rect (9, 1.5f, 3.5f, 12, 1.5f, white));
}

juce::String oneShotArrow (int width, int height, const juce::String& colour)
{
    const auto w = (float)width, h = (float)height;
    const auto shaft = h * 0.19f, headLength = h * 0.8f;
    return svgDocument (
        width, height,
        rect (0, (h - shaft) / 2, w - headLength + 0.5f, shaft, 0, colour) +
            filledPolygons ({{{w - headLength, 0}, {w, h / 2}, {w - headLength, h}}}, colour));
}

// A rounded loop that runs up, right, down and back left, its head pointing at its own start.
juce::String loopArrow (int width, int height, const juce::String& colour)
{
    const auto w = (float)width, h = (float)height;
    const auto t = h * 0.107f, m = t / 2, headHeight = h * 0.43f, headLength = h * 0.36f, r = h * 0.21f;
    const auto bottom = h - headHeight / 2, tip = m + 2;

    const auto data = "M" + number (m) + " " + number (bottom - r) + " L" + number (m) + " " +
                      number (m + r) + " Q" + number (m) + " " + number (m) + " " + number (m + r) + " " +
                      number (m) + " L" + number (w - m - r) + " " + number (m) + " Q" + number (w - m) +
                      " " + number (m) + " " + number (w - m) + " " + number (m + r) + " L" + number (w - m) +
                      " " + number (bottom - r) + " Q" + number (w - m) + " " + number (bottom) + " " +
                      number (w - m - r) + " " + number (bottom) + " L" + number (tip + headLength) + " " +
                      number (bottom);

    return svgDocument (width, height,
                        "<path d=\"" + data + "\" fill=\"none\" stroke=\"" + colour + "\" stroke-width=\"" +
                            number (t) + "\"/>\n" +
                            filledPolygons ({{{tip, bottom},
                                              {tip + headLength, bottom - headHeight / 2},
                                              {tip + headLength, bottom + headHeight / 2}}},
                                            colour));
}

juce::String helpFace()
{
    return svgDocument (16, 16,
                        outlinedCircle (8, 8, 7.25f, midGrey, 1.5f) +
                            letteringIn ("?", {0, 0, 16, 16}, 8, 1.4f, midGrey));
}

juce::String sliderThumb()
{
    juce::String grips;

    for (auto y : {5.0f, 7.75f, 10.5f})
        grips << rect (3, y, 7, 1, 0, "#1E1E1E") << rect (3, y + 1, 7, 0.75f, 0, "#6E6E6E");

    return svgDocument (
        13, 17,
        "<defs><linearGradient id=\"thumbBody\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"17\" "
        "gradientUnits=\"userSpaceOnUse\"><stop offset=\"0\" stop-color=\"#5C5C5C\"/>"
        "<stop offset=\"1\" stop-color=\"#2C2C2C\"/></linearGradient></defs>\n"
        "<rect x=\"0.5\" y=\"0.5\" width=\"12\" height=\"16\" rx=\"2\" fill=\"url(#thumbBody)\" "
        "stroke=\"#222222\" stroke-width=\"1\"/>\n" +
            grips);
}

juce::String sliderScale()
{
    juce::String ticks;

    for (int i = 0; i < 9; ++i)
    {
        const auto isLong = i == 0 || i == 4 || i == 8;
        ticks << rect ((float)i * 8, 0, 1, isLong ? 6.0f : 3.0f, 0, isLong ? midGrey : darkGrey);
    }

    return svgDocument (65, 6, ticks);
}

juce::String starPoints()
{
    juce::String points;

    for (int i = 0; i < 10; ++i)
    {
        const auto radius = i % 2 == 0 ? 7.0f : 2.9f;
        const auto angle = juce::MathConstants<float>::pi * (float)i / 5;
        points << number (8 + radius * std::sin (angle)) << "," << number (7.8f - radius * std::cos (angle))
               << " ";
    }

    return points.trimEnd();
}

juce::String favoriteStar (bool on)
{
    const auto paint = on ? juce::String ("fill=\"") + white + "\""
                          : juce::String ("fill=\"none\" stroke=\"") + darkGrey +
                                "\" stroke-width=\"1\" stroke-linejoin=\"round\"";
    return svgDocument (16, 15, "<polygon points=\"" + starPoints() + "\" " + paint + "/>\n");
}

juce::String exportButton()
{
    return svgDocument (
        97, 24,
        outlinedRect (0.5f, 0.5f, 96, 23, 3, white, 1) + rect (10, 9.5f, 9, 10.5f, 1.5f, white) +
            outlinedRect (11.5f, 4.5f, 6, 5, 0, white, 1) + rect (13, 6, 1.2f, 1.5f, 0, white) +
            rect (14.8f, 6, 1.2f, 1.5f, 0, white) + letteringIn ("EXPORT", {26, 0, 64, 24}, 10, 1.5f, white));
}

juce::String sourceSwitch (bool userSelected)
{
    return svgDocument (136, 24,
                        rect (userSelected ? 0.0f : 68.0f, 0, 68, 24, 3, orange) +
                            outlinedRect (0.5f, 0.5f, 135, 23, 3, orange, 1) +
                            letteringIn ("USER", {0, 0, 68, 24}, 9, 1.4f, white) +
                            letteringIn ("FACTORY", {68, 0, 68, 24}, 9, 1.4f, white));
}

juce::String title (const char* text, int width, int height)
{
    return svgDocument (width, height,
                        letteringIn (text, {0, 0, (float)width, (float)height}, 10, 1.5f, lightGrey));
}

juce::String build (IconSvgs::Id id)
{
    using Id = IconSvgs::Id;

    switch (id)
    {
        case Id::switchOff:
            return switchFace (false);
        case Id::switchOn:
            return switchFace (true);
        case Id::logotype:
            return logotype();
        case Id::hintIcon:
            return hintIcon();
        case Id::questionIcon:
            return questionIcon();
        case Id::warningIcon:
            return icons::warningIcon;
        case Id::infoIcon:
            return infoIcon();
        case Id::slotEditTitle:
            return titleTab ("SLOT EDIT");
        case Id::slotEditTitleRule:
            return titleRule();
        case Id::zoomIn:
            return magnifier (true);
        case Id::zoomOut:
            return magnifier (false);
        case Id::zoomReset:
            return zoomReset();
        case Id::rangeArrows:
            return rangeArrows();
        case Id::play:
            return playFace();
        case Id::stop:
            return stopFace();
        case Id::oneShotOff:
            return oneShotArrow (22, 8, midGrey);
        case Id::oneShotOn:
            return oneShotArrow (22, 8, white);
        case Id::loopOff:
            return loopArrow (22, 14, midGrey);
        case Id::loopOn:
            return loopArrow (22, 14, white);
        case Id::help:
            return helpFace();
        case Id::bankEditTitle:
            return titleTab ("BANK EDIT");
        case Id::bankEditTitleRule:
            return titleRule();
        case Id::oneShotColumn:
            return oneShotArrow (18, 6, white);
        case Id::loopColumn:
            return loopArrow (18, 12, white);
        case Id::sliderThumb:
            return sliderThumb();
        case Id::sliderTrack:
            return svgDocument (67, 4, rect (0, 0, 67, 4, 2, darkGrey));
        case Id::sliderScale:
            return sliderScale();
        case Id::banksTitle:
            return titleTab ("BANKS");
        case Id::banksTitleRule:
            return titleRule();
        case Id::favoriteOff:
            return favoriteStar (false);
        case Id::favoriteOn:
            return favoriteStar (true);
        case Id::exportButton:
            return exportButton();
        case Id::sampleBrowseTitle:
            return title ("SAMPLE BROWSE", 112, 14);
        case Id::userSelected:
            return sourceSwitch (true);
        case Id::factorySelected:
            return sourceSwitch (false);
        case Id::bankCollectionTitle:
            return title ("BANK COLLECTION", 122, 14);
        case Id::bankCollectionVertical:
            return verticalLettering ("BANK COLLECTION", 9, 147, 8, 1.3f, lightGrey);
        case Id::closeVertical:
            return verticalLettering ("CLOSE", 9, 147, 8, 1.3f, lightGrey);
        case Id::bankTitle:
            return titleTab ("BANK");
    }

    jassertfalse;
    return {};
}
} // namespace

//==============================================================================
const juce::String& IconSvgs::get (Id id)
{
    // Built on first use (thread-safe), so no other static's set-up depends on this file's order.
    static const auto texts = []
    {
        std::array<juce::String, (size_t)numIds> result;

        for (int i = 0; i < numIds; ++i)
            result[(size_t)i] = build ((Id)i);

        return result;
    }();

    jassert ((int)id >= 0 && (int)id < numIds);
    return texts[(size_t)id];
}

std::unique_ptr<juce::Drawable> IconSvgs::createDrawable (Id id)
{
    if (const auto xml = juce::XmlDocument::parse (get (id)))
        return juce::Drawable::createFromSVG (*xml);

    return nullptr;
}
} // namespace vantor::ui
