// swfrender MOVIE.swf OUT.bmp [--frames N] [--size WxH] [--quality low|high] [--stats] [--trace]
// Renders the stage after N frames have been shown (default 1) on the movie's background
// colour into a 32-bit BMP, at the stage's size or stretched to W x H, anti-aliased unless the
// quality is low. Exit 0, or one line on stderr and exit 2 for a movie it refuses (1 for a
// usage or file error), 3 when a frame ran out of its work budget (the picture is written,
// as far as the budget went). --stats prints the tags read, what the last frame drew, the time per
// frame and how many frames ran out of their work budget; --trace prints the movie's trace()
// output on stderr, a line each, and a line for each script abandoned by an error or a limit
// ("swfrender: script abandoned at ActionAdd2: a string grew too long").
#include "formats/BitmapFileWriter.h"
#include "swf/image/PngGif.h"
#include "swf/image/Jpeg.h"
#include "swf/avm1/Scripts.h"
#include "swf/player/Player.h"
#include "swf/render/Renderer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

int Fail(int code, const std::string& message)
{
    std::fprintf(stderr, "swfrender: %s\n", message.c_str());
    return code;
}

bool WriteBmp(const std::string& path, const swf::Canvas& canvas)
{
    const std::string out = nb::bmp::BitmapFileBytes(canvas.width, canvas.height, 32,
                                                     [&canvas](int x, int y) { return canvas.At(x, y); });
    std::ofstream file(path, std::ios::binary);
    file.write(out.data(), static_cast<std::streamsize>(out.size()));
    return static_cast<bool>(file.flush());
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return Fail(1, "usage: swfrender MOVIE.swf OUT.bmp [--frames N] [--size WxH] [--quality low|high] [--stats] "
                       "[--trace]");
    int frames = 1, width = 0, height = 0;
    bool antiAlias = true;
    bool stats = false;
    bool trace = false;
    for (int i = 3; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--frames") == 0 && hasValue) {
            frames = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--stats") == 0) {
            stats = true;
        } else if (std::strcmp(argv[i], "--quality") == 0 && hasValue) {
            const std::string q = argv[++i];
            if (q != "low" && q != "high")
                return Fail(1, "--quality wants low or high");
            antiAlias = q == "high";
        } else if (std::strcmp(argv[i], "--size") == 0 && hasValue) {
            if (std::sscanf(argv[++i], "%dx%d", &width, &height) != 2)
                return Fail(1, "--size wants WxH");
        } else if (std::strcmp(argv[i], "--trace") == 0) {
            trace = true;
        } else {
            return Fail(1, std::string("unknown argument ") + argv[i]);
        }
    }
    if (frames < 1 || frames > swf::kMaxFrames)
        return Fail(1, "--frames wants 1 to 65535");
    std::ifstream file(argv[1], std::ios::binary);
    if (!file)
        return Fail(1, std::string("cannot read ") + argv[1]);
    try {
        const std::vector<uint8_t> data = swf::ReadMovieFile(argv[1]);
        auto movie = swf::Movie::Load(data.data(), data.size());
        const swf::Rect& s = movie->stage;
        if (width == 0) {
            width = std::max(1, (s.xMax - s.xMin + 10) / 20);
            height = std::max(1, (s.yMax - s.yMin + 10) / 20);
        }
        if (width < 1 || height < 1 || width > swf::kMaxCanvasSide || height > swf::kMaxCanvasSide)
            return Fail(1, "--size is out of range");
        swf::Player player(*movie, swf::avm1::MakeScripts, true);
        player.SetClipPainter(swf::MakeClipPainter());
        // Images that scripts load are files beside the movie (swfrender runs from its folder).
        player.SetImageLoader([](const std::string& url, std::size_t maxPixels, swf::Bitmap& out) {
            std::vector<uint8_t> bytes;
            try {
                bytes = swf::ReadMovieFile(url);
            } catch (const swf::FormatError&) {
                return false;
            }
            if (swf::IsPng(bytes.data(), bytes.size()))
                return swf::DecodePng(bytes.data(), bytes.size(), maxPixels, out);
            if (swf::IsGif(bytes.data(), bytes.size()))
                return swf::DecodeGif(bytes.data(), bytes.size(), maxPixels, out);
            // A loaded image has the bytes of a movie of its own to decode in.
            swf::ByteBudget budget;
            try {
                return swf::DecodeJpeg(bytes.data(), bytes.size(), maxPixels, budget, out);
            } catch (const swf::FormatError&) {
                return false;
            }
        });
        if (trace) {
            player.SetTraceOutput([](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); });
            player.SetDiagnosticOutput(
                [](const std::string& line) { std::fprintf(stderr, "swfrender: %s\n", line.c_str()); });
        }
        swf::Rgba bg = movie->background;
        bg.a = 255;
        swf::Canvas canvas(width, height, swf::Premultiply(bg));
        swf::Renderer renderer;
        renderer.SetAntiAliasing(antiAlias);
        const swf::Matrix view = swf::ExactFitView(s, width, height);
        // With --stats every frame is drawn and timed; otherwise only the last.
        double total = 0, slowest = 0;
        int overBudget = 0;
        for (int i = 0; i < frames; ++i) {
            player.Advance();
            overBudget += player.OverBudget();
            if (!stats && i + 1 < frames)
                continue;
            std::fill(canvas.pixels.begin(), canvas.pixels.end(), swf::Premultiply(bg));
            const auto t0 = std::chrono::steady_clock::now();
            overBudget += !renderer.Render(player, canvas, view);
            const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
            total += ms;
            slowest = std::max(slowest, ms);
        }
        if (stats)
            std::printf("tags %zu, frames %d, objects drawn %zu, edges %zu, render %.3f ms per frame (slowest %.3f ms), "
                        "over budget %d\n",
                        movie->tagCount, frames, renderer.LastStats().shapes, renderer.LastStats().edges,
                        total / frames, slowest, overBudget);
        if (!WriteBmp(argv[2], canvas))
            return Fail(1, std::string("cannot write ") + argv[2]);
        if (overBudget > 0)
            return Fail(3, std::to_string(overBudget) + " frame(s) ran out of their work budget");
    } catch (const swf::FormatError& e) {
        return Fail(2, std::string("error: ") + e.what());
    } catch (const std::bad_alloc&) {
        return Fail(2, "error: out of memory");
    }
    return 0;
}
