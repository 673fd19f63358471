// libFuzzer target: the bitmap file check must refuse or accept any bytes without a fault, and
// an accepted RLE stream must unpack inside its rows.
#include "formats/BitmapFileCheck.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    nb::bmp::BitmapFileFacts facts;
    if (!nb::bmp::CheckBitmapFile({data, size}, &facts).empty())
        return 0;
    if (facts.compression == nb::bmp::Compression::Rle8 || facts.compression == nb::bmp::Compression::Rle4) {
        std::vector<std::uint8_t> rows(facts.stride * static_cast<std::size_t>(facts.height));
        nb::bmp::DecodeRlePixels({data, size}, facts, rows);
    }
    return 0;
}
