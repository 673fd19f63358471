// The SWF rasterizer at chosen pixels: edges, the two fills of an edge, winding rules,
// gradients, bitmap fills, strokes, texts, morphs, colour transforms and masks; the stage views.
#include "swf/avm1/Scripts.h"
#include "swf/render/Renderer.h"
#include "swf/render/StageView.h"
#include "tests/native/SwfTestWriter.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace swftest;

namespace {

constexpr uint32_t kRed = 0xFFFF0000, kBlue = 0xFF0000FF, kNone = 0;

// Renders a 100 x 100 pixel movie's first frame (1 pixel = 20 twips) on a transparent canvas.
swf::Canvas Render(const Bytes& tags, swf::JpegDecoder* jpeg = nullptr, int frames = 1)
{
    const Bytes file = Movie(tags + ShowFrame());
    auto movie = swf::Movie::Load(file.data(), file.size(), jpeg);
    swf::Player player(*movie, swf::avm1::MakeScripts, false);
    for (int i = 0; i < frames; ++i)
        player.Advance();
    swf::Canvas canvas(100, 100);
    swf::Renderer().Render(player, canvas, swf::ExactFitView(movie->stage, 100, 100));
    return canvas;
}

struct Probe {
    int x, y;
    uint32_t argb;
};

void ExpectPixels(const swf::Canvas& c, std::initializer_list<Probe> probes, const char* what)
{
    for (const Probe& p : probes)
        EXPECT_EQ(p.argb, c.At(p.x, p.y)) << what << " at " << p.x << "," << p.y;
}

// A 2 x 2 bitmap: red, green / blue, half-transparent white (DefineBitsLossless2, format 5).
Bytes Checker(unsigned id)
{
    const Bytes argb = {255, 255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 128, 128, 128, 128};
    return Tag(36, U16(id) + Bytes{5} + U16(2) + U16(2) + Zlib(argb));
}

class CFixedJpeg : public swf::JpegDecoder {
public:
    bool Decode(const uint8_t*, std::size_t, std::size_t, swf::Bitmap& out) override
    {
        out = {2, 1, {0xFF336699, 0xFF336699}};
        return true;
    }
};

}  // namespace

TEST(SwfRender, EdgesAndTheTwoFillsOfAnEdge)
{
    // Left half red (fill 1 right of the downward middle edge... drawn as two boxes sharing it),
    // the shared edge carrying red on its left and blue on its right.
    const Bytes records = Edges()
                              .Move(200, 200, 0, 1).Line(300, 0).Line(0, 1000)
                              .Move(500, 1200, 0, 1).Line(-300, 0).Line(0, -1000)
                              .Move(500, 200, 1, 2).Line(0, 1000)
                              .Move(500, 200, 0, 2).Line(300, 0).Line(0, 1000).Line(-300, 0)
                              .Done();
    const swf::Canvas c = Render(Shape(1, {Solid(Rgba(255, 0, 0)), Solid(Rgba(0, 0, 255))}, records) +
                                 PlaceObject2({1, 1}));
    ExpectPixels(c, {{15, 30, kRed}, {34, 30, kBlue}, {5, 30, kNone}, {45, 30, kNone}, {20, 65, kNone}}, "two fills");
}

TEST(SwfRender, PartialPixelsAreAntiAliased)
{
    // A box from x 10.5 to 20 pixels: the first column is half covered.
    const swf::Canvas c = Render(Shape(1, {Solid(Rgba(255, 0, 0))}, Edges().Box(210, 200, 190, 200, 0, 1).Done()) +
                                 PlaceObject2({1, 1}));
    ExpectPixels(c, {{10, 15, 0x7F7F0000}, {11, 15, kRed}, {19, 15, kRed}, {20, 15, kNone}}, "half column");
}

TEST(SwfRender, WindingRules)
{
    // Two overlapping boxes drawn the same way round: even-odd leaves the overlap empty,
    // DefineShape4's non-zero rule fills it.
    const Bytes records = Edges().Box(200, 200, 800, 800, 0, 1).Box(600, 600, 800, 800, 0, 1).Done();
    for (bool nonZero : {false, true}) {
        const swf::Canvas c =
            Render(Shape(1, {Solid(Rgba(255, 0, 0))}, records, 4, {}, nonZero ? 4 : 0) + PlaceObject2({1, 1}));
        ExpectPixels(c, {{15, 15, kRed}, {40, 40, nonZero ? kRed : kNone}, {65, 65, kRed}}, "winding");
    }
}

