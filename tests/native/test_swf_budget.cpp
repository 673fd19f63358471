// Hostile movies against the player's budgets: each is refused by the bytes it would take, or
// its frame stops at the work budget, is reported as not drawn, and the next frames go on.
// The budgets here are a sixteenth of the program's, and the movies scaled to match, so that
// the sanitized build runs them quickly; the benchmark plays the full-size ones.
#include "swf/avm1/Scripts.h"
#include "swf/render/Renderer.h"
#include "tests/native/SwfHostileMovies.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

using namespace swftest;

namespace {

constexpr std::size_t kBytes = swf::kMaxMovieBytes / 16;
// A frame budget small enough for small movies of each hostile kind to overrun it.
constexpr std::size_t kUnits = 384u << 10;

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
    swf::Player player(*movie, swf::avm1::MakeScripts, true, kUnits);
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
        {"a script that loops forever", Movie(DoAction(Asm("loop: jump loop")) + threeFrames), "", false, true},
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
