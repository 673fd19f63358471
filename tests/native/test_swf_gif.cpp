// The GIF decoder on small files written here code by code: codes that grow a bit wider as
// the table fills, the code of the string being built, interlaced rows, the transparent
// index, a local colour table, and files it must refuse.
#include "swf/image/PngGif.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// LZW codes (code, width in bits) packed from the lowest bit up, in one sub-block.
Bytes Codes(std::initializer_list<std::pair<uint32_t, int>> codes)
{
    Bytes packed;
    uint32_t bits = 0;
    int n = 0;
    for (const auto& [code, width] : codes) {
        bits |= code << n;
        n += width;
        for (; n >= 8; n -= 8, bits >>= 8)
            packed.push_back(static_cast<uint8_t>(bits));
    }
    if (n > 0)
        packed.push_back(static_cast<uint8_t>(bits));
    return Bytes{static_cast<uint8_t>(packed.size())} + packed + Bytes{0};
}

// Black, red, green and blue.
const Bytes kColors = {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255};

// A w x h screen with the four colours as its global table, then `blocks`, then the trailer.
Bytes Gif(uint8_t w, uint8_t h, const Bytes& blocks)
{
    return Bytes{'G', 'I', 'F', '8', '9', 'a', w, 0, h, 0, 0x81, 0, 0} + kColors + blocks + Bytes{0x3B};
}

// An image descriptor at (0, 0) and its 2-bit LZW data.
Bytes Image(uint8_t w, uint8_t h, uint8_t flags, const Bytes& data)
{
    return Bytes{0x2C, 0, 0, 0, 0, w, 0, h, 0, flags} + Bytes{2} + data;
}

// The graphic control extension that makes `index` transparent.
Bytes Transparent(uint8_t index) { return Bytes{0x21, 0xF9, 4, 1, 0, 0, index, 0}; }

constexpr uint32_t kBlack = 0xFF000000, kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF;
// With two-bit indices the clear code is 4 and the end code 5.
constexpr uint32_t kClear = 4, kEnd = 5;

}  // namespace

TEST(SwfGif, DecodesTheFirstImage)
{
    struct Case {
        const char* what;
        Bytes gif;
        std::vector<uint32_t> pixels;
    };
    // Indices 0, 1, 2, 3: after the third code the table reaches 8 entries and codes take 4 bits.
    const Bytes fourIndices = Codes({{kClear, 3}, {0, 3}, {1, 3}, {2, 3}, {3, 4}, {kEnd, 4}});
    const Case cases[] = {
        {"codes widen as the table fills", Gif(4, 1, Image(4, 1, 0, fourIndices)), {kBlack, kRed, kGreen, kBlue}},
        {"an interlaced image stores rows 0, then 4, then 2, then 1 and 3",
         Gif(1, 5, Image(1, 5, 0x40, Codes({{kClear, 3}, {0, 3}, {1, 3}, {2, 3}, {3, 4}, {0, 4}, {kEnd, 4}}))),
         {kBlack, kBlue, kGreen, kBlack, kRed}},
        {"the transparent index stays clear", Gif(4, 1, Transparent(3) + Image(4, 1, 0, fourIndices)),
         {kBlack, kRed, kGreen, 0}},
        {"a code for the string being built repeats its first index",
         Gif(3, 1, Image(3, 1, 0, Codes({{kClear, 3}, {1, 3}, {6, 3}, {kEnd, 3}}))), {kRed, kRed, kRed}},
        {"a clear code starts the table afresh",
         Gif(3, 1, Image(3, 1, 0, Codes({{kClear, 3}, {2, 3}, {kClear, 3}, {1, 3}, {6, 3}, {kEnd, 3}}))), {kGreen, kRed, kRed}},
        {"a local table stands in for the global one",
         Gif(2, 1, Bytes{0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0x81} + Bytes{255, 255, 255, 0, 0, 0, 9, 9, 9, 9, 9, 9} +
                       Bytes{2} + Codes({{kClear, 3}, {0, 3}, {1, 3}, {kEnd, 3}})),
         {0xFFFFFFFF, kBlack}},
        {"codes that end in the data's last byte count", Gif(3, 1, Image(3, 1, 0, Codes({{kClear, 3}, {0, 3}, {1, 3}, {2, 3}}))),
         {kBlack, kRed, kGreen}},
        {"pixels the data leaves out stay clear", Gif(4, 1, Image(4, 1, 0, Codes({{kClear, 3}, {3, 3}, {kEnd, 3}}))),
         {kBlue, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        swf::Bitmap out;
        ASSERT_TRUE(swf::DecodeGif(c.gif.data(), c.gif.size(), 64, out)) << c.what;
        EXPECT_EQ(static_cast<int>(c.pixels.size()), out.width * out.height) << c.what;
        EXPECT_EQ(c.pixels, out.pixels) << c.what;
    }
}

TEST(SwfGif, RefusesBrokenFiles)
{
    const Bytes good = Gif(4, 1, Image(4, 1, 0, Codes({{kClear, 3}, {0, 3}, {1, 3}, {kEnd, 3}})));
    struct Case {
        const char* what;
        Bytes gif;
    };
    const Case cases[] = {
        {"a code beyond the table", Gif(3, 1, Image(3, 1, 0, Codes({{kClear, 3}, {1, 3}, {7, 3}})))},
        {"a first code that is no index", Gif(3, 1, Image(3, 1, 0, Codes({{kClear, 3}, {6, 3}, {kEnd, 3}, {kEnd, 3}})))},
        {"an LZW minimum of 1 bit", Gif(1, 1, Bytes{0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 1} + Codes({{2, 2}}))},
        {"a screen of more pixels than allowed", Gif(9, 8, Image(1, 1, 0, Codes({{kClear, 3}, {0, 3}})))},
        {"an image of more pixels than allowed",
         Gif(2, 2, Bytes{0x2C, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 2} + Codes({{kClear, 3}, {0, 3}, {kEnd, 3}}))},
        {"an unknown block", Gif(1, 1, Bytes{0x77})},
        {"no image at all", Gif(1, 1, {})},
        {"cut inside the colour table", Bytes(good.begin(), good.begin() + 16)},
        {"cut inside the image descriptor", Bytes(good.begin(), good.begin() + 30)},
        {"cut inside an extension", Gif(1, 1, Bytes{0x21, 0xF9, 4, 1})},
    };
    for (const Case& c : cases) {
        swf::Bitmap out;
        EXPECT_FALSE(swf::DecodeGif(c.gif.data(), c.gif.size(), 64, out)) << c.what;
        EXPECT_TRUE(out.pixels.empty()) << c.what;
    }
}
