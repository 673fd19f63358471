// BitmapData's methods that copy pixels: copyPixels, clone, draw (a clip or a bitmap drawn by
// the player's clip painter), pixelDissolve, floodFill and getColorBoundsRect.
#include "swf/avm1/BitmapPixels.h"
#include "swf/player/Player.h"

#include <vector>

namespace swf::avm1 {
namespace {

constexpr std::size_t kSamplesWhileDrawing = 4;  // what an anti-aliased painter keeps a pixel

// A premultiplied pixel with its alpha scaled by `alpha` / 255.
uint32_t FadeBy(uint32_t p, uint32_t alpha)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
        out |= ((p >> shift & 255) * alpha + 127) / 255 << shift;
    return out;
}

// `top` over `bottom`, both premultiplied.
uint32_t Over(uint32_t top, uint32_t bottom)
{
    const uint32_t rest = 255 - (top >> 24);
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
        out |= std::min<uint32_t>(255, (top >> shift & 255) + ((bottom >> shift & 255) * rest + 127) / 255) << shift;
    return out;
}

// copyPixels(source, rect, point, alphaBitmap, alphaPoint, mergeAlpha): the source's pixels of
// `rect` to `point`. An alpha bitmap scales each pixel's alpha by its own at `alphaPoint` plus
// the pixel's place in the rectangle (outside it nothing is copied); with mergeAlpha the pixels
// are laid over the destination's, else they replace them. An opaque destination stays opaque.
Value BitmapDataCopyPixels(NativeCall& c)
{
    Vm& vm = c.vm;
    Bitmap* dest = BitmapOf(c.self);
    const Bitmap* source = BitmapOf(c.Arg(0));
    if (!dest || !source)
        return Value{};
    const Placement at = PlaceArea(vm, *source, c.Arg(1), *dest, c.Arg(2));
    const Bitmap* alpha = BitmapOf(c.Arg(3));
    const int ax = static_cast<int>(std::clamp(FieldNumber(vm, c.Arg(4), "x"), -1e6, 1e6)) - at.rectX;
    const int ay = static_cast<int>(std::clamp(FieldNumber(vm, c.Arg(4), "y"), -1e6, 1e6)) - at.rectY;
    const bool merge = vm.ToBool(c.Arg(5));
    const bool opaque = !IsTransparent(vm, c.self);
    vm.Charge(at.from.Pixels() / 32);
    // The source may be the destination: its pixels are read before any is written.
    const std::size_t copyBytes = at.from.Pixels() * sizeof(uint32_t);
    vm.Hold(copyBytes);
    std::vector<uint32_t> pixels;
    pixels.reserve(at.from.Pixels());
    for (int y = at.from.y0; y < at.from.y1; ++y)
        for (int x = at.from.x0; x < at.from.x1; ++x)
            pixels.push_back(source->pixels[static_cast<std::size_t>(y) * source->width + x]);
    std::size_t next = 0;
    for (int y = at.from.y0; y < at.from.y1; ++y)
        for (int x = at.from.x0; x < at.from.x1; ++x) {
            uint32_t p = pixels[next++];
            if (alpha) {
                const int u = x + ax, v = y + ay;
                const bool inside = u >= 0 && u < alpha->width && v >= 0 && v < alpha->height;
                p = FadeBy(p, inside ? alpha->pixels[static_cast<std::size_t>(v) * alpha->width + u] >> 24 : 0);
            }
            uint32_t& d = PixelAt(*dest, x + at.dx, y + at.dy);
            if (merge)
                p = Over(p, d);
            if (opaque)
                p = Premultiplied(Straight(p) | 0xFF000000);
            d = p;
        }
    vm.Release(copyBytes);
    return Value{};
}

Value BitmapDataClone(NativeCall& c)
{
    const Bitmap* b = BitmapOf(c.self);
    if (!b || b->pixels.empty())
        return Value{};
    c.vm.Charge(b->pixels.size() / 64);
    c.vm.Hold(b->pixels.size() * sizeof(uint32_t));
    return Value::Obj(&c.vm.NewBitmapData(*b, IsTransparent(c.vm, c.self)));
}

// A flash.geom.Matrix in pixels, or none.
Matrix PixelMatrix(Vm& vm, const Value& m)
{
    if (!m.IsObject())
        return Matrix{};
    auto field = [&](const char* name, double fallback) {
        const Value v = vm.Get(m, name);
        const double n = vm.ToNumber(v);
        return v.IsUndefined() || !std::isfinite(n) ? fallback : std::clamp(n, -1e6, 1e6);
    };
    return {field("a", 1), field("b", 0), field("c", 0), field("d", 1), field("tx", 0), field("ty", 0)};
}

// A flash.geom.ColorTransform as the renderer's transform, or none.
CxForm ColorTransformOf(Vm& vm, const Value& ct)
{
    CxForm cx;
    if (!ct.IsObject())
        return cx;
    const char* names[][2] = {{"rMult", "rAdd"}, {"gMult", "gAdd"}, {"bMult", "bAdd"}, {"aMult", "aAdd"}};
    for (int i = 0; i < 4; ++i) {
        cx.mul[i] = std::clamp(FieldNumber(vm, ct, names[i][0]) * 256, -65536.0, 65536.0);
        cx.add[i] = std::clamp(FieldNumber(vm, ct, names[i][1]), -65536.0, 65536.0);
    }
    return cx;
}

// draw(source, matrix, colorTransform, blendMode, clipRect, smoothing): a clip's content (without
// its own matrix and colour transform) or a bitmap drawn over the pixels through the matrix and
// colour transform, anti-aliased; only the pixels inside clipRect, when given, change.
Value BitmapDataDraw(NativeCall& c)
{
    Vm& vm = c.vm;
    Bitmap* dest = BitmapOf(c.self);
    const Bitmap* image = BitmapOf(c.Arg(0));
    const Clip* clip = image ? nullptr : vm.ClipOf(c.Arg(0));
    if (!dest || dest->pixels.empty() || (!image && !clip))
        return Value{};
    Area keep{0, 0, dest->width, dest->height};
    if (c.Arg(4).IsObject())
        keep = AreaOf(vm, *dest, c.Arg(4));
    const ClipPainter& paint = vm.GetPlayer().GetClipPainter();
    if (!paint)
        return Value{};
    vm.Charge(dest->pixels.size() / 16);
    // A copy of the pixels and the renderer's four samples a pixel while it draws.
    const std::size_t bytes = dest->pixels.size() * sizeof(uint32_t) * (1 + kSamplesWhileDrawing);
    vm.Hold(bytes);
    Bitmap canvas = *dest;
    const Matrix m = PixelMatrix(vm, c.Arg(1)) * Matrix::Scale(1.0 / 20, 1.0 / 20);
    // The frame pays for the drawing, which one call keeps within a frame's work.
    const std::size_t used = paint(vm.GetPlayer(), clip, image, canvas, m, ColorTransformOf(vm, c.Arg(2)));
    vm.Charge(used / kCostAction + 1);
    const bool opaque = !IsTransparent(vm, c.self);
    for (int y = keep.y0; y < keep.y1; ++y)
        for (int x = keep.x0; x < keep.x1; ++x) {
            const uint32_t p = PixelAt(canvas, x, y);
            PixelAt(*dest, x, y) = opaque && p >> 24 != 255 ? Premultiplied(Straight(p) | 0xFF000000) : p;
        }
    vm.Release(bytes);
    return Value{};
}

// The order in which pixelDissolve visits a rectangle's pixels: a maximal-length shift register
// of the fewest bits that count them, whose states 1 .. 2^bits - 1 each come once per round;
// states past the last pixel are skipped.
class DissolveOrder {
public:
    DissolveOrder(std::size_t pixels, double seed)
    {
        // Feedback masks of maximal-length Galois registers of 2 .. 24 bits.
        static constexpr uint32_t kMasks[] = {0x3,     0x6,     0xC,     0x14,     0x30,     0x60,     0xB8,    0x110,
                                              0x240,   0x500,   0x829,   0x100D,   0x2015,   0x6000,   0xD008,  0x12000,
                                              0x20400, 0x40023, 0x90000, 0x140000, 0x300000, 0x420000, 0xE10000};
        int bits = 2;
        while (bits < 24 && (std::size_t{1} << bits) <= pixels)
            ++bits;
        m_mask = kMasks[bits - 2];
        m_period = (uint32_t{1} << bits) - 1;
        const double s = std::isfinite(seed) ? std::fabs(std::trunc(seed)) : 0;
        m_state = 1 + static_cast<uint32_t>(std::fmod(s, m_period));
        m_pixels = pixels;
    }
    // The next pixel's index.
    std::size_t Next()
    {
        std::size_t index;
        do {
            index = m_state - 1;
            m_state = (m_state >> 1) ^ (m_state & 1 ? m_mask : 0);
        } while (index >= m_pixels);
        return index;
    }
    // The seed that goes on from here.
    double Seed() const { return m_state - 1; }

private:
    uint32_t m_mask = 0, m_period = 0, m_state = 1;
    std::size_t m_pixels = 0;
};

// pixelDissolve(source, rect, point, seed, numPixels, fillColor): numPixels of the rectangle's
// pixels (a thirtieth of them by default), chosen from the seed, are copied from the source to
// `point`, or, when the source is this bitmap, take fillColor. Returns the seed of the next call.
Value BitmapDataPixelDissolve(NativeCall& c)
{
    Vm& vm = c.vm;
    Bitmap* dest = BitmapOf(c.self);
    const Bitmap* source = BitmapOf(c.Arg(0));
    if (!dest || !source)
        return Value::Number(0);
    const Placement at = PlaceArea(vm, *source, c.Arg(1), *dest, c.Arg(2));
    const std::size_t pixels = at.from.Pixels();
    const double wanted = c.Arg(4).IsUndefined() ? static_cast<double>(pixels) / 30 : vm.ToNumber(c.Arg(4));
    const std::size_t count =
        std::isnan(wanted) ? 0 : static_cast<std::size_t>(std::clamp(wanted, 0.0, static_cast<double>(pixels)));
    DissolveOrder order(pixels, vm.ToNumber(c.Arg(3)));
    if (count == 0)
        return Value::Number(order.Seed());
    // Each pixel costs about two steps of the register.
    vm.Charge(count / 8);
    const bool opaque = !IsTransparent(vm, c.self);
    uint32_t fill = static_cast<uint32_t>(vm.ToInt(c.Arg(5)));
    if (opaque)
        fill |= 0xFF000000;
    const bool same = source == dest;
    const int width = at.from.x1 - at.from.x0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t index = order.Next();
        const int x = at.from.x0 + static_cast<int>(index % static_cast<std::size_t>(width));
        const int y = at.from.y0 + static_cast<int>(index / static_cast<std::size_t>(width));
        uint32_t p = same ? Premultiplied(fill) : source->pixels[static_cast<std::size_t>(y) * source->width + x];
        if (opaque && p >> 24 != 255)
            p = Premultiplied(Straight(p) | 0xFF000000);
        PixelAt(*dest, x + at.dx, y + at.dy) = p;
    }
    return Value::Number(order.Seed());
}

