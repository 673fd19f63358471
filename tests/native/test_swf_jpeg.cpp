// The player's JPEG decoder on small files made by another encoder: its pixels within a small
// tolerance of that encoder's own decoding (kept beside each file as a PNG); broken or
// unsupported files refused; its working memory taken from the movie's budget.
#include "swf/image/PngGif.h"
#include "swf/image/Jpeg.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadData(const std::string& name)
{
    std::ifstream in(NB_SOURCE_DIR "/tests/data/jpeg/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

bool Decode(const Bytes& jpeg, swf::Bitmap& out, std::size_t maxPixels = 1u << 20)
{
    swf::ByteBudget bytes;
    const bool ok = swf::DecodeJpeg(jpeg.data(), jpeg.size(), maxPixels, bytes, out);
    EXPECT_EQ(swf::kMaxMovieBytes, bytes.Left()) << "the working memory is given back";
    return ok;
}

// The offset of a marker's segment (at its FF byte).
std::size_t Find(const Bytes& jpeg, uint8_t marker)
{
    for (std::size_t i = 0; i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == marker)
            return i;
    ADD_FAILURE() << "no marker " << int{marker};
    return 0;
}

}  // namespace

TEST(SwfJpeg, DecodesCloseToTheEncodersOwnPixels)
{
    for (const char* name : {"grey", "grey-progressive", "ycc444", "ycc422", "ycc420", "ycc420-progressive",
                             "ycc444-progressive", "restarts"}) {
        const Bytes jpeg = ReadData(std::string(name) + ".jpg"), png = ReadData(std::string(name) + ".png");
        swf::Bitmap got, want;
        ASSERT_TRUE(swf::DecodePng(png.data(), png.size(), 1u << 20, want)) << name;
        ASSERT_TRUE(Decode(jpeg, got)) << name;
        ASSERT_EQ(want.width, got.width) << name;
        ASSERT_EQ(want.height, got.height) << name;
        int worst = 0;
        for (std::size_t i = 0; i < got.pixels.size(); ++i)
            for (int shift : {0, 8, 16, 24})
                worst = std::max(worst, std::abs(int(got.pixels[i] >> shift & 0xFF) - int(want.pixels[i] >> shift & 0xFF)));
        EXPECT_LE(worst, 3) << name;
    }
}

TEST(SwfJpeg, TablesInAStreamOfTheirOwnBeforeTheImage)
{
    // As a movie's shared tables joined to its image: SOI tables EOI SOI image EOI.
    const Bytes whole = ReadData("ycc420.jpg");
    const std::size_t frame = Find(whole, 0xC0);
    Bytes split(whole.begin(), whole.begin() + frame);
    split.insert(split.end(), {0xFF, 0xD9, 0xFF, 0xD8});
    split.insert(split.end(), whole.begin() + frame, whole.end());
    swf::Bitmap a, b;
    ASSERT_TRUE(Decode(whole, a));
    ASSERT_TRUE(Decode(split, b));
    EXPECT_EQ(a.pixels, b.pixels);
}

TEST(SwfJpeg, RefusesWhatItCannotDecode)
{
    const Bytes good = ReadData("ycc420.jpg");
    const std::size_t frame = Find(good, 0xC0), huffman = Find(good, 0xC4), scan = Find(good, 0xDA);
    struct Case {
        const char* what;
        std::size_t at;
        Bytes bytes;
    };
    const Case cases[] = {
        {"arithmetic coding", frame + 1, {0xC9}},
        {"12-bit samples", frame + 4, {12}},
        {"no width", frame + 7, {0, 0}},
        {"sampling factor 0", frame + 11, {0x02}},
        {"a segment past the end", huffman + 2, {0xFF, 0xFF}},
        {"more Huffman codes than their length allows", huffman + 5, {3}},
        {"a scan of a component the frame lacks", scan + 5, {9}},
        {"a scan with an undefined Huffman table", scan + 6, {0x22}},
    };
    for (const Case& c : cases) {
        Bytes bad = good;
        std::copy(c.bytes.begin(), c.bytes.end(), bad.begin() + c.at);
        swf::Bitmap out;
        EXPECT_FALSE(Decode(bad, out)) << c.what;
        EXPECT_TRUE(out.pixels.empty()) << c.what;
    }
    swf::Bitmap out;
    EXPECT_FALSE(Decode(Bytes{}, out)) << "nothing";
    EXPECT_FALSE(Decode(Bytes(good.begin(), good.begin() + scan), out)) << "no scan";
    EXPECT_FALSE(Decode(good, out, 21 * 14 - 1)) << "more pixels than allowed";
    swf::ByteBudget small(1000);
    EXPECT_THROW(swf::DecodeJpeg(good.data(), good.size(), 1u << 20, small, out), swf::FormatError) << "no memory";
}
