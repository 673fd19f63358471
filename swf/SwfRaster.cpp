#include "swf/SwfRaster.h"

#include <algorithm>
#include <cmath>

namespace swf {
namespace {

// Device coordinates are kept within this many pixels of the origin so that the fixed-point
// arithmetic cannot overflow; anything that far away is off every canvas.
constexpr double kCoordinateLimit = 1 << 20;

int32_t ToFixed(double v)
{
    if (!(v > -kCoordinateLimit))
        v = -kCoordinateLimit;
    if (!(v < kCoordinateLimit))
        v = kCoordinateLimit;
    return static_cast<int32_t>(std::lround(v * 256));
}

// src over dst, both premultiplied; coverage 0..256.
inline uint32_t Blend(uint32_t dst, uint32_t src, uint32_t cover)
{
    if (cover < 256) {
        const uint32_t rb = ((src & 0x00FF00FF) * cover >> 8) & 0x00FF00FF;
        const uint32_t ag = ((src >> 8 & 0x00FF00FF) * cover) & 0xFF00FF00;
        src = rb | ag;
    }
    const uint32_t inv = 255 - (src >> 24);
    if (inv == 0)
        return src;
    auto ch = [&](int shift) {
        const uint32_t d = dst >> shift & 255;
        return std::min<uint32_t>(255, (src >> shift & 255) + (d * inv + 127) / 255) << shift;
    };
    return ch(24) | ch(16) | ch(8) | ch(0);
}

double Wrap(double t, uint8_t spread)
{
    if (spread == FillStyle::kRepeat)
        return t - std::floor(t);
    if (spread == FillStyle::kReflect) {
        t = std::fabs(t);
        t -= 2 * std::floor(t / 2);
        return t > 1 ? 2 - t : t;
    }
    return std::clamp(t, 0.0, 1.0);
}

}  // namespace

void Rasterizer::AddLine(double x0, double y0, double x1, double y1)
{
    Edge e{ToFixed(x0), ToFixed(y0), ToFixed(x1), ToFixed(y1), 1};
    if (e.y0 == e.y1)
        return;  // horizontal edges cross no scanline
    if (e.y0 > e.y1) {
        std::swap(e.x0, e.x1);
        std::swap(e.y0, e.y1);
        e.dir = -1;
    }
    m_edges.push_back(e);
}

void Rasterizer::AddQuad(double x0, double y0, double cx, double cy, double x1, double y1)
{
    // Enough segments that the chords stay within about 1/8 pixel of the curve.
    const double dx = x0 - 2 * cx + x1, dy = y0 - 2 * cy + y1;
    const double dev = std::sqrt(dx * dx + dy * dy);
    const int n = dev > 0 ? std::clamp(static_cast<int>(std::sqrt(dev * 2)) + 1, 1, 64) : 1;
    double px = x0, py = y0;
    for (int i = 1; i <= n; ++i) {
        const double t = static_cast<double>(i) / n, u = 1 - t;
        const double qx = u * u * x0 + 2 * u * t * cx + t * t * x1;
        const double qy = u * u * y0 + 2 * u * t * cy + t * t * y1;
        AddLine(px, py, qx, qy);
        px = qx;
        py = qy;
    }
}

void Rasterizer::AddPolygon(const std::vector<double>& xy)
{
    const std::size_t n = xy.size() / 2;
    if (n < 3)
        return;
    double area = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t j = (i + 1) % n;
        area += xy[2 * i] * xy[2 * j + 1] - xy[2 * j] * xy[2 * i + 1];
    }
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t j = (i + 1) % n;
        if (area >= 0)
            AddLine(xy[2 * i], xy[2 * i + 1], xy[2 * j], xy[2 * j + 1]);
        else
            AddLine(xy[2 * j], xy[2 * j + 1], xy[2 * i], xy[2 * i + 1]);
    }
}

