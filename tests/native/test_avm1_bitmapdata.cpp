// BitmapData's methods as scripts use them (copyPixels, clone, draw, floodFill, copyChannel,
// merge, scroll, threshold, paletteMap, getColorBoundsRect, pixelDissolve), checked by the pixels getPixel32 reads back
// and by the frame that shows them; opaque backgrounds, cached bitmaps and colour transforms.
#include "swf/render/Renderer.h"
#include "swf/render/StageView.h"
#include "tests/native/Avm1Script.h"

using namespace swftest;

namespace {

// What getPixel32 gives for a colour: the 32 bits as a signed number.
std::string Px(uint32_t argb)
{
    return std::to_string(static_cast<int32_t>(argb));
}

// Shape 1, a red square of 10 x 10 pixels from its origin; sprite 2 shows it and the root
// places it as "mc" at (20, 30) pixels.
Bytes RedSquareClip()
{
    const Bytes square = Tag(32, U16(1) + Rect(0, 200, 0, 200) + Bytes{1} + Solid(Rgba(255, 0, 0)) + Bytes{0} +
                                     Edges().Box(0, 0, 200, 200, 0, 1).Done());
    Place mc(1, 2, 400, 600);
    mc.name = "mc";
    return square + Sprite(2, 1, PlaceObject2(Place(1, 1)) + ShowFrame()) + PlaceObject2(mc);
}

const std::string kGeom = "R = flash.geom.Rectangle; P = flash.geom.Point; B = flash.display.BitmapData; ";

}  // namespace

TEST(Avm1BitmapData, CopyPixelsMovesARectangle)
{
    const std::string half = kGeom + "s = new B(4, 4, true, 0x80FF0000); ";
    ExpectTraces({
        // An opaque destination keeps its pixels opaque; the rectangle lands at the point.
        {half + "d = new B(4, 4, false, 0x0000FF); d.copyPixels(s, new R(1, 1, 2, 2), new P(0, 0)); "
                "trace(d.getPixel32(0, 0)); trace(d.getPixel32(1, 1)); trace(d.getPixel32(2, 2))",
         Px(0xFFFF0000) + "\n" + Px(0xFFFF0000) + "\n" + Px(0xFF0000FF)},
        // A transparent one takes the alpha; what falls outside is left out.
        {half + "t = new B(4, 4, true, 0xFF0000FF); t.copyPixels(s, new R(0, 0, 2, 2), new P(3, 3)); "
                "trace(t.getPixel32(3, 3)); trace(t.getPixel32(2, 2))",
         Px(0x80FF0000) + "\n" + Px(0xFF0000FF)},
        // mergeAlpha lays the pixels over the destination's.
        {half + "t = new B(2, 2, true, 0xFF0000FF); t.copyPixels(s, new R(0, 0, 1, 1), new P(0, 0), null, null, true); "
                "trace(t.getPixel32(0, 0))",
         Px(0xFF80007F)},
        // An alpha bitmap's alpha, from its point on, scales the source's.
        {kGeom + "a = new B(3, 1, true, 0); a.setPixel32(2, 0, 0xFFFFFFFF); o = new B(2, 1, false, 0x00FF00); "
                 "t = new B(2, 1, true, 0x11223344); t.copyPixels(o, new R(0, 0, 2, 1), new P(0, 0), a, new P(1, 0)); "
                 "trace(t.getPixel32(0, 0)); trace(t.getPixel32(1, 0))",
         "0\n" + Px(0xFF00FF00)},
        // Copying within one bitmap reads every pixel before writing any.
        {kGeom + "b = new B(3, 1, false, 0xFF0000); b.setPixel(1, 0, 0x00FF00); b.setPixel(2, 0, 0x0000FF); "
                 "b.copyPixels(b, new R(0, 0, 2, 1), new P(1, 0)); "
                 "trace(b.getPixel(0, 0) + ' ' + b.getPixel(1, 0) + ' ' + b.getPixel(2, 0))",
         "16711680 16711680 65280"},
    });
}

