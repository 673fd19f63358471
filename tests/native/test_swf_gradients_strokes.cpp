// Gradients and strokes at chosen pixels: spread modes, focal points and interpolation of
// gradient fills, gradient lines, line widths under each scale mode, miter limits and open
// ends; and the drawing methods' gradients and line styles.
#include "swf/render/Renderer.h"
#include "swf/render/StageView.h"
#include "tests/native/Avm1Script.h"

#include <gtest/gtest.h>

using namespace swftest;

namespace {

constexpr uint32_t kRed = 0xFFFF0000, kBlue = 0xFF0000FF, kGreen = 0xFF00FF00, kBlack = 0xFF000000, kNone = 0;

struct Probe {
    int x, y;
    uint32_t argb;
    const char* where;
};

// Draws the first frame of a 100 x 100 pixel movie (1 pixel = 20 twips) on a transparent canvas.
swf::Canvas Draw(const Bytes& tags)
{
    ScriptRun run = RunMovie(tags + ShowFrame());
    swf::Canvas canvas(100, 100);
    swf::Renderer().Render(*run.player, canvas, swf::ExactFitView(run.movie->stage, 100, 100));
    return canvas;
}

void ExpectPixels(const swf::Canvas& c, std::initializer_list<Probe> probes, const std::string& what)
{
    for (const Probe& p : probes)
        EXPECT_EQ(p.argb, c.At(p.x, p.y)) << what << ": " << p.where << " at " << p.x << "," << p.y;
}

// A gradient matrix: the 32768-twip square scaled by (sx, sy) and centred on (tx, ty) twips.
Bytes GradientMatrix(double sx, double sy, int tx, int ty)
{
    Bits b;
    const int a = static_cast<int>(sx * 65536), d = static_cast<int>(sy * 65536);
    const int n = NBits({a, d}), m = NBits({tx, ty});
    return b.UB(1, 1).UB(n, 5).SB(a, n).SB(d, n).UB(0, 1).UB(m, 5).SB(tx, m).SB(ty, m).Done();
}

// DefineShape4 of one fill over the whole 100 x 100 stage.
Bytes FilledStage(const Bytes& fill)
{
    return Shape(1, {fill}, Edges().Box(0, 0, 2000, 2000, -1, 1).Done(), 4) + PlaceObject2({1, 1});
}

// Red below ratio 100, blue from 101: which side of 0.39 a point's gradient position lies.
const std::initializer_list<std::pair<uint8_t, Bytes>> kRedThenBlue = {
    {0, Rgba(255, 0, 0)}, {100, Rgba(255, 0, 0)}, {101, Rgba(0, 0, 255)}, {255, Rgba(0, 0, 255)}};

// A linear gradient 40 pixels wide from x = 0: position x / 40 along it.
constexpr double k40Pixels = 800.0 / 32768;

TEST(SwfGradients, SpreadModesBeyondTheSquare)
{
    // x = 55 lies at 1.39, x = 75 at 1.89: pad keeps the end's colour, reflect runs back from
    // the end (0.61, 0.11), repeat starts again (0.39, 0.89).
    const struct {
        uint8_t spread;
        uint32_t at55, at75;
        const char* what;
    } cases[] = {
        {0x00, kBlue, kBlue, "pad"},
        {0x40, kBlue, kRed, "reflect"},
        {0x80, kRed, kBlue, "repeat"},
    };
    for (const auto& c : cases) {
        const Bytes fill = Gradient(0x10, GradientMatrix(k40Pixels, k40Pixels, 400, 1000), kRedThenBlue, c.spread);
        ExpectPixels(Draw(FilledStage(fill)),
                     {{5, 50, kRed, "start"}, {35, 50, kBlue, "end"}, {55, 50, c.at55, "past the end"},
                      {75, 50, c.at75, "further"}},
                     c.what);
    }
}

TEST(SwfGradients, FocalPointMovesTheCentre)
{
    // A circle of radius 40 pixels about (50, 50); the focal point half way to its right edge,
    // at (70, 50). At (35, 50) a centred gradient reads 0.36, the focal one 0.58.
    const double scale = 800.0 / 16384;
    const Bytes stops = Bytes{0x13} + GradientMatrix(scale, scale, 1000, 1000) + Bytes{4};
    Bytes focal = stops;
    for (const auto& [ratio, color] : kRedThenBlue)
        focal = focal + Bytes{ratio} + color;
    ExpectPixels(Draw(FilledStage(focal + U16(128))),
                 {{70, 50, kRed, "focal point"}, {35, 50, kBlue, "left of the centre"}, {80, 50, kBlue, "right"},
                  {5, 50, kBlue, "outside the circle"}},
                 "focal 0.5");
    ExpectPixels(Draw(FilledStage(Gradient(0x12, GradientMatrix(scale, scale, 1000, 1000), kRedThenBlue))),
                 {{50, 50, kRed, "centre"}, {35, 50, kRed, "left of the centre"}, {5, 50, kBlue, "outside"}},
                 "centred");
}

TEST(SwfGradients, InterpolationInLinearLight)
{
    // Black to white across 64 pixels: x = 31 reads between ramp entries 125 and 126, 126 in
    // RGB; in linear RGB (light as the square of the value) the same place is brighter.
    const std::initializer_list<std::pair<uint8_t, Bytes>> grey = {{0, Rgba(0, 0, 0)}, {255, Rgba(255, 255, 255)}};
    const double scale = 1280.0 / 32768;
    for (const auto& [flags, value, what] : {std::tuple{0x00, 126u, "RGB"}, std::tuple{0x10, 179u, "linear RGB"}}) {
        const Bytes fill = Gradient(0x10, GradientMatrix(scale, scale, 640, 1000), grey, static_cast<uint8_t>(flags));
        ExpectPixels(Draw(FilledStage(fill)), {{31, 50, 0xFF000000u | value << 16 | value << 8 | value, "middle"}}, what);
    }
}

TEST(SwfGradients, FifteenStops)
{
    // Fifteen stops 18 ratios apart across the stage, in pairs of one colour: red, red, blue,
    // blue, ..., the last one blue alone. Between a pair the colour is flat; past the fourteenth
    // stop it turns from red to the fifteenth's blue.
    Bytes fill = Bytes{0x10} + GradientMatrix(2000.0 / 32768, 1, 1000, 1000) + Bytes{15};
    for (int i = 0; i < 15; ++i)
        fill = fill + Bytes{static_cast<uint8_t>(i * 18)} + (i / 2 % 2 ? Rgba(0, 0, 255) : Rgba(255, 0, 0));
    ExpectPixels(Draw(FilledStage(fill)),
                 {{3, 50, kRed, "stops 0 and 1"}, {45, 50, kBlue, "stops 6 and 7"}, {88, 50, kRed, "stops 12 and 13"},
                  {99, 50, kBlue, "stop 14"}},
                 "15 stops");
}

// DefineShape4 with one line style of `width` twips: its two flag bytes (start cap, join, has
// fill, no horizontal scale, no vertical scale, ... / no close, end cap), the miter limit
// (in 1/256) for miter joins, and the line's paint: a colour or a fill style.
Bytes LineShape(unsigned width, uint8_t flags1, uint8_t flags2, const Bytes& paint, const Bytes& records,
                unsigned miter = 3 * 256)
{
    const Bytes limit = (flags1 >> 4 & 3) == 2 ? U16(miter) : Bytes{};
    return Tag(83, U16(1) + Rect(-4000, 4000, -4000, 4000) + Rect(-4000, 4000, -4000, 4000) + Bytes{0, 0, 1} +
                       U16(width) + Bytes{flags1, flags2} + limit + paint + records);
}

// Places character 1 with its own scale.
Bytes PlaceScaled(int tx, int ty, double sx, double sy)
{
    return Tag(26, Bytes{0x06} + U16(1) + U16(1) + Matrix(tx, ty, sx, sy));
}

TEST(SwfStrokes, WidthFollowsTheScaleMode)
{
    // A 2-pixel line along x from (20, 50), its object stretched: a line that scales takes the
    // smaller scale, one that keeps its width stays 2 pixels, one that follows a single
    // direction takes that direction's scale. A width of 0 is a hairline through y = 50.
    const Bytes line = Edges(0, 1).Move(0, 0, -1, -1, 1).Line(400, 0).Done();
    const struct {
        unsigned width;
        uint8_t flags1;
        double sx, sy;
        int first, last;  // rows drawn black
        const char* what;
    } cases[] = {
        {40, 0x00, 2, 3, 48, 51, "normal"},
        {40, 0x06, 2, 3, 49, 50, "none"},
        {40, 0x02, 3, 2, 47, 52, "scales horizontally only"},
        {40, 0x04, 3, 2, 48, 51, "scales vertically only"},
        {40, 0x04, 2, 3, 47, 52, "scales vertically only, taller"},
    };
    for (const auto& c : cases)
        ExpectPixels(Draw(LineShape(c.width, c.flags1, 0, Rgba(0, 0, 0), line) + PlaceScaled(400, 1000, c.sx, c.sy)),
                     {{30, c.first, kBlack, "first row"}, {30, c.first - 1, kNone, "above"},
                      {30, c.last, kBlack, "last row"}, {30, c.last + 1, kNone, "below"}},
                     c.what);
    ExpectPixels(Draw(LineShape(0, 0, 0, Rgba(0, 0, 0), line) + PlaceScaled(400, 1000, 2, 3)),
                 {{30, 49, 0x7F000000, "half above"}, {30, 50, 0x7F000000, "half below"}, {30, 48, kNone, "above"}},
                 "hairline");
}

TEST(SwfStrokes, MiterLimitAndOpenEnds)
{
    // A 10-pixel L from (20, 20) over (80, 20) to (80, 80): its corner's miter reaches (85, 15),
    // 1.41 half widths out.
    const Bytes corner = Edges(0, 1).Move(400, 400, -1, -1, 1).Line(1200, 0).Line(0, 1200).Done();
    const struct {
        unsigned limit;
        uint32_t tip;
        const char* what;
    } limits[] = {{3 * 256, kBlack, "limit 3"}, {256, kNone, "limit 1: bevelled"}};
    for (const auto& c : limits)
        ExpectPixels(Draw(LineShape(200, 0x20, 0x01, Rgba(0, 0, 0), corner, c.limit) + PlaceObject2({1, 1})),
                     {{84, 16, c.tip, "the miter's tip"}, {81, 19, kBlack, "inside the bevel"}}, c.what);
    // A square path back at its start, mitred, no caps: joined at the start unless flagged open.
    const Bytes square = Edges(0, 1).Move(400, 400, -1, -1, 1).Line(1200, 0).Line(0, 1200).Line(-1200, 0).Line(0, -1200).Done();
    for (const auto& [flags2, tip, what] : {std::tuple{0x01, kBlack, "closed"}, std::tuple{0x05, kNone, "no close"}})
        ExpectPixels(Draw(LineShape(200, 0x60, static_cast<uint8_t>(flags2), Rgba(0, 0, 0), square) + PlaceObject2({1, 1})),
                     {{16, 16, tip, "the start's corner"}, {84, 84, kBlack, "another corner"}}, what);
}

TEST(SwfStrokes, GradientLine)
{
    // A 10-pixel line across the stage painted with a linear gradient, red then blue.
    const Bytes line = Edges(0, 1).Move(0, 1000, -1, -1, 1).Line(2000, 0).Done();
    const Bytes paint = Gradient(0x10, GradientMatrix(2000.0 / 32768, 1, 1000, 1000), kRedThenBlue);
    ExpectPixels(Draw(LineShape(200, 0x48, 0x01, paint, line) + PlaceObject2({1, 1})),
                 {{10, 50, kRed, "left"}, {90, 50, kBlue, "right"}, {50, 40, kNone, "above"}}, "gradient line");
}

// The drawing methods on a clip `c` at depth 1, then pixels.
void ExpectDrawn(const std::string& script, std::initializer_list<Probe> probes, const std::string& what)
{
    ExpectPixels(Draw(DoAction(Script("c = _root.createEmptyMovieClip('c', 1); " + script))), probes, what);
}

TEST(SwfDrawingMethods, GradientMatrixForms)
{
    // The same gradient, 40 pixels wide from x = 0, in each form of matrix; red below 0.39.
    const std::string stage = "c.moveTo(0, 0); c.lineTo(100, 0); c.lineTo(100, 100); c.lineTo(0, 100); c.endFill()";
    const std::string begin = "c.beginGradientFill('linear', [0xFF0000, 0xFF0000, 0x0000FF, 0x0000FF], "
                              "[100, 100, 100, 100], [0, 100, 101, 255], ";
    const struct {
        std::string matrix;
        const char* what;
    } cases[] = {
        {"{matrixType: 'box', x: 0, y: 0, w: 40, h: 40, r: 0}", "box"},
        {"{a: 40, b: 0, c: 0, d: 0, e: 40, f: 0, g: 20, h: 20, i: 1}", "3 x 3"},
        {"new flash.geom.Matrix(40 / 1638.4, 0, 0, 40 / 1638.4, 20, 20)", "flash.geom.Matrix"},
    };
    for (const auto& c : cases)
        ExpectDrawn("m = " + c.matrix + "; " + begin + "m, 'reflect'); " + stage,
                    {{5, 50, kRed, "start"}, {35, 50, kBlue, "end"}, {55, 50, kBlue, "reflected end"},
                     {75, 50, kRed, "reflected start"}},
                    c.what);
    // createGradientBox turns the gradient: a quarter turn runs it down the stage.
    ExpectDrawn("m = new flash.geom.Matrix(); m.createGradientBox(40, 40, 3.14159265 / 2, 0, 0); " + begin + "m); " +
                    stage,
                {{50, 5, kRed, "top"}, {50, 35, kBlue, "lower"}, {5, 50, kBlue, "left, lower"}}, "turned box");
}

TEST(SwfDrawingMethods, FocalRatioAndSpread)
{
    // A radial gradient of radius 40 about (50, 50), its focal point half way to the right.
    const std::string fill = "m = {matrixType: 'box', x: 10, y: 10, w: 80, h: 80, r: 0}; "
                             "c.beginGradientFill('radial', [0xFF0000, 0xFF0000, 0x0000FF, 0x0000FF], "
                             "[100, 100, 100, 100], [0, 100, 101, 255], m, 'pad', 'RGB', 0.5); "
                             "c.moveTo(0, 0); c.lineTo(100, 0); c.lineTo(100, 100); c.lineTo(0, 100); c.endFill()";
    ExpectDrawn(fill, {{70, 50, kRed, "focal point"}, {35, 50, kBlue, "left of the centre"}, {5, 5, kBlue, "corner"}},
                "focal 0.5");
}

TEST(SwfDrawingMethods, LineStyles)
{
    const std::string square = "c.moveTo(20, 20); c.lineTo(80, 20); c.lineTo(80, 80); c.lineTo(20, 80); c.lineTo(20, 20); ";
    const std::string flat = "c.moveTo(20, 50); c.lineTo(60, 50); ";
    const struct {
        std::string script;
        std::initializer_list<Probe> probes;
        const char* what;
    } cases[] = {
        // Set before the fill, the line is drawn above it.
        {"c.lineStyle(6, 0x00FF00); c.beginFill(0xFF0000); " + square + "c.endFill()",
         {{20, 50, kGreen, "edge"}, {50, 50, kRed, "inside"}},
         "line before fill"},
        // In a clip three times as large, a line that keeps its width stays 2 pixels.
        {"c._xscale = 300; c._yscale = 300; c.lineStyle(2, 0); c.moveTo(5, 10); c.lineTo(20, 10)",
         {{30, 27, kBlack, "top"}, {30, 32, kBlack, "bottom"}, {30, 26, kNone, "above"}},
         "normal, scaled"},
        {"c._xscale = 300; c._yscale = 300; c.lineStyle(2, 0, 100, false, 'none'); c.moveTo(5, 10); c.lineTo(20, 10)",
         {{30, 29, kBlack, "top"}, {30, 30, kBlack, "bottom"}, {30, 28, kNone, "above"}, {30, 31, kNone, "below"}},
         "none, scaled"},
        // Caps: none ends at the point, square reaches half the width past it.
        {"c.lineStyle(10, 0, 100, false, 'normal', 'none'); " + flat,
         {{58, 50, kBlack, "before the end"}, {61, 50, kNone, "past the end"}},
         "no caps"},
        {"c.lineStyle(10, 0, 100, false, 'normal', 'square'); " + flat,
         {{64, 46, kBlack, "square corner"}, {66, 50, kNone, "past the cap"}},
         "square caps"},
        // Joins: a miter reaches the corner's tip unless its limit is passed.
        {"c.lineStyle(10, 0, 100, false, 'normal', 'none', 'miter', 3); " + square,
         {{16, 16, kBlack, "tip"}, {84, 84, kBlack, "far tip"}},
         "miter"},
        {"c.lineStyle(10, 0, 100, false, 'normal', 'none', 'miter', 1); " + square,
         {{84, 84, kNone, "tip"}, {81, 81, kBlack, "bevel"}},
         "miter limit 1"},
        // lineGradientStyle paints the line set by lineStyle.
        {"c.lineStyle(10, 0); c.lineGradientStyle('linear', [0xFF0000, 0xFF0000, 0x0000FF, 0x0000FF], "
         "[100, 100, 100, 100], [0, 100, 101, 255], {matrixType: 'box', x: 0, y: 0, w: 100, h: 100, r: 0}); "
         "c.moveTo(0, 50); c.lineTo(100, 50)",
         {{10, 50, kRed, "left"}, {90, 50, kBlue, "right"}, {50, 40, kNone, "above"}},
         "gradient line"},
    };
    for (const auto& c : cases)
        ExpectDrawn(c.script, c.probes, c.what);
}

}  // namespace
