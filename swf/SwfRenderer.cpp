#include "swf/SwfRenderer.h"

#include <algorithm>
#include <cmath>

namespace swf {
namespace {

// More masks than this at once are ignored (each costs a canvas-sized buffer).
constexpr int kMaxActiveMasks = 8;

// A unit circle as 16 points, for round caps and joins (fixed values: no trigonometry, so the
// same on every platform).
constexpr double kCircle[16][2] = {
    {1, 0}, {0.92387953, 0.38268343}, {0.70710678, 0.70710678}, {0.38268343, 0.92387953},
    {0, 1}, {-0.38268343, 0.92387953}, {-0.70710678, 0.70710678}, {-0.92387953, 0.38268343},
    {-1, 0}, {-0.92387953, -0.38268343}, {-0.70710678, -0.70710678}, {-0.38268343, -0.92387953},
    {0, -1}, {0.38268343, -0.92387953}, {0.70710678, -0.70710678}, {0.92387953, -0.38268343},
};

void AddDisk(Rasterizer& r, double x, double y, double radius)
{
    std::vector<double> xy;
    for (const auto& p : kCircle) {
        xy.push_back(x + p[0] * radius);
        xy.push_back(y + p[1] * radius);
    }
    r.AddPolygon(xy);
}

void AddSegment(Rasterizer& r, double x0, double y0, double x1, double y1, double half)
{
    const double dx = x1 - x0, dy = y1 - y0;
    const double len = std::sqrt(dx * dx + dy * dy);
    if (len < 1e-9)
        return;
    const double nx = -dy / len * half, ny = dx / len * half;
    r.AddPolygon({x0 + nx, y0 + ny, x1 + nx, y1 + ny, x1 - nx, y1 - ny, x0 - nx, y0 - ny});
}

// An edge stroked: its flattened segments as rectangles, round ends at both of its ends.
void AddStroke(Rasterizer& r, const Edge& e, const Matrix& m, double half)
{
    double x0, y0, cx, cy, x1, y1;
    m.Apply(e.x0, e.y0, x0, y0);
    m.Apply(e.cx, e.cy, cx, cy);
    m.Apply(e.x1, e.y1, x1, y1);
    if (e.curve) {
        const double dx = x0 - 2 * cx + x1, dy = y0 - 2 * cy + y1;
        const int n = std::clamp(static_cast<int>(std::sqrt(std::sqrt(dx * dx + dy * dy) * 2)) + 1, 1, 64);
        double px = x0, py = y0;
        for (int i = 1; i <= n; ++i) {
            const double t = static_cast<double>(i) / n, u = 1 - t;
            const double qx = u * u * x0 + 2 * u * t * cx + t * t * x1;
            const double qy = u * u * y0 + 2 * u * t * cy + t * t * y1;
            AddSegment(r, px, py, qx, qy, half);
            if (i < n)
                AddDisk(r, qx, qy, half);
            px = qx;
            py = qy;
        }
    } else {
        AddSegment(r, x0, y0, x1, y1, half);
    }
    AddDisk(r, x0, y0, half);
    AddDisk(r, x1, y1, half);
}

}  // namespace

Matrix ExactFitView(const Rect& stage, int w, int h)
{
    const double sw = std::max(1, stage.xMax - stage.xMin), sh = std::max(1, stage.yMax - stage.yMin);
    return Matrix::Scale(w / sw, h / sh) * Matrix::Translate(-stage.xMin, -stage.yMin);
}

void Renderer::Render(const Player& player, Canvas& canvas, const Matrix& view)
{
    m_pMovie = &player.GetMovie();
    m_pPlayer = &player;
    m_view = view;
    m_nMasks = 0;
    m_nEdgesLeft = kMaxEdgesPerRender;
    DrawClip(player.Root(), view, CxForm{}, Target{&canvas, nullptr, nullptr, canvas.width, canvas.height}, 0);
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
    if (const Shape* drawing = clip.Drawing())
        DrawShape(*drawing, m, cx, t, nullptr);
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
        if (const DisplayObject* by = m_pPlayer->MaskOf(object); by && t.canvas && m_nMasks < kMaxActiveMasks) {
            scriptMask.assign(t.canvas->pixels.size(), 0);
            Target collect{nullptr, &scriptMask, inner.clip, t.width, t.height};
            ++m_nMasks;
            DrawCharacter(by->characterId, by, m_view * Player::StageMatrix(*by), CxForm{}, collect, nesting + 1);
            --m_nMasks;
            inner.clip = &scriptMask;
        }
        Matrix om = m * object.matrix;
        const CxForm ocx = cx * object.cxform;
        // A scroll rectangle shifts the object's content to its origin and, when drawing, clips it.
        Mask scrollMask;
        if (object.hasScrollRect) {
            const Rect& r = object.scrollRect;
            if (t.canvas) {
                const double w = r.xMax - r.xMin, h = r.yMax - r.yMin;
                const double corners[4][2] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
                m_raster.Reset();
                for (int i = 0; i < 4; ++i) {
                    double x0, y0, x1, y1;
                    om.Apply(corners[i][0], corners[i][1], x0, y0);
                    om.Apply(corners[(i + 1) % 4][0], corners[(i + 1) % 4][1], x1, y1);
                    m_raster.AddLine(x0, y0, x1, y1);
                }
                scrollMask.assign(t.canvas->pixels.size(), 0);
                m_raster.FillMask(t.width, t.height, true, scrollMask, inner.clip);
                inner.clip = &scrollMask;
            }
            om = om * Matrix::Translate(-r.xMin, -r.yMin);
        }
        if (object.clipDepth > 0) {
            // Masks only make sense when drawing; inside a mask the masking shape just adds coverage.
            if (!t.canvas || m_nMasks >= kMaxActiveMasks)
                continue;
            Mask mask(t.canvas->pixels.size(), 0);
            Target collect{nullptr, &mask, inner.clip, t.width, t.height};
            DrawCharacter(object.characterId, &object, om, ocx, collect, nesting + 1);
            masks.push_back({object.clipDepth, std::move(mask)});
            ++m_nMasks;
            continue;
        }
        DrawCharacter(object.characterId, &object, om, ocx, inner, nesting + 1);
    }
    m_nMasks -= static_cast<int>(masks.size());
}