TEST(Avm1BitmapData, CloneFillAndBounds)
{
    ExpectTraces({
        {kGeom + "s = new B(3, 2, true, 0x80FF0000); c = s.clone(); s.setPixel32(0, 0, 0xFF00FF00); "
                 "trace(c.getPixel32(0, 0)); trace(c.width + ' ' + c.height + ' ' + c.transparent)",
         Px(0x80FF0000) + "\n3 2 true"},
        // An opaque bitmap ignores the alpha of the colours it is given.
        {kGeom + "o = new B(2, 1, false); o.setPixel32(0, 0, 0x10FF0000); o.fillRect(new R(1, 0, 1, 1), 0x2000FF00); "
                 "trace(o.getPixel32(0, 0)); trace(o.getPixel32(1, 0))",
         Px(0xFFFF0000) + "\n" + Px(0xFF00FF00)},
        // The fill stops at the black wall in column 2.
        {kGeom + "b = new B(5, 5, false, 0xFFFFFF); b.fillRect(new R(2, 0, 1, 5), 0xFF000000); "
                 "b.floodFill(0, 0, 0xFF0000); "
                 "trace(b.getPixel(1, 4) + ' ' + b.getPixel(2, 2) + ' ' + b.getPixel(3, 0))",
         "16711680 0 16777215"},
        {kGeom + "b = new B(10, 10, false, 0xFFFFFF); b.fillRect(new R(2, 3, 4, 5), 0xFFFF0000); "
                 "r = b.getColorBoundsRect(0xFFFFFFFF, 0xFFFF0000); trace(r.x + ' ' + r.y + ' ' + r.width + ' ' + "
                 "r.height); r = b.getColorBoundsRect(0xFFFFFF, 0xFFFFFF, false); "
                 "trace(r.x + ' ' + r.y + ' ' + r.width + ' ' + r.height); r = b.getColorBoundsRect(0xFF, 0x80); "
                 "trace(r.x + ' ' + r.y + ' ' + r.width + ' ' + r.height)",
         "2 3 4 5\n2 3 4 5\n0 0 0 0"},
    });
}

TEST(Avm1BitmapData, ChannelsMergedAndScrolled)
{
    const std::string rgb = kGeom + "b = new B(3, 1, false, 0xFF0000); b.setPixel(1, 0, 0x00FF00); "
                                    "b.setPixel(2, 0, 0x0000FF); ";
    const std::string row = "trace(b.getPixel(0, 0) + ' ' + b.getPixel(1, 0) + ' ' + b.getPixel(2, 0))";
    ExpectTraces({
        // Red into blue, then blue into alpha.
        {kGeom + "s = new B(2, 1, false, 0x123456); d = new B(2, 1, true, 0xFF000000); "
                 "d.copyChannel(s, s.rectangle, new P(0, 0), 1, 4); trace(d.getPixel32(1, 0)); "
                 "t = new B(1, 1, true, 0xFFFFFFFF); t.copyChannel(s, new R(0, 0, 1, 1), new P(0, 0), 4, 8); "
                 "trace(t.getPixel32(0, 0))",
         Px(0xFF000012) + "\n" + Px(0x56FFFFFF)},
        // (255 * 128 + 0 * 128) / 256 red, (0 * 64 + 255 * 192) / 256 blue.
        {kGeom + "s = new B(1, 1, false, 0xFF0000); d = new B(1, 1, false, 0x0000FF); "
                 "d.merge(s, new R(0, 0, 1, 1), new P(0, 0), 128, 0, 64, 256); trace(d.getPixel32(0, 0))",
         Px(0xFF7F00BF)},
        {rgb + "b.scroll(1, 0); " + row, "16711680 16711680 65280"},
        {rgb + "b.scroll(-1, 0); " + row, "65280 255 255"},
        {rgb + "b.scroll(5, 0); " + row, "16711680 65280 255"},
    });
}

TEST(Avm1BitmapData, ThresholdAndPaletteMap)
{
    const std::string grey = kGeom + "s = new B(3, 1, false, 0x000000); s.setPixel(1, 0, 0x808080); "
                                     "s.setPixel(2, 0, 0xFFFFFF); d = new B(3, 1, false, 0x0000FF); ";
    const std::string row = "trace(d.getPixel(0, 0) + ' ' + d.getPixel(1, 0) + ' ' + d.getPixel(2, 0))";
    // The red array turns red over, 255 - v; the others are left out and keep their channels.
    std::string invert = "[";
    for (int v = 0; v < 256; ++v)
        invert += (v ? ", " : "") + std::to_string((255 - v) << 16);
    invert += "]";
    ExpectTraces({
        {grey + "trace(d.threshold(s, s.rectangle, new P(0, 0), '>', 0xFF7F7F7F, 0xFFFF0000, 0xFFFFFFFF, true)); " +
             row,
         "2\n0 16711680 16711680"},
        {grey + "trace(d.threshold(s, s.rectangle, new P(0, 0), '==', 0x80, 0xFFFF0000, 0xFF)); " + row,
         "1\n255 16711680 255"},
        {kGeom + "s = new B(1, 1, false, 0x102030); d = new B(1, 1, false, 0); "
                 "d.paletteMap(s, s.rectangle, new P(0, 0), " + invert + "); trace(d.getPixel32(0, 0))",
         Px(0xFFEF2030)},
    });
}

