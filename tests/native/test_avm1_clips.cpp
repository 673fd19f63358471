// Movie clips as ActionScript 1/2 scripts drive them: clips made, moved between depths and
// removed, their bounds and coordinates, their timelines; the drawing methods, BitmapData,
// Color and text fields, checked by what scripts read back and by the pixels of the frame.
#include "swf/render/Renderer.h"
#include "swf/render/StageView.h"
#include "tests/native/Avm1Script.h"

using namespace swftest;

namespace {

constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kNone = 0;

// Shape 1, a red square of 10 x 10 pixels from its origin with exact bounds; sprite 2 shows it
// and is exported as "box"; sprite 3 has three empty frames, the second labelled "second".
// The root places sprite 2 as "mc" at (20, 30) pixels and sprite 3 as "anim".
Bytes Stage()
{
    const Bytes square = Tag(32, U16(1) + Rect(0, 200, 0, 200) + Bytes{1} + Solid(Rgba(255, 0, 0)) + Bytes{0} +
                                     Edges().Box(0, 0, 200, 200, 0, 1).Done());
    Place mc(1, 2, 400, 600);
    mc.name = "mc";
    Place anim(2, 3);
    anim.name = "anim";
    return square + Sprite(2, 1, PlaceObject2(Place(1, 1)) + ShowFrame()) + Tag(56, U16(1) + U16(2) + Str("box")) +
           Sprite(3, 3, ShowFrame() + Label("second") + ShowFrame() + ShowFrame()) + PlaceObject2(mc) +
           PlaceObject2(anim);
}

struct Probe {
    int x, y;
    uint32_t argb;
};

// Renders the first frame of `tags` and `script` (on the root) and checks pixels.
void ExpectPixels(const std::string& script, std::initializer_list<Probe> probes, const Bytes& tags = {})
{
    const ScriptRun run = RunMovie(tags + DoAction(Script(script)) + ShowFrame());
    swf::Canvas canvas(100, 100);
    swf::Renderer().Render(*run.player, canvas, swf::ExactFitView(run.movie->stage, 100, 100));
    for (const Probe& p : probes)
        EXPECT_EQ(p.argb, canvas.At(p.x, p.y)) << "at " << p.x << "," << p.y << " after " << script;
}

}  // namespace

TEST(Avm1Clip, ScriptsMakeMoveAndRemoveClips)
{
    ExpectTraces({
        {"e = _root.createEmptyMovieClip('e', 5); trace(e._name); trace(e.getDepth()); trace(e); trace(e._target)",
         "e\n5\n_level0.e\n/e"},
        {"b = _root.attachMovie('box', 'b1', 3, {_x: 20, v: 'init'}); trace(b._x); trace(b1.v); trace(b1.getDepth()); "
         "trace(b._width)",
         "20\ninit\n3\n10"},
        {"mc._x = 10; mc.v = 1; d = mc.duplicateMovieClip('d', 7, {w: 2}); trace(d._x + ' ' + d._y); trace(d.v); "
         "trace(d.w); trace(d.getDepth()); trace(mc.getDepth()); trace(d._width)",
         "10 30\nundefined\n2\n7\n-16383\n10"},
        {"x = _root.createEmptyMovieClip('x', 10); y = _root.createEmptyMovieClip('y', 20); x.swapDepths(y); "
         "trace(x.getDepth() + ' ' + y.getDepth()); x.swapDepths(30); trace(x.getDepth()); "
         "trace(_root.getInstanceAtDepth(10)._name); trace(_root.getNextHighestDepth())",
         "20 10\n30\ny\n31"},
        {"_root.createEmptyMovieClip('e', 5); e.removeMovieClip(); trace(typeof _root.e); mc.removeMovieClip(); "
         "trace(typeof _root.mc)",
         "undefined\nmovieclip"},
    }, Stage());
}