// floodFill(x, y, color): the pixels of the same colour as (x, y) that touch it side by side,
// and those that touch them, take the colour.
Value BitmapDataFloodFill(NativeCall& c)
{
    Vm& vm = c.vm;
    Bitmap* b = BitmapOf(c.self);
    const double fx = vm.ToNumber(c.Arg(0)), fy = vm.ToNumber(c.Arg(1));
    if (!b || !(fx >= 0 && fx < b->width && fy >= 0 && fy < b->height))
        return Value{};
    uint32_t argb = static_cast<uint32_t>(vm.ToInt(c.Arg(2)));
    if (!IsTransparent(vm, c.self))
        argb |= 0xFF000000;
    const uint32_t fill = Premultiplied(argb);
    const uint32_t target = PixelAt(*b, static_cast<int>(fx), static_cast<int>(fy));
    if (target == fill)
        return Value{};
    vm.Charge(b->pixels.size() / 64);
    const std::size_t stackBytes = b->pixels.size() * sizeof(uint32_t);
    vm.Hold(stackBytes);
    // Each pixel is filled when it is pushed, so it is pushed at most once.
    std::vector<uint32_t> todo;
    auto push = [&](int x, int y) {
        if (x >= 0 && x < b->width && y >= 0 && y < b->height && PixelAt(*b, x, y) == target) {
            PixelAt(*b, x, y) = fill;
            todo.push_back(static_cast<uint32_t>(y) * static_cast<uint32_t>(b->width) + static_cast<uint32_t>(x));
        }
    };
    push(static_cast<int>(fx), static_cast<int>(fy));
    while (!todo.empty()) {
        const int x = static_cast<int>(todo.back() % static_cast<uint32_t>(b->width));
        const int y = static_cast<int>(todo.back() / static_cast<uint32_t>(b->width));
        todo.pop_back();
        push(x - 1, y);
        push(x + 1, y);
        push(x, y - 1);
        push(x, y + 1);
    }
    vm.Release(stackBytes);
    return Value{};
}

