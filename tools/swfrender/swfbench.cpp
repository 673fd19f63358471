// swfbench MOVIE.swf: prints the SWF core's figures for a movie and for a generated 1 MB
// movie: parse time, peak memory while parsing, and the time to render one frame at
// 240 x 130 and at 800 x 600; then, for each hostile movie, what loading it costs and what
// its slowest frame costs at the band's size; then the script core's: actions per second on a
// loop-heavy movie, and the CPU share of a band whose clips scripts move every frame. A
// benchmark: it prints figures and checks nothing.
#include "swf/avm1/Scripts.h"
#include "swf/player/Player.h"
#include "swf/render/Renderer.h"
#include "tests/native/SwfHostileMovies.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <malloc.h>
#include <new>

namespace {

std::size_t g_nLive = 0;
std::size_t g_nPeak = 0;

double Now()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// A movie of about 1 MB: 1500 shapes of 150 straight and curved edges each, all placed.
swftest::Bytes LargeMovie()
{
    using namespace swftest;
    Bytes tags;
    for (int id = 1; id <= 1500; ++id) {
        Edges e;
        e.Move(100 * (id % 40), 60 * (id % 30), 0, 1);
        for (int i = 0; i < 75; ++i)
            e.Line(37 * ((i * 7 + id) % 11) - 180, 29 * ((i * 5 + id) % 13) - 170).Curve(40, -30, -25, 35);
        tags = tags + Shape(id, {Solid(Rgba(id % 256, 90, 200, 180))}, e.Done()) + PlaceObject2({id, id});
    }
    return Movie(tags + ShowFrame(), 800, 600);
}

// Each frame runs a loop of kLoopIterations turns of kLoopActions actions.
constexpr int kLoopIterations = 10000;
constexpr int kLoopActions = 17;

swftest::Bytes LoopMovie()
{
    using namespace swftest;
    const Bytes loop = Asm("push 'i', 0; setvar; push 's', 0; setvar; "
                           "top: push 's', 's'; getvar; push 'i'; getvar; push 3; multiply; add2; setvar; "
                           "push 'i', 'i'; getvar; inc; setvar; push 'i'; getvar; push " +
                           std::to_string(kLoopIterations) + "; less2; if top");
    return Movie(DoAction(loop) + ShowFrame() + ShowFrame(), 240, 130);
}

// A band of 240 x 130 at 12 frames per second: 20 clips that their onEnterFrame handlers turn
// and slide, and a frame script that counts frames into a text.
swftest::Bytes ScriptedBand()
{
    using namespace swftest;
    const Bytes shape = Shape(1, {Solid(Rgba(30, 120, 200, 200))}, Edges().Box(-200, -200, 400, 400, 0, 1).Done());
    const Bytes move = Fn("move", {}, Asm("push 'this'; getvar; push '_rotation', 'this'; getvar; push '_rotation'; get; "
                                          "push 7; add2; set; push 'this'; getvar; push '_x', 'this'; getvar; push '_x'; get; "
                                          "push 1; add2; push 240; modulo; set"));
    const Bytes setup = move + Asm("push 'n', 0; setvar; loop: push 'n'; getvar; push 'c'; swap; add2; push 'n'; getvar; "
                                   "swap; push 'clip', 3, 'this'; getvar; push 'attachMovie'; callmethod; "
                                   "push 'onEnterFrame', 'move'; getvar; set; "
                                   "push 'n', 'n'; getvar; inc; setvar; push 'n'; getvar; push 20; less2; if loop");
    const Bytes count = Asm("push 'frames', 'frames'; getvar; inc; setvar; push 'label', 'frame ', 'frames'; getvar; "
                            "add2; setvar; gotoframe2 1");
    return Movie(shape + Sprite(2, 1, PlaceObject2(Place(1, 1)) + ShowFrame()) + Tag(56, U16(1) + U16(2) + Str("clip")) +
                     DoAction(setup) + ShowFrame() + DoAction(count) + ShowFrame(),
                 240, 130);
}

void MeasureScripts()
{
    auto time = [](const std::vector<uint8_t>& file, int frames, bool render) {
        auto movie = swf::Movie::Load(file.data(), file.size(), nullptr);
        swf::Player player(*movie, swf::avm1::MakeScripts, true);
        player.SetClipPainter(swf::MakeClipPainter());
        swf::Canvas canvas(240, 130);
        swf::Renderer renderer;
        player.Advance();
        const double t0 = Now();
        for (int i = 0; i < frames; ++i) {
            player.Advance();
            if (render) {
                std::fill(canvas.pixels.begin(), canvas.pixels.end(), 0);
                renderer.Render(player, canvas, swf::ExactFitView(movie->stage, 240, 130));
            }
        }
        return (Now() - t0) / frames;
    };
    const double loopMs = time(LoopMovie(), 50, false);
    std::printf("script loop: %.3f ms per frame of %d actions, %.1f million actions per second\n", loopMs,
                kLoopIterations * kLoopActions, kLoopIterations * kLoopActions / loopMs / 1000.0);
    const double bandMs = time(ScriptedBand(), 200, true);
    std::printf("scripted band: %.3f ms per frame (scripts and drawing at 240 x 130), %.2f %% of one core at 12 fps\n",
                bandMs, bandMs * 12 / 10);
}

void Measure(const char* name, const std::vector<uint8_t>& file)
{
    const int kRuns = 20;
    double t0 = Now();
    std::unique_ptr<swf::Movie> movie;
    const std::size_t before = g_nLive;
    g_nPeak = g_nLive;
    for (int i = 0; i < kRuns; ++i) {
        movie.reset();
        movie = swf::Movie::Load(file.data(), file.size(), nullptr);
    }
    const double parse = (Now() - t0) / kRuns;
    const std::size_t peak = g_nPeak - before;
    std::printf("%s: %zu bytes, parse %.3f ms, peak memory while parsing %.1f KB\n", name, file.size(), parse,
                peak / 1024.0);
    swf::Player player(*movie, swf::avm1::MakeScripts, false);
    player.SetClipPainter(swf::MakeClipPainter());
    player.Advance();
    for (auto [w, h] : {std::pair{240, 130}, std::pair{800, 600}}) {
        swf::Canvas canvas(w, h);
        swf::Renderer renderer;
        const swf::Matrix view = swf::ExactFitView(movie->stage, w, h);
        const int frames = 50;
        t0 = Now();
        for (int i = 0; i < frames; ++i) {
            std::fill(canvas.pixels.begin(), canvas.pixels.end(), 0);
            renderer.Render(player, canvas, view);
        }
        std::printf("%s: render %d x %d: %.3f ms per frame\n", name, w, h, (Now() - t0) / frames);
    }
}

// Loading, then three frames stepped and drawn at 240 x 130: the time and peak memory of each.
void MeasureHostile(const swftest::HostileMovie& hostile)
{
    const std::size_t before = g_nLive;
    g_nPeak = g_nLive;
    double t0 = Now();
    std::unique_ptr<swf::Movie> movie;
    std::string refusal;
    try {
        movie = swf::Movie::Load(hostile.file.data(), hostile.file.size(), nullptr);
    } catch (const swf::FormatError& e) {
        refusal = e.what();
    }
    const double load = Now() - t0;
    std::printf("hostile: %s (%zu bytes): load %.1f ms, peak %.1f MB", hostile.kind, hostile.file.size(), load,
                (g_nPeak - before) / 1048576.0);
    if (!movie) {
        std::printf(", refused: %s\n", refusal.c_str());
        return;
    }
    swf::Player player(*movie, swf::avm1::MakeScripts, true);
    player.SetClipPainter(swf::MakeClipPainter());
    swf::Renderer renderer;
    swf::Canvas canvas(240, 130);
    double slowest = 0;
    int whole = 0;
    for (int i = 0; i < 3; ++i) {
        t0 = Now();
        player.Advance();
        const bool drawn = renderer.Render(player, canvas, swf::ExactFitView(movie->stage, 240, 130));
        whole += drawn && !player.OverBudget();
        slowest = std::max(slowest, Now() - t0);
    }
    std::printf(", slowest frame %.1f ms, %d of 3 frames within budget, peak %.1f MB\n", slowest, whole,
                (g_nPeak - before) / 1048576.0);
}

}  // namespace

