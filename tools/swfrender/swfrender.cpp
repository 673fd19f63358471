// swfrender MOVIE.swf OUT.bmp [--frames N] [--size WxH] [--trace]
// Renders the stage after N frames have been shown (default 1) on the movie's background
// colour into a 32-bit BMP, at the stage's size or stretched to W x H. Exit 0, or one line
// on stderr and exit 2 for a movie it refuses (1 for a usage or file error). --trace prints
// the movie's trace() output on stderr, a line each.
#include "swf/SwfPlayer.h"
#include "swf/SwfRenderer.h"
#include "tools/swfrender/JpegDecoder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

int Fail(int code, const std::string& message)
{
    std::fprintf(stderr, "swfrender: %s\n", message.c_str());
    return code;
}

void Put(std::string& out, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>(v >> (8 * i) & 255);
}

bool WriteBmp(const std::string& path, const swf::Canvas& canvas)
{
    const uint32_t imageBytes = static_cast<uint32_t>(canvas.pixels.size() * 4);
    std::string out = "BM";
    Put(out, 54 + imageBytes, 4);
    Put(out, 0, 4);
    Put(out, 54, 4);
    Put(out, 40, 4);
    Put(out, static_cast<uint32_t>(canvas.width), 4);
    Put(out, static_cast<uint32_t>(canvas.height), 4);  // bottom-up
    Put(out, 1, 2);
    Put(out, 32, 2);
    Put(out, 0, 4);  // BI_RGB
    Put(out, imageBytes, 4);
    Put(out, 2835, 4);
    Put(out, 2835, 4);
    Put(out, 0, 4);
    Put(out, 0, 4);
    for (int y = canvas.height - 1; y >= 0; --y)
        for (int x = 0; x < canvas.width; ++x)
            Put(out, canvas.At(x, y), 4);
    std::ofstream file(path, std::ios::binary);
    file.write(out.data(), static_cast<std::streamsize>(out.size()));
    return static_cast<bool>(file.flush());
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return Fail(1, "usage: swfrender MOVIE.swf OUT.bmp [--frames N] [--size WxH] [--trace]");
    int frames = 1, width = 0, height = 0;
    bool trace = false;
    for (int i = 3; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--frames") == 0 && hasValue) {
            frames = std::atoi(argv[++i]);
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
    const std::vector<uint8_t> data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    try {
        auto jpeg = MakePlatformJpegDecoder();
        auto movie = swf::Movie::Load(data.data(), data.size(), jpeg.get());
        const swf::Rect& s = movie->stage;
        if (width == 0) {
            width = std::max(1, (s.xMax - s.xMin + 10) / 20);
            height = std::max(1, (s.yMax - s.yMin + 10) / 20);
        }
        if (width < 1 || height < 1 || width > swf::kMaxCanvasSide || height > swf::kMaxCanvasSide)
            return Fail(1, "--size is out of range");
        swf::Player player(*movie, true);
        if (trace)
            player.SetTraceOutput([](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); });
        for (int i = 0; i < frames; ++i)
            player.Advance();
        swf::Rgba bg = movie->background;
        bg.a = 255;
        swf::Canvas canvas(width, height, swf::Premultiply(bg));
        swf::Renderer renderer;
        renderer.Render(player, canvas, swf::ExactFitView(s, width, height));
        if (!WriteBmp(argv[2], canvas))
            return Fail(1, std::string("cannot write ") + argv[2]);
    } catch (const swf::FormatError& e) {
        return Fail(2, std::string("error: ") + e.what());
    } catch (const std::bad_alloc&) {
        return Fail(2, "error: out of memory");
    }
    return 0;
}
