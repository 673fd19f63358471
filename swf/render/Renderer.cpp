#include "swf/render/Renderer.h"

#include "swf/render/Stroke.h"
#include "swf/player/Bounds.h"
#include "swf/format/Text.h"

#include <algorithm>
#include <cmath>

namespace swf {
namespace {

// More masks than this at once are ignored (each costs a canvas-sized buffer).
constexpr int kMaxActiveMasks = 8;

// A pixel coordinate held within what an int holds (a NaN gives 0).
int ClampToInt(double v)
{
    return std::isnan(v) ? 0 : static_cast<int>(std::clamp(v, -1e9, 1e9));
}

// Where a stroke's outline is built: in the space of the object's parent, then mapped to
// pixels (a parent that stretches its children stretches their strokes), or in pixels, then
// also on the pixel grid.
enum class Placement { kParentUnits, kPixels, kPixelGrid };

// The stroke of one line style: its edges joined into paths where one ends where the next
// starts. On the pixel grid a one-pixel line takes the pixel that holds each point, and a line
// of a whole number of pixels takes the pixels whose centres lie in [v - half, v + half), so
// that its sides fall on pixel edges. `local` maps the shape into its parent's space. Each
// piece is paid from `work` before it is built: the caps of a path, then each straight piece
// with its join. False, with the stroke left unfinished, when the budget cannot pay.
bool AddStrokes(Rasterizer& r, const Shape& shape, int line, const Matrix& m, const Matrix& local,
                const StrokeStyle& style, Placement placement, WorkBudget& work)
{
    const std::size_t disk = DiskPoints(style);
    const std::size_t capSegments = 2 * disk, pieceSegments = 4 + (style.join == StrokeStyle::kRoundJoin ? disk : 4);
    const double half = style.half;
    const bool device = placement != Placement::kParentUnits;
    auto toGrid = [half](double v) { return half <= 0.5 ? std::floor(v) + 0.5 : std::ceil(v - half - 0.5) + half; };
    const Matrix& to = device ? m : local;
    auto apply = [&](double x, double y, double& ox, double& oy) {
        to.Apply(x, y, ox, oy);
        if (placement == Placement::kPixelGrid) {
            ox = toGrid(ox);
            oy = toGrid(oy);
        }
    };
    std::vector<double> path;
    const Edge* previous = nullptr;
    for (const Edge& e : shape.edges) {
        if (e.line != line)
            continue;
        if (!previous || previous->x1 != e.x0 || previous->y1 != e.y0) {
            if (!work.Take(capSegments, kCostSegment))
                return false;
            AddStrokePath(r, path, style);
            path.clear();
            double x, y;
            apply(e.x0, e.y0, x, y);
            path.push_back(x);
            path.push_back(y);
        }
        double cx = e.cx, cy = e.cy, x1, y1;
        apply(e.x1, e.y1, x1, y1);
        if (e.curve) {
            to.Apply(e.cx, e.cy, cx, cy);
            const double x0 = path[path.size() - 2], y0 = path.back(), scale = device ? 1 : style.scale;
            if (!work.Take(QuadSteps(x0, y0, cx, cy, x1, y1, scale) * pieceSegments, kCostSegment))
                return false;
            FlattenQuad(path, x0, y0, cx, cy, x1, y1, scale);
        } else {
            if (!work.Take(pieceSegments, kCostSegment))
                return false;
            path.push_back(x1);
            path.push_back(y1);
        }
        previous = &e;
    }
    AddStrokePath(r, path, style);
    return true;
}

// Units of the parent's space per unit of a line's width, from the object's own matrix `local`
// by the style's scale mode: a line that scales in neither direction keeps its width; one that
// scales in only one direction follows the object's scale in that direction; one that scales
// in both follows the smaller of the two.
double WidthScale(const LineStyle& line, const Matrix& local)
{
    const double xScale = std::hypot(local.a, local.b), yScale = std::hypot(local.c, local.d);
    if (line.noHScale && line.noVScale)
        return 1;
    if (line.noHScale)
        return yScale;
    if (line.noVScale)
        return xScale;
    return std::min(xScale, yScale);
}

// Whether a matrix keeps shapes as they are, but for size, turn and place.
bool Conformal(const Matrix& m)
{
    const double x = m.a * m.a + m.b * m.b, y = m.c * m.c + m.d * m.d, tolerance = (x + y) * 1e-9;
    return std::fabs(x - y) <= tolerance && std::fabs(m.a * m.c + m.b * m.d) <= tolerance;
}

// The stroke of a line style for a shape drawn with `m`, placed with `local` in a parent drawn
// with `parent`. The stroke is as wide in every direction of the parent's space; a parent that
// stretches its children stretches it. Thinner than a pixel is drawn one pixel wide through the
// points; a one-pixel line, and a whole number of pixels (pixel hinting rounds to one) under a
// matrix that keeps lines upright, are put on the pixel grid.
StrokeStyle StrokeOf(const LineStyle& line, const Matrix& m, const Matrix& local, const Matrix& parent,
                     Placement& placement)
{
    const double parentScale = std::sqrt(std::fabs(parent.Determinant()));
    const double width = line.width * WidthScale(line, local);
    double pixels = std::isfinite(width * parentScale) ? width * parentScale : 0;
    const double whole = std::floor(pixels + 0.5);
    if (line.pixelHinting && pixels >= 1)
        pixels = whole;
    const bool upright = m.b == 0 && m.c == 0;
    StrokeStyle style;
    style.half = std::max(pixels, 1.0) / 2;
    if (pixels < 1 - 1e-6) {
        placement = Placement::kPixels;  // a hairline, through the points as they are
    } else if (pixels <= 1 || (upright && Conformal(parent) && std::fabs(pixels - whole) < 1e-6)) {
        placement = Placement::kPixelGrid;
    } else if (Conformal(parent)) {
        placement = Placement::kPixels;
    } else {
        style.half = width / 2;
        style.toDevice = parent;
        style.scale = parentScale;
        placement = Placement::kParentUnits;
    }
    style.startCap = line.startCap;
    style.endCap = line.endCap;
    style.join = line.join;
    style.miterLimit = line.miterLimit;
    style.closeJoin = !line.noClose;
    return style;
}

}  // namespace

Renderer::Target Renderer::Begin(const Player& player, Canvas& canvas, const Matrix& view)
{
    m_pMovie = &player.GetMovie();
    m_pPlayer = &player;
    m_view = view;
    m_nMasks = 0;
    m_work.Reset();
    m_stats = {};
    const int samples = m_bAntiAlias ? kMaxSamples : 1;
    m_raster.SetSamples(samples);
    m_samples.Load(canvas, samples);
    return Target{&m_samples, nullptr, nullptr, canvas.width, canvas.height};
}

bool Renderer::Render(const Player& player, Canvas& canvas, const Matrix& view)
{
    const Target target = Begin(player, canvas, view);
    m_parent = view;
    DrawClip(player.Root(), view, CxForm{}, target, 0);
    m_samples.Resolve(canvas);
    return !m_work.Spent();
}

bool Renderer::DrawInto(const Player& player, const Clip* clip, const Bitmap* image, Canvas& canvas, const Matrix& m,
                        const CxForm& cx)
{
    const Target target = Begin(player, canvas, m);
    if (clip)
        DrawClip(*clip, m, cx, target, 0);
    if (image)
        DrawImage(*image, m, cx, target);
    m_samples.Resolve(canvas);
    return !m_work.Spent();
}

ClipPainter MakeClipPainter(std::size_t frameUnits)
{
    return [frameUnits](const Player& player, const Clip* clip, const Bitmap* image, Bitmap& into, const Matrix& m,
              const CxForm& cx) {
        Canvas canvas(0, 0);
        canvas.width = into.width;
        canvas.height = into.height;
        canvas.pixels = std::move(into.pixels);
        Renderer renderer(frameUnits);
        renderer.DrawInto(player, clip, image, canvas, m, cx);
        into.pixels = std::move(canvas.pixels);
        return renderer.WorkUsed();
    };
}

void Renderer::DrawClip(const Clip& clip, const Matrix& m, const CxForm& cx, const Target& t, int nesting)
{
    if (nesting > kMaxRenderNesting)
        return;
    struct ActiveMask {
        int clipDepth;
        Mask mask;
    };
    std::vector<ActiveMask> masks;
    if (const Bitmap* image = clip.Image())
        DrawImage(*image, m, cx, t);
    if (const Shape* drawing = clip.Drawing())
        DrawShape(*drawing, m, cx, t, nullptr);
    // The clip's children are placed in its space.
    const Matrix outer = m_parent;
    struct CRestore {
        Matrix& parent;
        Matrix saved;
        ~CRestore() { parent = saved; }
    } restore{m_parent, outer};
    for (const auto& [depth, object] : clip.DisplayList()) {
        while (!masks.empty() && depth > masks.back().clipDepth) {
            masks.pop_back();
            --m_nMasks;
        }
        if (!object.visible || object.isMask)
            continue;
        Target inner = t;
        if (!masks.empty())
            inner.clip = &masks.back().mask;
        // A mask set by a script: drawn where the object is drawn, as the stage places it.
        Mask scriptMask;
        if (const DisplayObject* by = m_pPlayer->MaskOf(object);
            by && t.canvas && m_nMasks < kMaxActiveMasks && StartMask(t, scriptMask)) {
            Target collect{nullptr, &scriptMask, inner.clip, t.width, t.height};
            ++m_nMasks;
            m_parent = m_view;
            DrawCharacter(by->characterId, by, m_view * Player::StageMatrix(*by), CxForm{}, collect, nesting + 1);
            --m_nMasks;
            inner.clip = &scriptMask;
        }
        Matrix om = m * object.matrix;
        if (object.cacheAsBitmap) {
            // A cached bitmap is placed on whole pixels.
            om.tx = std::round(om.tx);
            om.ty = std::round(om.ty);
        }
        const CxForm ocx = cx * object.cxform;
        // A scroll rectangle shifts the object's content to its origin and, when drawing, clips it.
        Mask scrollMask;
        if (object.hasScrollRect) {
            const Rect& r = object.scrollRect;
            if (t.canvas && ClipTo(Rect{.xMax = r.xMax - r.xMin, .yMax = r.yMax - r.yMin}, om, inner, scrollMask))
                inner.clip = &scrollMask;
            om = om * Matrix::Translate(-r.xMin, -r.yMin);
        }
        if (object.clipDepth > 0) {
            // Masks only make sense when drawing; inside a mask the masking shape just adds coverage.
            Mask mask;
            if (!t.canvas || m_nMasks >= kMaxActiveMasks || !StartMask(t, mask))
                continue;
            Target collect{nullptr, &mask, inner.clip, t.width, t.height};
            m_parent = m;
            DrawCharacter(object.characterId, &object, om, ocx, collect, nesting + 1);
            masks.push_back({object.clipDepth, std::move(mask)});
            ++m_nMasks;
            continue;
        }
        if (object.hasOpaqueBackground)
            DrawOpaqueBackground(object, om, ocx, inner);
        m_parent = m;
        DrawCharacter(object.characterId, &object, om, ocx, inner, nesting + 1);
    }
    m_nMasks -= static_cast<int>(masks.size());
}

void Renderer::DrawOpaqueBackground(const DisplayObject& object, const Matrix& m, const CxForm& cx, const Target& t)
{
    Box box;
    AddBounds(*m_pMovie, object, Matrix{}, box);
    if (box.Empty() || !m_work.Take(1, kCostObject))
        return;
    std::vector<double> xy(8);
    m.Apply(box.x0, box.y0, xy[0], xy[1]);
    m.Apply(box.x1, box.y0, xy[2], xy[3]);
    m.Apply(box.x1, box.y1, xy[4], xy[5]);
    m.Apply(box.x0, box.y1, xy[6], xy[7]);
    m_raster.Reset();
    m_raster.AddPolygon(xy);
    FillStyle fill;
    fill.color = object.opaqueBackground;
    FillWith(fill, m, cx, t, true);
}

bool Renderer::StartMask(const Target& t, Mask& mask)
{
    // A mask costs a flag for every sample of the canvas.
    if (!m_work.Take(t.canvas->samples.size()))
        return false;
    mask.assign(t.canvas->samples.size(), 0);
    return true;
}

bool Renderer::ClipTo(const Rect& r, const Matrix& m, const Target& t, Mask& mask)
{
    if (!StartMask(t, mask))
        return false;
    const int32_t corners[4][2] = {{r.xMin, r.yMin}, {r.xMax, r.yMin}, {r.xMax, r.yMax}, {r.xMin, r.yMax}};
    m_raster.Reset();
    for (int i = 0; i < 4; ++i) {
        double x0, y0, x1, y1;
        m.Apply(corners[i][0], corners[i][1], x0, y0);
        m.Apply(corners[(i + 1) % 4][0], corners[(i + 1) % 4][1], x1, y1);
        m_raster.AddLine(x0, y0, x1, y1);
    }
    FillWith(FillStyle{}, m, CxForm{}, Target{nullptr, &mask, t.clip, t.width, t.height}, true);
    return true;
}

void Renderer::DrawCharacter(uint16_t id, const DisplayObject* object, const Matrix& m, const CxForm& cx,
                             const Target& t, int nesting)
{
    if (nesting > kMaxRenderNesting || !m_work.Take(1, kCostObject))
        return;
    const Movie& movie = *m_pMovie;
    if (object && object->clip) {
        DrawClip(*object->clip, m, cx, t, nesting + 1);
        return;
    }
    if (object && object->field) {
        DrawText(object->field->text, m, cx, t);
        return;
    }
    auto kind = movie.kinds.find(id);
    if (kind == movie.kinds.end())
        return;
    switch (kind->second) {
    case CharacterKind::kShape:
        DrawShape(movie.shapes.at(id), m, cx, t, nullptr);
        break;
    case CharacterKind::kMorph: {
        const MorphShape& morph = movie.morphs.at(id);
        if (m_work.Take(morph.start.edges.size(), kCostBlend) &&
            m_work.Take(morph.start.fills.size() + morph.start.lines.size(), kCostStyle))
            DrawShape(morph.At(object ? object->ratio : 0), m, cx, t, nullptr);
        break;
    }
    case CharacterKind::kText:
        DrawText(movie.texts.at(id), m, cx, t);
        break;
    case CharacterKind::kButton:
        for (const ButtonRecord& rec : movie.buttons.at(id).upState) {
            m_parent = m;
            DrawCharacter(rec.characterId, nullptr, m * rec.matrix, cx * rec.cxform, t, nesting + 1);
        }
        break;
    case CharacterKind::kSprite:
        if (object && object->clip)
            DrawClip(*object->clip, m, cx, t, nesting + 1);
        break;
    case CharacterKind::kBitmap:
    case CharacterKind::kFont:
        break;  // not drawn on their own
    }
}

void Renderer::DrawText(const Text& text, const Matrix& m, const CxForm& cx, const Target& t)
{
    const Matrix tm = m * text.matrix;
    DrawFieldBox(text, tm, cx, t);
    // Drawn, an upright field shows its text only inside its box (as a mask, all of its glyphs
    // count): the rasterizer's window is the box's whole pixels (their centres inside). A turned
    // field is not clipped: a mask the size of the canvas for each would soon use up the frame's
    // budget.
    struct CWindow {
        Rasterizer& raster;
        ~CWindow() { raster.ClearWindow(); }
    } window{m_raster};
    if (text.clipToBox && t.canvas && tm.b == 0 && tm.c == 0) {
        double x0, y0, x1, y1;
        tm.Apply(text.box.xMin, text.box.yMin, x0, y0);
        tm.Apply(text.box.xMax, text.box.yMax, x1, y1);
        auto first = [](double a, double b) { return ClampToInt(std::ceil(std::min(a, b) - 0.5)); };
        auto last = [](double a, double b) { return ClampToInt(std::ceil(std::max(a, b) - 0.5) - 1); };
        m_raster.SetWindow(first(x0, x1), first(y0, y1), last(x0, x1), last(y0, y1));
    }
    for (const TextRun& run : text.runs) {
        auto it = m_pMovie->fonts.find(run.fontId);
        if (!run.fallback && it == m_pMovie->fonts.end())
            continue;
        const Font& font = run.fallback ? FallbackFont() : it->second;
        const double scale = run.height / font.emSquare;
        for (const TextGlyph& g : run.glyphs) {
            if (g.index < 0 || static_cast<std::size_t>(g.index) >= font.glyphs.size())
                continue;
            if (!m_work.Take(1, kCostObject))
                return;
            const Matrix gm = tm * Matrix::Translate(g.x, run.y) * Matrix::Scale(scale, scale);
            DrawShape(font.glyphs[g.index], gm, cx, t, &run.color);
        }
    }
}

void Renderer::DrawFieldBox(const Text& text, const Matrix& m, const CxForm& cx, const Target& t)
{
    if (!text.border && !text.background)
        return;
    const Rect& box = text.box;
    // The background and a one-pixel border on whole pixels: the border's top and left lines
    // start at the box's corner, its right and bottom ones just outside the box.
    double x0, y0, x1, y1;
    m.Apply(box.xMin, box.yMin, x0, y0);
    m.Apply(box.xMax, box.yMax, x1, y1);
    const double l = std::floor(std::min(x0, x1) + 0.5), r = std::floor(std::max(x0, x1) + 0.5);
    const double top = std::floor(std::min(y0, y1) + 0.5), bottom = std::floor(std::max(y0, y1) + 0.5);
    auto rect = [this](double ax, double ay, double bx, double by) {
        m_raster.AddPolygon({ax, ay, bx, ay, bx, by, ax, by});
    };
    FillStyle fill;
    if (text.background) {
        fill.color = text.backgroundColor;
        m_raster.Reset();
        rect(l, top, r, bottom);
        FillWith(fill, m, cx, t, true);
    }
    if (text.border) {
        fill.color = text.borderColor;
        m_raster.Reset();
        rect(l, top, r, top + 1);
        rect(l, bottom, r, bottom + 1);
        rect(l, top, l + 1, bottom);
        rect(r, top, r + 1, bottom);
        FillWith(fill, m, cx, t, true);
    }
}

bool Renderer::StartFill(const Target& t, bool nonZero)
{
    // The sweep over the outlines is paid before it starts.
    if (m_raster.Empty() || !m_work.Take(m_raster.SweepCost(t.width, t.height)))
        return false;
    if (!t.mask)
        return true;
    m_raster.FillMask(t.width, t.height, nonZero, *t.mask, t.clip);
    return false;
}

void Renderer::DrawImage(const Bitmap& image, const Matrix& m, const CxForm& cx, const Target& t)
{
    // A pixel of the image is 20 twips wide; its top left corner is at the clip's origin.
    const Matrix im = m * Matrix::Scale(20, 20);
    Matrix inv;
    if (!im.Invert(inv))
        return;
    const double w = image.width, h = image.height;
    std::vector<double> xy;
    for (const auto& [x, y] : {std::pair{0.0, 0.0}, {w, 0.0}, {w, h}, {0.0, h}}) {
        xy.push_back(0);
        xy.push_back(0);
        im.Apply(x, y, xy[xy.size() - 2], xy.back());
    }
    m_raster.Reset();
    m_raster.AddPolygon(xy);
    if (StartFill(t, true))
        m_raster.Fill(*t.canvas, true, BitmapPaint(image, inv, false, false, cx), t.clip);
}

void Renderer::FillWith(const FillStyle& fill, const Matrix& m, const CxForm& cx, const Target& t, bool nonZero)
{
    if (!StartFill(t, nonZero))
        return;
    SampleCanvas& canvas = *t.canvas;
    Matrix inv;
    if (fill.IsGradient()) {
        if ((m * fill.matrix).Invert(inv)) {
            m_raster.Fill(canvas, nonZero, GradientPaint(fill, inv, cx), t.clip);
        } else if (!fill.stops.empty()) {
            m_raster.Fill(canvas, nonZero, SolidPaint(cx.Apply(fill.stops.back().color)), t.clip);
        }
    } else if (fill.IsBitmap()) {
        auto bmp = m_pMovie->bitmaps.find(fill.bitmapId);
        if (bmp == m_pMovie->bitmaps.end() || bmp->second.pixels.empty() || !(m * fill.matrix).Invert(inv))
            return;
        const bool repeat = fill.type == FillStyle::kBitmapRepeat || fill.type == FillStyle::kBitmapRepeatHard;
        const bool smooth = fill.type == FillStyle::kBitmapRepeat || fill.type == FillStyle::kBitmapClip;
        m_raster.Fill(canvas, nonZero, BitmapPaint(bmp->second, inv, repeat, smooth, cx), t.clip);
    } else {
        m_raster.Fill(canvas, nonZero, SolidPaint(cx.Apply(fill.color)), t.clip);
    }
}

void Renderer::DrawShape(const Shape& shape, const Matrix& m, const CxForm& cx, const Target& t, const Rgba* textColor)
{
    // Every style visits every edge of the shape: a frame pays for that before it starts.
    const std::size_t edges = shape.edges.size();
    ++m_stats.shapes;
    m_stats.edges += edges;
    // The shape's own matrix, in its parent's space, for the widths of its lines.
    Matrix local = m, toParent;
    if (!shape.lines.empty() && m_parent.Invert(toParent))
        local = toParent * m;
    for (const StyleGroup& g : shape.groups) {
        for (int f = g.fillBegin; f < g.fillEnd; ++f) {
            if (!m_work.Take(edges, kCostEdge) || !m_work.Take(1, kCostStyle))
                return;
            // Each fill's edges, turned so that the fill lies on their right: its closed outlines.
            m_raster.Reset();
            for (const Edge& e : shape.edges) {
                const bool right = e.fill1 == f, left = e.fill0 == f;
                if (right == left)
                    continue;
                double x0, y0, cx0, cy0, x1, y1;
                m.Apply(right ? e.x0 : e.x1, right ? e.y0 : e.y1, x0, y0);
                m.Apply(e.cx, e.cy, cx0, cy0);
                m.Apply(right ? e.x1 : e.x0, right ? e.y1 : e.y0, x1, y1);
                if (!m_work.Take(e.curve ? QuadSteps(x0, y0, cx0, cy0, x1, y1) : 1, kCostSegment))
                    return;
                if (e.curve)
                    m_raster.AddQuad(x0, y0, cx0, cy0, x1, y1);
                else
                    m_raster.AddLine(x0, y0, x1, y1);
            }
            if (textColor) {
                FillStyle solid;
                solid.color = *textColor;
                FillWith(solid, m, cx, t, shape.nonZero);
            } else {
                FillWith(shape.fills[f], m, cx, t, shape.nonZero);
            }
        }
        for (int l = g.lineBegin; l < g.lineEnd; ++l) {
            if (!m_work.Take(edges, kCostEdge) || !m_work.Take(1, kCostStyle))
                return;
            const LineStyle& line = shape.lines[l];
            Placement placement;
            const StrokeStyle style = StrokeOf(line, m, local, m_parent, placement);
            m_raster.Reset();
            if (!AddStrokes(m_raster, shape, l, m, local, style, placement, m_work))
                return;
            FillWith(line.fill, m, cx, t, true);
        }
    }
}

}  // namespace swf
