// Masks at chosen pixels: clip depths in each arrangement a timeline can make, masks that are
// sprites, texts and morphs, masks under turns and scales and after later placements, masks
// set by scripts; and the stage's background colour.
#include "swf/avm1/Scripts.h"
#include "swf/render/Renderer.h"
#include "swf/render/StageView.h"
#include "tests/native/Avm1Script.h"
#include "tests/native/SwfTestWriter.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace swftest;

namespace {

constexpr uint32_t kRed = 0xFFFF0000, kBlue = 0xFF0000FF, kGreen = 0xFF00FF00, kBlack = 0xFF000000, kNone = 0;

// Characters 1-4 are boxes on the 100 x 100 pixel stage, in twips: 1 the left half, 2 the top
// half, 3 the right half, 4 the top left quadrant. 5 is red, 6 blue, 7 green, all the stage.
Bytes Boxes()
{
    auto box = [](unsigned id, int x, int y, int w, int h, const Bytes& color) {
        return Shape(id, {Solid(color)}, Edges().Box(x, y, w, h, 0, 1).Done());
    };
    return box(1, 0, 0, 1000, 2000, Rgba(0, 0, 0)) + box(2, 0, 0, 2000, 1000, Rgba(0, 0, 0)) +
           box(3, 1000, 0, 1000, 2000, Rgba(0, 0, 0)) + box(4, 0, 0, 1000, 1000, Rgba(0, 0, 0)) +
           box(5, 0, 0, 2000, 2000, Rgba(255, 0, 0)) + box(6, 0, 0, 2000, 2000, Rgba(0, 0, 255)) +
           box(7, 0, 0, 2000, 2000, Rgba(0, 255, 0));
}

Bytes MaskAt(int depth, int id, int clipDepth, double scale = 1)
{
    Place p{depth, id};
    p.clipDepth = clipDepth;
    p.scale = scale;
    return PlaceObject2(p);
}

struct Probe {
    int x, y;
    uint32_t argb;
};

struct Case {
    const char* what;
    Bytes tags;  // after the boxes; the last frame's ShowFrame is added
    std::vector<Probe> probes;
    int frames = 1;
};

swf::Canvas Draw(const swf::Player& player, const swf::Movie& movie)
{
    swf::Canvas canvas(100, 100);
    swf::Renderer().Render(player, canvas, swf::ExactFitView(movie.stage, 100, 100));
    return canvas;
}

void ExpectCases(std::initializer_list<Case> cases)
{
    for (const Case& c : cases) {
        const Bytes file = Movie(Boxes() + c.tags + ShowFrame());
        auto movie = swf::Movie::Load(file.data(), file.size());
        swf::Player player(*movie, swf::avm1::MakeScripts, false);
        for (int i = 0; i < c.frames; ++i)
            player.Advance();
        const swf::Canvas canvas = Draw(player, *movie);
        for (const Probe& p : c.probes)
            EXPECT_EQ(p.argb, canvas.At(p.x, p.y)) << c.what << " at " << p.x << "," << p.y;
    }
}

// PlaceObject2 of a character as a mask, turned by `degrees` about the origin and moved.
Bytes TurnedMaskAt(int depth, int id, int clipDepth, double degrees, int tx, int ty)
{
    const double r = degrees * 3.14159265358979 / 180;
    const int cos16 = static_cast<int>(std::lround(std::cos(r) * 65536));
    const int sin16 = static_cast<int>(std::lround(std::sin(r) * 65536));
    const int ns = NBits({cos16}), nr = NBits({sin16, -sin16}), nt = NBits({tx, ty});
    const Bytes matrix = Bits()
                             .UB(1, 1).UB(ns, 5).SB(cos16, ns).SB(cos16, ns)
                             .UB(1, 1).UB(nr, 5).SB(sin16, nr).SB(-sin16, nr)
                             .UB(nt, 5).SB(tx, nt).SB(ty, nt)
                             .Done();
    return Tag(swf::tag::kPlaceObject2, Bytes{0x02 | 0x04 | 0x40} + U16(depth) + U16(id) + matrix + U16(clipDepth));
}

}  // namespace

