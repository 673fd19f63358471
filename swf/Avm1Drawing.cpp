// The drawing methods of MovieClip: paths of lines and curves with solid and gradient fills
// and line styles, kept as a shape under the clip's children; and flash.geom.Matrix for
// gradient boxes.
#include "swf/Avm1Interpreter.h"
#include "swf/SwfPlayer.h"

#include <algorithm>
#include <cmath>

namespace swf::avm1 {
namespace {

// Edges all clips may draw together; more are ignored.
constexpr std::size_t kMaxDrawingEdges = 1u << 18;
// Half the side of the square a gradient is defined in, in pixels.
constexpr double kGradientHalf = 819.2;

Value Arg(const std::vector<Value>& args, std::size_t i)
{
    return i < args.size() ? args[i] : Value{};
}

Rgba Color(Vm& vm, const Value& rgb, const Value& alpha)
{
    const uint32_t c = static_cast<uint32_t>(vm.ToInt(rgb));
    double a = alpha.IsUndefined() ? 100 : vm.ToNumber(alpha);
    if (std::isnan(a))
        a = 100;
    return {static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c),
            static_cast<uint8_t>(std::lround(std::clamp(a, 0.0, 100.0) * 2.55))};
}

// A gradient's matrix from a script object: a "box" description or the six coefficients.
Matrix GradientMatrix(Vm& vm, const Value& m)
{
    auto num = [&](const char* name) {
        const double v = vm.ToNumber(vm.Get(m, name));
        return std::isfinite(v) ? std::clamp(v, -1e7, 1e7) : 0.0;
    };
    if (!m.IsObject())
        return Matrix::Scale(1 / kGradientHalf * 20, 1 / kGradientHalf * 20);
    if (vm.ToString(vm.Get(m, "matrixType")) == "box") {
        const double w = num("w"), h = num("h"), r = num("r");
        const double sx = w / (2 * kGradientHalf), sy = h / (2 * kGradientHalf);
        return {std::cos(r) * sx, std::sin(r) * sx, -std::sin(r) * sy, std::cos(r) * sy, (num("x") + w / 2) * 20,
                (num("y") + h / 2) * 20};
    }
    return {num("a"), num("b"), num("c"), num("d"), num("tx") * 20, num("ty") * 20};
}

}  // namespace

