// Hostile movies against the player's budgets: each is refused by the bytes it would take, or
// its frame stops at the work budget, is reported as not drawn, and the next frames go on.
// The budgets here are a sixteenth of the program's, and the movies scaled to match, so that
// the sanitized build runs them quickly; the benchmark plays the full-size ones.
#include "swf/SwfRenderer.h"
#include "tests/native/SwfTestWriter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

using namespace swftest;

namespace {

constexpr std::size_t kBytes = swf::kMaxMovieBytes / 16;
constexpr std::size_t kUnits = swf::kFrameWorkUnits / 16;

void Append(Bytes& to, const Bytes& more)
{
    to.insert(to.end(), more.begin(), more.end());
}

Bytes Repeat(const Bytes& piece, int times)
{
    Bytes out;
    out.reserve(piece.size() * times);
    for (int i = 0; i < times; ++i)
        Append(out, piece);
    return out;
}

// Records of a zigzag of `count` straight edges with fill 1 on its right (and line 1 if asked).
Bytes Zigzag(int count, int fillBits = 1, bool stroked = false)
{
    Edges e(fillBits, 1);
    e.Move(0, 0, 0, 1, stroked ? 1 : 0);
    for (int i = 0; i < count; ++i)
        e.Line(i % 2 ? 40 : -40, 3);
    return e.Done();
}

// Shape records of `count` vertical edges with no style: three bytes each.
Bytes Plain(int count)
{
    const Bytes edge = Bits().UB(3, 2).UB(14, 4).UB(1, 2).SB(-300, 16).Done();
    return Bytes{0} + Repeat(edge, count) + Bytes{0};
}

// DefineShape3 with one fill, and one line style when stroked.
Bytes ZigzagShape(unsigned id, int count, bool stroked)
{
    Bytes b = U16(id) + Rect(-2000, 2000, 0, 40000) + Bytes{1} + Solid(Rgba(255, 0, 0));
    b = b + (stroked ? Bytes{1} + U16(60) + Rgba(0, 0, 255) : Bytes{0});
    return Tag(32, b + Zigzag(count, 1, stroked));
}

// A button whose up state shows the button itself three times.
Bytes SelfShowingButton()
{
    const Bytes record = Bytes{0x01} + U16(1) + U16(1) + Matrix(20, 20);
    return Tag(7, U16(1) + Repeat(record, 3) + Bytes{0}) + PlaceObject2({1, 1});
}

// A morph of `count` edges, placed `times` times at ratio one half.
Bytes MorphPlaced(int count, int times)
{
    const Bytes start = times > 0 ? Zigzag(count) : Plain(count), end = times > 0 ? Zigzag(count) : Plain(count);
    const Bytes styles = Bytes{1, 0} + Rgba(255, 0, 0) + Rgba(0, 0, 255) + Bytes{0};
    Bytes tags = Tag(46, U16(1) + Rect(0, 400, 0, 400) + Rect(0, 400, 0, 400) +
                             U32(static_cast<uint32_t>(styles.size() + start.size())) + styles + start + end);
    for (int d = 1; d <= times; ++d)
        Append(tags, PlaceObject2({d, 1, 0, 0, false, 32768}));
    return tags;
}

// `fills` fill styles over a zigzag of `count` edges, all drawn.
Bytes ManyFillsShape(int fills, int count)
{
    Bytes b = U16(1) + Rect(-2000, 2000, 0, 40000) + Bytes{0xFF} + U16(fills);
    Append(b, Repeat(Solid(Rgba(9, 9, 9)), fills));
    Edges e(16, 1);
    e.Move(0, 0, 0, fills);
    for (int i = 0; i < count; ++i)
        e.Line(i % 2 ? 40 : -40, 3);
    return Tag(32, b + Bytes{0} + e.Done()) + PlaceObject2({1, 1});
}

// A sprite that places shapes at `depths` depths and removes one `removals` times, then loops.
Bytes RemovalFlood(int depths, int removals)
{
    Bytes frame;
    for (int d = 1; d <= depths; ++d)
        Append(frame, PlaceObject2({d, 1}));
    Append(frame, Repeat(Remove(7), removals));
    const Bytes box = Shape(1, {Solid(Rgba(255, 0, 0))}, Edges().Box(0, 0, 200, 200, 0, 1).Done());
    return box + Tag(39, U16(2) + U16(2) + frame + ShowFrame() + ShowFrame() + Tag(0, {})) + PlaceObject2({1, 2});
}

// DefineShape2 whose records add `groups` groups of 65535 solid fill styles.
Bytes FillStyleFlood(int groups)
{
    Bytes group = Bytes{0x40, 0xFF} + U16(65535);
    Append(group, Repeat(Bytes{0, 9, 9, 9}, 65535));
    Append(group, Bytes{0, 0});  // no line styles; no style bits
    return Tag(22, U16(1) + Rect(0, 20, 0, 20) + Bytes{0, 0, 0} + Repeat(group, groups) + Bytes{0});
}

// A font of 65535 glyphs that all point at one glyph of 100 edges: 6.5 million edges.
Bytes GlyphFlood()
{
    Bytes offsets;
    for (int i = 0; i < 65535; ++i)
        Append(offsets, U16(2 * 65535));
    return Tag(10, U16(1) + offsets + Plain(100));
}

// What became of a movie: its refusal, or how its first frames went.
struct Outcome {
    std::string refusal;
    bool playedWhole = true;  // every frame's timeline work fitted its budget
    bool drawnWhole = true;   // every frame was drawn whole
    int frame = 0;            // the root's frame after the last step
};

Outcome Play(const Bytes& file, int frames)
{
    Outcome out;
    std::unique_ptr<swf::Movie> movie;
    try {
        movie = swf::Movie::Load(file.data(), file.size(), nullptr, kBytes);
    } catch (const swf::FormatError& e) {
        out.refusal = e.what();
        return out;
    }
    swf::Player player(*movie, true, kUnits);
    swf::Renderer renderer(kUnits);
    swf::Canvas canvas(240, 130);
    for (int i = 0; i < frames; ++i) {
        player.Advance();
        out.playedWhole = out.playedWhole && !player.OverBudget();
        out.drawnWhole = renderer.Render(player, canvas, swf::ExactFitView(movie->stage, 240, 130)) && out.drawnWhole;
    }
    out.frame = player.CurrentFrame();
    return out;
}

}  // namespace