template <class RowFn>
void Rasterizer::Sweep(int width, int height, bool nonZero, RowFn&& row)
{
    if (m_edges.empty() || width <= 0 || height <= 0)
        return;
    std::sort(m_edges.begin(), m_edges.end(), [](const Edge& p, const Edge& q) { return p.y0 < q.y0; });
    int32_t yMax = 0;
    for (const Edge& e : m_edges)
        yMax = std::max(yMax, e.y1);
    const int rowFirst = std::max(0, m_edges.front().y0 >> 8);
    const int rowLast = std::min(height - 1, yMax >> 8);
    m_cover.assign(static_cast<std::size_t>(width) + 2, 0);
    m_run.assign(static_cast<std::size_t>(width) + 2, 0);
    const int32_t right = width * 256;

    std::vector<const Edge*> active;
    std::vector<std::pair<int32_t, int>> crossings;
    std::size_t next = 0;
    for (int y = rowFirst; y <= rowLast; ++y) {
        int xMin = width, xMax = -1;
        for (int s = 0; s < kSubScanlines; ++s) {
            const int32_t ys = y * 256 + (2 * s + 1) * 128 / kSubScanlines;
            while (next < m_edges.size() && m_edges[next].y0 <= ys)
                active.push_back(&m_edges[next++]);
            active.erase(std::remove_if(active.begin(), active.end(), [ys](const Edge* e) { return e->y1 <= ys; }),
                         active.end());
            crossings.clear();
            for (const Edge* e : active) {
                const int64_t x = e->x0 + int64_t{ys - e->y0} * (e->x1 - e->x0) / (e->y1 - e->y0);
                crossings.emplace_back(static_cast<int32_t>(std::clamp<int64_t>(x, 0, right)), e->dir);
            }
            std::sort(crossings.begin(), crossings.end());
            int winding = 0;
            for (std::size_t i = 0; i + 1 < crossings.size(); ++i) {
                winding += crossings[i].second;
                const bool inside = nonZero ? winding != 0 : (winding & 1) != 0;
                const int32_t xa = crossings[i].first, xb = crossings[i + 1].first;
                if (!inside || xa >= xb)
                    continue;
                const int ia = xa >> 8, ib = xb >> 8;
                xMin = std::min(xMin, ia);
                xMax = std::max(xMax, std::min(ib, width - 1));
                if (ia == ib) {
                    m_cover[ia] += xb - xa;
                    continue;
                }
                // Partial end pixels directly; the full pixels between as a run, summed per row.
                m_cover[ia] += 256 - (xa & 255);
                m_run[ia + 1] += 256;
                m_run[ib] -= 256;
                m_cover[ib] += xb & 255;
            }
        }
        if (xMax < xMin)
            continue;
        int32_t run = 0;
        for (int x = xMin; x <= xMax; ++x) {
            run += m_run[x];
            m_cover[x] = (m_cover[x] + run) / kSubScanlines;
        }
        row(y, xMin, xMax, m_cover.data());
        std::fill(m_cover.begin() + xMin, m_cover.begin() + xMax + 2, 0);
        std::fill(m_run.begin() + xMin, m_run.begin() + xMax + 2, 0);
    }
}

void Rasterizer::Fill(Canvas& canvas, bool nonZero, const Paint& paint, const Mask* mask)
{
    std::vector<uint32_t> shade;
    Sweep(canvas.width, canvas.height, nonZero, [&](int y, int x0, int x1, const int32_t* cover) {
        shade.resize(static_cast<std::size_t>(x1 - x0 + 1));
        paint.Shade(x0, y, x1 - x0 + 1, shade.data());
        uint32_t* dst = &canvas.pixels[static_cast<std::size_t>(y) * canvas.width];
        const uint8_t* m = mask ? &(*mask)[static_cast<std::size_t>(y) * canvas.width] : nullptr;
        for (int x = x0; x <= x1; ++x) {
            uint32_t c = static_cast<uint32_t>(std::min(cover[x], 256));
            if (m)
                c = (c * m[x] + 127) / 255;
            if (c)
                dst[x] = Blend(dst[x], shade[x - x0], c);
        }
    });
}

void Rasterizer::FillMask(int width, int height, bool nonZero, Mask& out, const Mask* clip)
{
    Sweep(width, height, nonZero, [&](int y, int x0, int x1, const int32_t* cover) {
        const std::size_t base = static_cast<std::size_t>(y) * width;
        for (int x = x0; x <= x1; ++x) {
            uint32_t c = static_cast<uint32_t>(std::min(cover[x], 256)) * 255 / 256;
            if (clip)
                c = (c * (*clip)[base + x] + 127) / 255;
            uint8_t& o = out[base + x];
            o = static_cast<uint8_t>(o + (c * (255u - o) + 127) / 255);
        }
    });
}

void SolidPaint::Shade(int, int, int count, uint32_t* out) const
{
    std::fill(out, out + count, m_color);
}