TEST(Avm1BitmapData, ALoadedImageTakesEveryMethod)
{
    // Bitmap 7, red then green, exported as "img".
    const Bytes pixels = Bytes{255, 255, 0, 0} + Bytes{255, 0, 255, 0};
    const Bytes image = Tag(swf::tag::kDefineBitsLossless2, U16(7) + Bytes{5} + U16(2) + U16(1) + Zlib(pixels)) +
                        Tag(swf::tag::kExportAssets, U16(1) + U16(7) + Str("img"));
    ExpectTraces({
        {kGeom + "b = B.loadBitmap('img'); c = new B(2, 1, false, 0); c.copyPixels(b, b.rectangle, new P(0, 0)); "
                 "trace(c.getPixel(0, 0) + ' ' + c.getPixel(1, 0)); b.floodFill(1, 0, 0xFF0000FF); "
                 "d = b.clone(); trace(d.getPixel(0, 0) + ' ' + d.getPixel(1, 0))",
         "16711680 65280\n16711680 255"},
    }, image);
}

TEST(Avm1BitmapData, PixelDissolveVisitsEveryPixelOnce)
{
    const std::string blue = kGeom + "s = new B(4, 4, false, 0xFF0000); d = new B(4, 4, false, 0x0000FF); "
                                     "p = new P(0, 0); ";
    const std::string bounds = "r = d.getColorBoundsRect(0xFFFFFF, 0x0000FF); trace(r.width * r.height); ";
    ExpectTraces({
        // All sixteen pixels at once.
        {blue + "d.pixelDissolve(s, d.rectangle, p, 7, 16); " + bounds, "0"},
        // Two halves, the second going on from the seed the first returned, cover the rest.
        {blue + "n = d.pixelDissolve(s, d.rectangle, p, 7, 8); " + bounds + "trace(n == 7); "
                "d.pixelDissolve(s, d.rectangle, p, n, 8); " + bounds,
         "16\nfalse\n0"},
        // The same half twice leaves pixels blue.
        {blue + "d.pixelDissolve(s, d.rectangle, p, 7, 8); d.pixelDissolve(s, d.rectangle, p, 7, 8); "
                "trace(d.getColorBoundsRect(0xFFFFFF, 0xFF0000, false).width > 0)",
         "true"},
        // Within one bitmap the pixels take the fill colour.
        {blue + "d.pixelDissolve(d, new R(1, 1, 2, 2), new P(1, 1), 3, 4, 0xFF00FF00); "
                "trace(d.getPixel(1, 1) + ' ' + d.getPixel(2, 2) + ' ' + d.getPixel(0, 0))",
         "65280 65280 255"},
    });
}

TEST(Avm1BitmapData, PixelDissolveCoversRectanglesOfEverySizeInTwoCalls)
{
    const struct {
        int width, height;
    } sizes[] = {{3, 1}, {4, 4}, {5, 7}, {16, 16}, {33, 31}, {100, 90}};
    for (const auto& size : sizes) {
        const int half = size.width * size.height / 2, rest = size.width * size.height - half;
        const std::string w = std::to_string(size.width), h = std::to_string(size.height);
        EXPECT_EQ("0", TraceOf(kGeom + "s = new B(" + w + ", " + h + ", false, 0xFF0000); d = new B(" + w + ", " + h +
                               ", false, 0x0000FF); n = d.pixelDissolve(s, d.rectangle, new P(0, 0), 12345, " +
                               std::to_string(half) + "); d.pixelDissolve(s, d.rectangle, new P(0, 0), n, " +
                               std::to_string(rest) + "); r = d.getColorBoundsRect(0xFFFFFF, 0x0000FF); "
                               "trace(r.width * r.height)"))
            << w << " x " << h;
    }
}

