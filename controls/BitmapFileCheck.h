// Checks a .bmp file's bytes before any platform loader sees them: a file from outside that
// promises more than it holds must never reach the loader. Portable, no platform types.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace nb::bmp {

// The largest width and height accepted, in pixels.
inline constexpr std::int32_t kMaxDimension = 8192;

struct BitmapFileFacts {
    std::int32_t width = 0;
    std::int32_t height = 0;  // always positive; bottomUp tells the row order
    bool bottomUp = true;
    std::uint16_t bitCount = 0;
};

// Empty when the bytes hold a whole bitmap file that the platform can load safely; otherwise
// a short English reason. Fills facts when given and the file passes.
std::string CheckBitmapFile(std::span<const std::uint8_t> bytes, BitmapFileFacts* facts = nullptr);

}  // namespace nb::bmp