TEST(SwfRender, Gradients)
{
    // Across the 100-pixel stage: the gradient square scaled to 2000 twips, centred at 1000.
    const Bytes square = Matrix(1000, 1000, 2000 / 32768.0, 2000 / 32768.0);
    const auto stops = {std::pair<uint8_t, Bytes>{0, Rgba(255, 0, 0)}, {255, Rgba(0, 0, 255)}};
    const Bytes box = Edges().Box(0, 0, 2000, 2000, 0, 1).Done();
    struct Case {
        Bytes fill;
        std::initializer_list<Probe> probes;
        const char* what;
    } cases[] = {
        {Gradient(0x10, square, stops), {{0, 50, 0xFFFE0001}, {99, 50, 0xFF0100FE}, {50, 10, 0xFF7E0081}}, "linear"},
        {Gradient(0x12, square, stops), {{50, 50, 0xFFFC0003}, {0, 50, 0xFF0200FD}, {0, 0, kBlue}}, "radial pad"},
        {Gradient(0x12, Matrix(1000, 1000, 1000 / 32768.0, 1000 / 32768.0), stops, 0x40),
         {{50, 50, 0xFFF80007}, {25, 50, 0xFF0500FA}, {0, 50, 0xFFFA0005}},
         "radial reflect"},
        {Gradient(0x13, square, stops) + U16(192), {{87, 50, 0xFFFC0003}, {0, 50, 0xFF0100FE}}, "focal"},
        {Gradient(0x10, square, {{0, Rgba(0, 0, 0)}, {255, Rgba(255, 255, 255)}}, 0x10), {{50, 50, 0xFFB5B5B5}},
         "linear RGB"},
    };
    for (const Case& c : cases)
        ExpectPixels(Render(Shape(1, {c.fill}, box) + PlaceObject2({1, 1})), c.probes, c.what);
}

TEST(SwfRender, BitmapFills)
{
    // The 2 x 2 bitmap at 20 pixels a texel from (20, 20): clipped fills repeat the edge texels,
    // repeating fills the pattern; hard fills take the nearest texel.
    const Bytes box = Edges().Box(0, 0, 2000, 2000, 0, 1).Done();
    const Bytes m = Matrix(400, 400, 400, 400);
    const swf::Canvas clipped = Render(Checker(9) + Shape(1, {BitmapFill(0x43, 9, m)}, box) + PlaceObject2({1, 1}));
    ExpectPixels(clipped, {{25, 25, kRed}, {45, 25, 0xFF00FF00}, {25, 45, kBlue}, {45, 45, 0x80808080},
                           {5, 5, kRed}, {95, 5, 0xFF00FF00}}, "clipped");
    const swf::Canvas repeated = Render(Checker(9) + Shape(1, {BitmapFill(0x42, 9, m)}, box) + PlaceObject2({1, 1}));
    ExpectPixels(repeated, {{65, 25, kRed}, {5, 5, 0x80808080}, {85, 25, 0xFF00FF00}}, "repeating");
    const swf::Canvas smooth = Render(Checker(9) + Shape(1, {BitmapFill(0x41, 9, m)}, box) + PlaceObject2({1, 1}));
    ExpectPixels(smooth, {{25, 25, kRed}, {39, 25, 0xFF867900}}, "smoothed");
}

TEST(SwfRender, JpegAlphaPlaneIsAppliedByTheCore)
{
    const Bytes alpha = Zlib({0, 255});
    CFixedJpeg jpeg;
    const Bytes jpeg3 = Tag(35, U16(9) + U32(4) + Bytes{0xFF, 0xD8, 0xFF, 0xD9} + alpha);
    const swf::Canvas c = Render(jpeg3 + Shape(1, {BitmapFill(0x43, 9, Matrix(0, 0, 1000, 1000))},
                                               Edges().Box(0, 0, 2000, 2000, 0, 1).Done()) + PlaceObject2({1, 1}),
                                 &jpeg);
    ExpectPixels(c, {{25, 25, kNone}, {75, 25, 0xFF336699}}, "alpha plane");
}