TEST(Avm1BitmapData, DrawPaintsABitmapOrAClip)
{
    const std::string made = kGeom + "s = new B(2, 2, false, 0xFF0000); d = new B(4, 4, true, 0); ";
    ExpectTraces({
        {made + "d.draw(s, new flash.geom.Matrix(1, 0, 0, 1, 1, 1)); "
                "trace(d.getPixel32(1, 1)); trace(d.getPixel32(2, 2)); trace(d.getPixel32(0, 0))",
         Px(0xFFFF0000) + "\n" + Px(0xFFFF0000) + "\n0"},
        {made + "d.draw(s, null, new flash.geom.ColorTransform(0, 1, 1, 1, 0, 0, 255, 0)); "
                "trace(d.getPixel32(0, 0))",
         Px(0xFF0000FF)},
        {made + "d.draw(s, null, null, null, new R(1, 0, 1, 1)); trace(d.getPixel32(1, 0)); "
                "trace(d.getPixel32(0, 0))",
         Px(0xFFFF0000) + "\n0"},
        // A clip is drawn without its own place on the stage.
        {kGeom + "d = new B(20, 20, true, 0); d.draw(mc); trace(d.getPixel32(5, 5)); trace(d.getPixel32(15, 15))",
         Px(0xFFFF0000) + "\n0"},
        {kGeom + "d = new B(20, 20, true, 0); d.draw(mc, new flash.geom.Matrix(2, 0, 0, 2, 0, 0)); "
                 "trace(d.getPixel32(15, 15))",
         Px(0xFFFF0000)},
    }, RedSquareClip());
    // What was drawn shows where the bitmap is attached.
    const ScriptRun run = RunMovie(RedSquareClip() +
                                   DoAction(Script(kGeom + "d = new B(20, 20, false, 0x0000FF); d.draw(mc); "
                                                           "h = _root.createEmptyMovieClip('h', 5); h._x = 50; "
                                                           "h.attachBitmap(d, 1); trace(h._width + ' ' + h._height)")) +
                                   ShowFrame());
    swf::Canvas canvas(100, 100);
    swf::Renderer().Render(*run.player, canvas, swf::ExactFitView(run.movie->stage, 100, 100));
    EXPECT_EQ(0xFFFF0000u, canvas.At(55, 5));  // the square drawn into the bitmap
    EXPECT_EQ(0xFF0000FFu, canvas.At(65, 15)); // the bitmap's own blue
    EXPECT_EQ(0xFFFF0000u, canvas.At(25, 35)); // the clip itself
    EXPECT_EQ("20 20", run.Frame(0));         // the attached bitmap's size
    // The painter tells the work it took, which the frame then pays.
    swf::Bitmap into{4, 4, std::vector<uint32_t>(16, 0)};
    const std::size_t used = swf::MakeClipPainter()(*run.player, run.At(1).clip.get(), nullptr, into,
                                                    swf::Matrix::Scale(1.0 / 20, 1.0 / 20), swf::CxForm{});
    EXPECT_GT(used, 0u);
    EXPECT_EQ(0xFFFF0000u, into.pixels[5]);
}

namespace {

// PlaceObject3 of character `id` at (tx, ty) twips with a blur filter before its cacheAsBitmap
// and opaque background, which are read past the filter.
Bytes PlaceObject3(int depth, int id, int tx, int ty, bool cache, const Bytes& background, const std::string& name = "")
{
    const uint8_t flags = static_cast<uint8_t>(0x02 | 0x04 | (name.empty() ? 0 : 0x20));
    const uint8_t flags2 = static_cast<uint8_t>(0x01 | 0x04 | (background.empty() ? 0 : 0x40));
    const Bytes blur = Bytes{1, 1} + U32(0x40000) + U32(0x40000) + Bytes{0x20};
    return Tag(swf::tag::kPlaceObject3, Bytes{flags, flags2} + U16(depth) + U16(id) + Matrix(tx, ty) +
                                            (name.empty() ? Bytes{} : Str(name)) + blur + Bytes{cache} + background);
}

// Shape 1: a red square of 10 x 10 pixels in bounds of 20 x 20; sprite 2 and button 3 show it.
Bytes LooseSquare()
{
    const Bytes square = Tag(32, U16(1) + Rect(0, 400, 0, 400) + Bytes{1} + Solid(Rgba(255, 0, 0)) + Bytes{0} +
                                     Edges().Box(0, 0, 200, 200, 0, 1).Done());
    const Bytes upRecord = Bytes{0x01} + U16(1) + U16(1) + Matrix() + Bytes{0};
    const Bytes button = Tag(swf::tag::kDefineButton2, U16(3) + Bytes{0} + U16(0) + upRecord + Bytes{0});
    // Morph 4: a red 10-pixel box that stays where it is.
    const Bytes edges = Edges(1, 0).Box(0, 0, 200, 200, 0, 1).Done();
    const Bytes styles = Bytes{1, 0} + Rgba(255, 0, 0) + Rgba(255, 0, 0) + Bytes{0};
    const Bytes morph = Tag(swf::tag::kDefineMorphShape, U16(4) + Rect(0, 200, 0, 200) + Rect(0, 200, 0, 200) +
                                                             U32(static_cast<uint32_t>(styles.size() + edges.size())) +
                                                             styles + edges + Edges(1, 0).Box(0, 0, 200, 200, 0, 0).Done());
    return square + Sprite(2, 1, PlaceObject2(Place(1, 1)) + ShowFrame()) + button + morph;
}

swf::Canvas RenderFirstFrame(const Bytes& tags)
{
    const ScriptRun run = RunMovie(tags + ShowFrame());
    swf::Canvas canvas(100, 100);
    swf::Renderer().Render(*run.player, canvas, swf::ExactFitView(run.movie->stage, 100, 100));
    return canvas;
}

}  // namespace