TEST(SwfMasks, ClipDepthsCoverTheirRangeOfDepths)
{
    ExpectCases({
        // The left half masks depths 2 to 3: red at 2 shows only on the left, blue at 3 too,
        // green at 4 (above the range) shows everywhere it is not covered.
        {"one mask over several depths",
         MaskAt(1, 1, 3) + PlaceObject2({2, 5}) + PlaceObject2({3, 6, 0, 1000}) + PlaceObject2({4, 7, 1500, 1500}),
         {{25, 25, kRed}, {75, 25, kNone}, {25, 75, kBlue}, {75, 60, kNone}, {90, 90, kGreen}}},
        // Left half over depth 2, then right half over depth 4: each layer only under its own.
        {"two masks one after another",
         MaskAt(1, 1, 2) + PlaceObject2({2, 5}) + MaskAt(3, 3, 4) + PlaceObject2({4, 6, 0, 1000}),
         {{25, 25, kRed}, {75, 25, kNone}, {25, 75, kRed}, {75, 75, kBlue}}},
        // A range reaching up to an empty depth ends there: depth 5 is above it.
        {"a range ending below the objects above it",
         MaskAt(1, 4, 3) + PlaceObject2({2, 5}) + PlaceObject2({5, 6, 1000, 1000}),
         {{25, 25, kRed}, {75, 25, kNone}, {25, 75, kNone}, {75, 75, kBlue}}},
        // A mask's own depth is not a depth it masks, and the mask is not drawn.
        {"the mask is not drawn", MaskAt(1, 4, 1) + PlaceObject2({2, 6, 1000, 0}),
         {{25, 25, kNone}, {75, 25, kBlue}}},
    });
}

TEST(SwfMasks, MasksInsideSpritesSpritesAsMasksAndOtherCharacters)
{
    // Sprite 10: its own mask (the top half) over red. Sprite 11: the top left quadrant and,
    // moved, the same box again at the bottom right, together one mask.
    const Bytes inner = Sprite(10, 1, MaskAt(1, 2, 2) + PlaceObject2({2, 5}) + ShowFrame());
    // Sprite 12: the left half under its own mask, the top half. Used as a mask, its masks are
    // left out: its masked children count whole, and it masks with the left half.
    const Bytes masked = Sprite(12, 1, MaskAt(1, 2, 2) + PlaceObject2({2, 1}) + ShowFrame());
    const Bytes pair = Sprite(11, 1, PlaceObject2({1, 4}) + PlaceObject2({2, 4, 1000, 1000}) + ShowFrame());
    // Font 20 with a one-glyph box (512 units), text 21 of it 40 pixels high at (10, 50):
    // the glyph, half the em square, covers (10, 30) to (30, 50).
    const Bytes font = Tag(10, U16(20) + U16(2) + Edges(1, 0).Box(0, -512, 512, 512, 0, 1).Done());
    const Bytes text = Tag(11, U16(21) + Rect(0, 0, 0, 0) + Matrix(200, 1000) + Bytes{1, 2} + Bytes{0x8F} + U16(20) +
                                   Bytes{0, 200, 0} + U16(0) + U16(0) + U16(800) + Bytes{1} +
                                   Bits().UB(0, 1).SB(0, 2).Done() + Bytes{0});
    // Morph 22 from a 20-pixel box at (0, 0) to one at (60, 0): at ratio one half, 30 to 50.
    const Bytes start = Edges(1, 0).Box(0, 0, 400, 400, 0, 1).Done();
    const Bytes end = Edges(1, 0).Box(1200, 0, 400, 400, 0, 0).Done();
    const Bytes styles = Bytes{1, 0} + Rgba(0, 0, 0) + Rgba(0, 0, 0) + Bytes{0};
    const Bytes morph = Tag(46, U16(22) + Rect(0, 400, 0, 400) + Rect(1200, 1600, 0, 400) +
                                    U32(static_cast<uint32_t>(styles.size() + start.size())) + styles + start + end);
    Place halfway{1, 22, 0, 0, false, 32768};
    halfway.clipDepth = 2;
    ExpectCases({
        {"a masked sprite with a mask inside", inner + MaskAt(1, 1, 2) + PlaceObject2({2, 10}),
         {{25, 25, kRed}, {75, 25, kNone}, {25, 75, kNone}, {75, 75, kNone}}},
        {"a sprite's children together as one mask", pair + MaskAt(1, 11, 2) + PlaceObject2({2, 5}),
         {{25, 25, kRed}, {75, 75, kRed}, {75, 25, kNone}, {25, 75, kNone}}},
        {"a sprite with masks inside as a mask", masked + MaskAt(1, 12, 2) + PlaceObject2({2, 5}),
         {{25, 25, kRed}, {75, 25, kNone}, {25, 75, kRed}, {75, 75, kNone}}},
        {"a text's glyphs as a mask", font + text + MaskAt(1, 21, 2) + PlaceObject2({2, 5}),
         {{20, 40, kRed}, {15, 45, kRed}, {5, 40, kNone}, {20, 55, kNone}, {35, 40, kNone}, {20, 25, kNone}}},
        {"a morph as a mask at its ratio", morph + PlaceObject2(halfway) + PlaceObject2({2, 5}),
         {{40, 10, kRed}, {25, 10, kNone}, {55, 10, kNone}, {40, 25, kNone}}},
    });
}

