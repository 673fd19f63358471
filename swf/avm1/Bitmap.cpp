// flash.display.BitmapData: pixels that scripts make, copy from the movie's bitmaps, colour and
// attach to clips; flash.geom.ColorTransform, which colours them, and
// flash.filters.ColorMatrixFilter.
#include "swf/avm1/BitmapPixels.h"
#include "swf/avm1/StageAccess.h"

#include <algorithm>
#include <cmath>

namespace swf::avm1 {
namespace {

constexpr double kMaxBitmapSide = 2880;  // pixels, either way

// setPixel keeps the pixel's alpha; setPixel32 takes it from the colour.
void SetPixel(NativeCall& c, bool withAlpha)
{
    Bitmap* b = BitmapOf(c.self);
    const double x = c.vm.ToNumber(c.Arg(0)), y = c.vm.ToNumber(c.Arg(1));
    if (!b || !(x >= 0 && x < b->width && y >= 0 && y < b->height))
        return;
    uint32_t& p = b->pixels[static_cast<std::size_t>(y) * b->width + static_cast<std::size_t>(x)];
    uint32_t argb = static_cast<uint32_t>(c.vm.ToInt(c.Arg(2)));
    if (!withAlpha)
        argb = (Straight(p) & 0xFF000000) | (argb & 0xFFFFFF);
    else if (!IsTransparent(c.vm, c.self))
        argb |= 0xFF000000;  // an opaque bitmap ignores the colour's alpha
    p = Premultiplied(argb);
}

Value GetPixel(NativeCall& c, bool withAlpha)
{
    Bitmap* b = BitmapOf(c.self);
    const double x = c.vm.ToNumber(c.Arg(0)), y = c.vm.ToNumber(c.Arg(1));
    if (!b || !(x >= 0 && x < b->width && y >= 0 && y < b->height))
        return Value::Number(0);
    const uint32_t argb = Straight(b->pixels[static_cast<std::size_t>(y) * b->width + static_cast<std::size_t>(x)]);
    return Value::Number(withAlpha ? static_cast<int32_t>(argb) : static_cast<double>(argb & 0xFFFFFF));
}

// new BitmapData(width, height, transparent, fill): pixels of one colour, opaque white unless
// told otherwise.
Value BitmapDataConstructor(NativeCall& c)
{
    Vm& vm = c.vm;
    const double w = vm.ToNumber(c.Arg(0)), h = vm.ToNumber(c.Arg(1));
    if (!(w >= 1 && w <= kMaxBitmapSide && h >= 1 && h <= kMaxBitmapSide))
        return Value{};
    const bool transparent = c.args.size() < 3 || vm.ToBool(c.args[2]);
    uint32_t fill = c.args.size() < 4 ? 0xFFFFFFFF : static_cast<uint32_t>(vm.ToInt(c.args[3]));
    if (!transparent)
        fill |= 0xFF000000;
    Bitmap b{static_cast<int>(w), static_cast<int>(h), {}};
    vm.Charge(b.width * b.height / 64);
    vm.Hold(static_cast<std::size_t>(b.width) * b.height * sizeof(uint32_t));
    b.pixels.assign(static_cast<std::size_t>(b.width) * b.height, Premultiplied(fill));
    return Value::Obj(&vm.NewBitmapData(std::move(b), transparent));
}

// BitmapData.loadBitmap(id): a copy of a bitmap the movie exports under a name.
Value BitmapDataLoadBitmap(NativeCall& c)
{
    Vm& vm = c.vm;
    const Movie& movie = vm.GetPlayer().GetMovie();
    auto id = movie.exports.find(vm.ToString(c.Arg(0)));
    auto bmp = id == movie.exports.end() ? movie.bitmaps.end() : movie.bitmaps.find(id->second);
    if (bmp == movie.bitmaps.end() || bmp->second.pixels.empty())
        return Value{};
    vm.Charge(bmp->second.pixels.size() / 64);
    vm.Hold(bmp->second.pixels.size() * sizeof(uint32_t));
    return Value::Obj(&vm.NewBitmapData(bmp->second, true));
}

// colorTransform(rect, transform): each channel of the pixels in `rect` times its multiplier
// plus its offset.
Value BitmapDataColorTransform(NativeCall& c)
{
    Vm& vm = c.vm;
    Bitmap* b = BitmapOf(c.self);
    if (!b)
        return Value{};
    const Area a = AreaOf(vm, *b, c.Arg(0));
    const Value ct = c.Arg(1);
    double mul[4], add[4];
    const char* names[][2] = {{"rMult", "rAdd"}, {"gMult", "gAdd"}, {"bMult", "bAdd"}, {"aMult", "aAdd"}};
    for (int i = 0; i < 4; ++i) {
        mul[i] = vm.ToNumber(vm.Get(ct, names[i][0]));
        add[i] = vm.ToNumber(vm.Get(ct, names[i][1]));
        if (!std::isfinite(mul[i]) || !std::isfinite(add[i]))
            return Value{};
    }
    vm.Charge(static_cast<std::size_t>(a.x1 - a.x0) * (a.y1 - a.y0) / 16);
    for (int y = a.y0; y < a.y1; ++y)
        for (int x = a.x0; x < a.x1; ++x) {
            uint32_t& p = b->pixels[static_cast<std::size_t>(y) * b->width + x];
            const uint32_t s = Straight(p);
            uint32_t out = 0;
            for (int i = 0; i < 4; ++i) {
                const int shift = i == 3 ? 24 : 16 - 8 * i;
                const double v = (s >> shift & 255) * mul[i] + add[i];
                out |= static_cast<uint32_t>(std::clamp(v, 0.0, 255.0)) << shift;
            }
            p = Premultiplied(out);
        }
    return Value{};
}

Value BitmapDataFillRect(NativeCall& c)
{
    Bitmap* b = BitmapOf(c.self);
    if (!b)
        return Value{};
    const Area a = AreaOf(c.vm, *b, c.Arg(0));
    uint32_t argb = static_cast<uint32_t>(c.vm.ToInt(c.Arg(1)));
    if (!IsTransparent(c.vm, c.self))
        argb |= 0xFF000000;
    const uint32_t fill = Premultiplied(argb);
    c.vm.Charge(static_cast<std::size_t>(a.x1 - a.x0) * (a.y1 - a.y0) / 64);
    for (int y = a.y0; y < a.y1; ++y)
        std::fill_n(b->pixels.begin() + static_cast<std::ptrdiff_t>(y) * b->width + a.x0, a.x1 - a.x0, fill);
    return Value{};
}

Value BitmapDataSetPixel(NativeCall& c)
{
    SetPixel(c, false);
    return Value{};
}

Value BitmapDataSetPixel32(NativeCall& c)
{
    SetPixel(c, true);
    return Value{};
}

Value BitmapDataGetPixel(NativeCall& c)
{
    return GetPixel(c, false);
}

Value BitmapDataGetPixel32(NativeCall& c)
{
    return GetPixel(c, true);
}

Value BitmapDataDispose(NativeCall& c)
{
    if (Bitmap* b = BitmapOf(c.self)) {
        c.vm.Release(b->pixels.size() * sizeof(uint32_t));
        *b = Bitmap{};
    }
    return Value{};
}

// applyFilter(source, rect, point, filter): only a ColorMatrixFilter is applied, each channel a
// weighted sum of the source pixel's four and an offset.
Value BitmapDataApplyFilter(NativeCall& c)
{
    Vm& vm = c.vm;
    Bitmap* dest = BitmapOf(c.self);
    const Bitmap* source = BitmapOf(c.Arg(0));
    const Value matrix = vm.Get(c.Arg(3), "matrix");
    if (!dest || !source || !matrix.IsObject() || matrix.o->elements.size() < 20)
        return Value{};
    double m[20];
    for (int i = 0; i < 20; ++i)
        m[i] = vm.ToNumber(matrix.o->elements[i]);
    const Area a = AreaOf(vm, *source, c.Arg(1));
    const double px = vm.ToNumber(vm.Get(c.Arg(2), "x")), py = vm.ToNumber(vm.Get(c.Arg(2), "y"));
    if (!std::isfinite(px) || !std::isfinite(py))
        return Value{};
    vm.Charge(static_cast<std::size_t>(a.x1 - a.x0) * (a.y1 - a.y0) / 8);
    // A copy of the source, which may be the destination, while the filter runs.
    const std::size_t copyBytes = source->pixels.size() * sizeof(uint32_t);
    vm.Hold(copyBytes);
    const Bitmap from = *source;
    for (int y = a.y0; y < a.y1; ++y)
        for (int x = a.x0; x < a.x1; ++x) {
            const double dx = px + x - a.x0, dy = py + y - a.y0;
            if (!(dx >= 0 && dx < dest->width && dy >= 0 && dy < dest->height))
                continue;
            const uint32_t s = Straight(from.pixels[static_cast<std::size_t>(y) * from.width + x]);
            const double in[4] = {static_cast<double>(s >> 16 & 255), static_cast<double>(s >> 8 & 255),
                                  static_cast<double>(s & 255), static_cast<double>(s >> 24)};
            uint32_t out = 0;
            for (int ch = 0; ch < 4; ++ch) {
                const double* row = m + 5 * ch;
                const double v = row[0] * in[0] + row[1] * in[1] + row[2] * in[2] + row[3] * in[3] + row[4];
                const int shift = ch == 3 ? 24 : 16 - 8 * ch;
                out |= static_cast<uint32_t>(std::isnan(v) ? 0 : std::clamp(v, 0.0, 255.0)) << shift;
            }
            const std::size_t at = static_cast<std::size_t>(dy) * dest->width + static_cast<std::size_t>(dx);
            dest->pixels[at] = Premultiplied(out);
        }
    vm.Release(copyBytes);
    return Value{};
}

// attachBitmap(bitmap, depth): a clip at a depth of the clip that shows the bitmap's pixels as
// they change.
Value MovieClipAttachBitmap(NativeCall& c)
{
    Vm& vm = c.vm;
    const Value bitmap = c.Arg(0);
    Object* parent = ClipOrTarget(c);
    if (!parent || !BitmapOf(bitmap))
        return Value{};
    Object* holder = vm.PlaceByScript(*parent, 0, "", vm.ToNumber(c.Arg(1)), {});
    if (Clip* clip = holder ? vm.ClipOf(Value::Obj(holder)) : nullptr)
        Vm::StageAccess::ShowImage(*clip, bitmap.o->bitmap);
    Vm::StageAccess::Changed(vm);
    return Value{};
}

// flash.geom.ColorTransform: multipliers and offsets of the four channels.
Value ColorTransformConstructor(NativeCall& c)
{
    if (!c.self.IsObject())
        return Value{};
    const char* names[] = {"rMult", "gMult", "bMult", "aMult", "rAdd", "gAdd", "bAdd", "aAdd"};
    for (std::size_t i = 0; i < 8; ++i)
        c.vm.SetOwn(*c.self.o, names[i], Value::Number(i < c.args.size() ? c.vm.ToNumber(c.args[i]) : i < 4 ? 1 : 0));
    return Value{};
}

// flash.filters.ColorMatrixFilter: keeps a copy of its 4 x 5 matrix.
Value ColorMatrixFilterConstructor(NativeCall& c)
{
    const Value m = c.Arg(0);
    if (c.self.IsObject() && ArrayOf(m))
        c.vm.SetOwn(*c.self.o, "matrix", Value::Obj(&c.vm.NewArray(m.o->elements)));
    return Value{};
}

const NativeMethod kBitmapDataStatics[] = {
    {"loadBitmap", BitmapDataLoadBitmap, 1},
};

const NativeMethod kBitmapDataMethods[] = {
    {"colorTransform", BitmapDataColorTransform, 2},
    {"fillRect", BitmapDataFillRect, 2},
    {"setPixel", BitmapDataSetPixel, 3},
    {"setPixel32", BitmapDataSetPixel32, 3},
    {"getPixel", BitmapDataGetPixel, 2},
    {"getPixel32", BitmapDataGetPixel32, 2},
    {"dispose", BitmapDataDispose, 0},
    {"applyFilter", BitmapDataApplyFilter, 4},
};

const NativeMethod kBitmapClipMethods[] = {
    {"attachBitmap", MovieClipAttachBitmap, 2},
};

}  // namespace

Object& Vm::NewBitmapData(Bitmap bitmap, bool transparent)
{
    Object& o = New(Kind::kObject, Proto(Builtin::kBitmapData));
    const double w = bitmap.width, h = bitmap.height;
    o.bitmap = std::make_shared<Bitmap>(std::move(bitmap));
    SetOwn(o, "width", Value::Number(w));
    SetOwn(o, "height", Value::Number(h));
    SetOwn(o, "transparent", Value::Bool(transparent));
    SetOwn(o, "rectangle", Construct(Get(Get(Get(Value::Obj(m_global), "flash"), "geom"), "Rectangle"),
                                     {Value::Number(0), Value::Number(0), Value::Number(w), Value::Number(h)}));
    return o;
}

void InstallBitmapData(Vm& vm)
{
    vm.Proto(Builtin::kBitmapData) = &vm.NewObject();
    const NativeClass bitmapData = NewClass(vm, BitmapDataConstructor, 4, vm.Proto(Builtin::kBitmapData));
    Object& flash = *vm.Get(Value::Obj(vm.m_global), "flash").o;
    Object& display = vm.NewObject();
    vm.SetOwn(flash, "display", Value::Obj(&display));
    vm.SetOwn(display, "BitmapData", Value::Obj(&bitmapData.ctor));
    DefineMethods(vm, bitmapData.ctor, kBitmapDataStatics);
    DefineMethods(vm, bitmapData.proto, kBitmapDataMethods);
    InstallBitmapDataCopies(vm, bitmapData.proto);
    InstallBitmapDataMixes(vm, bitmapData.proto);
    DefineMethods(vm, *vm.Proto(Builtin::kClip), kBitmapClipMethods);

    const NativeClass colorTransform = NewClass(vm, ColorTransformConstructor, 8);
    Object& filters = vm.NewObject();
    vm.SetOwn(flash, "filters", Value::Obj(&filters));
    const NativeClass colorMatrix = NewClass(vm, ColorMatrixFilterConstructor, 1);
    vm.SetOwn(filters, "ColorMatrixFilter", Value::Obj(&colorMatrix.ctor));
    vm.SetOwn(*vm.Get(Value::Obj(&flash), "geom").o, "ColorTransform", Value::Obj(&colorTransform.ctor));
}

}  // namespace swf::avm1
