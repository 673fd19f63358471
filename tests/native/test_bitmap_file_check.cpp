#include "formats/BitmapFileCheck.h"
#include "tests/support/BitmapCases.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(BitmapFileCheck, AcceptsWholeSoundFilesAndNoPrefixOfThem)
{
    for (const CBitmapCase& c : BitmapCases()) {
        nb::bmp::BitmapFileFacts facts;
        const std::string reason = nb::bmp::CheckBitmapFile(c.bytes, &facts);
        EXPECT_EQ(c.loads, reason.empty()) << c.name << ": " << reason;
        if (!c.loads || c.name == "bytes after the pixels")
            continue;
        EXPECT_EQ(c.width, facts.width) << c.name;
        EXPECT_EQ(c.height, facts.height) << c.name;
        EXPECT_EQ(c.bitCount, facts.bitCount) << c.name;
        // A file cut anywhere is refused.
        for (std::size_t size = 0; size < c.bytes.size(); ++size)
            ASSERT_NE("", nb::bmp::CheckBitmapFile({c.bytes.data(), size})) << c.name << " cut at " << size;
    }
}

TEST(BitmapFileCheck, UnpacksRleRowsBottomUpWithSkippedPixelsZero)
{
    const std::vector<std::pair<std::string, std::vector<std::uint8_t>>> expected = {
        {"8 bits, RLE8 with a move and literals", {0, 0, 0, 0, 1, 0, 1, 0}},
        {"4 bits, RLE4 with literals", {0, 0, 0, 0, 0x10, 0x10, 0, 0}},
    };
    for (const auto& [name, rows] : expected) {
        for (const CBitmapCase& c : BitmapCases()) {
            if (c.name != name)
                continue;
            nb::bmp::BitmapFileFacts facts;
            ASSERT_EQ("", nb::bmp::CheckBitmapFile(c.bytes, &facts));
            std::vector<std::uint8_t> unpacked(rows.size(), 0xAA);
            nb::bmp::DecodeRlePixels(c.bytes, facts, unpacked);
            EXPECT_EQ(rows, unpacked) << name;
        }
    }
}

}  // namespace
