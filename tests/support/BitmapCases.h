// The one table of broken and odd .bmp files that every bitmap load must survive, built byte
// by byte. Portable: the native validator tests and the Wine tests share it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CBitmapCase {
    std::string name;
    std::vector<std::uint8_t> bytes;
    bool loads = false;
    // For a file that loads: its size in pixels, bits per pixel and top-left colour (0xRRGGBB;
    // kAnyColour where the platform may round the colour).
    int width = 0;
    int height = 0;
    int bitCount = 0;
    std::uint32_t topLeft = 0;
};

inline constexpr std::uint32_t kAnyColour = 0xFFFFFFFF;

const std::vector<CBitmapCase>& BitmapCases();