// getColorBoundsRect(mask, color, findColor): the smallest Rectangle holding every pixel whose
// colour ANDed with mask is `color` (or, when findColor is false, is not); an empty one at 0, 0
// when there is none.
Value BitmapDataGetColorBoundsRect(NativeCall& c)
{
    Vm& vm = c.vm;
    const Bitmap* b = BitmapOf(c.self);
    if (!b)
        return Value{};
    const uint32_t mask = static_cast<uint32_t>(vm.ToInt(c.Arg(0)));
    const uint32_t color = static_cast<uint32_t>(vm.ToInt(c.Arg(1)));
    const bool find = c.args.size() < 3 || vm.ToBool(c.args[2]);
    vm.Charge(b->pixels.size() / 64);
    int x0 = b->width, y0 = b->height, x1 = -1, y1 = -1;
    for (int y = 0; y < b->height; ++y)
        for (int x = 0; x < b->width; ++x)
            if (((Straight(b->pixels[static_cast<std::size_t>(y) * b->width + x]) & mask) == color) == find) {
                x0 = std::min(x0, x);
                x1 = std::max(x1, x);
                y0 = std::min(y0, y);
                y1 = std::max(y1, y);
            }
    if (x1 < 0)
        x0 = y0 = 0, x1 = y1 = -1;
    const Value rectangle = vm.Get(vm.Get(vm.Get(Value::Obj(vm.m_global), "flash"), "geom"), "Rectangle");
    return vm.Construct(rectangle, {Value::Number(x0), Value::Number(y0), Value::Number(x1 + 1 - x0),
                                    Value::Number(y1 + 1 - y0)});
}

const NativeMethod kBitmapDataCopyMethods[] = {
    {"copyPixels", BitmapDataCopyPixels, 6},
    {"clone", BitmapDataClone, 0},
    {"draw", BitmapDataDraw, 6},
    {"floodFill", BitmapDataFloodFill, 3},
    {"getColorBoundsRect", BitmapDataGetColorBoundsRect, 3},
    {"pixelDissolve", BitmapDataPixelDissolve, 6},
};

}  // namespace

void InstallBitmapDataCopies(Vm& vm, Object& proto)
{
    DefineMethods(vm, proto, kBitmapDataCopyMethods);
}

}  // namespace swf::avm1
