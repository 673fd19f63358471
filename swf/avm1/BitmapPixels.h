// What the BitmapData built-ins share: the bitmap behind an object, the pixels a Rectangle
// covers, and the change between straight and premultiplied colours.
#pragma once

#include "swf/avm1/Native.h"

#include <algorithm>
#include <cmath>

namespace swf::avm1 {

inline Bitmap* BitmapOf(const Value& self)
{
    return self.IsObject() && self.o->bitmap ? self.o->bitmap.get() : nullptr;
}

// The pixels of `rect` (a Rectangle) that lie inside the bitmap: x0 .. x1, y0 .. y1 exclusive.
struct Area {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    std::size_t Pixels() const { return static_cast<std::size_t>(x1 - x0) * static_cast<std::size_t>(y1 - y0); }
};

// A finite number from a field of an object, 0 otherwise.
inline double FieldNumber(Vm& vm, const Value& object, const char* name)
{
    const double v = vm.ToNumber(vm.Get(object, name));
    return std::isfinite(v) ? v : 0.0;
}

inline Area AreaOf(Vm& vm, const Bitmap& b, const Value& rect)
{
    const double x = FieldNumber(vm, rect, "x"), y = FieldNumber(vm, rect, "y");
    Area a;
    a.x0 = static_cast<int>(std::clamp(x, 0.0, static_cast<double>(b.width)));
    a.y0 = static_cast<int>(std::clamp(y, 0.0, static_cast<double>(b.height)));
    a.x1 = static_cast<int>(
        std::clamp(x + FieldNumber(vm, rect, "width"), static_cast<double>(a.x0), static_cast<double>(b.width)));
    a.y1 = static_cast<int>(
        std::clamp(y + FieldNumber(vm, rect, "height"), static_cast<double>(a.y0), static_cast<double>(b.height)));
    return a;
}

// What a rectangle of one bitmap maps to in another: pixel (x, y) of the area lands on
// (x + dx, y + dy).
struct Placement {
    Area from;
    int dx = 0, dy = 0;
    int rectX = 0, rectY = 0;  // the rectangle's corner before it was cut to the bitmaps
};

// The pixels of `rect` in `source` that land inside `dest` when the rectangle's corner moves to
// `point`.
inline Placement PlaceArea(Vm& vm, const Bitmap& source, const Value& rect, const Bitmap& dest, const Value& point)
{
    Placement p;
    const double rx = std::clamp(FieldNumber(vm, rect, "x"), -1e6, 1e6);
    const double ry = std::clamp(FieldNumber(vm, rect, "y"), -1e6, 1e6);
    p.rectX = static_cast<int>(std::floor(rx));
    p.rectY = static_cast<int>(std::floor(ry));
    p.dx = static_cast<int>(std::clamp(FieldNumber(vm, point, "x"), -1e6, 1e6)) - p.rectX;
    p.dy = static_cast<int>(std::clamp(FieldNumber(vm, point, "y"), -1e6, 1e6)) - p.rectY;
    p.from = AreaOf(vm, source, rect);
    p.from.x0 = std::max(p.from.x0, -p.dx);
    p.from.y0 = std::max(p.from.y0, -p.dy);
    p.from.x1 = std::max(p.from.x0, std::min(p.from.x1, dest.width - p.dx));
    p.from.y1 = std::max(p.from.y0, std::min(p.from.y1, dest.height - p.dy));
    return p;
}

inline uint32_t Straight(uint32_t premultiplied)
{
    const Rgba c = Unpremultiply(premultiplied);
    return uint32_t{c.a} << 24 | c.r << 16 | c.g << 8 | c.b;
}

inline uint32_t Premultiplied(uint32_t argb)
{
    return Premultiply({static_cast<uint8_t>(argb >> 16), static_cast<uint8_t>(argb >> 8), static_cast<uint8_t>(argb),
                        static_cast<uint8_t>(argb >> 24)});
}

inline uint32_t& PixelAt(Bitmap& b, int x, int y)
{
    return b.pixels[static_cast<std::size_t>(y) * b.width + static_cast<std::size_t>(x)];
}

// A bitmap made without transparency keeps every pixel opaque.
inline bool IsTransparent(Vm& vm, const Value& self)
{
    return vm.ToBool(vm.Get(self, "transparent"));
}

// The methods of other files, added to BitmapData's prototype.
void InstallBitmapDataCopies(Vm& vm, Object& proto);  // copyPixels, clone, draw, pixelDissolve, ...
void InstallBitmapDataMixes(Vm& vm, Object& proto);   // copyChannel, merge, scroll, threshold, ...

}  // namespace swf::avm1
