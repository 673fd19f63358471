#include "formats/BitmapFileCheck.h"

#include <algorithm>
#include <bit>

namespace nb::bmp {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kV5HeaderSize = 124;
// Offsets in the file of info header fields that a core header lacks.
constexpr std::size_t kCompressionField = 30;
constexpr std::size_t kDataSizeField = 34;
constexpr std::size_t kColoursUsedField = 46;
// Colour-space types of a V5 header whose profile lies in the file.
constexpr std::uint32_t kProfileLinked = 0x4C494E4B;    // 'LINK'
constexpr std::uint32_t kProfileEmbedded = 0x4D424544;  // 'MBED'

std::uint32_t ReadU32(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
           static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

std::uint16_t ReadU16(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    return static_cast<std::uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

bool IsSupportedHeaderSize(std::uint32_t size)
{
    // Core, info, the two Adobe variants with masks, V4 and V5.
    return size == kCoreHeaderSize || size == kInfoHeaderSize || size == 52 || size == 56 || size == 108 ||
           size == kV5HeaderSize;
}

bool IsSupportedBitCount(std::uint16_t bitCount, bool core)
{
    switch (bitCount) {
    case 1: case 4: case 8: case 24: return true;
    case 16: case 32: return !core;
    default: return false;
    }
}

// Each colour mask is one run of bits inside the pixel, and the masks do not overlap.
bool AreMasksSound(const std::array<std::uint32_t, 3>& masks, std::uint16_t bitCount)
{
    const std::uint64_t pixelBits = (std::uint64_t{1} << bitCount) - 1;
    for (std::uint32_t mask : masks) {
        if (mask == 0 || mask > pixelBits)
            return false;
        const std::uint32_t run = mask >> std::countr_zero(mask);
        if ((run & (run + 1)) != 0)
            return false;
    }
    return (masks[0] & masks[1]) == 0 && (masks[0] & masks[2]) == 0 && (masks[1] & masks[2]) == 0;
}

// Walks an RLE8 or RLE4 stream (bottom-up rows) and, when rows is not empty, unpacks it.
// Every run must stay inside the bitmap and the stream must end with its end mark.
std::string WalkRle(std::span<const std::uint8_t> stream, const BitmapFileFacts& facts, std::span<std::uint8_t> rows)
{
    const bool rle4 = facts.compression == Compression::Rle4;
    const std::int64_t width = facts.width;
    const std::int64_t height = facts.height;
    // An RLE4 run may fill the last byte of an odd-width row.
    const std::int64_t rowLimit = rle4 ? (width + 1) / 2 * 2 : width;
    std::int64_t x = 0;
    std::int64_t y = 0;
    auto put = [&](std::int64_t at, std::uint8_t index) {
        if (rows.empty() || at >= width)
            return;
        std::uint8_t& byte = rows[static_cast<std::size_t>(y) * facts.stride +
                                  static_cast<std::size_t>(rle4 ? at / 2 : at)];
        if (!rle4)
            byte = index;
        else if (at % 2 == 0)
            byte = static_cast<std::uint8_t>((byte & 0x0F) | index << 4);
        else
            byte = static_cast<std::uint8_t>((byte & 0xF0) | (index & 0x0F));
    };
    auto fits = [&](std::int64_t count) { return y < height && x + count <= rowLimit; };

    std::size_t pos = 0;
    while (pos + 2 <= stream.size()) {
        const std::uint8_t count = stream[pos];
        const std::uint8_t value = stream[pos + 1];
        pos += 2;
        if (count > 0) {
            if (!fits(count))
                return "RLE run outside the bitmap";
            for (std::int64_t i = 0; i < count; ++i)
                put(x + i, rle4 ? (i % 2 == 0 ? value >> 4 : value & 0x0F) : value);
            x += count;
        } else if (value == 0) {  // end of the row
            if (y >= height)
                return "RLE row past the last one";
            x = 0;
            ++y;
        } else if (value == 1) {  // end of the bitmap
            return {};
        } else if (value == 2) {  // move right and up
            if (pos + 2 > stream.size())
                return "RLE stream cut short";
            x += stream[pos];
            y += stream[pos + 1];
            pos += 2;
            if (x > rowLimit || y > height)
                return "RLE move outside the bitmap";
        } else {  // literal pixels, padded to a whole 16-bit word
            const std::size_t literalBytes = rle4 ? (value + 1u) / 2 : value;
            const std::size_t padded = (literalBytes + 1) / 2 * 2;
            if (pos + padded > stream.size())
                return "RLE stream cut short";
            if (!fits(value))
                return "RLE run outside the bitmap";
            for (std::int64_t i = 0; i < value; ++i) {
                const std::uint8_t byte = stream[pos + static_cast<std::size_t>(rle4 ? i / 2 : i)];
                put(x + i, rle4 ? (i % 2 == 0 ? byte >> 4 : byte & 0x0F) : byte);
            }
            x += value;
            pos += padded;
        }
    }
    return "RLE stream without its end mark";
}

// The signature and the size of the info header, which says what the rest of the headers hold.
std::string CheckHeaderSize(std::span<const std::uint8_t> bytes, BitmapFileFacts& f)
{
    if (bytes.size() < kFileHeaderSize + 4)
        return "too short for the bitmap headers";
    if (bytes[0] != 'B' || bytes[1] != 'M')
        return "no bitmap signature";
    f.infoHeaderSize = ReadU32(bytes, kFileHeaderSize);
    if (!IsSupportedHeaderSize(f.infoHeaderSize))
        return "unsupported info header";
    if (bytes.size() < kFileHeaderSize + f.infoHeaderSize)
        return "too short for the bitmap headers";
    return {};
}

bool IsCore(const BitmapFileFacts& f)
{
    return f.infoHeaderSize == kCoreHeaderSize;
}

// A field of the info header that a core header does not have (0 there).
std::uint32_t InfoField(std::span<const std::uint8_t> bytes, const BitmapFileFacts& f, std::size_t offset)
{
    return IsCore(f) ? 0 : ReadU32(bytes, offset);
}

// Width, height, row order, planes and bit count.
std::string CheckDimensions(std::span<const std::uint8_t> bytes, BitmapFileFacts& f)
{
    const bool core = IsCore(f);
    const std::int64_t width = core ? ReadU16(bytes, 18) : static_cast<std::int32_t>(ReadU32(bytes, 18));
    std::int64_t height = core ? ReadU16(bytes, 20) : static_cast<std::int32_t>(ReadU32(bytes, 22));
    const std::uint16_t planes = ReadU16(bytes, core ? 22 : 26);
    f.bitCount = ReadU16(bytes, core ? 24 : 28);
    if (planes != 1)
        return "not one colour plane";
    f.bottomUp = height > 0;
    if (height < 0)
        height = -height;
    if (width < 1 || height < 1)
        return "no pixels";
    if (width > kMaxDimension || height > kMaxDimension)
        return "wider or higher than " + std::to_string(kMaxDimension) + " pixels, the largest bitmap accepted";
    f.width = static_cast<std::int32_t>(width);
    f.height = static_cast<std::int32_t>(height);
    if (!IsSupportedBitCount(f.bitCount, core))
        return "unsupported bit count";
    return {};
}

// The compression and the bit counts it goes with.
std::string CheckCompression(std::span<const std::uint8_t> bytes, BitmapFileFacts& f)
{
    f.compression = static_cast<Compression>(InfoField(bytes, f, kCompressionField));
    switch (f.compression) {
    case Compression::Rgb:
        return {};
    case Compression::Rle8:
    case Compression::Rle4:
        if (f.bitCount != (f.compression == Compression::Rle8 ? 8 : 4))
            return "RLE with the wrong bit count";
        if (!f.bottomUp)
            return "top-down RLE bitmap";
        return {};
    case Compression::BitFields:
        if (f.bitCount != 16 && f.bitCount != 32)
            return "bit fields with the wrong bit count";
        return {};
    }
    return "unsupported compression";
}

// The colour masks of bit fields, which follow an info header or lie inside the larger headers
// at the same place. The palette starts after them.
std::string CheckMasks(std::span<const std::uint8_t> bytes, BitmapFileFacts& f)
{
    f.paletteOffset = kFileHeaderSize + f.infoHeaderSize;
    if (f.compression != Compression::BitFields)
        return {};
    if (f.infoHeaderSize == kInfoHeaderSize)
        f.paletteOffset += 12;
    if (f.paletteOffset > bytes.size())
        return "colour masks past the end of the file";
    for (std::size_t i = 0; i < 3; ++i)
        f.masks[i] = ReadU32(bytes, kFileHeaderSize + kInfoHeaderSize + 4 * i);
    if (!AreMasksSound(f.masks, f.bitCount))
        return "unsound colour masks";
    return {};
}

// Where the headers, the masks and the palette end.
std::size_t HeadersEnd(const BitmapFileFacts& f)
{
    return f.paletteOffset + std::size_t{f.paletteCount} * f.paletteEntrySize;
}

std::string CheckPalette(std::span<const std::uint8_t> bytes, BitmapFileFacts& f)
{
    const std::uint32_t coloursUsed = InfoField(bytes, f, kColoursUsedField);
    f.paletteEntrySize = IsCore(f) ? 3 : 4;
    const std::uint32_t most = f.bitCount <= 8 ? 1u << f.bitCount : 256;
    if (coloursUsed > most)
        return "more palette colours than the bit count allows";
    // Without a count, a palette for up to 8 bits holds every colour the bit count allows.
    f.paletteCount = coloursUsed == 0 && f.bitCount <= 8 ? most : coloursUsed;
    if (HeadersEnd(f) > bytes.size())
        return "palette past the end of the file";
    return {};
}

// A V5 header's colour profile, when it lies in the file.
std::string CheckProfile(std::span<const std::uint8_t> bytes, BitmapFileFacts& f)
{
    if (f.infoHeaderSize != kV5HeaderSize)
        return {};
    const std::uint32_t colourSpace = ReadU32(bytes, kFileHeaderSize + 56);
    if (colourSpace != kProfileLinked && colourSpace != kProfileEmbedded)
        return {};
    const std::uint64_t profileEnd =
        kFileHeaderSize + std::uint64_t{ReadU32(bytes, kFileHeaderSize + 112)} + ReadU32(bytes, kFileHeaderSize + 116);
    if (profileEnd > bytes.size())
        return "colour profile past the end of the file";
    return {};
}

// The pixel data, after the headers and inside the file; an RLE stream must stay inside the
// bitmap.
std::string CheckPixels(std::span<const std::uint8_t> bytes, BitmapFileFacts& f)
{
    f.pixelOffset = ReadU32(bytes, 10);
    if (f.pixelOffset < HeadersEnd(f))
        return "pixel data overlaps the headers";
    f.stride = (static_cast<std::size_t>(f.width) * f.bitCount + 31) / 32 * 4;
    const bool rle = f.compression == Compression::Rle8 || f.compression == Compression::Rle4;
    const std::uint32_t dataSize = InfoField(bytes, f, kDataSizeField);
    if (rle && dataSize == 0)
        return "RLE bitmap without its data size";
    f.pixelSize = rle ? dataSize : f.stride * static_cast<std::size_t>(f.height);
    if (f.pixelOffset > bytes.size() || f.pixelSize > bytes.size() - f.pixelOffset)
        return "pixel data past the end of the file";
    if (rle)
        return WalkRle(bytes.subspan(f.pixelOffset, f.pixelSize), f, {});
    return {};
}

}  // namespace

std::string CheckBitmapFile(std::span<const std::uint8_t> bytes, BitmapFileFacts* facts)
{
    // In the order of the file; each check relies on what the ones before it found.
    using Check = std::string (*)(std::span<const std::uint8_t>, BitmapFileFacts&);
    constexpr Check kChecks[] = {CheckHeaderSize, CheckDimensions, CheckCompression, CheckMasks,
                                 CheckPalette,    CheckProfile,    CheckPixels};
    BitmapFileFacts f;
    for (Check check : kChecks) {
        std::string reason = check(bytes, f);
        if (!reason.empty())
            return reason;
    }
    if (facts)
        *facts = f;
    return {};
}

void DecodeRlePixels(std::span<const std::uint8_t> bytes, const BitmapFileFacts& facts, std::span<std::uint8_t> rows)
{
    if (rows.size() < facts.stride * static_cast<std::size_t>(facts.height))
        return;
    std::fill(rows.begin(), rows.end(), std::uint8_t{0});
    WalkRle(bytes.subspan(facts.pixelOffset, facts.pixelSize), facts, rows);
}

}  // namespace nb::bmp