GradientPaint::GradientPaint(const FillStyle& fill, const Matrix& toGradient, const CxForm& cx)
    : m_inv(toGradient), m_type(fill.type), m_spread(fill.spread), m_focal(fill.focal)
{
    const std::vector<GradientStop>& stops = fill.stops;
    for (int i = 0; i < 256; ++i) {
        Rgba c{0, 0, 0, 0};
        if (!stops.empty()) {
            std::size_t k = 0;
            while (k < stops.size() && stops[k].ratio < i)
                ++k;
            if (k == 0) {
                c = stops.front().color;
            } else if (k == stops.size()) {
                c = stops.back().color;
            } else {
                const GradientStop& p = stops[k - 1];
                const GradientStop& q = stops[k];
                const double t = q.ratio == p.ratio ? 1.0 : static_cast<double>(i - p.ratio) / (q.ratio - p.ratio);
                // Linear RGB is taken as gamma 2: exact with square roots on every platform.
                auto mix = [&](uint8_t a, uint8_t b) {
                    double v;
                    if (fill.linearRgb) {
                        const double la = a / 255.0 * (a / 255.0), lb = b / 255.0 * (b / 255.0);
                        v = std::sqrt(la + (lb - la) * t) * 255;
                    } else {
                        v = a + (b - a) * t;
                    }
                    return static_cast<uint8_t>(std::clamp(static_cast<int>(v + 0.5), 0, 255));
                };
                c = {mix(p.color.r, q.color.r), mix(p.color.g, q.color.g), mix(p.color.b, q.color.b),
                     static_cast<uint8_t>(std::clamp(static_cast<int>(p.color.a + (q.color.a - p.color.a) * t + 0.5), 0, 255))};
            }
        }
        m_lut[i] = Premultiply(cx.Apply(c));
    }
}

void GradientPaint::Shade(int x, int y, int count, uint32_t* out) const
{
    const double py = y + 0.5;
    for (int i = 0; i < count; ++i) {
        const double px = x + i + 0.5;
        double gx, gy;
        m_inv.Apply(px, py, gx, gy);
        double t;
        if (m_type == FillStyle::kLinear) {
            t = (gx + 16384) / 32768;
        } else if (m_type == FillStyle::kRadial || m_focal == 0) {
            t = std::sqrt(gx * gx + gy * gy) / 16384;
        } else {
            // The ray from the focal point through the pixel meets the circle at distance 1/t.
            const double dx = gx / 16384 - m_focal, dy = gy / 16384;
            const double dd = dx * dx + dy * dy;
            if (dd == 0) {
                t = 0;
            } else {
                const double fd = m_focal * dx;
                const double disc = fd * fd - dd * (m_focal * m_focal - 1);
                const double s = (-fd + std::sqrt(std::max(0.0, disc))) / dd;
                t = s > 0 ? 1 / s : 1;
            }
        }
        t = Wrap(t, m_spread);
        out[i] = m_lut[std::clamp(static_cast<int>(t * 255 + 0.5), 0, 255)];
    }
}

BitmapPaint::BitmapPaint(const Bitmap& bitmap, const Matrix& toBitmap, bool repeat, bool smooth, const CxForm& cx)
    : m_bmp(bitmap), m_inv(toBitmap), m_bRepeat(repeat), m_bSmooth(smooth), m_cx(cx), m_bPlain(cx.IsIdentity())
{
}

uint32_t BitmapPaint::Texel(int u, int v) const
{
    const int w = m_bmp.width, h = m_bmp.height;
    if (m_bRepeat) {
        u %= w;
        v %= h;
        u += u < 0 ? w : 0;
        v += v < 0 ? h : 0;
    } else {
        u = std::clamp(u, 0, w - 1);
        v = std::clamp(v, 0, h - 1);
    }
    const uint32_t p = m_bmp.pixels[static_cast<std::size_t>(v) * w + u];
    return m_bPlain ? p : Premultiply(m_cx.Apply(Unpremultiply(p)));
}

void BitmapPaint::Shade(int x, int y, int count, uint32_t* out) const
{
    const double py = y + 0.5;
    // Sample positions are kept well inside int range; repeating fills wrap them anyway.
    auto toInt = [](double v) { return static_cast<int>(std::clamp(std::floor(v), -1e9, 1e9)); };
    for (int i = 0; i < count; ++i) {
        double bx, by;
        m_inv.Apply(x + i + 0.5, py, bx, by);
        if (!m_bSmooth) {
            out[i] = Texel(toInt(bx), toInt(by));
            continue;
        }
        bx -= 0.5;
        by -= 0.5;
        const int u = toInt(bx), v = toInt(by);
        const uint32_t fx = static_cast<uint32_t>(std::clamp((bx - u) * 256, 0.0, 255.0));
        const uint32_t fy = static_cast<uint32_t>(std::clamp((by - v) * 256, 0.0, 255.0));
        const uint32_t p00 = Texel(u, v), p10 = Texel(u + 1, v), p01 = Texel(u, v + 1), p11 = Texel(u + 1, v + 1);
        uint32_t r = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            const uint32_t top = (p00 >> shift & 255) * (256 - fx) + (p10 >> shift & 255) * fx;
            const uint32_t bottom = (p01 >> shift & 255) * (256 - fx) + (p11 >> shift & 255) * fx;
            r |= ((top * (256 - fy) + bottom * fy + 32768) >> 16) << shift;
        }
        out[i] = r;
    }
}

}  // namespace swf
