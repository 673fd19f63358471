#include "controls/BitmapFileCheck.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A 2 x 2 24-bit bottom-up bitmap: 14 + 40 header bytes and two rows of 8 bytes.
std::vector<std::uint8_t> SmallBitmap()
{
    std::vector<std::uint8_t> file(54 + 16, 0);
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            file[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<std::uint32_t>(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, 2);
    put32(22, 2);
    file[26] = 1;
    file[28] = 24;
    return file;
}

TEST(BitmapFileCheck, AcceptsAWholeBitmapAndRefusesOneCutShort)
{
    auto file = SmallBitmap();
    nb::bmp::BitmapFileFacts facts;
    EXPECT_EQ(nb::bmp::CheckBitmapFile(file, &facts), "");
    EXPECT_EQ(facts.width, 2);
    EXPECT_EQ(facts.height, 2);
    file.pop_back();
    EXPECT_NE(nb::bmp::CheckBitmapFile(file), "");
}

}  // namespace