TEST(SwfMasks, MasksTurnScaleAndFollowLaterPlacements)
{
    // Box 8: 40 pixels square about its origin; turned 45 degrees about the stage's middle it
    // is a diamond reaching 28 pixels up, down and to the sides.
    const Bytes square = Shape(8, {Solid(Rgba(0, 0, 0))}, Edges().Box(-400, -400, 800, 800, 0, 1).Done());
    Place moved{1, 3, 0, 0, true};
    moved.clipDepth = 2;
    ExpectCases({
        {"a turned mask", square + TurnedMaskAt(1, 8, 2, 45, 1000, 1000) + PlaceObject2({2, 5}),
         {{50, 50, kRed}, {50, 25, kRed}, {74, 50, kRed}, {68, 68, kNone}, {32, 32, kNone}, {50, 19, kNone}}},
        // The top left quadrant twice its size covers the stage; half its size, a quarter of it.
        {"a scaled mask", MaskAt(1, 4, 2, 2) + PlaceObject2({2, 5}),
         {{5, 5, kRed}, {95, 95, kRed}, {50, 99, kRed}}},
        {"a scaled quarter", MaskAt(1, 4, 2, 0.5) + PlaceObject2({2, 5}),
         {{20, 20, kRed}, {30, 20, kNone}, {20, 30, kNone}}},
        // Frame 2 removes the mask: what it masked shows whole.
        {"a mask removed", MaskAt(1, 1, 2) + PlaceObject2({2, 5}) + ShowFrame() + Remove(1),
         {{25, 50, kRed}, {75, 50, kRed}}, 2},
        // Frame 2 puts the right half in the mask's place: it masks the same depths.
        {"a mask's character replaced", MaskAt(1, 1, 2) + PlaceObject2({2, 5}) + ShowFrame() + PlaceObject2(moved),
         {{25, 50, kNone}, {75, 50, kRed}}, 2},
        // Frame 2 places a plain blue box at the mask's depth after removing it: nothing masks.
        {"a plain object where the mask was",
         MaskAt(1, 1, 3) + PlaceObject2({3, 5, 0, 1000}) + ShowFrame() + Remove(1) + PlaceObject2({1, 6}),
         {{75, 25, kBlue}, {75, 75, kRed}, {25, 75, kRed}}, 2},
        // Frame 2 makes a plain object a mask by giving its depth a range.
        {"an object made a mask later", PlaceObject2({1, 2}) + PlaceObject2({2, 6}) + ShowFrame() + [] {
             Place p{1, -1, 0, 0, true};
             p.clipDepth = 2;
             return PlaceObject2(p);
         }(),
         {{50, 25, kBlue}, {50, 75, kNone}}, 2},
    });
}