TEST(SwfRender, PngAndGifPayloadsAreDecodedByTheCore)
{
    // Two texels of 50 pixels each: red and half-transparent blue (PNG), red and transparent (GIF).
    auto chunk = [](const char* type, const Bytes& body) {
        const uint32_t n = static_cast<uint32_t>(body.size());
        return Bytes{static_cast<uint8_t>(n >> 24), static_cast<uint8_t>(n >> 16), static_cast<uint8_t>(n >> 8),
                     static_cast<uint8_t>(n)} + Bytes(type, type + 4) + body + U32(0);  // CRCs are not checked
    };
    const Bytes png = Bytes{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A} +
                      chunk("IHDR", Bytes{0, 0, 0, 2, 0, 0, 0, 1, 8, 6, 0, 0, 0}) +
                      chunk("IDAT", Zlib(Bytes{0, 255, 0, 0, 255, 0, 0, 255, 128})) + chunk("IEND", {});
    const Bytes gif = Bytes{'G', 'I', 'F', '8', '9', 'a', 2, 0, 1, 0, 0x80, 0, 0, 255, 0, 0, 0, 0, 255} +
                      Bytes{0x21, 0xF9, 4, 1, 0, 0, 1, 0} +                      // index 1 is transparent
                      Bytes{0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0, 2, 2, 0x44, 0x0A, 0, 0x3B};  // codes: clear, 0, 1, end
    const Bytes box = Edges().Box(0, 0, 2000, 2000, 0, 1).Done();
    for (const auto& [payload, right] : {std::pair{png, 0x80000080u}, {gif, kNone}}) {
        const Bytes tags = Tag(21, U16(9) + payload) + Shape(1, {BitmapFill(0x43, 9, Matrix(0, 0, 1000, 1000))}, box) +
                           PlaceObject2({1, 1});
        ExpectPixels(Render(tags), {{25, 50, kRed}, {75, 50, right}}, payload == png ? "png" : "gif");
    }
}

// DefineShape4 with no fills and one black line style: width (twips), the two flag bytes (start
// cap, join, ... / end cap) and, for miter joins, the limit.
Bytes StrokedShape(unsigned id, unsigned width, uint8_t flags1, uint8_t flags2, const Bytes& records)
{
    const Bytes miter = (flags1 >> 4 & 3) == 2 ? U16(3 * 256) : Bytes{};
    return Tag(83, U16(id) + Rect(-2000, 4000, -2000, 4000) + Rect(-2000, 4000, -2000, 4000) + Bytes{0, 0, 1} +
                       U16(width) + Bytes{flags1, flags2} + miter + Rgba(0, 0, 0) + records);
}

TEST(SwfRender, StrokeCapsJoinsAndHairlines)
{
    constexpr uint32_t kBlack = 0xFF000000;
    // A 10-pixel line from (20, 50) to (80, 50); an L from (20, 20) over (80, 20) to (80, 80).
    const Bytes line = Edges(0, 1).Move(400, 1000, -1, -1, 1).Line(1200, 0).Done();
    const Bytes corner = Edges(0, 1).Move(400, 400, -1, -1, 1).Line(1200, 0).Line(0, 1200).Done();
    struct Case {
        Bytes shape;
        std::initializer_list<Probe> probes;
        const char* what;
    } cases[] = {
        {StrokedShape(1, 200, 0x00, 0x00, line), {{17, 50, kBlack}, {15, 45, kNone}, {50, 45, kBlack}}, "round caps"},
        {StrokedShape(1, 200, 0x40, 0x01, line), {{18, 50, kNone}, {21, 50, kBlack}, {81, 50, kNone}}, "no caps"},
        {StrokedShape(1, 200, 0x80, 0x02, line), {{16, 46, kBlack}, {84, 54, kBlack}, {85, 50, kNone}}, "square caps"},
        {StrokedShape(1, 200, 0x20, 0x00, corner), {{84, 16, kBlack}, {50, 15, kBlack}, {50, 14, kNone}}, "miter join"},
        {StrokedShape(1, 200, 0x10, 0x00, corner), {{84, 16, kNone}, {83, 17, kNone}, {81, 19, kBlack}}, "bevel join"},
        {StrokedShape(1, 200, 0x00, 0x00, corner), {{84, 16, kNone}, {83, 17, kBlack}}, "round join"},
        // Width 0 at y = 30.3: one pixel wide through the points, 3 of row 30's samples and 1 of row 29's.
        {Shape(1, {}, Edges(0, 1).Move(200, 606, -1, -1, 1).Line(1600, 0).Done(), 3, {{0, Rgba(0, 0, 0)}}),
         {{50, 30, 0xBF000000}, {50, 29, 0x3F000000}, {50, 31, kNone}},
         "hairline"},
    };
    for (const Case& c : cases)
        ExpectPixels(Render(c.shape + PlaceObject2({1, 1})), c.probes, c.what);
}

