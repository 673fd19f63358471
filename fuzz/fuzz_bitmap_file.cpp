// libFuzzer target: the bitmap file check must refuse or accept any bytes without a fault.
#include "controls/BitmapFileCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    nb::bmp::BitmapFileFacts facts;
    nb::bmp::CheckBitmapFile({data, size}, &facts);
    return 0;
}
