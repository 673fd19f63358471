#include "controls/BitmapFileCheck.h"

namespace nb::bmp {
namespace {

std::uint32_t ReadU32(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
           static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

std::uint16_t ReadU16(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    return static_cast<std::uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

}  // namespace

std::string CheckBitmapFile(std::span<const std::uint8_t> bytes, BitmapFileFacts* facts)
{
    constexpr std::size_t kFileHeaderSize = 14;
    constexpr std::size_t kInfoHeaderSize = 40;
    if (bytes.size() < kFileHeaderSize + kInfoHeaderSize)
        return "too short for the bitmap headers";
    if (bytes[0] != 'B' || bytes[1] != 'M')
        return "no bitmap signature";
    if (ReadU32(bytes, 14) < kInfoHeaderSize)
        return "unsupported info header";
    const auto width = static_cast<std::int32_t>(ReadU32(bytes, 18));
    const auto height = static_cast<std::int32_t>(ReadU32(bytes, 22));
    if (width <= 0 || width > kMaxDimension || height == 0 || height < -kMaxDimension ||
        height > kMaxDimension)
        return "dimensions out of range";
    const std::uint16_t bitCount = ReadU16(bytes, 28);
    const std::uint64_t stride = (static_cast<std::uint64_t>(width) * bitCount + 31) / 32 * 4;
    const std::uint64_t pixelBytes = stride * static_cast<std::uint64_t>(height < 0 ? -height : height);
    const std::uint64_t offset = ReadU32(bytes, 10);
    if (ReadU32(bytes, 30) == 0 && offset + pixelBytes > bytes.size())
        return "pixel data past the end of the file";
    if (facts) {
        facts->width = width;
        facts->height = height < 0 ? -height : height;
        facts->bottomUp = height > 0;
        facts->bitCount = bitCount;
    }
    return {};
}

}  // namespace nb::bmp