TEST(SwfRender, NestedMasksIntersect)
{
    // The left half masks depths 2 and 3, the top half depth 3: the red box shows top left only.
    const Bytes left = Shape(1, {Solid(Rgba(0, 0, 0))}, Edges().Box(0, 0, 1000, 2000, 0, 1).Done());
    const Bytes top = Shape(2, {Solid(Rgba(0, 0, 0))}, Edges().Box(0, 0, 2000, 1000, 0, 1).Done());
    const Bytes red = Shape(3, {Solid(Rgba(255, 0, 0))}, Edges().Box(0, 0, 2000, 2000, 0, 1).Done());
    Place outer{1, 1}, inner{2, 2};
    outer.clipDepth = 3;
    inner.clipDepth = 3;
    ExpectPixels(Render(left + top + red + PlaceObject2(outer) + PlaceObject2(inner) + PlaceObject2({3, 3})),
                 {{25, 25, kRed}, {75, 25, kNone}, {25, 75, kNone}, {75, 75, kNone}}, "nested masks");
}

TEST(SwfRender, TextFieldsLayOutTheirText)
{
    // A bordered field from (0, 0) to (60, 60) pixels in device text 40 pixels high, blue:
    // "I" starts at the 2-pixel gutter, its baseline an ascent below the top gutter.
    const Bytes field = Tag(37, U16(1) + Rect(0, 1200, 0, 1200) + Bytes{0x85, 0x08} + U16(0) + U16(800) +
                                    Rgba(0, 0, 255) + Str("") + Str("I"));
    ExpectPixels(Render(field + PlaceObject2({1, 1})),
                 {{0, 0, 0xFF000000}, {60, 30, 0xFF000000}, {30, 30, 0xFFFFFFFF}, {8, 30, kBlue}, {8, 8, 0xFFFFFFFF}},
                 "device text");
    // The same text in a field 30 pixels high: the "I" shows down to the box's edge only, unless
    // the field fits its box to its text.
    for (const auto& [flags2, below, what] : {std::tuple{0x08, kNone, "text beyond its box"},
                                              std::tuple{0x48, kBlue, "a field sized to its text"}}) {
        const Bytes low = Tag(37, U16(1) + Rect(0, 1200, 0, 600) + Bytes{0x85, static_cast<uint8_t>(flags2)} + U16(0) +
                                      U16(800) + Rgba(0, 0, 255) + Str("") + Str("I"));
        ExpectPixels(Render(low + PlaceObject2({1, 1})), {{8, 25, kBlue}, {8, 35, below}}, what);
    }
}

