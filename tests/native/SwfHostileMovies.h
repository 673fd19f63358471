// Hostile movies of the kinds that cost a player unbounded time or memory, written in memory
// at any size: for the player's tests, the benchmark and the program's tests.
#pragma once

#include "tests/native/SwfTestWriter.h"

#include <algorithm>
#include <vector>

namespace swftest {

inline void Append(Bytes& to, const Bytes& more)
{
    to.insert(to.end(), more.begin(), more.end());
}

inline Bytes Repeat(const Bytes& piece, int times)
{
    Bytes out;
    out.reserve(piece.size() * times);
    for (int i = 0; i < times; ++i)
        Append(out, piece);
    return out;
}

// Records of a zigzag of `count` straight edges with fill 1 on its right (and line 1 if asked).
inline Bytes Zigzag(int count, bool stroked = false)
{
    Edges e(1, 1);
    e.Move(0, 0, 0, 1, stroked ? 1 : 0);
    for (int i = 0; i < count; ++i)
        e.Line(i % 2 ? 40 : -40, 3);
    return e.Done();
}

// Shape records of `count` vertical edges with no style: three bytes each.
inline Bytes Plain(int count)
{
    const Bytes edge = Bits().UB(3, 2).UB(14, 4).UB(1, 2).SB(-300, 16).Done();
    return Bytes{0} + Repeat(edge, count) + Bytes{0};
}

// DefineShape3 with one fill, and one line style when stroked.
inline Bytes ZigzagShape(unsigned id, int count, bool stroked)
{
    Bytes b = U16(id) + Rect(-2000, 2000, 0, 40000) + Bytes{1} + Solid(Rgba(255, 0, 0));
    b = b + (stroked ? Bytes{1} + U16(60) + Rgba(0, 0, 255) : Bytes{0});
    return Tag(32, b + Zigzag(count, stroked));
}

// A button whose up state shows the button itself three times.
inline Bytes SelfShowingButton()
{
    const Bytes record = Bytes{0x01} + U16(1) + U16(1) + Matrix(20, 20);
    return Tag(7, U16(1) + Repeat(record, 3) + Bytes{0}) + PlaceObject2({1, 1});
}

// A morph of `count` edges, placed `times` times at ratio one half.
inline Bytes MorphPlaced(int count, int times)
{
    const Bytes start = times > 0 ? Zigzag(count) : Plain(count), end = times > 0 ? Zigzag(count) : Plain(count);
    const Bytes styles = Bytes{1, 0} + Rgba(255, 0, 0) + Rgba(0, 0, 255) + Bytes{0};
    Bytes tags = Tag(46, U16(1) + Rect(0, 400, 0, 400) + Rect(0, 400, 0, 400) +
                             U32(static_cast<uint32_t>(styles.size() + start.size())) + styles + start + end);
    for (int d = 1; d <= times; ++d)
        Append(tags, PlaceObject2({d, 1, 0, 0, false, 32768}));
    return tags;
}

// `fills` fill styles over a zigzag of `count` edges: every style visits every edge.
inline Bytes ManyFillsShape(int fills, int count)
{
    Bytes b = U16(1) + Rect(-2000, 2000, 0, 40000) + Bytes{0xFF} + U16(fills);
    Append(b, Repeat(Solid(Rgba(9, 9, 9)), fills));
    Edges e(15, 1);
    e.Move(0, 0, 0, std::min(fills, 32767));  // the last style that 15 bits can name
    for (int i = 0; i < count; ++i)
        e.Line(i % 2 ? 40 : -40, 3);
    return Tag(32, b + Bytes{0} + e.Done()) + PlaceObject2({1, 1});
}

// A sprite that places shapes at `depths` depths and removes one `removals` times, then loops.
inline Bytes RemovalFlood(int depths, int removals)
{
    Bytes frame;
    for (int d = 1; d <= depths; ++d)
        Append(frame, PlaceObject2({d, 1}));
    Append(frame, Repeat(Remove(7), removals));
    const Bytes box = Shape(1, {Solid(Rgba(255, 0, 0))}, Edges().Box(0, 0, 200, 200, 0, 1).Done());
    return box + Tag(39, U16(2) + U16(2) + frame + ShowFrame() + ShowFrame() + Tag(0, {})) + PlaceObject2({1, 2});
}

// DefineShape2 whose records add `groups` groups of 65535 solid fill styles.
inline Bytes FillStyleFlood(int groups)
{
    Bytes group = Bytes{0x40, 0xFF} + U16(65535);
    Append(group, Repeat(Bytes{0, 9, 9, 9}, 65535));
    Append(group, Bytes{0, 0});  // no line styles; no style bits
    return Tag(22, U16(1) + Rect(0, 20, 0, 20) + Bytes{0, 0, 0} + Repeat(group, groups) + Bytes{0});
}

// A font of 65535 glyphs that all point at one glyph of 100 edges: 6.5 million edges.
inline Bytes GlyphFlood()
{
    Bytes offsets;
    for (int i = 0; i < 65535; ++i)
        Append(offsets, U16(2 * 65535));
    return Tag(10, U16(1) + offsets + Plain(100));
}

struct HostileMovie {
    const char* kind;
    Bytes file;
};

// Script text that sets `name` to `seed` doubled `times` times: a long string in few actions.
inline std::string Doubled(const std::string& name, const std::string& seed, int times)
{
    return "push '" + name + "', '" + seed + "'; setvar; push 'n', " + std::to_string(times) + "; setvar; " +
           "double_" + name + ": push '" + name + "', '" + name + "'; getvar; push '" + name + "'; getvar; add2; setvar; " +
           "push 'n', 'n'; getvar; dec; setvar; push 'n'; getvar; if double_" + name + "; ";
}

// A movie of two looping frames whose first frame runs `script` (assembly, see Asm).
inline Bytes LoopingScript(const std::string& script)
{
    return Movie(DoAction(Asm(script)) + ShowFrame() + ShowFrame(), 240, 130, 'C');
}

// Scripts that ask one built-in for far more work than a frame may take, or nest beyond any
// stack: for the player's tests, the benchmark and the program's tests.
inline HostileMovie SortingMovie()
{
    return {"65536 one-letter strings sorted again and again",
            LoopingScript(Doubled("s", "x9", 15) + "push '', 1, 's'; getvar; push 'split'; callmethod; push 'a'; swap; setvar; "
                          "sort: push 0, 'a'; getvar; push 'sort'; callmethod; pop; jump sort")};
}

inline HostileMovie EnumeratingMovie()
{
    return {"32768 elements enumerated again and again",
            LoopingScript(Doubled("s", "x", 15) + "push '', 1, 's'; getvar; push 'split'; callmethod; push 'a'; swap; setvar; "
                          "names: push 'a'; getvar; enumerate2; drain: push null; strictequals; not; if drain; jump names")};
}

inline HostileMovie SearchingMovie()
{
    return {"a needle of 65537 letters searched for in 131072 again and again",
            LoopingScript(Doubled("s", "aa", 16) + "push 'needle', 65536, 0, 2, 's'; getvar; push 'substr'; callmethod; "
                          "push 'b'; add2; setvar; "
                          "search: push 'needle'; getvar; push 1, 's'; getvar; push 'indexOf'; callmethod; pop; jump search")};
}

inline HostileMovie NestingMovie()
{
    Bytes withs = Asm("push 1; pop");
    for (int i = 0; i < 5000; ++i)
        withs = Asm("push 0") + With(withs);
    return {"with blocks nested 5000 deep", Movie(DoAction(withs) + ShowFrame() + ShowFrame(), 240, 130, 'C')};
}

inline HostileMovie NamedClipsMovie()
{
    return {"3000 clips looked up by name again and again",
            LoopingScript("push 'i', 0; setvar; "
                          "make: push 'i'; getvar; push 'c', 'i'; getvar; add2; push 2, '_root'; getvar; "
                          "push 'createEmptyMovieClip'; callmethod; pop; push 'i', 'i'; getvar; inc; setvar; "
                          "push 'i'; getvar; push 3000; less2; if make; "
                          "look: push '_root'; getvar; push 'c2999'; get; pop; jump look")};
}

inline std::vector<HostileMovie> ScriptedHostileMovies()
{
    return {SortingMovie(), EnumeratingMovie(), SearchingMovie(), NestingMovie(), NamedClipsMovie()};
}

// The hostile movies at the sizes they were met at, for the benchmark and the program's tests.
inline std::vector<HostileMovie> FullSizeHostileMovies()
{
    const Bytes frames = ShowFrame() + ShowFrame() + ShowFrame();
    return {
        {"a button that shows itself three times", Movie(SelfShowingButton() + frames, 240, 130)},
        {"one shape of 1,000,000 edges", Movie(ZigzagShape(1, 1000000, false) + PlaceObject2({1, 1}) + frames, 240, 130, 'C')},
        {"a shape of 400,000 edges, stroked", Movie(ZigzagShape(1, 400000, true) + PlaceObject2({1, 1}) + frames, 240, 130, 'C')},
        {"a morph of 1,100,000 edges placed 50 times", Movie(MorphPlaced(1100000, 50) + frames, 240, 130, 'C')},
        {"a morph of 100,000 edges placed 50 times", Movie(MorphPlaced(100000, 50) + frames, 240, 130, 'C')},
        {"65535 fill styles over 60,000 edges", Movie(ManyFillsShape(65535, 60000) + frames, 240, 130, 'C')},
        {"a looping sprite removing 200,000 times a frame at 2000 depths",
         Movie(RemovalFlood(2000, 200000) + frames, 240, 130, 'C')},
        {"16 M fill styles, compressed", Movie(FillStyleFlood(256) + frames, 240, 130, 'C')},
        {"4,190,000 moves of one depth", Movie(Repeat(PlaceObject2({1, -1, 0, 0, true}), 4190000) + frames, 240, 130, 'C')},
        {"65535 glyphs of 100 edges", Movie(GlyphFlood() + frames, 240, 130, 'C')},
    };
}

}  // namespace swftest
