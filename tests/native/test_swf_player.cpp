// The SWF core's parser and timelines on small movies built in memory: the container, every
// way a movie is refused, frame stepping, sprites, actions, labels, removal and replacement.
#include "swf/avm1/Scripts.h"
#include "swf/player/Player.h"
#include "tests/native/SwfTestWriter.h"

#include <gtest/gtest.h>

using namespace swftest;

namespace {

std::unique_ptr<swf::Movie> Load(const Bytes& file)
{
    return swf::Movie::Load(file.data(), file.size(), nullptr);
}

std::string Refusal(const Bytes& file)
{
    try {
        Load(file);
    } catch (const swf::FormatError& e) {
        return e.what();
    }
    return "";
}

const Bytes kSquare = Shape(1, {Solid(Rgba(255, 0, 0))}, Edges().Box(0, 0, 200, 200, 0, 1).Done());

// The character at each depth of a display list, as "depth:id" words.
std::string Layout(const swf::Clip& clip)
{
    std::string s;
    for (const auto& [depth, object] : clip.DisplayList())
        s += (s.empty() ? "" : " ") + std::to_string(depth) + ":" + std::to_string(object.characterId);
    return s;
}

}  // namespace

TEST(SwfContainer, ReadsTheHeaderOfPlainAndZlibMovies)
{
    const Bytes tags = Tag(9, {1, 2, 3}) + ShowFrame() + ShowFrame();
    for (char signature : {'F', 'C'}) {
        auto movie = Load(Movie(tags, 240, 130, signature));
        EXPECT_EQ(4800, movie->stage.xMax);
        EXPECT_EQ(2600, movie->stage.yMax);
        EXPECT_EQ(12.0, movie->frameRate);
        EXPECT_EQ(8, movie->version);
        EXPECT_EQ((swf::Rgba{1, 2, 3, 255}), movie->background);
        EXPECT_EQ(2u, movie->root.frames.size());
    }
}