TEST(SwfRender, TextMorphColourTransformAndMask)
{
    // Font 2 with one glyph, a 512-unit box; text 3 at (10, 50), 40 pixels high, green.
    const Bytes glyph = Edges(1, 0).Box(0, -512, 512, 512, 0, 1).Done();
    const Bytes font = Tag(10, U16(2) + U16(2) + glyph);
    const Bits entries = Bits().UB(0, 1).SB(0, 2);
    const Bytes text = Tag(11, U16(3) + Rect(0, 0, 0, 0) + Matrix(200, 1000) + Bytes{1, 2} +
                                   Bytes{0x8F} + U16(2) + Bytes{0, 200, 0} + U16(0) + U16(0) + U16(800) + Bytes{1} +
                                   entries.Done() + Bytes{0});
    ExpectPixels(Render(font + text + PlaceObject2({1, 3})), {{15, 45, 0xFF00C800}, {15, 55, kNone}, {35, 45, kNone}},
                 "text");

    // A morph from a 20-pixel box at (0, 0) to one at (60, 0), at ratio one half.
    const Bytes start = Edges(1, 0).Box(0, 0, 400, 400, 0, 1).Done();
    const Bytes end = Edges(1, 0).Box(1200, 0, 400, 400, 0, 0).Done();
    const Bytes styles = Bytes{1, 0} + Rgba(255, 0, 0) + Rgba(0, 0, 255) + Bytes{0};
    const Bytes morph = Tag(46, U16(4) + Rect(0, 400, 0, 400) + Rect(1200, 1600, 0, 400) +
                                    U32(static_cast<uint32_t>(styles.size() + start.size())) + styles + start + end);
    ExpectPixels(Render(morph + PlaceObject2({1, 4, 0, 0, false, 32768})),
                 {{40, 10, 0xFF7F0080}, {25, 10, kNone}, {55, 10, kNone}}, "morph");

    // Colour transform: red halved plus 64 green, alpha halved.
    Place tinted{1, 1};
    tinted.cxform = Bits().UB(1, 1).UB(1, 1).UB(10, 4).SB(128, 10).SB(256, 10).SB(256, 10).SB(128, 10)
                        .SB(0, 10).SB(64, 10).SB(0, 10).SB(0, 10).Done();
    const Bytes box = Shape(1, {Solid(Rgba(255, 0, 0))}, Edges().Box(0, 0, 2000, 2000, 0, 1).Done());
    ExpectPixels(Render(box + PlaceObject2(tinted)), {{50, 50, 0x7F3F2000}}, "colour transform");

    // Mask: a box over the left half masks depth 2 and not depth 3.
    const Bytes maskShape = Shape(5, {Solid(Rgba(0, 0, 0))}, Edges().Box(0, 0, 1000, 2000, 0, 1).Done());
    const Bytes blue = Shape(6, {Solid(Rgba(0, 0, 255))}, Edges().Box(0, 1600, 2000, 400, 0, 1).Done());
    Place mask{1, 5};
    mask.clipDepth = 2;
    ExpectPixels(Render(box + maskShape + blue + PlaceObject2(mask) + PlaceObject2({2, 1}) + PlaceObject2({3, 6})),
                 {{25, 50, kRed}, {75, 50, kNone}, {75, 90, kBlue}, {25, 90, kBlue}}, "mask");
}

TEST(SwfRender, StageViewsScaleAndAlignAsTheControlSays)
{
    // A 400 x 200 pixel stage (twips) in a 200 x 200 area: where its corners land.
    const swf::Rect stage{0, 8000, 0, 4000};
    struct Case {
        const char* scale;
        const char* align;
        double left, top, right, bottom;
    } cases[] = {
        {"ShowAll", "", 0, 50, 200, 150},
        {"showall", "TL", 0, 0, 200, 100},
        {"ShowAll", "B", 0, 100, 200, 200},
        {"NoBorder", "", -100, 0, 300, 200},
        {"NoBorder", "R", -200, 0, 200, 200},
        {"ExactFit", "TL", 0, 0, 200, 200},
        {"NoScale", "", -100, 0, 300, 200},
        {"NoScale", "TL", 0, 0, 400, 200},
        {"anything else", "", 0, 50, 200, 150},
    };
    for (const Case& c : cases) {
        const swf::Matrix view = swf::StageView(stage, swf::ScaleModeNamed(c.scale), c.align, 200, 200);
        double x0, y0, x1, y1;
        view.Apply(stage.xMin, stage.yMin, x0, y0);
        view.Apply(stage.xMax, stage.yMax, x1, y1);
        EXPECT_EQ((std::vector<double>{c.left, c.top, c.right, c.bottom}), (std::vector<double>{x0, y0, x1, y1}))
            << c.scale << " " << c.align;
    }
}