TEST(Avm1BitmapData, OpaqueBackgroundFillsTheBoxUnderTheObject)
{
    const Bytes placed = LooseSquare() + PlaceObject3(1, 2, 0, 0, true, Rgba(0, 255, 0), "s") +
                         PlaceObject3(2, 3, 800, 0, false, Rgba(0, 0, 255)) + PlaceObject3(3, 2, 210, 1000, true, {}) +
                         PlaceObject3(4, 2, 1000, 1000, false, {}, "mc") + PlaceObject3(5, 3, 210, 1600, true, {}) +
                         PlaceObject3(6, 4, 1410, 1600, true, {});
    const struct {
        int x, y;
        uint32_t argb;
    } probes[] = {
        {5, 5, 0xFFFF0000},   {15, 15, 0xFF00FF00}, {25, 25, 0},  // the sprite over its green box
        {45, 5, 0xFFFF0000},  {55, 15, 0xFF0000FF},                // the button over its blue box
        {10, 55, 0},          {11, 55, 0xFFFF0000},                // cached: moved onto whole pixels
        {55, 55, 0xFFFF0000}, {65, 65, 0xFFFFFF00},                // a script's yellow box
        {10, 85, 0},          {11, 85, 0xFFFF0000},                // a cached button
        {70, 85, 0},          {71, 85, 0xFFFF0000},                // a cached morph
    };
    const swf::Canvas canvas = RenderFirstFrame(placed + DoAction(Script("mc.opaqueBackground = 0xFFFF00")));
    for (const auto& p : probes)
        EXPECT_EQ(p.argb, canvas.At(p.x, p.y)) << "at " << p.x << "," << p.y;
    EXPECT_EQ(0u, RenderFirstFrame(placed + DoAction(Script("s.opaqueBackground = undefined"))).At(15, 15));
    EXPECT_EQ("65280 true\nundefined false\n255",
              TraceOf("trace(s.opaqueBackground + ' ' + s.cacheAsBitmap); "
                      "trace(mc.opaqueBackground + ' ' + mc.cacheAsBitmap); mc.opaqueBackground = 0x1FF0000FF; "
                      "trace(mc.opaqueBackground)",
                      placed));
}

TEST(Avm1BitmapData, ColourTransformsRoundTheProductTowardZeroBeforeTheAddition)
{
    // A white box under red * -0.5 + 200, green * 1.5, blue * 1 - 10, alpha * 1: 255 * -128 / 256
    // is -127.5, taken as -127, so red is 73; green is held at 255.
    const Bytes box = Shape(1, {Solid(Rgba(255, 255, 255))}, Edges().Box(0, 0, 2000, 2000, 0, 1).Done());
    Place tinted{1, 1};
    tinted.cxform = Bits().UB(1, 1).UB(1, 1).UB(10, 4).SB(-128, 10).SB(384, 10).SB(256, 10).SB(256, 10)
                        .SB(200, 10).SB(0, 10).SB(-10, 10).SB(0, 10).Done();
    EXPECT_EQ(0xFF49FFF5u, RenderFirstFrame(box + PlaceObject2(tinted)).At(50, 50));
}
