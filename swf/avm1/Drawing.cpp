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
// Fill and line styles one clip's drawing may hold; more are ignored.
constexpr std::size_t kMaxDrawingStyles = 1u << 12;
// Half the side of the square a gradient is defined in, in pixels.
constexpr double kGradientHalf = 819.2;

// The matrix of a gradient box w x h pixels with its top left corner at (x, y): the square
// turned by r radians about its centre, then stretched to the box.
Matrix GradientBox(double w, double h, double r, double x, double y)
{
    const double sx = w / (2 * kGradientHalf), sy = h / (2 * kGradientHalf);
    return {std::cos(r) * sx, std::sin(r) * sy, -std::sin(r) * sx, std::cos(r) * sy, (x + w / 2) * 20, (y + h / 2) * 20};
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

// A gradient's matrix from a script object, from the gradient square (32768 twips a side,
// centred on the origin) to the clip's twips. Three forms: {matrixType: "box", x, y, w, h, r},
// the box the square is stretched to after it turned by r about its centre; a 3 x 3 matrix
// {a, b, c, d, e, f, g, h, i} that maps a square of one pixel with (a, b) and (d, e) and moves it
// by (g, h); and a flash.geom.Matrix {a, b, c, d, tx, ty} that maps the square as a square of
// 1638.4 pixels. Without an object the square is 40 pixels a side.
Matrix GradientMatrix(Vm& vm, const Value& m)
{
    auto num = [&](const char* name) {
        const double v = vm.ToNumber(vm.Get(m, name));
        return std::isfinite(v) ? std::clamp(v, -1e7, 1e7) : 0.0;
    };
    if (!m.IsObject())
        return Matrix::Scale(20 / kGradientHalf, 20 / kGradientHalf);
    const double side = 2 * kGradientHalf;
    if (vm.ToString(vm.Get(m, "matrixType")) == "box")
        return GradientBox(num("w"), num("h"), num("r"), num("x"), num("y"));
    if (vm.Get(m, "tx").IsUndefined() && vm.Get(m, "ty").IsUndefined())
        return {num("a") / side, num("b") / side, num("d") / side, num("e") / side, num("g") * 20, num("h") * 20};
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

// Whether the drawing may take another style.
bool RoomForStyle(const Shape& shape)
{
    return shape.fills.size() + shape.lines.size() < kMaxDrawingStyles;
}

// Starts a new fill style (or none when `fill` is null) in a group of its own. The line in use
// goes on in that group, so that it is drawn above the fill.
void StartFill(NativeCall& c, const FillStyle* fill)
{
    CloseFill(c, true);
    Shape* shape = DrawingOf(c);
    Access::Pen* pen = PenOf(c);
    if (!shape || !pen || !fill || !RoomForStyle(*shape))
        return;
    const int index = static_cast<int>(shape->fills.size());
    shape->fills.push_back(*fill);
    const int lines = static_cast<int>(shape->lines.size());
    shape->groups.push_back({index, index + 1, lines, lines});
    if (pen->line >= 0) {
        const LineStyle line = shape->lines[pen->line];
        shape->lines.push_back(line);
        shape->groups.back().lineEnd = lines + 1;
        pen->line = lines;
    }
    pen->fill = index;
    pen->startX = pen->x;
    pen->startY = pen->y;
}

// Makes `line` the line of the edges drawn next: in the group of the open fill, drawn above it,
// or in a group of its own.
void AddLineStyle(NativeCall& c, const LineStyle& line)
{
    Shape* shape = DrawingOf(c);
    Access::Pen* pen = PenOf(c);
    if (!shape || !pen || !RoomForStyle(*shape))
        return;
    const int index = static_cast<int>(shape->lines.size());
    shape->lines.push_back(line);
    StyleGroup* open = shape->groups.empty() ? nullptr : &shape->groups.back();
    if (open && pen->fill >= open->fillBegin && pen->fill < open->fillEnd && open->lineEnd == index)
        open->lineEnd = index + 1;
    else
        shape->groups.push_back({0, 0, index, index + 1});
    pen->line = index;
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

// A gradient from the arguments (type, colors, alphas, ratios, matrix, spread, interpolation,
// focal) from `first` on: linear unless the type is "radial", at most 15 stops; false without
// colours.
bool GradientFromArgs(NativeCall& c, std::size_t first, FillStyle& fill)
{
    Vm& vm = c.vm;
    const Value colors = c.Arg(first + 1), alphas = c.Arg(first + 2), ratios = c.Arg(first + 3);
    if (!ArrayOf(colors))
        return false;
    const double focal = vm.ToNumber(c.Arg(first + 7));
    const bool radial = vm.ToString(c.Arg(first)) == "radial";
    fill.type = !radial ? FillStyle::kLinear : std::isfinite(focal) && focal != 0 ? FillStyle::kFocal : FillStyle::kRadial;
    fill.focal = radial && std::isfinite(focal) ? std::clamp(focal, -1.0, 1.0) : 0;
    const std::size_t n = std::min<std::size_t>(colors.o->elements.size(), 15);
    vm.Charge(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::string key = vm.ToString(Value::Number(static_cast<double>(i)));
        GradientStop stop;
        stop.color = Color(vm, colors.o->elements[i], vm.Get(alphas, key));
        const double r = vm.ToNumber(vm.Get(ratios, key));
        stop.ratio = static_cast<uint8_t>(std::isfinite(r) ? std::clamp(r, 0.0, 255.0) : 0);
        fill.stops.push_back(stop);
    }
    fill.matrix = GradientMatrix(vm, c.Arg(first + 4));
    const std::string spread = vm.ToString(c.Arg(first + 5));
    fill.spread = spread == "reflect" ? FillStyle::kReflect : spread == "repeat" ? FillStyle::kRepeat : FillStyle::kPad;
    fill.linearRgb = vm.ToString(c.Arg(first + 6)) == "linearRGB";
    return !fill.stops.empty();
}

// beginGradientFill(type, colors, alphas, ratios, matrix, spread, interpolation, focal).
Value MovieClipBeginGradientFill(NativeCall& c)
{
    FillStyle fill;
    StartFill(c, GradientFromArgs(c, 0, fill) ? &fill : nullptr);
    return Value{};
}

Value MovieClipEndFill(NativeCall& c)
{
    CloseFill(c, true);
    return Value{};
}

// A cap or join by name, or `otherwise`.
uint8_t StyleNamed(const std::string& name, std::initializer_list<const char*> names, uint8_t otherwise)
{
    uint8_t i = 0;
    for (const char* n : names) {
        if (name == n)
            return i;
        ++i;
    }
    return otherwise;
}

// lineStyle(thickness, rgb, alpha, pixelHinting, noScale, capsStyle, jointStyle, miterLimit):
// the line of the edges drawn next, none without a thickness. noScale "none" keeps the width
// whatever the clip's scale, "vertical" keeps it when the clip is stretched vertically, and
// "horizontal" when horizontally.
Value MovieClipLineStyle(NativeCall& c)
{
    Vm& vm = c.vm;
    Access::Pen* pen = PenOf(c);
    if (!pen)
        return Value{};
    if (c.Arg(0).IsNullish()) {
        pen->line = -1;
        return Value{};
    }
    LineStyle line;
    const double w = vm.ToNumber(c.Arg(0));
    line.width = std::isfinite(w) ? std::clamp(w, 0.0, 255.0) * 20 : 0;
    line.fill.color = Color(vm, c.Arg(1), c.Arg(2));
    line.pixelHinting = vm.ToBool(c.Arg(3));
    const std::string scale = vm.ToString(c.Arg(4));
    line.noHScale = scale == "none" || scale == "horizontal";
    line.noVScale = scale == "none" || scale == "vertical";
    line.startCap = line.endCap = StyleNamed(vm.ToString(c.Arg(5)), {"round", "none", "square"}, 0);
    line.join = StyleNamed(vm.ToString(c.Arg(6)), {"round", "bevel", "miter"}, 0);
    const double limit = vm.ToNumber(c.Arg(7));
    line.miterLimit = std::isfinite(limit) ? std::clamp(limit, 1.0, 255.0) : 3;
    AddLineStyle(c, line);
    return Value{};
}

// lineGradientStyle(type, colors, alphas, ratios, matrix, spread, interpolation, focal): the
// line set by lineStyle painted with a gradient from here on.
Value MovieClipLineGradientStyle(NativeCall& c)
{
    Shape* shape = DrawingOf(c);
    Access::Pen* pen = PenOf(c);
    FillStyle fill;
    if (!shape || !pen || pen->line < 0 || !GradientFromArgs(c, 0, fill))
        return Value{};
    LineStyle line = shape->lines[pen->line];
    line.fill = std::move(fill);
    AddLineStyle(c, line);
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
    {"lineStyle", MovieClipLineStyle, 8},
    {"lineGradientStyle", MovieClipLineGradientStyle, 8},
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
    const Matrix m = GradientBox(num(0), num(1), num(2), num(3), num(4));
    const double v[] = {m.a, m.b, m.c, m.d, m.tx / 20, m.ty / 20};
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