TEST(SwfBudget, EachHostileKindStopsWithinItsBudget)
{
    const Bytes threeFrames = ShowFrame() + ShowFrame() + ShowFrame();
    struct Case {
        const char* kind;
        Bytes file;
        const char* refusal;
        bool playedWhole, drawnWhole;
    } cases[] = {
        {"an ordinary movie", Movie(ZigzagShape(1, 40, true) + PlaceObject2({1, 1}) + threeFrames), "", true, true},
        {"a button that shows itself three times", Movie(SelfShowingButton() + threeFrames), "", true, false},
        {"one shape of 60,000 edges", Movie(Tag(32, U16(1) + Rect(0, 20, 0, 20) + Bytes{0, 0} + Plain(60000))),
         "the movie needs too much memory", true, true},
        {"a shape of 2000 edges, stroked", Movie(ZigzagShape(1, 2000, true) + PlaceObject2({1, 1}) + threeFrames), "",
         true, false},
        {"a morph of 30,000 edges", Movie(MorphPlaced(30000, 0)), "the movie needs too much memory", true, true},
        {"a morph of 1000 edges placed 50 times", Movie(MorphPlaced(1000, 50) + threeFrames), "", true, false},
        {"8000 fill styles over 4000 edges", Movie(ManyFillsShape(8000, 4000) + threeFrames), "", true, false},
        {"a looping sprite removing 4000 times a frame", Movie(RemovalFlood(200, 4000) + threeFrames), "", false, true},
        {"65535 fill styles, compressed", Movie(FillStyleFlood(1) + threeFrames, 100, 100, 'C'),
         "the movie needs too much memory", true, true},
        {"30,000 moves of one depth", Movie(Repeat(PlaceObject2({1, -1, 0, 0, true}), 30000) + threeFrames),
         "the movie needs too much memory", true, true},
        {"65535 glyphs of 100 edges", Movie(GlyphFlood() + threeFrames), "the movie needs too much memory", true, true},
    };
    for (const Case& c : cases) {
        const Outcome out = Play(c.file, 2);
        EXPECT_EQ(c.refusal, out.refusal) << c.kind;
        EXPECT_EQ(c.playedWhole, out.playedWhole) << c.kind;
        EXPECT_EQ(c.drawnWhole, out.drawnWhole) << c.kind;
        if (out.refusal.empty())
            EXPECT_EQ(2, out.frame) << c.kind << ": the frames after one over budget go on";
    }
}

TEST(SwfBudget, LargeFileIsRefusedBeforeItIsRead)
{
    // A sparse file of 300 MB that starts like a movie claiming 4 GB.
    const std::string path = ::testing::TempDir() + "large.swf";
    {
        std::ofstream file(path, std::ios::binary);
        const Bytes header = {'F', 'W', 'S', 8, 0xFF, 0xFF, 0xFF, 0xFF};
        file.write(reinterpret_cast<const char*>(header.data()), header.size());
        file.seekp((300 << 20) - 1);
        file.put(0);
    }
    std::string refusal;
    try {
        swf::ReadMovieFile(path);
    } catch (const swf::FormatError& e) {
        refusal = e.what();
    }
    EXPECT_EQ("the movie is too large", refusal);
    std::remove(path.c_str());
}
