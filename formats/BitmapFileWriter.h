// Uncompressed .bmp files written from pixels: the one writer of the tests, the walkthrough
// and swfrender. Portable: no platform types.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace nb::bmp {

// A bottom-up .bmp file of width x height pixels with a 40-byte info header, at 24 or 32 bits
// per pixel; pixelAt(x, y), y counted from the top, gives each pixel as 0xAARRGGBB (the alpha
// byte is written at 32 bits only).
inline std::string BitmapFileBytes(int width, int height, int bitCount,
                                   const std::function<std::uint32_t(int x, int y)>& pixelAt)
{
    const std::uint32_t bytesPerPixel = static_cast<std::uint32_t>(bitCount) / 8;
    const std::uint32_t stride = (static_cast<std::uint32_t>(width) * bytesPerPixel + 3) & ~3u;
    const std::uint32_t imageSize = stride * static_cast<std::uint32_t>(height);
    std::string out;
    const auto put = [&out](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    };
    out += "BM";
    put(14 + 40 + imageSize, 4);
    put(0, 4);
    put(14 + 40, 4);
    put(40, 4);
    put(static_cast<std::uint32_t>(width), 4);
    put(static_cast<std::uint32_t>(height), 4);
    put(1, 2);
    put(static_cast<std::uint32_t>(bitCount), 2);
    put(0, 4);  // uncompressed
    put(imageSize, 4);
    put(2835, 4);  // 72 dots per inch
    put(2835, 4);
    put(0, 4);
    put(0, 4);
    for (int y = height - 1; y >= 0; --y) {
        const std::size_t rowStart = out.size();
        for (int x = 0; x < width; ++x)
            put(pixelAt(x, y), static_cast<int>(bytesPerPixel));
        out.resize(rowStart + stride, '\0');
    }
    return out;
}

}  // namespace nb::bmp