void Vm::InstallDrawing()
{
    Object& proto = *m_clipProto;
    // Every method works on the clip's shape, made on first use.
    static Shape* (*s_shape)(Vm&, const Value&) = [](Vm& vm, const Value& self) -> Shape* {
        Object* o = self.IsObject() && self.o->kind == Kind::kClip && self.o->display ? self.o : vm.CurrentTarget();
        Clip* c = o ? vm.ClipOf(Value::Obj(o)) : nullptr;
        if (!c)
            return nullptr;
        if (!c->m_pDrawing)
            c->m_pDrawing = std::make_unique<Shape>();
        vm.GetPlayer().m_bChanged = true;
        return c->m_pDrawing.get();
    };
    static Clip::Pen* (*s_pen)(Vm&, const Value&) = [](Vm& vm, const Value& self) -> Clip::Pen* {
        Object* o = self.IsObject() && self.o->kind == Kind::kClip && self.o->display ? self.o : vm.CurrentTarget();
        Clip* c = o ? vm.ClipOf(Value::Obj(o)) : nullptr;
        return c ? &c->m_pen : nullptr;
    };
    // An edge from the pen to (x, y) twips, with (cx, cy) as the control point of a curve. An
    // open fill is kept closed by an edge back to its start, replaced as the path goes on.
    static void (*s_edge)(Vm&, const Value&, double, double, double, double, bool) =
        [](Vm& vm, const Value& self, double cx, double cy, double x, double y, bool curve) {
            Shape* shape = s_shape(vm, self);
            Clip::Pen* pen = s_pen(vm, self);
            if (!shape || !pen)
                return;
            if (pen->closer >= 0 && static_cast<std::size_t>(pen->closer) + 1 == shape->edges.size())
                shape->edges.pop_back();
            pen->closer = -1;
            if ((pen->fill >= 0 || pen->line >= 0) && vm.m_nDrawingEdges + 2 < kMaxDrawingEdges) {
                vm.Hold(2 * sizeof(Edge));
                vm.m_nDrawingEdges += 2;
                shape->edges.push_back({pen->x, pen->y, cx, cy, x, y, curve, -1, pen->fill, pen->line});
                if (pen->fill >= 0 && (x != pen->startX || y != pen->startY)) {
                    pen->closer = static_cast<long>(shape->edges.size());
                    shape->edges.push_back({x, y, x, y, pen->startX, pen->startY, false, -1, pen->fill, pen->line});
                }
            }
            pen->x = x;
            pen->y = y;
        };
    // Leaves the open fill's path closed, stroked like the rest; `end` ends the fill.
    static void (*s_close)(Vm&, const Value&, bool) = [](Vm& vm, const Value& self, bool end) {
        if (Clip::Pen* pen = s_pen(vm, self)) {
            pen->closer = -1;
            if (end)
                pen->fill = -1;
        }
    };
    // Starts a new fill style (or none when `fill` is null).
    static void (*s_fill)(Vm&, const Value&, const FillStyle*) = [](Vm& vm, const Value& self, const FillStyle* fill) {
        s_close(vm, self, true);
        Shape* shape = s_shape(vm, self);
        Clip::Pen* pen = s_pen(vm, self);
        if (!shape || !pen || !fill)
            return;
        const int index = static_cast<int>(shape->fills.size());
        shape->fills.push_back(*fill);
        shape->groups.push_back({index, index + 1, 0, 0});
        pen->fill = index;
        pen->startX = pen->x;
        pen->startY = pen->y;
    };
    auto number = [](Vm& vm, const Value& v) {
        const double n = vm.ToNumber(v);
        return std::isfinite(n) ? std::clamp(n, -1e6, 1e6) * 20 : 0.0;
    };
    static double (*s_number)(Vm&, const Value&) = number;

    Define(proto, "moveTo", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        Clip::Pen* pen = s_pen(vm, self);
        if (pen) {
            s_close(vm, self, false);
            pen->x = pen->startX = s_number(vm, Arg(args, 0));
            pen->y = pen->startY = s_number(vm, Arg(args, 1));
        }
        return Value{};
    }, 2);
    Define(proto, "lineTo", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        const double x = s_number(vm, Arg(args, 0)), y = s_number(vm, Arg(args, 1));
        s_edge(vm, self, x, y, x, y, false);
        return Value{};
    }, 2);
    Define(proto, "curveTo", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        s_edge(vm, self, s_number(vm, Arg(args, 0)), s_number(vm, Arg(args, 1)), s_number(vm, Arg(args, 2)),
               s_number(vm, Arg(args, 3)), true);
        return Value{};
    }, 4);
    Define(proto, "beginFill", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        FillStyle fill;
        fill.color = Color(vm, Arg(args, 0), Arg(args, 1));
        s_fill(vm, self, args.empty() || Arg(args, 0).IsNullish() ? nullptr : &fill);
        return Value{};
    }, 2);
    Define(proto, "beginGradientFill", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        const Value colors = Arg(args, 1), alphas = Arg(args, 2), ratios = Arg(args, 3);
        if (!colors.IsObject() || colors.o->kind != Kind::kArray) {
            s_fill(vm, self, nullptr);
            return Value{};
        }
        FillStyle fill;
        const std::string type = vm.ToString(Arg(args, 0));
        const double focal = vm.ToNumber(Arg(args, 7));
        fill.type = type != "radial" ? FillStyle::kLinear : std::isfinite(focal) && focal != 0 ? FillStyle::kFocal
                                                                                               : FillStyle::kRadial;
        fill.focal = std::isfinite(focal) ? std::clamp(focal, -1.0, 1.0) : 0;
        const std::size_t n = std::min<std::size_t>(colors.o->elements.size(), 15);
        for (std::size_t i = 0; i < n; ++i) {
            const Value key = Value::Number(static_cast<double>(i));
            GradientStop stop;
            stop.color = Color(vm, colors.o->elements[i], vm.Get(alphas, vm.ToString(key)));
            const double r = vm.ToNumber(vm.Get(ratios, vm.ToString(key)));
            stop.ratio = static_cast<uint8_t>(std::isfinite(r) ? std::clamp(r, 0.0, 255.0) : 0);
            fill.stops.push_back(stop);
        }
        fill.matrix = GradientMatrix(vm, Arg(args, 4));
        const std::string spread = vm.ToString(Arg(args, 5));
        fill.spread = spread == "reflect" ? FillStyle::kReflect : spread == "repeat" ? FillStyle::kRepeat : FillStyle::kPad;
        fill.linearRgb = vm.ToString(Arg(args, 6)) == "linearRGB";
        s_fill(vm, self, fill.stops.empty() ? nullptr : &fill);
        return Value{};
    }, 5);
    Define(proto, "endFill", [](Vm& vm, Object&, const Value& self, const std::vector<Value>&) {
        s_close(vm, self, true);
        return Value{};
    });
    Define(proto, "lineStyle", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        Shape* shape = s_shape(vm, self);
        Clip::Pen* pen = s_pen(vm, self);
        if (!shape || !pen)
            return Value{};
        if (Arg(args, 0).IsNullish()) {
            pen->line = -1;
            return Value{};
        }
        LineStyle line;
        const double w = vm.ToNumber(Arg(args, 0));
        line.width = std::isfinite(w) ? std::clamp(w, 0.0, 255.0) * 20 : 0;
        line.fill.color = Color(vm, Arg(args, 1), Arg(args, 2));
        const int index = static_cast<int>(shape->lines.size());
        shape->lines.push_back(line);
        shape->groups.push_back({0, 0, index, index + 1});
        pen->line = index;
        return Value{};
    }, 3);
    Define(proto, "clear", [](Vm& vm, Object&, const Value& self, const std::vector<Value>&) {
        if (Shape* shape = s_shape(vm, self)) {
            vm.Release(shape->edges.size() * sizeof(Edge));
            vm.m_nDrawingEdges -= std::min(vm.m_nDrawingEdges, shape->edges.size());
            *shape = Shape{};
        }
        if (Clip::Pen* pen = s_pen(vm, self))
            *pen = Clip::Pen{};
        return Value{};
    });

    // flash.geom.Matrix: the six coefficients, and the box of a gradient.
    Object& matrix = NewNative([](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        if (!self.IsObject())
            return Value{};
        const char* names[] = {"a", "b", "c", "d", "tx", "ty"};
        const double identity[] = {1, 0, 0, 1, 0, 0};
        for (std::size_t i = 0; i < 6; ++i)
            vm.SetOwn(*self.o, names[i], i < args.size() ? Value::Number(vm.ToNumber(args[i])) : Value::Number(identity[i]));
        return Value{};
    });
    Object& matrixProto = NewObject();
    LinkClass(matrix, matrixProto);
    Define(matrixProto, "createGradientBox", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        if (!self.IsObject())
            return Value{};
        auto num = [&](std::size_t i) {
            const double v = vm.ToNumber(Arg(args, i));
            return std::isfinite(v) ? v : 0.0;
        };
        const double w = num(0), h = num(1), r = num(2), x = num(3), y = num(4);
        const double sx = w / (2 * kGradientHalf), sy = h / (2 * kGradientHalf);
        const double v[] = {std::cos(r) * sx, std::sin(r) * sx, -std::sin(r) * sy, std::cos(r) * sy, x + w / 2, y + h / 2};
        const char* names[] = {"a", "b", "c", "d", "tx", "ty"};
        for (std::size_t i = 0; i < 6; ++i)
            vm.SetOwn(*self.o, names[i], Value::Number(v[i]));
        return Value{};
    }, 5);
    const Value geom = Get(Get(Value::Obj(m_global), "flash"), "geom");
    Set(geom, "Matrix", Value::Obj(&matrix));
}

}  // namespace swf::avm1
