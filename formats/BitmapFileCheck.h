// Checks a .bmp file's bytes before any platform loader sees them: a file from outside that
// promises more than it holds must never reach the loader. Portable, no platform types.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace nb::bmp {

// The largest width and height accepted, in pixels.
inline constexpr std::int32_t kMaxDimension = 8192;

// How the pixel data is stored (the values of the file's compression field).
enum class Compression : std::uint32_t { Rgb = 0, Rle8 = 1, Rle4 = 2, BitFields = 3 };

// Where everything of an accepted file lies; every offset and size is inside the file.
struct BitmapFileFacts {
    std::int32_t width = 0;
    std::int32_t height = 0;  // always positive; bottomUp tells the row order
    bool bottomUp = true;
    std::uint16_t bitCount = 0;
    Compression compression = Compression::Rgb;
    std::uint32_t infoHeaderSize = 0;       // 12 (core), 40, 52, 56, 108 or 124
    std::array<std::uint32_t, 3> masks{};   // red, green, blue; bit fields only
    std::size_t paletteOffset = 0;
    std::uint32_t paletteCount = 0;         // colours in the file's palette
    std::uint32_t paletteEntrySize = 4;     // 3 in files with a core header
    std::size_t pixelOffset = 0;
    std::size_t pixelSize = 0;              // bytes of pixel data (compressed for RLE)
    std::size_t stride = 0;                 // bytes of one uncompressed row
};

// Empty when the bytes hold a whole bitmap file that the platform can load safely; otherwise
// a short English reason. Fills facts when given and the file passes.
std::string CheckBitmapFile(std::span<const std::uint8_t> bytes, BitmapFileFacts* facts = nullptr);

// Unpacks the RLE8 or RLE4 pixels of a file that CheckBitmapFile accepted into rows:
// bottom-up, facts.stride bytes each, at the file's bit count. Pixels the stream skips are 0.
// rows must hold facts.stride * facts.height bytes.
void DecodeRlePixels(std::span<const std::uint8_t> bytes, const BitmapFileFacts& facts,
                     std::span<std::uint8_t> rows);

}  // namespace nb::bmp
