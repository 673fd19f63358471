#include "tests/support/BitmapCases.h"

#include <algorithm>
#include <functional>

namespace {

using Bytes = std::vector<std::uint8_t>;

// The fields of a .bmp file; Build() lays them out, with the pixel offset and the RLE data
// size worked out unless they are given.
struct CBmp {
    std::uint32_t headerSize = 40;
    std::int32_t width = 2;
    std::int32_t height = 2;
    std::uint16_t planes = 1;
    std::uint16_t bitCount = 24;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
    std::vector<std::uint32_t> masks{};  // after a 40-byte header, else inside the header
    std::vector<std::uint32_t> palette{};  // 0x00RRGGBB
    Bytes pixels{};
    std::int64_t pixelOffset = -1;
    std::int64_t dataSize = -1;
    std::uint32_t colourSpace = 0;       // V5 only, with the profile's place
    std::uint32_t profileOffset = 0;
    std::uint32_t profileSize = 0;

    Bytes Build() const
    {
        Bytes out;
        auto put = [&](std::uint64_t v, int n) {
            for (int i = 0; i < n; ++i)
                out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        };
        const bool rle = compression == 1 || compression == 2;
        const std::size_t core = headerSize == 12;
        const std::size_t masksAfter = headerSize == 40 ? 4 * masks.size() : 0;
        const std::size_t offset = 14 + headerSize + masksAfter + palette.size() * (core ? 3 : 4);
        put('B', 1);
        put('M', 1);
        put(offset + pixels.size(), 4);
        put(0, 4);
        put(pixelOffset >= 0 ? static_cast<std::uint64_t>(pixelOffset) : offset, 4);
        put(headerSize, 4);
        if (core) {
            put(static_cast<std::uint16_t>(width), 2);
            put(static_cast<std::uint16_t>(height), 2);
            put(planes, 2);
            put(bitCount, 2);
        } else {
            put(static_cast<std::uint32_t>(width), 4);
            put(static_cast<std::uint32_t>(height), 4);
            put(planes, 2);
            put(bitCount, 2);
            put(compression, 4);
            put(dataSize >= 0 ? static_cast<std::uint64_t>(dataSize) : rle ? pixels.size() : 0, 4);
            put(2835, 4);
            put(2835, 4);
            put(coloursUsed, 4);
            put(0, 4);
            for (std::uint32_t mask : masks)
                put(mask, 4);
            out.resize(std::max<std::size_t>(out.size(), 14 + headerSize), 0);
            if (headerSize == 124) {
                std::uint8_t* v5 = out.data() + 14;
                for (int i = 0; i < 4; ++i) {
                    v5[56 + i] = static_cast<std::uint8_t>(colourSpace >> (8 * i));
                    v5[112 + i] = static_cast<std::uint8_t>(profileOffset >> (8 * i));
                    v5[116 + i] = static_cast<std::uint8_t>(profileSize >> (8 * i));
                }
            }
        }
        for (std::uint32_t colour : palette)
            put(colour, core ? 3 : 4);
        out.insert(out.end(), pixels.begin(), pixels.end());
        return out;
    }
};

constexpr std::uint32_t kColour = 0x102030;  // the top-left pixel of every loading case

CBmp With(CBmp bmp, const std::function<void(CBmp&)>& change)
{
    change(bmp);
    return bmp;
}

// 2 x 2, 24 bits, bottom-up: the top row comes last and starts with kColour.
const CBmp kPlain{.pixels = {1, 2, 3, 4, 5, 6, 0, 0, 0x30, 0x20, 0x10, 0, 0, 0, 0, 0}};
// 4 x 2 with the palette {black, kColour}: the top row starts with colour 1.
const CBmp kRle8{.width = 4, .bitCount = 8, .compression = 1, .coloursUsed = 2, .palette = {0, kColour},
                 // bottom: two pixels, a move right to the row's end, end of row;
                 // top: three literal pixels (padded), one run pixel, end of bitmap
                 .pixels = {2, 0, 0, 2, 2, 0, 0, 0, 0, 3, 1, 0, 1, 0, 1, 0, 0, 1}};
const CBmp kRle4{.width = 4, .bitCount = 4, .compression = 2, .coloursUsed = 2, .palette = {0, kColour},
                 .pixels = {4, 0, 0, 0, 0, 3, 0x10, 0x10, 1, 0x00, 0, 1}};
const CBmp kTrueColour32{.width = 1, .height = 1, .bitCount = 32, .pixels = {0x30, 0x20, 0x10, 0}};
const std::vector<std::uint32_t> kMasks32 = {0xFF0000, 0x00FF00, 0x0000FF};

CBitmapCase Loads(std::string name, const CBmp& bmp, std::uint32_t topLeft = kColour)
{
    return {std::move(name), bmp.Build(), true, bmp.width, bmp.height < 0 ? -bmp.height : bmp.height,
            bmp.bitCount, topLeft};
}

CBitmapCase Refused(std::string name, Bytes bytes)
{
    return {std::move(name), std::move(bytes), false};
}

CBitmapCase Refused(std::string name, const CBmp& bmp)
{
    return Refused(std::move(name), bmp.Build());
}

Bytes Cut(Bytes bytes, std::size_t size)
{
    bytes.resize(size);
    return bytes;
}

std::vector<CBitmapCase> MakeCases()
{
    const CBmp tenByTen{.width = 10, .height = 10, .pixels = Bytes(320, 0x55)};
    return {
        Loads("24 bits, bottom-up", kPlain),
        Loads("24 bits, top-down",
              {.height = -2, .pixels = {0x30, 0x20, 0x10, 4, 5, 6, 0, 0, 1, 2, 3, 4, 5, 6, 0, 0}}),
        Loads("1 bit, two colours", {.bitCount = 1, .palette = {0, kColour}, .pixels = {0, 0, 0, 0, 0x80, 0, 0, 0}}),
        Loads("4 bits, three colours used",
              {.bitCount = 4, .coloursUsed = 3, .palette = {0, 0xFFFFFF, kColour}, .pixels = {0, 0, 0, 0, 0x20, 0, 0, 0}}),
        Loads("8 bits, RLE8 with a move and literals", kRle8),
        Loads("4 bits, RLE4 with literals", kRle4),
        Loads("16 bits, bit fields 5-6-5",
              {.width = 1, .height = 1, .bitCount = 16, .compression = 3, .masks = {0xF800, 0x07E0, 0x001F},
               .pixels = {0x00, 0xF8, 0, 0}},
              kAnyColour),
        Loads("16 bits, 5-5-5 without bit fields", {.width = 1, .height = 1, .bitCount = 16, .pixels = {0, 0, 0, 0}},
              0),
        Loads("32 bits, bit fields", With(kTrueColour32, [&](CBmp& b) { b.compression = 3, b.masks = kMasks32; })),
        Loads("32 bits, V4 header with its masks inside",
              With(kTrueColour32, [&](CBmp& b) { b.headerSize = 108, b.compression = 3, b.masks = kMasks32; })),
        Loads("32 bits, V5 header", With(kTrueColour32, [](CBmp& b) { b.headerSize = 124; })),
        Loads("1 bit, core header with a three-byte palette",
              {.headerSize = 12, .width = 1, .height = 1, .bitCount = 1, .palette = {0, kColour},
               .pixels = {0x80, 0, 0, 0}}),
        Loads("8192 pixels wide", {.width = 8192, .height = 1, .pixels = Bytes(8192 * 3, 0)}, 0),
        Loads("bytes after the pixels", With(kPlain, [](CBmp& b) { b.pixels.resize(100, 0xEE); })),

        Refused("empty file", Bytes{}),
        Refused("not a bitmap", Bytes{'n', 'o', 't', ' ', 'a', ' ', 'b', 'i', 't', 'm', 'a', 'p'}),
        Refused("headers alone", With(kPlain, [](CBmp& b) { b.pixels.clear(); })),
        Refused("cut after 100 bytes", Cut(tenByTen.Build(), 100)),
        Refused("30000 x 30000 with 64 KB of pixels",
                {.width = 30000, .height = 30000, .pixels = Bytes(65536, 0)}),
        Refused("pixel offset 1 GB past the end", With(kPlain, [](CBmp& b) { b.pixelOffset = 0x40000000; })),
        Refused("pixel offset inside the headers", With(kPlain, [](CBmp& b) { b.pixelOffset = 20; })),
        Refused("64-byte info header", With(kPlain, [](CBmp& b) { b.headerSize = 64; })),
        Refused("width 0", With(kPlain, [](CBmp& b) { b.width = 0; })),
        Refused("height 0", With(kPlain, [](CBmp& b) { b.height = 0; })),
        Refused("8193 pixels wide", {.width = 8193, .height = 1, .pixels = Bytes(8196 * 3, 0)}),
        Refused("8193 rows top-down", {.width = 1, .height = -8193, .pixels = Bytes(8193 * 4, 0)}),
        Refused("two planes", With(kPlain, [](CBmp& b) { b.planes = 2; })),
        Refused("2 bits per pixel", With(kPlain, [](CBmp& b) { b.bitCount = 2; })),
        Refused("JPEG inside", With(kPlain, [](CBmp& b) { b.compression = 4; })),
        Refused("RLE8 at 24 bits", With(kRle8, [](CBmp& b) { b.bitCount = 24; })),
        Refused("RLE8 top-down", With(kRle8, [](CBmp& b) { b.height = -2; })),
        Refused("300 colours at 8 bits", With(kRle8, [](CBmp& b) { b.coloursUsed = 300; })),
        Refused("palette cut short", With(kRle8, [](CBmp& b) { b.coloursUsed = 0; })),
        Refused("bit fields without their masks", With(kTrueColour32, [](CBmp& b) { b.compression = 3; })),
        Refused("a colour mask of 0",
                With(kTrueColour32, [](CBmp& b) { b.compression = 3, b.masks = {0xFF0000, 0, 0xFF}; })),
        Refused("overlapping colour masks",
                With(kTrueColour32, [](CBmp& b) { b.compression = 3, b.masks = {0xFF0000, 0xFFFF00, 0xFF}; })),
        Refused("RLE run past the row's end", With(kRle8, [](CBmp& b) { b.pixels[0] = 5; })),
        Refused("RLE move above the top row", With(kRle8, [](CBmp& b) { b.pixels[5] = 3; })),
        Refused("RLE without its end mark", With(kRle8, [](CBmp& b) { b.pixels.resize(16); })),
        Refused("RLE literal cut short", With(kRle4, [](CBmp& b) { b.pixels.resize(7); })),
        Refused("RLE without its data size", With(kRle8, [](CBmp& b) { b.dataSize = 0; })),
        Refused("RLE data size past the end", With(kRle8, [](CBmp& b) { b.dataSize = 1000; })),
        Refused("V5 profile past the end",
                With(kTrueColour32, [](CBmp& b) {
                    b.headerSize = 124, b.colourSpace = 0x4D424544, b.profileOffset = 200, b.profileSize = 16;
                })),
    };
}

}  // namespace

const std::vector<CBitmapCase>& BitmapCases()
{
    static const std::vector<CBitmapCase> cases = MakeCases();
    return cases;
}
