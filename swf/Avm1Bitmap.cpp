// flash.display.BitmapData: pixels that scripts make, copy from the movie's bitmaps, colour and
// attach to clips; and flash.geom.ColorTransform, which colours them.
#include "swf/Avm1Interpreter.h"
#include "swf/SwfPlayer.h"

#include <algorithm>
#include <cmath>

namespace swf::avm1 {
namespace {

constexpr double kMaxBitmapSide = 2880;  // pixels, either way

Value Arg(const std::vector<Value>& args, std::size_t i)
{
    return i < args.size() ? args[i] : Value{};
}

Bitmap* BitmapOf(const Value& self)
{
    return self.IsObject() && self.o->bitmap ? self.o->bitmap.get() : nullptr;
}

// The pixels of `rect` (a Rectangle) that lie inside the bitmap: x0 .. x1, y0 .. y1 exclusive.
struct Area {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

Area AreaOf(Vm& vm, const Bitmap& b, const Value& rect)
{
    auto number = [&](const char* name) {
        const double v = vm.ToNumber(vm.Get(rect, name));
        return std::isfinite(v) ? v : 0.0;
    };
    const double x = number("x"), y = number("y");
    Area a;
    a.x0 = static_cast<int>(std::clamp(x, 0.0, static_cast<double>(b.width)));
    a.y0 = static_cast<int>(std::clamp(y, 0.0, static_cast<double>(b.height)));
    a.x1 = static_cast<int>(std::clamp(x + number("width"), static_cast<double>(a.x0), static_cast<double>(b.width)));
    a.y1 = static_cast<int>(std::clamp(y + number("height"), static_cast<double>(a.y0), static_cast<double>(b.height)));
    return a;
}

uint32_t Straight(uint32_t premultiplied)
{
    const Rgba c = Unpremultiply(premultiplied);
    return uint32_t{c.a} << 24 | c.r << 16 | c.g << 8 | c.b;
}

uint32_t Premultiplied(uint32_t argb)
{
    return Premultiply({static_cast<uint8_t>(argb >> 16), static_cast<uint8_t>(argb >> 8), static_cast<uint8_t>(argb),
                        static_cast<uint8_t>(argb >> 24)});
}

// setPixel keeps the pixel's alpha; setPixel32 takes it from the colour.
void SetPixel(Vm& vm, const Value& self, const std::vector<Value>& args, bool withAlpha)
{
    Bitmap* b = BitmapOf(self);
    const double x = vm.ToNumber(Arg(args, 0)), y = vm.ToNumber(Arg(args, 1));
    if (!b || !(x >= 0 && x < b->width && y >= 0 && y < b->height))
        return;
    uint32_t& p = b->pixels[static_cast<std::size_t>(y) * b->width + static_cast<std::size_t>(x)];
    uint32_t argb = static_cast<uint32_t>(vm.ToInt(Arg(args, 2)));
    if (!withAlpha)
        argb = (Straight(p) & 0xFF000000) | (argb & 0xFFFFFF);
    p = Premultiplied(argb);
}

Value GetPixel(Vm& vm, const Value& self, const std::vector<Value>& args, bool withAlpha)
{
    Bitmap* b = BitmapOf(self);
    const double x = vm.ToNumber(Arg(args, 0)), y = vm.ToNumber(Arg(args, 1));
    if (!b || !(x >= 0 && x < b->width && y >= 0 && y < b->height))
        return Value::Number(0);
    const uint32_t argb = Straight(b->pixels[static_cast<std::size_t>(y) * b->width + static_cast<std::size_t>(x)]);
    return Value::Number(withAlpha ? static_cast<int32_t>(argb) : static_cast<double>(argb & 0xFFFFFF));
}

}  // namespace

Object& Vm::NewBitmapData(Bitmap bitmap, bool transparent)
{
    Object& o = New(Kind::kObject, m_bitmapDataProto);
    const double w = bitmap.width, h = bitmap.height;
    o.bitmap = std::make_shared<Bitmap>(std::move(bitmap));
    SetOwn(o, "width", Value::Number(w));
    SetOwn(o, "height", Value::Number(h));
    SetOwn(o, "transparent", Value::Bool(transparent));
    SetOwn(o, "rectangle", Construct(Get(Get(Get(Value::Obj(m_global), "flash"), "geom"), "Rectangle"),
                                     {Value::Number(0), Value::Number(0), Value::Number(w), Value::Number(h)}));
    return o;
}

void Vm::InstallBitmapData()
{
    m_bitmapDataProto = &NewObject();
    Object& ctor = NewNative([](Vm& vm, Object&, const Value&, const std::vector<Value>& args) {
        const double w = vm.ToNumber(Arg(args, 0)), h = vm.ToNumber(Arg(args, 1));
        if (!(w >= 1 && w <= kMaxBitmapSide && h >= 1 && h <= kMaxBitmapSide))
            return Value{};
        const bool transparent = args.size() < 3 || vm.ToBool(args[2]);
        uint32_t fill = args.size() < 4 ? 0xFFFFFFFF : static_cast<uint32_t>(vm.ToInt(args[3]));
        if (!transparent)
            fill |= 0xFF000000;
        Bitmap b{static_cast<int>(w), static_cast<int>(h), {}};
        vm.Charge(b.width * b.height / 64);
        vm.Hold(static_cast<std::size_t>(b.width) * b.height * sizeof(uint32_t));
        b.pixels.assign(static_cast<std::size_t>(b.width) * b.height, Premultiplied(fill));
        return Value::Obj(&vm.NewBitmapData(std::move(b), transparent));
    }, 4);
    LinkClass(ctor, *m_bitmapDataProto);
    Object& flash = *Get(Value::Obj(m_global), "flash").o;
    Object& display = NewObject();
    SetOwn(flash, "display", Value::Obj(&display));
    SetOwn(display, "BitmapData", Value::Obj(&ctor));
    // A copy of a bitmap the movie exports under a name.
    Define(ctor, "loadBitmap", [](Vm& vm, Object&, const Value&, const std::vector<Value>& args) {
        const Movie& movie = vm.GetPlayer().GetMovie();
        auto id = movie.exports.find(vm.ToString(Arg(args, 0)));
        auto bmp = id == movie.exports.end() ? movie.bitmaps.end() : movie.bitmaps.find(id->second);
        if (bmp == movie.bitmaps.end() || bmp->second.pixels.empty())
            return Value{};
        vm.Charge(bmp->second.pixels.size() / 64);
        vm.Hold(bmp->second.pixels.size() * sizeof(uint32_t));
        return Value::Obj(&vm.NewBitmapData(bmp->second, true));
    }, 1);

    Object& proto = *m_bitmapDataProto;
    Define(proto, "colorTransform", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        Bitmap* b = BitmapOf(self);
        if (!b)
            return Value{};
        const Area a = AreaOf(vm, *b, Arg(args, 0));
        const Value ct = Arg(args, 1);
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
    }, 2);
    Define(proto, "fillRect", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        Bitmap* b = BitmapOf(self);
        if (!b)
            return Value{};
        const Area a = AreaOf(vm, *b, Arg(args, 0));
        const uint32_t fill = Premultiplied(static_cast<uint32_t>(vm.ToInt(Arg(args, 1))));
        vm.Charge(static_cast<std::size_t>(a.x1 - a.x0) * (a.y1 - a.y0) / 64);
        for (int y = a.y0; y < a.y1; ++y)
            std::fill_n(b->pixels.begin() + static_cast<std::ptrdiff_t>(y) * b->width + a.x0, a.x1 - a.x0, fill);
        return Value{};
    }, 2);
    Define(proto, "setPixel", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        SetPixel(vm, self, args, false);
        return Value{};
    }, 3);
    Define(proto, "setPixel32", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        SetPixel(vm, self, args, true);
        return Value{};
    }, 3);
    Define(proto, "getPixel", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        return GetPixel(vm, self, args, false);
    }, 2);
    Define(proto, "getPixel32", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        return GetPixel(vm, self, args, true);
    }, 2);
    Define(proto, "dispose", [](Vm& vm, Object&, const Value& self, const std::vector<Value>&) {
        if (Bitmap* b = BitmapOf(self)) {
            vm.Release(b->pixels.size() * sizeof(uint32_t));
            *b = Bitmap{};
        }
        return Value{};
    });
    // Only a ColorMatrixFilter is applied: each channel a weighted sum of the source pixel's
    // four and an offset.
    Define(proto, "applyFilter", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        Bitmap* dest = BitmapOf(self);
        const Bitmap* source = BitmapOf(Arg(args, 0));
        const Value matrix = vm.Get(Arg(args, 3), "matrix");
        if (!dest || !source || !matrix.IsObject() || matrix.o->elements.size() < 20)
            return Value{};
        double m[20];
        for (int i = 0; i < 20; ++i)
            m[i] = vm.ToNumber(matrix.o->elements[i]);
        const Area a = AreaOf(vm, *source, Arg(args, 1));
        const double px = vm.ToNumber(vm.Get(Arg(args, 2), "x")), py = vm.ToNumber(vm.Get(Arg(args, 2), "y"));
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
                for (int c = 0; c < 4; ++c) {
                    const double* row = m + 5 * c;
                    const double v = row[0] * in[0] + row[1] * in[1] + row[2] * in[2] + row[3] * in[3] + row[4];
                    out |= static_cast<uint32_t>(std::isnan(v) ? 0 : std::clamp(v, 0.0, 255.0)) << (c == 3 ? 24 : 16 - 8 * c);
                }
                dest->pixels[static_cast<std::size_t>(dy) * dest->width + static_cast<std::size_t>(dx)] = Premultiplied(out);
            }
        vm.Release(copyBytes);
        return Value{};
    }, 4);
    // A clip at a depth of the clip that shows the bitmap's pixels as they change.
    Define(*m_clipProto, "attachBitmap", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        const Value bitmap = Arg(args, 0);
        Object* parent = self.IsObject() && self.o->kind == Kind::kClip && self.o->display ? self.o : vm.CurrentTarget();
        if (!parent || !BitmapOf(bitmap))
            return Value{};
        Object* holder = vm.PlaceByScript(*parent, 0, "", vm.ToNumber(Arg(args, 1)), {});
        if (Clip* clip = holder ? vm.ClipOf(Value::Obj(holder)) : nullptr)
            clip->m_pImage = bitmap.o->bitmap;
        vm.GetPlayer().m_bChanged = true;
        return Value{};
    }, 2);

    // flash.geom.ColorTransform: multipliers and offsets of the four channels.
    Object& colorTransform = NewNative([](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        if (!self.IsObject())
            return Value{};
        const char* names[] = {"rMult", "gMult", "bMult", "aMult", "rAdd", "gAdd", "bAdd", "aAdd"};
        for (std::size_t i = 0; i < 8; ++i)
            vm.SetOwn(*self.o, names[i], Value::Number(i < args.size() ? vm.ToNumber(args[i]) : i < 4 ? 1 : 0));
        return Value{};
    }, 8);
    LinkClass(colorTransform, NewObject());

    // flash.filters.ColorMatrixFilter: keeps a copy of its 4 x 5 matrix.
    Object& filters = NewObject();
    SetOwn(flash, "filters", Value::Obj(&filters));
    Object& colorMatrix = NewNative([](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        const Value m = Arg(args, 0);
        if (self.IsObject() && m.IsObject() && m.o->kind == Kind::kArray)
            vm.SetOwn(*self.o, "matrix", Value::Obj(&vm.NewArray(m.o->elements)));
        return Value{};
    }, 1);
    LinkClass(colorMatrix, NewObject());
    SetOwn(filters, "ColorMatrixFilter", Value::Obj(&colorMatrix));
    SetOwn(*Get(Get(Value::Obj(m_global), "flash"), "geom").o, "ColorTransform", Value::Obj(&colorTransform));
}

}  // namespace swf::avm1
