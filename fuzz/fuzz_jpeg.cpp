// libFuzzer target: the player's JPEG decoder must refuse or decode any bytes without a fault,
// hand back exactly the pixels it announces, and give back every byte it took from its budget.
#include "swf/image/Jpeg.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    constexpr std::size_t kBudget = 16u << 20;
    swf::ByteBudget bytes(kBudget);
    swf::Bitmap out;
    try {
        if (swf::DecodeJpeg(data, size, 1u << 16, bytes, out) &&
            (out.width < 1 || out.height < 1 || out.pixels.size() != static_cast<std::size_t>(out.width) * out.height))
            std::abort();
    } catch (const swf::FormatError&) {
        // a working memory larger than the budget
    }
    if (bytes.Left() != kBudget)
        std::abort();
    return 0;
}