void Renderer::DrawCharacter(uint16_t id, const DisplayObject* object, const Matrix& m, const CxForm& cx,
                             const Target& t, int nesting)
{
    if (nesting > kMaxRenderNesting)
        return;
    const Movie& movie = *m_pMovie;
    if (object && object->clip) {
        DrawClip(*object->clip, m, cx, t, nesting + 1);
        return;
    }
    auto kind = movie.kinds.find(id);
    if (kind == movie.kinds.end())
        return;
    switch (kind->second) {
    case CharacterKind::kShape:
        DrawShape(movie.shapes.at(id), m, cx, t, nullptr);
        break;
    case CharacterKind::kMorph:
        DrawShape(movie.morphs.at(id).At(object ? object->ratio : 0), m, cx, t, nullptr);
        break;
    case CharacterKind::kText: {
        const Text& text = movie.texts.at(id);
        const Matrix tm = m * text.matrix;
        for (const TextRun& run : text.runs) {
            auto font = movie.fonts.find(run.fontId);
            if (font == movie.fonts.end())
                continue;
            const double scale = run.height / font->second.emSquare;
            for (const TextGlyph& g : run.glyphs) {
                if (g.index < 0 || static_cast<std::size_t>(g.index) >= font->second.glyphs.size())
                    continue;
                const Matrix gm = tm * Matrix::Translate(g.x, run.y) * Matrix::Scale(scale, scale);
                DrawShape(font->second.glyphs[g.index], gm, cx, t, &run.color);
            }
        }
        break;
    }
    case CharacterKind::kButton:
        for (const ButtonRecord& rec : movie.buttons.at(id).upState)
            DrawCharacter(rec.characterId, nullptr, m * rec.matrix, cx * rec.cxform, t, nesting + 1);
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

void Renderer::FillWith(const FillStyle& fill, const Matrix& m, const CxForm& cx, const Target& t, bool nonZero)
{
    if (t.mask) {
        m_raster.FillMask(t.width, t.height, nonZero, *t.mask, t.clip);
        return;
    }
    Canvas& canvas = *t.canvas;
    Matrix inv;
    if (fill.IsGradient()) {
        if ((m * fill.matrix).Invert(inv)) {
            m_raster.Fill(canvas, nonZero, GradientPaint(fill, inv, cx), t.clip);
        } else if (!fill.stops.empty()) {
            m_raster.Fill(canvas, nonZero, SolidPaint(Premultiply(cx.Apply(fill.stops.back().color))), t.clip);
        }
    } else if (fill.IsBitmap()) {
        auto bmp = m_pMovie->bitmaps.find(fill.bitmapId);
        if (bmp == m_pMovie->bitmaps.end() || bmp->second.pixels.empty() || !(m * fill.matrix).Invert(inv))
            return;
        const bool repeat = fill.type == FillStyle::kBitmapRepeat || fill.type == FillStyle::kBitmapRepeatHard;
        const bool smooth = fill.type == FillStyle::kBitmapRepeat || fill.type == FillStyle::kBitmapClip;
        m_raster.Fill(canvas, nonZero, BitmapPaint(bmp->second, inv, repeat, smooth, cx), t.clip);
    } else {
        m_raster.Fill(canvas, nonZero, SolidPaint(Premultiply(cx.Apply(fill.color))), t.clip);
    }
}

void Renderer::DrawShape(const Shape& shape, const Matrix& m, const CxForm& cx, const Target& t, const Rgba* textColor)
{
    // A frame that would draw more edges than the budget stops drawing there.
    if (shape.edges.size() > m_nEdgesLeft)
        return;
    m_nEdgesLeft -= shape.edges.size();
    for (const StyleGroup& g : shape.groups) {
        for (int f = g.fillBegin; f < g.fillEnd; ++f) {
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
                if (e.curve)
                    m_raster.AddQuad(x0, y0, cx0, cy0, x1, y1);
                else
                    m_raster.AddLine(x0, y0, x1, y1);
            }
            if (m_raster.Empty())
                continue;
            if (textColor) {
                FillStyle solid;
                solid.color = *textColor;
                FillWith(solid, m, cx, t, shape.nonZero);
            } else {
                FillWith(shape.fills[f], m, cx, t, shape.nonZero);
            }
        }
        for (int l = g.lineBegin; l < g.lineEnd; ++l) {
            const LineStyle& style = shape.lines[l];
            const double scale = std::sqrt(std::fabs(m.Determinant()));
            const double half = std::max(1.0, style.width * scale) / 2;
            m_raster.Reset();
            for (const Edge& e : shape.edges)
                if (e.line == l)
                    AddStroke(m_raster, e, m, half);
            if (!m_raster.Empty())
                FillWith(style.fill, m, cx, t, true);
        }
    }
}

}  // namespace swf
