// The drawing methods of MovieClip: paths of lines and curves with solid and gradient fills
// and line styles, kept as a shape under the clip's children; and flash.geom.Matrix for
// gradient boxes.
#include "swf/avm1/StageAccess.h"

#include <algorithm>
#include <cmath>

namespace swf::avm1 {
namespace {

// Edges all clips may draw together; more are ignored.
constexpr std::size_t kMaxDrawingEdges = 1u << 18;
// Half the side of the square a gradient is defined in, in pixels.
constexpr double kGradientHalf = 819.2;

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

using Access = Vm::StageAccess;

// A coordinate argument in twips.
double Twips(NativeCall& c, std::size_t i)
{
    return PixelsToTwips(c.vm.ToNumber(c.Arg(i)));
}

// The clip a drawing method draws on; null when there is none.
Clip* DrawnClip(NativeCall& c)
{
    return c.vm.ClipOf(Value::Obj(ThisClip(c)));
}

// The clip's drawing, made on first use: what is shown changes.
Shape* DrawingOf(NativeCall& c)
{
    Clip* clip = DrawnClip(c);
    if (!clip)
        return nullptr;
    Shape& shape = Access::Drawing(*clip);
    Access::Changed(c.vm);
    return &shape;
}

Access::Pen* PenOf(NativeCall& c)
{
    Clip* clip = DrawnClip(c);
    return clip ? &Access::PenOf(*clip) : nullptr;
}

// An edge from the pen to (x, y) twips, with (cx, cy) as the control point of a curve. An
// open fill is kept closed by an edge back to its start, replaced as the path goes on.
void AddEdge(NativeCall& c, double cx, double cy, double x, double y, bool curve)
{
    Vm& vm = c.vm;
    Shape* shape = DrawingOf(c);
    Access::Pen* pen = PenOf(c);
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
}

// Leaves the open fill's path closed, stroked like the rest; `end` ends the fill.
void CloseFill(NativeCall& c, bool end)
{
    if (Access::Pen* pen = PenOf(c)) {
        pen->closer = -1;
        if (end)
            pen->fill = -1;
    }
}

// Starts a new fill style (or none when `fill` is null).
void StartFill(NativeCall& c, const FillStyle* fill)
{
    CloseFill(c, true);
    Shape* shape = DrawingOf(c);
    Access::Pen* pen = PenOf(c);
    if (!shape || !pen || !fill)
        return;
    const int index = static_cast<int>(shape->fills.size());
    shape->fills.push_back(*fill);
    shape->groups.push_back({index, index + 1, 0, 0});
    pen->fill = index;
    pen->startX = pen->x;
    pen->startY = pen->y;
}

Value MovieClipMoveTo(NativeCall& c)
{
    Access::Pen* pen = PenOf(c);
    if (pen) {
        CloseFill(c, false);
        pen->x = pen->startX = Twips(c, 0);
        pen->y = pen->startY = Twips(c, 1);
    }
    return Value{};
}

Value MovieClipLineTo(NativeCall& c)
{
    const double x = Twips(c, 0), y = Twips(c, 1);
    AddEdge(c, x, y, x, y, false);
    return Value{};
}

Value MovieClipCurveTo(NativeCall& c)
{
    AddEdge(c, Twips(c, 0), Twips(c, 1), Twips(c, 2), Twips(c, 3), true);
    return Value{};
}

// beginFill(rgb, alpha): a solid fill; none without a colour.
Value MovieClipBeginFill(NativeCall& c)
{
    FillStyle fill;
    fill.color = Color(c.vm, c.Arg(0), c.Arg(1));
    StartFill(c, c.args.empty() || c.Arg(0).IsNullish() ? nullptr : &fill);
    return Value{};
}

// beginGradientFill(type, colors, alphas, ratios, matrix, spread, interpolation, focal).
Value MovieClipBeginGradientFill(NativeCall& c)
{
    Vm& vm = c.vm;
    const Value colors = c.Arg(1), alphas = c.Arg(2), ratios = c.Arg(3);
    if (!ArrayOf(colors)) {
        StartFill(c, nullptr);
        return Value{};
    }
    FillStyle fill;
    const std::string type = vm.ToString(c.Arg(0));
    const double focal = vm.ToNumber(c.Arg(7));
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
    fill.matrix = GradientMatrix(vm, c.Arg(4));
    const std::string spread = vm.ToString(c.Arg(5));
    fill.spread = spread == "reflect" ? FillStyle::kReflect : spread == "repeat" ? FillStyle::kRepeat : FillStyle::kPad;
    fill.linearRgb = vm.ToString(c.Arg(6)) == "linearRGB";
    StartFill(c, fill.stops.empty() ? nullptr : &fill);
    return Value{};
}

Value MovieClipEndFill(NativeCall& c)
{
    CloseFill(c, true);
    return Value{};
}

// lineStyle(width, rgb, alpha): the line of the edges drawn next; none without a width.
Value MovieClipLineStyle(NativeCall& c)
{
    Shape* shape = DrawingOf(c);
    Access::Pen* pen = PenOf(c);
    if (!shape || !pen)
        return Value{};
    if (c.Arg(0).IsNullish()) {
        pen->line = -1;
        return Value{};
    }
    LineStyle line;
    const double w = c.vm.ToNumber(c.Arg(0));
    line.width = std::isfinite(w) ? std::clamp(w, 0.0, 255.0) * 20 : 0;
    line.fill.color = Color(c.vm, c.Arg(1), c.Arg(2));
    const int index = static_cast<int>(shape->lines.size());
    shape->lines.push_back(line);
    shape->groups.push_back({0, 0, index, index + 1});
    pen->line = index;
    return Value{};
}

// Takes the drawing away, giving its edges back, and puts the pen at the origin.
Value MovieClipClear(NativeCall& c)
{
    if (Shape* shape = DrawingOf(c)) {
        c.vm.Release(shape->edges.size() * sizeof(Edge));
        c.vm.m_nDrawingEdges -= std::min(c.vm.m_nDrawingEdges, shape->edges.size());
        *shape = Shape{};
    }
    if (Access::Pen* pen = PenOf(c))
        *pen = Access::Pen{};
    return Value{};
}

const NativeMethod kDrawingMethods[] = {
    {"moveTo", MovieClipMoveTo, 2},
    {"lineTo", MovieClipLineTo, 2},
    {"curveTo", MovieClipCurveTo, 4},
    {"beginFill", MovieClipBeginFill, 2},
    {"beginGradientFill", MovieClipBeginGradientFill, 5},
    {"endFill", MovieClipEndFill, 0},
    {"lineStyle", MovieClipLineStyle, 3},
    {"clear", MovieClipClear, 0},
};

// flash.geom.Matrix: the six coefficients, and the box of a gradient.
const char* const kMatrixFields[] = {"a", "b", "c", "d", "tx", "ty"};

Value MatrixConstructor(NativeCall& c)
{
    if (!c.self.IsObject())
        return Value{};
    const double identity[] = {1, 0, 0, 1, 0, 0};
    for (std::size_t i = 0; i < 6; ++i)
        c.vm.SetOwn(*c.self.o, kMatrixFields[i],
                    i < c.args.size() ? Value::Number(c.vm.ToNumber(c.args[i])) : Value::Number(identity[i]));
    return Value{};
}

// createGradientBox(width, height, rotation, x, y).
Value MatrixCreateGradientBox(NativeCall& c)
{
    if (!c.self.IsObject())
        return Value{};
    auto num = [&](std::size_t i) {
        const double v = c.vm.ToNumber(c.Arg(i));
        return std::isfinite(v) ? v : 0.0;
    };
    const double w = num(0), h = num(1), r = num(2), x = num(3), y = num(4);
    const double sx = w / (2 * kGradientHalf), sy = h / (2 * kGradientHalf);
    const double v[] = {std::cos(r) * sx, std::sin(r) * sx, -std::sin(r) * sy, std::cos(r) * sy, x + w / 2, y + h / 2};
    for (std::size_t i = 0; i < 6; ++i)
        c.vm.SetOwn(*c.self.o, kMatrixFields[i], Value::Number(v[i]));
    return Value{};
}

const NativeMethod kMatrixMethods[] = {
    {"createGradientBox", MatrixCreateGradientBox, 5},
};

}  // namespace

void InstallDrawing(Vm& vm)
{
    DefineMethods(vm, *vm.Proto(Builtin::kClip), kDrawingMethods);
    const NativeClass matrix = NewClass(vm, MatrixConstructor, 0);
    DefineMethods(vm, matrix.proto, kMatrixMethods);
    const Value geom = vm.Get(vm.Get(Value::Obj(vm.m_global), "flash"), "geom");
    vm.Set(geom, "Matrix", Value::Obj(&matrix.ctor));
}

}  // namespace swf::avm1
