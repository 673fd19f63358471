// BitmapData's methods that mix pixels into others: copyChannel, merge, scroll, threshold and
// paletteMap.
#include "swf/avm1/BitmapPixels.h"

#include <string>
#include <vector>

namespace swf::avm1 {
namespace {

// The source pixels of a placement, straight, read before any destination pixel is written
// (the source may be the destination), with their bytes held while they are kept.
class SourcePixels {
public:
    SourcePixels(Vm& vm, const Bitmap& source, const Area& from) : m_vm(vm), m_bytes(from.Pixels() * sizeof(uint32_t))
    {
        vm.Hold(m_bytes);
        m_pixels.reserve(from.Pixels());
        for (int y = from.y0; y < from.y1; ++y)
            for (int x = from.x0; x < from.x1; ++x)
                m_pixels.push_back(Straight(source.pixels[static_cast<std::size_t>(y) * source.width + x]));
    }
    ~SourcePixels() { m_vm.Release(m_bytes); }
    SourcePixels(const SourcePixels&) = delete;
    SourcePixels& operator=(const SourcePixels&) = delete;
    // Calls mix(destination pixel, source pixel) for each pixel of the placement, row by row.
    template <typename Mix>
    void MixInto(Bitmap& dest, const Placement& at, Mix mix) const
    {
        std::size_t next = 0;
        for (int y = at.from.y0; y < at.from.y1; ++y)
            for (int x = at.from.x0; x < at.from.x1; ++x)
                mix(PixelAt(dest, x + at.dx, y + at.dy), m_pixels[next++]);
    }

private:
    Vm& m_vm;
    std::size_t m_bytes;
    std::vector<uint32_t> m_pixels;
};

// Where a channel (1 red, 2 green, 4 blue, 8 alpha) lies in 0xAARRGGBB; -1 for none.
int ChannelShift(int channel)
{
    switch (channel) {
    case 1: return 16;
    case 2: return 8;
    case 4: return 0;
    case 8: return 24;
    default: return -1;
    }
}

// copyChannel(source, rect, point, sourceChannel, destChannel): one channel of the source's
// pixels of `rect` becomes another channel of the pixels at `point`. An opaque bitmap's alpha
// stays whole.
Value BitmapDataCopyChannel(NativeCall& c)
{
    Vm& vm = c.vm;
    Bitmap* dest = BitmapOf(c.self);
    const Bitmap* source = BitmapOf(c.Arg(0));
    const int from = ChannelShift(vm.ToInt(c.Arg(3))), to = ChannelShift(vm.ToInt(c.Arg(4)));
    if (!dest || !source || from < 0 || to < 0 || (to == 24 && !IsTransparent(vm, c.self)))
        return Value{};
    const Placement at = PlaceArea(vm, *source, c.Arg(1), *dest, c.Arg(2));
    vm.Charge(at.from.Pixels() / 32);
    SourcePixels(vm, *source, at.from).MixInto(*dest, at, [&](uint32_t& d, uint32_t s) {
        d = Premultiplied((Straight(d) & ~(uint32_t{255} << to)) | (s >> from & 255) << to);
    });
    return Value{};
}

// merge(source, rect, point, redMult, greenMult, blueMult, alphaMult): each channel of the
// pixels at `point` becomes (source * mult + dest * (256 - mult)) / 256, mult 0 .. 256.
Value BitmapDataMerge(NativeCall& c)
{
    Vm& vm = c.vm;
    Bitmap* dest = BitmapOf(c.self);
    const Bitmap* source = BitmapOf(c.Arg(0));
    if (!dest || !source)
        return Value{};
    uint32_t mult[4];  // alpha, red, green, blue: the order of 0xAARRGGBB from the top
    for (int i = 0; i < 4; ++i) {
        const double m = vm.ToNumber(c.Arg(i == 0 ? 6 : 2 + i));
        mult[i] = std::isnan(m) ? 0 : static_cast<uint32_t>(std::clamp(m, 0.0, 256.0));
    }
    const bool opaque = !IsTransparent(vm, c.self);
    const Placement at = PlaceArea(vm, *source, c.Arg(1), *dest, c.Arg(2));
    vm.Charge(at.from.Pixels() / 16);
    SourcePixels(vm, *source, at.from).MixInto(*dest, at, [&](uint32_t& d, uint32_t s) {
        const uint32_t old = Straight(d);
        uint32_t out = 0;
        for (int i = 0; i < 4; ++i) {
            const int shift = 24 - 8 * i;
            const uint32_t a = s >> shift & 255, b = old >> shift & 255;
            out |= (a * mult[i] + b * (256 - mult[i])) / 256 << shift;
        }
        d = Premultiplied(opaque ? out | 0xFF000000 : out);
    });
    return Value{};
}

// scroll(x, y): the pixels move by (x, y); those the move uncovers keep what they were.
Value BitmapDataScroll(NativeCall& c)
{
    Vm& vm = c.vm;
    Bitmap* b = BitmapOf(c.self);
    const double sx = vm.ToNumber(c.Arg(0)), sy = vm.ToNumber(c.Arg(1));
    if (!b || !std::isfinite(sx) || !std::isfinite(sy))
        return Value{};
    const int dx = static_cast<int>(std::clamp(sx, -1e6, 1e6)), dy = static_cast<int>(std::clamp(sy, -1e6, 1e6));
    const Area from{std::clamp(-dx, 0, b->width), std::clamp(-dy, 0, b->height), std::clamp(b->width - dx, 0, b->width),
                    std::clamp(b->height - dy, 0, b->height)};
    if (from.x1 <= from.x0 || from.y1 <= from.y0)
        return Value{};
    vm.Charge(from.Pixels() / 64);
    const std::size_t bytes = b->pixels.size() * sizeof(uint32_t);
    vm.Hold(bytes);
    const std::vector<uint32_t> old = b->pixels;
    for (int y = from.y0; y < from.y1; ++y)
        std::copy_n(old.begin() + static_cast<std::ptrdiff_t>(y) * b->width + from.x0, from.x1 - from.x0,
                    b->pixels.begin() + static_cast<std::ptrdiff_t>(y + dy) * b->width + from.x0 + dx);
    vm.Release(bytes);
    return Value{};
}

// Whether `value` stands to `limit` as the operation ("<", "<=", ">", ">=", "==", "!=") says.
bool Compare(const std::string& operation, uint32_t value, uint32_t limit)
{
    if (operation == "<")
        return value < limit;
    if (operation == "<=")
        return value <= limit;
    if (operation == ">")
        return value > limit;
    if (operation == ">=")
        return value >= limit;
    if (operation == "==")
        return value == limit;
    if (operation == "!=")
        return value != limit;
    return false;
}

// threshold(source, rect, point, operation, threshold, color, mask, copySource): each source
// pixel ANDed with mask is compared with threshold ANDed with mask; where the comparison holds,
// the pixel at `point` takes `color`, elsewhere (with copySource) the source pixel. Returns
// how many pixels took the colour.
Value BitmapDataThreshold(NativeCall& c)
{
    Vm& vm = c.vm;
    Bitmap* dest = BitmapOf(c.self);
    const Bitmap* source = BitmapOf(c.Arg(0));
    if (!dest || !source)
        return Value::Number(0);
    const std::string operation = vm.ToString(c.Arg(3));
    const uint32_t mask = c.args.size() > 6 ? static_cast<uint32_t>(vm.ToInt(c.args[6])) : 0xFFFFFFFF;
    const uint32_t limit = static_cast<uint32_t>(vm.ToInt(c.Arg(4))) & mask;
    uint32_t color = static_cast<uint32_t>(vm.ToInt(c.Arg(5)));
    const bool copySource = vm.ToBool(c.Arg(7)), opaque = !IsTransparent(vm, c.self);
    if (opaque)
        color |= 0xFF000000;
    const Placement at = PlaceArea(vm, *source, c.Arg(1), *dest, c.Arg(2));
    vm.Charge(at.from.Pixels() / 32);
    std::size_t changed = 0;
    SourcePixels(vm, *source, at.from).MixInto(*dest, at, [&](uint32_t& d, uint32_t s) {
        if (Compare(operation, s & mask, limit)) {
            d = Premultiplied(color);
            ++changed;
        } else if (copySource) {
            d = Premultiplied(opaque ? s | 0xFF000000 : s);
        }
    });
    return Value::Number(static_cast<double>(changed));
}

// paletteMap(source, rect, point, redArray, greenArray, blueArray, alphaArray): each channel of
// a source pixel picks an entry of its array, and the pixel at `point` is the sum of the four
// entries; a channel without an array of 256 keeps its value.
Value BitmapDataPaletteMap(NativeCall& c)
{
    Vm& vm = c.vm;
    Bitmap* dest = BitmapOf(c.self);
    const Bitmap* source = BitmapOf(c.Arg(0));
    if (!dest || !source)
        return Value{};
    static constexpr int kShifts[4] = {16, 8, 0, 24};  // red, green, blue, alpha
    std::vector<uint32_t> table(4 * 256);
    vm.Charge(4 * 256 / 8);
    for (int ch = 0; ch < 4; ++ch) {
        const Object* array = ArrayOf(c.Arg(3 + ch));
        const bool given = array && array->elements.size() >= 256;
        for (uint32_t v = 0; v < 256; ++v)
            table[ch * 256 + v] = given ? static_cast<uint32_t>(vm.ToInt(array->elements[v])) : v << kShifts[ch];
    }
    const bool opaque = !IsTransparent(vm, c.self);
    const Placement at = PlaceArea(vm, *source, c.Arg(1), *dest, c.Arg(2));
    vm.Charge(at.from.Pixels() / 16);
    SourcePixels(vm, *source, at.from).MixInto(*dest, at, [&](uint32_t& d, uint32_t s) {
        uint32_t out = 0;
        for (int ch = 0; ch < 4; ++ch)
            out += table[ch * 256 + (s >> kShifts[ch] & 255)];
        d = Premultiplied(opaque ? out | 0xFF000000 : out);
    });
    return Value{};
}

const NativeMethod kBitmapDataMixMethods[] = {
    {"copyChannel", BitmapDataCopyChannel, 5},
    {"merge", BitmapDataMerge, 7},
    {"scroll", BitmapDataScroll, 2},
    {"threshold", BitmapDataThreshold, 8},
    {"paletteMap", BitmapDataPaletteMap, 7},
};

}  // namespace

void InstallBitmapDataMixes(Vm& vm, Object& proto)
{
    DefineMethods(vm, proto, kBitmapDataMixMethods);
}

}  // namespace swf::avm1