void* operator new(std::size_t n)
{
    void* p = std::malloc(n ? n : 1);
    if (!p)
        throw std::bad_alloc();
    g_nLive += malloc_usable_size(p);
    g_nPeak = std::max(g_nPeak, g_nLive);
    return p;
}
void operator delete(void* p) noexcept
{
    if (p)
        g_nLive -= malloc_usable_size(p);
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: swfbench MOVIE.swf\n");
        return 1;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::vector<uint8_t> sample((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Measure("sample", sample);
    Measure("1 MB movie", LargeMovie());
    // The sample's frames, one after another, as the band plays them.
    auto movie = swf::Movie::Load(sample.data(), sample.size(), nullptr);
    swf::Player player(*movie, swf::avm1::MakeScripts, false);
    player.SetClipPainter(swf::MakeClipPainter());
    swf::Canvas canvas(240, 130);
    swf::Renderer renderer;
    double total = 0;
    int frames = 0;
    while (player.Advance() || player.IsAnimating()) {
        const double t0 = Now();
        std::fill(canvas.pixels.begin(), canvas.pixels.end(), 0);
        renderer.Render(player, canvas, swf::ExactFitView(movie->stage, 240, 130));
        total += Now() - t0;
        ++frames;
    }
    std::printf("sample: %d frames played, %.3f ms per frame at 240 x 130\n", frames, total / std::max(1, frames));
    for (const swftest::HostileMovie& hostile : swftest::FullSizeHostileMovies())
        MeasureHostile(hostile);
    for (const swftest::HostileMovie& hostile : swftest::ScriptedHostileMovies())
        MeasureHostile(hostile);
    MeasureScripts();
    return 0;
}