TEST(Avm1Clip, SizesAndCoordinatesFollowTheClipsMatrix)
{
    ExpectTraces({
        {"b = mc.getBounds(); trace(b.xMin + ' ' + b.xMax + ' ' + b.yMin + ' ' + b.yMax)", "0 10 0 10"},
        {"trace(mc._width + ' ' + mc._height); mc._xscale = 200; trace(mc._width); mc._width = 40; "
         "trace(mc._xscale); trace(mc._height)",
         "10 10\n20\n400\n10"},
        {"p = {x: 5, y: 5}; mc.localToGlobal(p); trace(p.x + ' ' + p.y); mc.globalToLocal(p); trace(p.x + ' ' + p.y)",
         "25 35\n5 5"},
        {"mc._xscale = 200; mc._rotation = 90; p = {x: 10, y: 0}; mc.localToGlobal(p); "
         "trace(Math.round(p.x) + ' ' + Math.round(p.y))",
         "20 50"},
    }, Stage());
}

TEST(Avm1Clip, GotoMethodsMoveTheTimeline)
{
    ScriptRun run = RunMovie(Stage() +
                                 DoAction(Script("anim.gotoAndStop('second'); trace(anim._currentframe); "
                                               "anim.nextFrame(); trace(anim._currentframe); anim.prevFrame(); "
                                               "trace(anim._currentframe); trace(anim._totalframes); "
                                               "anim.gotoAndStop(3); trace(anim._currentframe); anim.gotoAndPlay(2)")) +
                                 ShowFrame() + ShowFrame(),
                             2);
    EXPECT_EQ("2\n3\n2\n3\n3", run.Frame(0));
    EXPECT_TRUE(run.At(2).clip->IsPlaying());
    EXPECT_EQ(2, run.At(2).clip->CurrentFrame()) << "played on from the second frame to the third";
}

TEST(Avm1Clip, PlayAndStopSwitchTheTimeline)
{
    const struct {
        const char* script;
        bool playing;
        int frame;  // 0-based, after the second frame of the root
    } cases[] = {
        {"anim.stop()", false, 0},
        {"anim.stop(); anim.play()", true, 1},
        {"anim.gotoAndStop(2); anim.play()", true, 2},
        {"anim.play(); anim.stop()", false, 0},
        {"stop(); anim.play()", true, 1},
    };
    for (const auto& c : cases) {
        ScriptRun run = RunMovie(Stage() + DoAction(Script(c.script)) + ShowFrame() + ShowFrame(), 2);
        EXPECT_EQ(c.playing, run.At(2).clip->IsPlaying()) << c.script;
        EXPECT_EQ(c.frame, run.At(2).clip->CurrentFrame()) << c.script;
    }
}

TEST(Avm1Drawing, MethodsPaintWhatTheyDescribe)
{
    const std::string canvas = "c = _root.createEmptyMovieClip('c', 1); ";
    // A square from (10, 10) to (50, 50).
    const std::string square =
        "c.moveTo(10, 10); c.lineTo(50, 10); c.lineTo(50, 50); c.lineTo(10, 50); c.lineTo(10, 10); ";
    ExpectPixels(canvas + "c.beginFill(0xFF0000, 100); " + square + "c.endFill()",
                 {{30, 30, kRed}, {11, 11, kRed}, {5, 30, kNone}, {30, 55, kNone}});
    // endFill closes the outline back to where the fill began.
    ExpectPixels(canvas + "c.beginFill(0x0000FF); c.moveTo(10, 10); c.lineTo(50, 10); c.lineTo(10, 50); c.endFill()",
                 {{20, 20, kBlue}, {45, 45, kNone}});
    // A 4 pixel line centred on y = 70; no fill.
    ExpectPixels(canvas + "c.lineStyle(4, 0x00FF00, 100); c.moveTo(10, 70); c.lineTo(90, 70)",
                 {{50, 69, kGreen}, {50, 70, kGreen}, {50, 66, kNone}, {50, 73, kNone}, {5, 70, kNone}});
    // The curve from (10, 90) through control (50, 10) to (90, 90) peaks at y = 50 and passes
    // (30, 60): points between it and the straight lines through the control stay empty.
    ExpectPixels(canvas + "c.beginFill(0xFF0000); c.moveTo(10, 90); c.curveTo(50, 10, 90, 90); c.endFill()",
                 {{50, 55, kRed}, {30, 65, kRed}, {50, 45, kNone}, {30, 55, kNone}});
    // The outline is stroked over the fill.
    ExpectPixels(canvas + "c.beginFill(0xFF0000); c.lineStyle(6, 0x00FF00); " + square + "c.endFill()",
                 {{30, 30, kRed}, {10, 30, kGreen}, {30, 50, kGreen}});
    // clear takes away what was drawn; drawing starts again afterwards.
    ExpectPixels(canvas + "c.beginFill(0xFF0000); " + square + "c.endFill(); c.clear(); c.beginFill(0x0000FF); "
                 "c.moveTo(60, 60); c.lineTo(90, 60); c.lineTo(90, 90); c.lineTo(60, 90); c.endFill()",
                 {{30, 30, kNone}, {75, 75, kBlue}});
    // A clip's drawing lies under the clips inside it.
    ExpectPixels(canvas + "c.beginFill(0xFF0000); " + square + "c.endFill(); k = c.createEmptyMovieClip('k', 1); "
                 "k.beginFill(0x0000FF); k.moveTo(20, 20); k.lineTo(40, 20); k.lineTo(40, 40); k.lineTo(20, 40); "
                 "k.endFill()",
                 {{30, 30, kBlue}, {15, 15, kRed}});
}