TEST(SwfMasks, ScriptsSetAClipsMask)
{
    // Clip c, red over the stage; m, the left half, and n, the top half, drawn in black above it.
    auto fill = [](const std::string& clip, int color, int x0, int y0, int x1, int y1) {
        const std::string c = clip + ".";
        const std::string p = [](int x, int y) { return "(" + std::to_string(x) + ", " + std::to_string(y) + "); "; }
                                  (x0, y0);
        return c + "beginFill(" + std::to_string(color) + "); " + c + "moveTo" + p + c + "lineTo(" +
               std::to_string(x1) + ", " + std::to_string(y0) + "); " + c + "lineTo(" + std::to_string(x1) + ", " +
               std::to_string(y1) + "); " + c + "lineTo(" + std::to_string(x0) + ", " + std::to_string(y1) + "); " +
               c + "endFill(); ";
    };
    const std::string clips = "c = _root.createEmptyMovieClip('c', 1); m = _root.createEmptyMovieClip('m', 2); "
                              "n = _root.createEmptyMovieClip('n', 3); " +
                              fill("c", 0xFF0000, 0, 0, 100, 100) + fill("m", 0, 0, 0, 50, 100) +
                              fill("n", 0, 0, 0, 100, 50);
    struct ScriptCase {
        const char* what;
        std::string script;
        std::vector<Probe> probes;
    } cases[] = {
        // The mask is not drawn; n is.
        {"a drawn clip as the mask", "c.setMask(m)", {{25, 75, kRed}, {75, 75, kNone}, {75, 25, kBlack}}},
        {"null takes the mask away", "c.setMask(m); c.setMask(null)", {{25, 75, kBlack}, {75, 75, kRed}}},
        {"another mask replaces it", "c.setMask(m); c.setMask(n)",
         {{25, 75, kBlack}, {75, 25, kRed}, {75, 75, kNone}}},
        // n hidden: m moved to the right half and squeezed to its top.
        {"the mask's own transform", "n._visible = false; c.setMask(m); m._x = 50; m._yscale = 50",
         {{25, 25, kNone}, {75, 25, kRed}, {75, 75, kNone}, {60, 45, kRed}}},
        // m turned a quarter about its origin lies left of the stage; moved 100 pixels, over its top.
        {"a turned mask", "n._visible = false; c.setMask(m); m._rotation = 90; m._x = 100",
         {{50, 25, kRed}, {50, 75, kNone}}},
    };
    for (const ScriptCase& c : cases) {
        const ScriptRun run = RunMovie(DoAction(Script(clips + c.script)) + ShowFrame());
        const swf::Canvas canvas = Draw(*run.player, *run.movie);
        for (const Probe& p : c.probes)
            EXPECT_EQ(p.argb, canvas.At(p.x, p.y)) << c.what << " at " << p.x << "," << p.y;
    }
}

TEST(SwfMasks, TheFirstBackgroundColourOfTheRootIsTheStages)
{
    auto background = [](const Bytes& tags) {
        const Bytes file = Movie(tags + ShowFrame());
        return swf::Movie::Load(file.data(), file.size())->background;
    };
    const Bytes grey = Tag(9, {1, 2, 3}), teal = Tag(9, {0, 128, 128});
    struct Case {
        const char* what;
        Bytes tags;
        swf::Rgba color;
    } cases[] = {
        {"none: white", {}, {255, 255, 255, 255}},
        {"one", grey, {1, 2, 3, 255}},
        {"the first of two", grey + teal, {1, 2, 3, 255}},
        {"the first, in a later frame", ShowFrame() + teal + ShowFrame() + grey, {0, 128, 128, 255}},
        {"one in a sprite is not the stage's", Sprite(1, 1, teal + ShowFrame()) + grey, {1, 2, 3, 255}},
        {"a fourth byte is no alpha", Tag(9, {9, 8, 7, 0}), {9, 8, 7, 255}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.color, background(c.tags)) << c.what;
}