TEST(SwfContainer, RefusesBadMoviesWithOneLine)
{
    Bytes lzma = Movie(ShowFrame());
    lzma[0] = 'Z';
    Bytes huge = Movie(ShowFrame(), 10, 10, 'C');
    huge[7] = 0x7F;  // declares 2 GB
    Bytes pastEnd = Movie(U16(2 << 6 | 63) + U32(1000));
    const Bytes corrupt = Movie(Tag(20, U16(1) + Bytes{5} + U16(4) + U16(4) + Bytes(5000, 0x78)));
    struct Case {
        Bytes file;
        const char* message;
    } cases[] = {
        {{'G', 'I', 'F', '8', '9', 'a', 0, 0}, "not a Flash movie"},
        {lzma, "LZMA-compressed movies (ZWS) are not supported"},
        {huge, "the movie is too large"},
        {Movie(ShowFrame(), 0, 10), "the movie's stage is empty"},
        {Movie(ShowFrame(), 9000, 10), "the movie's stage is too large"},
        {pastEnd, "a tag runs past the end of the movie"},
        {Movie(Tag(20, U16(1) + Bytes{5} + U16(5000) + U16(5000))), "the movie's bitmaps are too large"},
        {corrupt, "compressed data is corrupt"},
        {Movie(Shape(1, {Bytes{0x77}}, Edges().Done())), "a shape has an unknown fill type"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.message, Refusal(c.file));
}

TEST(SwfContainer, EveryTruncationIsRefusedOrLoaded)
{
    const Bytes file = Movie(kSquare + PlaceObject2({1, 1}) + ShowFrame() + Label("x") + DoAction({0x07}), 50, 50);
    for (std::size_t n = 0; n < file.size(); ++n) {
        Bytes cut(file.begin(), file.begin() + n);
        const std::string refusal = Refusal(cut);
        if (n < 19)
            EXPECT_NE("", refusal) << n;
    }
}

TEST(SwfContainer, ZlibBombIsCappedAtTheDeclaredSize)
{
    // A stream that inflates to 1 MB behind a header that declares 100 bytes.
    const Bytes zeros(1 << 20, 0);
    uLongf size = compressBound(zeros.size());
    Bytes packed(size);
    compress(packed.data(), &size, zeros.data(), zeros.size());
    packed.resize(size);
    Bytes file = Bytes{'C', 'W', 'S', 8} + U32(100) + packed;
    EXPECT_EQ("compressed data inflates past its limit", Refusal(file));
}

TEST(SwfTimeline, PlacesMovesReplacesAndRemovesByDepth)
{
    const Bytes circle = Shape(2, {Solid(Rgba(0, 0, 255))}, Edges().Box(0, 0, 100, 100, 0, 1).Done());
    const Bytes tags = kSquare + circle + PlaceObject2({1, 1}) + PlaceObject2({3, 2}) + ShowFrame() +
                       PlaceObject2({1, -1, 40, 60, true}) + PlaceObject2({3, 1}) + ShowFrame() +
                       PlaceObject2({3, 1, 0, 0, true}) + ShowFrame() + Remove(1) + ShowFrame() + ShowFrame();
    auto movie = Load(Movie(tags));
    swf::Player player(*movie, swf::avm1::MakeScripts, false);
    const char* expected[] = {"1:1 3:2", "1:1 3:2", "1:1 3:1", "3:1", "3:1"};
    const bool changed[] = {true, true, true, true, false};
    for (int f = 0; f < 5; ++f) {
        EXPECT_EQ(changed[f], player.Advance()) << f;
        EXPECT_EQ(f + 1, player.CurrentFrame());
        EXPECT_EQ(expected[f], Layout(player.Root())) << f;
        if (f == 1)
            EXPECT_EQ(40.0, player.Root().DisplayList().at(1).matrix.tx);
    }
    EXPECT_FALSE(player.IsAnimating());
    EXPECT_FALSE(player.Advance());
    EXPECT_EQ(5, player.CurrentFrame());
}

TEST(SwfTimeline, RootStopsOnItsLastFrameOrLoops)
{
    const Bytes tags = kSquare + PlaceObject2({1, 1}) + ShowFrame() + ShowFrame() + ShowFrame();
    auto movie = Load(Movie(tags));
    for (bool loop : {false, true}) {
        swf::Player player(*movie, swf::avm1::MakeScripts, loop);
        for (int i = 0; i < 4; ++i)
            player.Advance();
        EXPECT_EQ(loop ? 1 : 3, player.CurrentFrame());
        EXPECT_EQ(loop, player.IsAnimating());
        EXPECT_EQ("1:1", Layout(player.Root()));
    }
}

TEST(SwfTimeline, AHandlerSetByTheOnlyFrameIsCalledOnEveryTick)
{
    const Bytes tick = Fn("tick", {}, Asm("push 'n', 'n'; getvar; inc; setvar; push 'n'; getvar; trace"));
    const Bytes frame = tick + Asm("push 'n', 0; setvar; push '_root'; getvar; push 'onEnterFrame', 'tick'; getvar; set");
    auto movie = Load(Movie(DoAction(frame) + ShowFrame()));
    for (bool loop : {false, true}) {
        swf::Player player(*movie, swf::avm1::MakeScripts, loop);
        std::string trace;
        player.SetTraceOutput([&trace](const std::string& line) { trace += line + " "; });
        player.Advance();
        EXPECT_TRUE(player.IsAnimating()) << "a movie with a handler keeps ticking";
        for (int i = 0; i < 3; ++i)
            player.Advance();
        EXPECT_EQ("1 2 3 ", trace);
    }
}

TEST(SwfTimeline, ActionsAndLabels)
{
    // Five frames; the actions of frame 2 vary; frame 4 is labelled "four".
    struct Case {
        Bytes actions;
        int advances;
        int frame;
        bool playing;
    } cases[] = {
        {{0x07}, 5, 2, false},                                   // stop
        {{0x81, 2, 0, 3, 0}, 2, 4, true},                        // goto frame 4 (0-based 3), plays on
        {{0x8C, 5, 0, 'f', 'o', 'u', 'r', 0, 0x07}, 3, 4, false}, // goto label, stop
        {{0x04}, 3, 3, false},                                   // next frame stops there
        {{0x05}, 4, 1, false},                                   // previous frame
        {{0x96, 3, 0, 0, 'x', 0, 0x07}, 4, 2, false},            // a push skipped by its length, then stop
        {{0x07, 0x06}, 4, 4, true},                              // stop, play
    };
    for (const Case& c : cases) {
        const Bytes tags = kSquare + ShowFrame() + PlaceObject2({1, 1}) + DoAction(c.actions) + ShowFrame() +
                           ShowFrame() + Label("four") + ShowFrame() + ShowFrame();
        auto movie = Load(Movie(tags));
        swf::Player player(*movie, swf::avm1::MakeScripts, false);
        for (int i = 0; i < c.advances; ++i)
            player.Advance();
        EXPECT_EQ(c.frame, player.CurrentFrame()) << int(c.actions[0]);
        EXPECT_EQ(c.playing, player.IsPlaying()) << int(c.actions[0]);
        EXPECT_EQ(c.frame >= 2 ? "1:1" : "", Layout(player.Root())) << int(c.actions[0]);
    }
}

TEST(SwfTimeline, SpritesPlayTheirOwnTimelines)
{
    // Sprite 5: shape 1 at depth 1, moved each of its three frames; it stops on its third.
    const Bytes sprite = Tag(39, U16(5) + U16(3) + PlaceObject2({1, 1}) + ShowFrame() +
                                     PlaceObject2({1, -1, 100, 0, true}) + ShowFrame() +
                                     PlaceObject2({1, -1, 200, 0, true}) + DoAction({0x07}) + ShowFrame() + Tag(0, {}));
    auto movie = Load(Movie(kSquare + sprite + PlaceObject2({2, 5}) + ShowFrame()));
    swf::Player player(*movie, swf::avm1::MakeScripts, false);
    const double x[] = {0, 100, 200, 200};
    for (int f = 0; f < 4; ++f) {
        player.Advance();
        const swf::Clip& clip = *player.Root().DisplayList().at(2).clip;
        EXPECT_EQ(x[f], clip.DisplayList().at(1).matrix.tx) << f;
    }
    EXPECT_FALSE(player.IsAnimating());
}

TEST(SwfTimeline, RecursiveSpritesAndFloodsAreBounded)
{
    // Sprite 5 places itself twice: the nesting stops at the limit and the objects at theirs.
    const Bytes sprite = Tag(39, U16(5) + U16(1) + PlaceObject2({1, 5}) + PlaceObject2({2, 5}) + ShowFrame() + Tag(0, {}));
    Bytes flood;
    for (int d = 1; d <= 300; ++d)
        flood = flood + PlaceObject2({d, 5});
    auto movie = Load(Movie(sprite + flood + ShowFrame() + DoAction({0x81, 2, 0, 0, 0}) + ShowFrame()));
    swf::Player player(*movie, swf::avm1::MakeScripts, true);
    for (int i = 0; i < 4; ++i)
        player.Advance();
    std::function<int(const swf::Clip&, int)> depth = [&](const swf::Clip& c, int level) {
        int deepest = level;
        for (const auto& [d, o] : c.DisplayList())
            if (o.clip)
                deepest = std::max(deepest, depth(*o.clip, level + 1));
        return deepest;
    };
    EXPECT_EQ(swf::kMaxSpriteNesting, depth(player.Root(), 0));
}