TEST(Avm1Bitmap, PixelsSetReadAndShown)
{
    const std::string made = "b = new flash.display.BitmapData(4, 3, false, 0x00FF00); b.setPixel(1, 1, 0x123456); "
                           "b.fillRect(new flash.geom.Rectangle(2, 0, 2, 2), 0xFF0000FF); ";
    ExpectTraces({
        {made + "trace(b.width + ' ' + b.height); trace(b.getPixel(0, 0)); trace(b.getPixel(1, 1)); "
                 "trace(b.getPixel(3, 1)); trace(b.getPixel(3, 2)); trace(b.getPixel(9, 9)); "
                "trace(b.rectangle.width + ' ' + b.rectangle.height)",
         "4 3\n65280\n1193046\n255\n65280\n0\n4 3"},
        {"w = new flash.display.BitmapData(2, 2); trace(w.transparent); trace(w.getPixel(1, 1))", "true\n16777215"},
    });
    ExpectPixels(made + "_root.attachBitmap(b, 1)",
                 {{0, 0, kGreen}, {1, 1, 0xFF123456}, {3, 1, kBlue}, {3, 2, kGreen}, {5, 5, kNone}});
}

TEST(Avm1Color, TintsTheClipItIsFor)
{
    ExpectTraces({
        {"c = new Color(mc); c.setRGB(0x336699); trace(c.getRGB()); t = c.getTransform(); "
         "trace(t.ra + ' ' + t.rb + ' ' + t.ga + ' ' + t.gb + ' ' + t.ba + ' ' + t.bb + ' ' + t.aa)",
         "3368601\n0 51 0 102 0 153 100"},
        {"c = new Color(mc); c.setTransform({ra: 50, rb: 10, ga: 100, gb: 0, ba: 100, bb: 0}); trace(c.getRGB()); "
         "t = c.getTransform(); trace(t.ra + ' ' + t.rb + ' ' + t.ga)",
         "655360\n50 10 100"},
    }, Stage());
    ExpectPixels("new Color(mc).setRGB(0x336699)", {{25, 35, 0xFF336699}, {15, 35, kNone}}, Stage());
    ExpectPixels("new Color(mc).setTransform({ra: 0, rb: 255, ga: 0, gb: 128, ba: 100, bb: 0})", {{25, 35, 0xFFFF8000}},
                 Stage());
}

TEST(Avm1TextField, MadeByScriptsWithTheirTextAndBox)
{
    ExpectTraces({
        {"r = _root.createTextField('t', 1, 10, 20, 100, 30); trace(r == t); trace(t._name); "
         "trace(t._x + ' ' + t._y + ' ' + t._width + ' ' + t._height); t.text = 'Hi'; trace(t.text); "
         "t.text = 5; trace(typeof t.text); t._x = 15; t._width = 40; trace(t._x + ' ' + t._width)",
         "true\nt\n10 20 100 30\nHi\nstring\n15 40"},
    });
}
