// The ActionScript core on small movies built in memory: each group of actions by what the
// scripts trace, the order in which frames, clips and events run, the built-in objects, and
// the limits that abandon a script while the movie plays on.
#include "swf/avm1/Scripts.h"
#include "swf/player/Player.h"
#include "tests/native/SwfTestWriter.h"

#include <gtest/gtest.h>

using namespace swftest;

namespace {

const Bytes kSquare = Shape(1, {Solid(Rgba(255, 0, 0))}, Edges().Box(0, 0, 200, 200, 0, 1).Done());

struct Played {
    std::unique_ptr<swf::Movie> movie;
    std::unique_ptr<swf::Player> player;
    std::vector<std::string> frames;  // the trace output of each frame, a line each

    const swf::DisplayObject& At(int depth) const { return player->Root().DisplayList().at(depth); }
};

Played Play(const Bytes& tags, int frames = 1, std::size_t bytes = swf::kMaxMovieBytes, swf::ImageLoader images = {})
{
    Played p;
    const Bytes file = Movie(tags);
    p.movie = swf::Movie::Load(file.data(), file.size(), nullptr, bytes);
    p.player = std::make_unique<swf::Player>(*p.movie, swf::avm1::MakeScripts, false);
    p.player->SetImageLoader(std::move(images));
    std::string out;
    p.player->SetTraceOutput([&out](const std::string& line) { out += (out.empty() ? "" : "\n") + line; });
    for (int i = 0; i < frames; ++i) {
        out.clear();
        p.player->Advance();
        p.frames.push_back(out);
    }
    p.player->SetTraceOutput(nullptr);
    return p;
}

// The trace output of a one-frame movie that runs `code`.
std::string Trace(const Bytes& code, const Bytes& before = {})
{
    return Play(before + kSquare + PlaceObject2(Place(1, 1)) + DoAction(code) + ShowFrame()).frames[0];
}

struct Case {
    Bytes code;
    const char* expected;
};

void ExpectTraces(const std::vector<Case>& cases)
{
    for (std::size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(cases[i].expected, Trace(cases[i].code)) << "case " << i;
}

// Sprite 2: a clip of kSquare whose first frame runs `code`.
Bytes ClipWith(const std::string& code, int frames = 1)
{
    Bytes tags = PlaceObject2(Place(1, 1)) + DoAction(Asm(code)) + ShowFrame();
    for (int f = 1; f < frames; ++f)
        tags = tags + ShowFrame();
    return Sprite(2, frames, tags);
}

Place Named(int depth, int id, const std::string& name)
{
    Place p(depth, id);
    p.name = name;
    return p;
}

}  // namespace

TEST(Avm1Actions, ArithmeticStringsAndComparisons)
{
    ExpectTraces({
        {Asm("push 1, 2; add2; trace"), "3"},
        {Asm("push 'a', 2; add2; trace; push 1.5, 'b'; add2; trace"), "a2\n1.5b"},
        {Asm("push 7, 2; modulo; trace; push 1, 3; divide; trace; push 1, 0; divide; trace"),
         "1\n0.333333333333333\nInfinity"},
        {Asm("push 0.1, 0.2; add; trace; push 1e21; trace; push 1.5e-7; trace; push -3.7; toint; trace"),
         "0.3\n1e+21\n1.5e-7\n-3"},
        {Asm("push 'hello', 2, 3; substring; trace; push 'abc'; stringlength; trace; push 'a', 'b'; concat; trace"),
         "ell\n3\nab"},
        {Asm("push 'a', 'b'; less2; trace; push 2, 10; less2; trace; push '2', '10'; less2; trace"),
         "true\ntrue\nfalse"},
        {Asm("push 1, '1'; equals2; trace; push 1, '1'; strictequals; trace; push null, undefined; equals2; trace"),
         "true\nfalse\ntrue"},
        {Asm("push 5, 1; shl; trace; push -1, 28; ushr; trace; push 12, 10; bitxor; trace; push 6, 3; bitand; trace"),
         "10\n15\n6\n2"},
        {Asm("push undefined; typeof; trace; push 'x'; typeof; trace; push 0, 0; object; typeof; trace; "
             "push undefined; trace; push true; not; trace"),
         "undefined\nstring\nobject\nundefined\nfalse"},
        {Asm("push 65; chr; trace; push 'A'; ord; trace; push '0x1A', 1, 'parseInt'; call; trace; "
             "push ' 12 '; tonumber; trace; push 'x'; tonumber; trace"),
         "A\n65\n26\n12\nNaN"},
    });
}

TEST(Avm1Actions, VariablesRegistersPathsAndScopes)
{
    ExpectTraces({
        {Asm("push 'x', 5; setvar; push 'x'; getvar; trace; push 'X'; getvar; trace"), "5\nundefined"},
        {Asm("pool 1 'v'; push c:0, 'pooled'; setvar; push c:0; getvar; trace"), "pooled"},
        {Asm("push 9; store 1; pop; push r:1; trace"), "9"},
        {Asm("push 'o', 'a', 1, 1; object; setvar; push 'o'; getvar") + With(Asm("push 'a'; getvar; trace")) +
             Asm("push 'a'; getvar; trace"),
         "1\nundefined"},
        {Asm("push 'o', 0; object; setvar; push 'o.p', 3; setvar; push 'o.p'; getvar; trace; "
             "push 'o'; getvar; push 'p'; delete; trace; push 'o.p'; getvar; trace"),
         "3\ntrue\nundefined"},
    });
    // Paths to a child clip named "mc", whose own script set v before the root's ran.
    const Bytes child = ClipWith("push 'v', 1; setvar; push 'this'; getvar; targetpath; trace; "
                                 "push '_parent'; getvar; targetpath; trace");
    const std::string root = Trace(Asm("push '/mc:v'; getvar; trace; push '_root.mc.v'; getvar; trace; "
                                       "push 'mc.v', 2; setvar; push 'mc'; getvar; push 'v'; get; trace; "
                                       "settarget 'mc'; push 'v'; getvar; trace; settarget ''; "
                                       "push 'mc'; getvar; push '_x'; get; trace"),
                                   child + PlaceObject2(Named(2, 2, "mc")));
    EXPECT_EQ("_level0.mc\n_level0\n1\n1\n2\n2\n0", root);
}

TEST(Avm1Actions, FunctionsObjectsArraysAndExceptions)
{
    const Bytes fact = Fn2("fact", {"n"}, 0, 2,
                           Asm("push r:1, 2; less2; if base; push r:1, 1; subtract; push 1, 'fact'; call; "
                               "push r:1; multiply; return; base: push 1; return"));
    const Bytes maker = Fn("mk", {"k"}, Fn("", {}, Asm("push 'k'; getvar; return")) + Asm("return"));
    const Bytes ctor = Fn("P", {}, Asm("push 'this'; getvar; push 'k', 3; set"));
    ExpectTraces({
        {Fn("sq", {"n"}, Asm("push 'n'; getvar; push 'n'; getvar; multiply; return")) +
             Asm("push 4, 1, 'sq'; call; trace"),
         "16"},
        {fact + Asm("push 5, 1, 'fact'; call; trace"), "120"},
        {maker + Asm("push 'f', 7, 1, 'mk'; call; setvar; push 0, 'f'; call; trace"), "7"},
        {ctor + Asm("push 'P'; getvar; push 'prototype'; get; push 'hi', 'hello'; set; "
                    "push 'o', 0, 'P'; new; setvar; push 'o'; getvar; push 'k'; get; trace; "
                    "push 'o'; getvar; push 'hi'; get; trace; push 'o'; getvar; push 'P'; getvar; instanceof; trace"),
         "3\nhello\ntrue"},
        {Asm("push 'a', 3, 2, 1, 3; array; setvar; push 4, 1, 'a'; getvar; push 'push'; callmethod; trace; "
             "push '-', 1, 'a'; getvar; push 'join'; callmethod; trace; push 'a'; getvar; push 'length'; get; trace; "
             "push 0, 'a'; getvar; push 'reverse'; callmethod; pop; push 'a'; getvar; tostring; trace"),
         "4\n1-2-3-4\n4\n4,3,2,1"},
        {Asm("push 'b', 1, 'abc', 'indexOf'; callmethod; trace; push 3, 1, 2, 'abcd', 'substr'; callmethod; trace; "
             "push 0, 'ab', 'toUpperCase'; callmethod; trace"),
         "1\nbcd\nAB"},
        {Try(Asm("push 'boom'; throw; push 'not here'; trace"), "e", Asm("push 'e'; getvar; trace"),
             Asm("push 'finally'; trace")),
         "boom\nfinally"},
        {Asm("push 'o', 0; object; setvar; push 'o.a', 1; setvar; push 'o.b', 2; setvar; push 'o'; getvar; enumerate2; "
             "next: dup; push null; equals2; if done; trace; jump next; done: pop"),
         "b\na"},
        {Asm("push -2.5, 1, 'Math'; getvar; push 'abs'; callmethod; trace; "
             "push 2, 3, 2, 'Math'; getvar; push 'max'; callmethod; trace"),
         "2.5\n3"},
    });
}

TEST(Avm1Timeline, FramesClipsAndEventsRunInOrder)
{
    // Frame 1: the root's script comes before the clip in the file, init actions before both.
    // The root gives the clip an onEnterFrame handler, which runs before frame 2's scripts.
    const Bytes child = Sprite(2, 1, DoAction(Asm("push 'child'; trace")) + ShowFrame());
    const Bytes handler = Fn("", {}, Asm("push 'enter'; trace"));
    const Bytes tags = child + DoAction(Asm("push 'root'; trace; push 'mc'; getvar; push 'onEnterFrame'") + handler +
                                        Asm("set")) +
                       PlaceObject2(Named(1, 2, "mc")) + Tag(59, U16(2) + Asm("push 'init'; trace") + Bytes{0}) +
                       ShowFrame() + DoAction(Asm("push 'root2'; trace")) + ShowFrame();
    EXPECT_EQ((std::vector<std::string>{"init\nroot\nchild", "enter\nroot2"}), Play(tags, 2).frames);

    // A goto from a script runs the target frame's actions after the script, so the clip's
    // own stop on frame 1 comes first and its frame 2 starts it again.
    const Bytes twoFrames = Sprite(2, 2, PlaceObject2(Place(1, 1)) + DoAction(Asm("push 'c1'; trace; stop")) +
                                             ShowFrame() + DoAction(Asm("push 'c2'; trace; play")) + ShowFrame());
    Played p = Play(kSquare + twoFrames + PlaceObject2(Named(1, 2, "mc")) +
                        DoAction(Asm("push 2, 1, 'mc'; getvar; push 'gotoAndPlay'; callmethod; pop")) + ShowFrame() +
                        ShowFrame(),
                    2);
    EXPECT_EQ((std::vector<std::string>{"c1\nc2", "c1"}), p.frames);
    EXPECT_EQ(0, p.At(1).clip->CurrentFrame());
    EXPECT_FALSE(p.At(1).clip->IsPlaying());
}

TEST(Avm1Timeline, LoadClipPutsAnImageInTheClipAndTellsTheLoader)
{
    const Bytes onInit = Fn("", {}, Asm("push 'init'; trace"));
    const Bytes code = Asm("push 1, 'c', 2, '_root'; getvar; push 'createEmptyMovieClip'; callmethod; pop; "
                           "push 'l', 0, 'MovieClipLoader'; new; setvar; push 'l'; getvar; push 'onLoadInit'") +
                       onInit + Asm("set; push 'c', 'a.png', 2, 'l'; getvar; push 'loadClip'; callmethod; pop; "
                                    "push 'c', 'b.png', 2, 'l'; getvar; push 'loadClip'; callmethod; pop");
    std::vector<std::string> asked;
    Played p = Play(DoAction(code) + ShowFrame(), 1, swf::kMaxMovieBytes,
                    [&asked](const std::string& url, std::size_t, swf::Bitmap& out) {
                        asked.push_back(url);
                        out = {3, 2, std::vector<uint32_t>(6, 0xFF0000FF)};
                        return url == "a.png";
                    });
    EXPECT_EQ((std::vector<std::string>{"a.png", "b.png"}), asked);
    EXPECT_EQ("init", p.frames[0]) << "b.png failed to load: the clip keeps a.png";
    const swf::Bitmap* image = p.player->Root().DisplayList().begin()->second.clip->Image();
    ASSERT_TRUE(image);
    EXPECT_EQ(3, image->width);
}

TEST(Avm1Timeline, TextFieldsTakeTheirTextFromScripts)
{
    const Bytes field = Tag(37, U16(3) + Rect(0, 1200, 0, 1200) + Bytes{0x85, 0x08} + U16(0) + U16(800) +
                                    Rgba(0, 0, 255) + Str("") + Str(""));
    Played p = Play(field + PlaceObject2(Named(1, 3, "t")) +
                    DoAction(Asm("push 't'; getvar; push 'text', 'Hi'; set; push 't'; getvar; push 'text'; get; trace")) +
                    ShowFrame());
    EXPECT_EQ("Hi", p.frames[0]);
    ASSERT_TRUE(p.At(1).field);
    EXPECT_EQ(2u, p.At(1).field->text.runs.at(0).glyphs.size());
    EXPECT_TRUE(p.At(1).field->text.clipToBox);

    // A field that fits its box to its text shows all of it: true stands for "left".
    for (const auto& [value, shown] : {std::pair{"true", "left"}, {"'center'", "center"}, {"'sideways'", "none"}}) {
        p = Play(field + PlaceObject2(Named(1, 3, "t")) +
                 DoAction(Asm(std::string("push 't'; getvar; push 'autoSize', ") + value +
                              "; set; push 't'; getvar; push 'autoSize'; get; trace")) +
                 ShowFrame());
        EXPECT_EQ(shown, p.frames[0]) << value;
        EXPECT_EQ(std::string(shown) == "none", p.At(1).field->text.clipToBox) << value;
    }

    // A field made by script: 30 x 20 pixels at (5, 5), with a magenta border, then 40 wide.
    p = Play(DoAction(Asm("push 20, 30, 5, 5, 1, 'f', 6, '_root'; getvar; push 'createTextField'; callmethod; pop; "
                          "push 'f'; getvar; push 'border', true; set; push 'f'; getvar; push 'borderColor', 16711935; "
                          "set; push 'f'; getvar; push 'borderColor'; get; trace; push 'f'; getvar; push '_width', 40; "
                          "set; push 'f'; getvar; push '_width'; get; trace")) +
             ShowFrame());
    EXPECT_EQ("16711935\n40", p.frames[0]);
    const swf::Text& made = p.player->Root().DisplayList().begin()->second.field->text;
    EXPECT_TRUE(made.border);
    EXPECT_TRUE((made.borderColor == swf::Rgba{255, 0, 255, 255}));
    EXPECT_EQ(800, made.box.xMax) << "_width sizes the box";
}

TEST(Avm1Timeline, BitmapDataIsColouredAndShownByAClip)
{
    const std::string pixel = "push 0, 1, 2, 'b'; getvar; push 'getPixel'; callmethod; trace; ";
    const Bytes code = Asm("push 'b', 65280, false, 1, 2, 4, 'flash'; getvar; push 'display'; get; "
                           "push 'BitmapData'; newmethod; setvar; " + pixel +
                           "push 0, 255, 0, 0, 1, 1, 1, 0.5, 8, 'flash'; getvar; push 'geom'; get; "
                           "push 'ColorTransform'; newmethod; push 'b'; getvar; push 'rectangle'; get; "
                           "push 2, 'b'; getvar; push 'colorTransform'; callmethod; pop; " + pixel +
                           "push 1, 'b'; getvar; push 2, '_root'; getvar; push 'attachBitmap'; callmethod; pop");
    Played p = Play(DoAction(code) + ShowFrame());
    EXPECT_EQ("65280\n65535", p.frames[0]);
    const swf::Bitmap* shown = p.player->Root().DisplayList().begin()->second.clip->Image();
    ASSERT_TRUE(shown);
    EXPECT_EQ(2, shown->width);
}

TEST(Avm1Timeline, ClipPropertiesAndMethods)
{
    const Bytes child = Sprite(2, 3, PlaceObject2(Place(1, 1)) + ShowFrame() + ShowFrame() + ShowFrame());
    const Bytes exported = Tag(56, U16(1) + U16(2) + Str("box"));
    Played p = Play(kSquare + child + exported + PlaceObject2(Named(1, 2, "mc")) +
                    DoAction(Asm("push 'mc'; getvar; push '_x', 50; set; push 'mc'; getvar; push '_rotation', 90; set; "
                                 "push 'mc'; getvar; push '_alpha', 50; set; push 'mc'; getvar; push '_name', 'renamed'; set; "
                                 "push 'renamed'; getvar; push '_x'; get; trace; "
                                 "push 'renamed'; getvar; push '_xscale'; get; trace; "
                                 "push 3, 1, 'renamed'; getvar; push 'gotoAndStop'; callmethod; pop; "
                                 "push 'renamed'; getvar; push '_currentframe'; get; trace; "
                                 "push 5, 'b', 'box', 3, 'this'; getvar; push 'attachMovie'; callmethod; pop; "
                                 "push 0, 'b'; getvar; push 'getDepth'; callmethod; trace; "
                                 "push 1, 'e', 2, 'createEmptyMovieClip'; call; typeof; trace; "
                                 "push 0, 'b'; getvar; push 'removeMovieClip'; callmethod; pop; push 'b'; getvar; typeof; trace; "
                                 "push 'c', 'renamed'; getvar; push 1, 'Color'; new; setvar; "
                                 "push 16711680, 1, 'c'; getvar; push 'setRGB'; callmethod; pop; "
                                 "push 0, 'c'; getvar; push 'getRGB'; callmethod; trace")) +
                    ShowFrame());
    EXPECT_EQ("50\n100\n3\n5\nmovieclip\nundefined\n16711680", p.frames[0]);
    const swf::DisplayObject& mc = p.At(1);
    EXPECT_EQ(1000, mc.matrix.tx);
    EXPECT_NEAR(1, mc.matrix.b, 1e-9);
    EXPECT_EQ(128, mc.cxform.mul[3]);
    EXPECT_EQ(255, mc.cxform.add[0]);
    EXPECT_EQ("1 16385", std::to_string(p.player->Root().DisplayList().begin()->first) + " " +
                             std::to_string(p.player->Root().DisplayList().rbegin()->first));

    // setTransform takes the object's own fields only: an inherited one leaves its channel alone.
    p = Play(kSquare + child + exported + PlaceObject2(Named(1, 2, "mc")) +
             DoAction(Asm("push 'c', 'mc'; getvar; push 1, 'Color'; new; setvar; "
                          "push 'Object'; getvar; push 'prototype'; get; push 'ab', -66; set; "
                          "push 'aa', 50, 1; object; push 1, 'c'; getvar; push 'setTransform'; callmethod; pop")) +
             ShowFrame());
    EXPECT_EQ(128, p.At(1).cxform.mul[3]);
    EXPECT_EQ(0, p.At(1).cxform.add[3]);
}

TEST(Avm1Limits, ScriptsThatBreakALimitAreAbandonedAndTheMoviePlaysOn)
{
    const Bytes deep = Fn("r", {}, Asm("push 0, 'r'; call; return"));
    const Bytes cases[] = {
        Asm("push 'start'; trace; loop: jump loop"),                                     // endless loop
        deep + Asm("push 'start'; trace; push 0, 'r'; call; push 'after'; trace"),     // deep recursion
        Asm("push 'start'; trace; push 's', 'xxxxxxxx'; setvar; "                       // a string doubled
            "loop: push 's', 's'; getvar; push 's'; getvar; add2; setvar; jump loop"),
        Asm("push 'start'; trace") + Bytes{0x96, 0x10, 0x00, 0x00},                     // broken push
        Asm("push 'start'; trace; push 'a', 0; array; setvar; "                         // array grown past its cap
            "loop: push 1, 1, 'a'; getvar; push 'push'; callmethod; pop; jump loop"),
    };
    auto play = [](const Bytes& code, std::size_t bytes) {
        return Play(DoAction(code) + ShowFrame() +
                        DoAction(Asm("push 'frame2'; trace; push 's'; getvar; push 'length'; get; trace")) + ShowFrame(),
                    2, bytes);
    };
    for (const Bytes& code : cases) {
        Played p = play(code, swf::kMaxMovieBytes);
        EXPECT_EQ("start", p.frames[0]);
        EXPECT_EQ(2, p.player->CurrentFrame());
        EXPECT_EQ(&code == &cases[2] ? "frame2\n1048576" : "frame2\nundefined", p.frames[1]);
    }
    // The strings share what the movie's bytes left: with 1 MB, the doubled string stops at 512 K.
    EXPECT_EQ("frame2\n524288", play(cases[2], 1u << 20).frames[1]);
}
