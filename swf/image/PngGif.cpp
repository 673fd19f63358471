#include "swf/image/PngGif.h"

#include "swf/base/Inflate.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace swf {
namespace {

uint32_t BigEndian32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

uint32_t Pixel(uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    return Premultiply(Rgba{r, g, b, a});
}

// Reverses a PNG row filter in place; `prior` is the row above (zeros for the first).
void Unfilter(uint8_t type, uint8_t* row, const uint8_t* prior, std::size_t bytes, std::size_t bpp)
{
    for (std::size_t i = 0; i < bytes; ++i) {
        const int a = i >= bpp ? row[i - bpp] : 0, b = prior[i], c = i >= bpp ? prior[i - bpp] : 0;
        int add = 0;
        if (type == 1) {
            add = a;
        } else if (type == 2) {
            add = b;
        } else if (type == 3) {
            add = (a + b) / 2;
        } else if (type == 4) {
            const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
            add = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
        }
        row[i] = static_cast<uint8_t>(row[i] + add);
    }
}

// A GIF's colour table of 2 << (flags & 7) entries at `pos` into `table`; false when cut short.
bool ReadGifColors(const uint8_t* data, std::size_t size, std::size_t& pos, uint8_t flags, std::vector<uint32_t>& table)
{
    const std::size_t n = std::size_t{2} << (flags & 7);
    if (pos + 3 * n > size)
        return false;
    for (std::size_t i = 0; i < n; ++i)
        table[i] = Pixel(data[pos + 3 * i], data[pos + 3 * i + 1], data[pos + 3 * i + 2], 255);
    pos += 3 * n;
    return true;
}

// An extension after its introducer; the graphic control one names the transparent index.
bool SkipGifExtension(const uint8_t* data, std::size_t size, std::size_t& pos, int& transparent)
{
    if (pos + 1 > size)
        return false;
    const uint8_t label = data[pos++];
    while (pos < size && data[pos] != 0) {
        const std::size_t n = data[pos];
        if (pos + 1 + n > size)
            return false;
        if (label == 0xF9 && n >= 4 && (data[pos + 1] & 1))
            transparent = data[pos + 4];
        pos += 1 + n;
    }
    ++pos;
    return true;
}

// The bytes of an image's sub-blocks, joined.
bool ReadGifSubBlocks(const uint8_t* data, std::size_t size, std::size_t& pos, std::vector<uint8_t>& out)
{
    while (pos < size && data[pos] != 0) {
        const std::size_t n = data[pos];
        if (pos + 1 + n > size)
            return false;
        out.insert(out.end(), data + pos + 1, data + pos + 1 + n);
        pos += 1 + n;
    }
    return true;
}

// LZW codes of `minCode` bits and up to at most `count` palette indices; false for a code
// that names no string yet.
bool DecodeGifLzw(const std::vector<uint8_t>& lzw, int minCode, std::size_t count, std::vector<uint8_t>& indices)
{
    indices.reserve(count);
    const int clear = 1 << minCode, end = clear + 1;
    std::vector<uint16_t> prefix(4096);
    std::vector<uint8_t> suffix(4096), stack;
    int codeSize = minCode + 1, next = end + 1, previous = -1;
    uint8_t first = 0;
    uint32_t bits = 0;
    int nBits = 0;
    // Codes that end inside the last byte are read too.
    for (std::size_t i = 0; (i < lzw.size() || nBits >= codeSize) && indices.size() < count;) {
        while (nBits < codeSize && i < lzw.size()) {
            bits |= static_cast<uint32_t>(lzw[i++]) << nBits;
            nBits += 8;
        }
        if (nBits < codeSize)
            break;
        const int code = static_cast<int>(bits & ((1u << codeSize) - 1));
        bits >>= codeSize;
        nBits -= codeSize;
        if (code == clear) {
            codeSize = minCode + 1;
            next = end + 1;
            previous = -1;
            continue;
        }
        if (code == end)
            break;
        int c = code;
        stack.clear();
        if (previous < 0) {
            if (code >= clear)
                return false;
            first = static_cast<uint8_t>(code);
            indices.push_back(first);
            previous = code;
            continue;
        }
        if (c >= next) {
            if (c > next)
                return false;
            stack.push_back(first);
            c = previous;
        }
        while (c >= clear) {
            stack.push_back(suffix[c]);
            c = prefix[c];
        }
        first = static_cast<uint8_t>(c);
        stack.push_back(first);
        for (auto it = stack.rbegin(); it != stack.rend() && indices.size() < count; ++it)
            indices.push_back(*it);
        if (next < 4096) {
            prefix[next] = static_cast<uint16_t>(previous);
            suffix[next] = first;
            if (++next == 1 << codeSize && codeSize < 12)
                ++codeSize;
        }
        previous = code;
    }
    return true;
}

// The image's rows in the order it stores them: interlaced images store rows 0, 8, ... then
// 4, 12, ... then 2, 6, ... then 1, 3, ...
std::vector<std::size_t> GifRowOrder(std::size_t rowCount, bool interlaced)
{
    std::vector<std::size_t> rows;
    if (interlaced) {
        for (const auto& [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
            for (std::size_t r = start; r < rowCount; r += step)
                rows.push_back(r);
    } else {
        for (std::size_t r = 0; r < rowCount; ++r)
            rows.push_back(r);
    }
    return rows;
}

}  // namespace

bool IsPng(const uint8_t* data, std::size_t size)
{
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    return size >= 8 && std::memcmp(data, kSignature, 8) == 0;
}

bool IsGif(const uint8_t* data, std::size_t size)
{
    return size >= 6 && (std::memcmp(data, "GIF87a", 6) == 0 || std::memcmp(data, "GIF89a", 6) == 0);
}

bool DecodePng(const uint8_t* data, std::size_t size, std::size_t maxPixels, Bitmap& out)
{
    out = Bitmap{};
    std::size_t w = 0, h = 0;
    int depth = 0, colorType = -1;
    std::vector<uint8_t> idat;
    std::vector<uint32_t> palette(256, Pixel(0, 0, 0, 255));
    int transparentGray = -1;
    uint8_t transparentRgb[3] = {0, 0, 0};
    bool hasTransparentRgb = false;
    for (std::size_t pos = 8; pos + 12 <= size;) {
        const std::size_t length = BigEndian32(data + pos);
        if (length > size - pos - 12)
            return false;
        const uint8_t* type = data + pos + 4;
        const uint8_t* body = data + pos + 8;
        if (std::memcmp(type, "IHDR", 4) == 0 && length >= 13) {
            w = BigEndian32(body);
            h = BigEndian32(body + 4);
            depth = body[8];
            colorType = body[9];
            if (body[10] != 0 || body[11] != 0 || body[12] != 0)
                return false;  // unknown compression or filter method, or interlaced
        } else if (std::memcmp(type, "PLTE", 4) == 0) {
            for (std::size_t i = 0; i < std::min<std::size_t>(256, length / 3); ++i)
                palette[i] = Pixel(body[3 * i], body[3 * i + 1], body[3 * i + 2], 255);
        } else if (std::memcmp(type, "tRNS", 4) == 0) {
            if (colorType == 3) {
                for (std::size_t i = 0; i < std::min<std::size_t>(256, length); ++i) {
                    const Rgba c = Unpremultiply(palette[i]);
                    palette[i] = Pixel(c.r, c.g, c.b, body[i]);
                }
            } else if (colorType == 0 && length >= 2) {
                transparentGray = body[1];
            } else if (colorType == 2 && length >= 6) {
                transparentRgb[0] = body[1];
                transparentRgb[1] = body[3];
                transparentRgb[2] = body[5];
                hasTransparentRgb = true;
            }
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            idat.insert(idat.end(), body, body + length);
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            break;
        }
        pos += length + 12;
    }
    const int channels = colorType == 0 ? 1 : colorType == 2 ? 3 : colorType == 3 ? 1 : colorType == 4 ? 2 : colorType == 6 ? 4 : 0;
    const bool depthOk = depth == 8 || depth == 16 || ((colorType == 0 || colorType == 3) && (depth == 1 || depth == 2 || depth == 4));
    if (channels == 0 || !depthOk || w == 0 || h == 0 || w > 65535 || h > 65535 || w * h > maxPixels)
        return false;
    const std::size_t bitsPerPixel = static_cast<std::size_t>(channels) * depth;
    const std::size_t rowBytes = (w * bitsPerPixel + 7) / 8;
    const std::size_t bpp = std::max<std::size_t>(1, bitsPerPixel / 8);
    std::vector<uint8_t> raw;
    try {
        raw = Inflate(idat.data(), idat.size(), (rowBytes + 1) * h);
    } catch (const FormatError&) {
        return false;
    }
    if (raw.size() < (rowBytes + 1) * h)
        return false;
    std::vector<uint8_t> zero(rowBytes, 0);
    out.width = static_cast<int>(w);
    out.height = static_cast<int>(h);
    out.pixels.resize(w * h);
    const int step = depth == 16 ? 2 : 1;  // 16-bit samples keep their high byte
    for (std::size_t y = 0; y < h; ++y) {
        uint8_t* row = &raw[y * (rowBytes + 1) + 1];
        const uint8_t* prior = y == 0 ? zero.data() : &raw[(y - 1) * (rowBytes + 1) + 1];
        Unfilter(row[-1], row, prior, rowBytes, bpp);
        for (std::size_t x = 0; x < w; ++x) {
            uint32_t& p = out.pixels[y * w + x];
            if (depth < 8) {
                const std::size_t bit = x * depth;
                const int v = row[bit / 8] >> (8 - depth - bit % 8) & ((1 << depth) - 1);
                if (colorType == 3) {
                    p = palette[v];
                } else {
                    const uint8_t g = static_cast<uint8_t>(v * 255 / ((1 << depth) - 1));
                    p = Pixel(g, g, g, v == transparentGray ? 0 : 255);
                }
                continue;
            }
            const uint8_t* s = row + x * channels * step;
            auto at = [&](int k) { return s[k * step]; };
            if (colorType == 3)
                p = palette[at(0)];
            else if (colorType == 0)
                p = Pixel(at(0), at(0), at(0), at(0) == transparentGray && depth == 8 ? 0 : 255);
            else if (colorType == 4)
                p = Pixel(at(0), at(0), at(0), at(1));
            else if (colorType == 2)
                p = Pixel(at(0), at(1), at(2),
                          hasTransparentRgb && depth == 8 && at(0) == transparentRgb[0] && at(1) == transparentRgb[1] &&
                                  at(2) == transparentRgb[2] ? 0 : 255);
            else
                p = Pixel(at(0), at(1), at(2), at(3));
        }
    }
    return true;
}

bool DecodeGif(const uint8_t* data, std::size_t size, std::size_t maxPixels, Bitmap& out)
{
    out = Bitmap{};
    if (size < 13)
        return false;
    const std::size_t w = data[6] | data[7] << 8, h = data[8] | data[9] << 8;
    if (w == 0 || h == 0 || w * h > maxPixels)
        return false;
    std::size_t pos = 13;
    std::vector<uint32_t> global(256, Pixel(0, 0, 0, 255));
    if ((data[10] & 0x80) && !ReadGifColors(data, size, pos, data[10], global))
        return false;
    int transparent = -1;
    while (pos < size) {
        const uint8_t block = data[pos++];
        if (block == 0x21) {
            if (!SkipGifExtension(data, size, pos, transparent))
                return false;
            continue;
        }
        if (block != 0x2C || pos + 9 > size)
            return false;
        const std::size_t left = data[pos] | data[pos + 1] << 8, top = data[pos + 2] | data[pos + 3] << 8;
        const std::size_t iw = data[pos + 4] | data[pos + 5] << 8, ih = data[pos + 6] | data[pos + 7] << 8;
        const uint8_t flags = data[pos + 8];
        pos += 9;
        if (iw * ih > maxPixels)
            return false;
        std::vector<uint32_t> table = global;
        if ((flags & 0x80) && !ReadGifColors(data, size, pos, flags, table))
            return false;
        if (pos >= size)
            return false;
        const int minCode = data[pos++];
        if (minCode < 2 || minCode > 11)
            return false;
        std::vector<uint8_t> lzw, indices;
        if (!ReadGifSubBlocks(data, size, pos, lzw) || !DecodeGifLzw(lzw, minCode, iw * ih, indices))
            return false;
        out.width = static_cast<int>(w);
        out.height = static_cast<int>(h);
        out.pixels.assign(w * h, 0);
        const std::vector<std::size_t> rows = GifRowOrder(ih, flags & 0x40);
        for (std::size_t k = 0; k < indices.size(); ++k) {
            const std::size_t x = left + k % iw, y = top + rows[k / iw];
            if (x < w && y < h && indices[k] != transparent)
                out.pixels[y * w + x] = table[indices[k]];
        }
        return true;
    }
    return false;
}

}  // namespace swf
