#include "swf/render/Raster.h"

#include <algorithm>
#include <cmath>

namespace swf {
namespace {

// Device coordinates are kept within this many pixels of the origin so that the fixed-point
// arithmetic cannot overflow; anything that far away is off every canvas.
constexpr double kCoordinateLimit = 1 << 20;

// The sample positions in 1/256 pixel: sample s lies on row kSampleY[s] at column kSampleX[s];
// a single sample lies at the centre.
constexpr int32_t kSampleX[kMaxSamples] = {96, 224, 32, 160};
constexpr int32_t kSampleY[kMaxSamples] = {32, 96, 160, 224};
constexpr int32_t kCentre = 128;

int32_t ToFixed(double v)
{
    if (!(v > -kCoordinateLimit))
        v = -kCoordinateLimit;
    if (!(v < kCoordinateLimit))
        v = kCoordinateLimit;
    return static_cast<int32_t>(std::lround(v * 256));
}

int32_t FloorDiv256(int32_t v)
{
    return v >= 0 ? v / 256 : -((255 - v) / 256);
}

// Each 16-bit lane (at most 65152) divided by 255, rounded down.
inline uint32_t Div255Lanes(uint32_t t)
{
    return (t + 0x00010001 + (t >> 8 & 0x00FF00FF)) >> 8 & 0x00FF00FF;
}

// A straight colour over a premultiplied sample, rounded once as a blending unit does.
inline void Blend(uint32_t& dst, uint32_t src)
{
    const uint32_t a = src >> 24;
    if (a == 255) {
        dst = src;
        return;
    }
    if (a == 0)
        return;
    // Two channels at a time, each in a 16-bit lane: (src * a + dst * (255 - a) + 127) / 255 per
    // channel, the alpha channel's source taken as 255 (which gives a + its remainder's share).
    const uint32_t inv = 255 - a;
    const uint32_t rb = (src & 0x00FF00FF) * a + (dst & 0x00FF00FF) * inv + 0x007F007F;
    const uint32_t ag = ((src >> 8 & 0xFF) | 0x00FF0000) * a + (dst >> 8 & 0x00FF00FF) * inv + 0x007F007F;
    dst = Div255Lanes(rb) | Div255Lanes(ag) << 8;
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

void SampleCanvas::Load(const Canvas& canvas, int samplesPerPixel)
{
    width = canvas.width;
    height = canvas.height;
    count = samplesPerPixel;
    samples.resize(canvas.pixels.size() * count);
    for (std::size_t i = 0; i < canvas.pixels.size(); ++i)
        std::fill_n(&samples[i * count], count, canvas.pixels[i]);
}

void SampleCanvas::Resolve(Canvas& canvas) const
{
    if (count == 4) {
        // Two channels at a time, each sum in a 16-bit lane: the same means, four times faster.
        for (std::size_t i = 0; i < canvas.pixels.size(); ++i) {
            const uint32_t* s = &samples[i * 4];
            uint32_t rb = 0, ag = 0;
            for (int k = 0; k < 4; ++k) {
                rb += s[k] & 0x00FF00FF;
                ag += s[k] >> 8 & 0x00FF00FF;
            }
            canvas.pixels[i] = (rb >> 2 & 0x00FF00FF) | (ag >> 2 & 0x00FF00FF) << 8;
        }
        return;
    }
    for (std::size_t i = 0; i < canvas.pixels.size(); ++i) {
        const uint32_t* s = &samples[i * count];
        uint32_t out = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            uint32_t sum = 0;
            for (int k = 0; k < count; ++k)
                sum += s[k] >> shift & 255;
            out |= sum / static_cast<uint32_t>(count) << shift;
        }
        canvas.pixels[i] = out;
    }
}

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

int QuadSteps(double x0, double y0, double cx, double cy, double x1, double y1, double scale)
{
    const double dx = x0 - 2 * cx + x1, dy = y0 - 2 * cy + y1;
    const double dev = std::sqrt(dx * dx + dy * dy) * scale;
    return dev > 0 ? std::clamp(static_cast<int>(std::sqrt(std::min(dev, 1e6) * 2)) + 1, 1, 64) : 1;
}

void Rasterizer::AddQuad(double x0, double y0, double cx, double cy, double x1, double y1)
{
    const int n = QuadSteps(x0, y0, cx, cy, x1, y1);
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
    const int rowFirst = std::max({0, m_windowY0, FloorDiv256(m_edges.front().y0)});
    const int rowLast = std::min({height - 1, m_windowY1, FloorDiv256(yMax)});
    const int columnFirst = std::max(0, m_windowX0), columnLast = std::min(width - 1, m_windowX1);

    std::vector<const Edge*> active;
    std::vector<std::pair<int32_t, int>> crossings;
    std::size_t next = 0;
    for (int y = rowFirst; y <= rowLast; ++y) {
        int xMin = width, xMax = -1;
        for (int s = 0; s < m_nSamples; ++s) {
            m_spans[s].clear();
            const int32_t sampleX = m_nSamples == 1 ? kCentre : kSampleX[s];
            const int32_t ys = y * 256 + (m_nSamples == 1 ? kCentre : kSampleY[s]);
            while (next < m_edges.size() && m_edges[next].y0 <= ys)
                active.push_back(&m_edges[next++]);
            active.erase(std::remove_if(active.begin(), active.end(), [ys](const Edge* e) { return e->y1 <= ys; }),
                         active.end());
            crossings.clear();
            for (const Edge* e : active) {
                const int64_t x = e->x0 + int64_t{ys - e->y0} * (e->x1 - e->x0) / (e->y1 - e->y0);
                crossings.emplace_back(static_cast<int32_t>(x), e->dir);
            }
            std::sort(crossings.begin(), crossings.end());
            int winding = 0;
            for (std::size_t i = 0; i + 1 < crossings.size(); ++i) {
                winding += crossings[i].second;
                const bool inside = nonZero ? winding != 0 : (winding & 1) != 0;
                if (!inside)
                    continue;
                // Pixels whose sample x*256 + sampleX lies in [xa, xb).
                const int x0 = std::max(columnFirst, FloorDiv256(crossings[i].first - sampleX + 255));
                const int x1 = std::min(columnLast, FloorDiv256(crossings[i + 1].first - sampleX - 1));
                if (x0 > x1)
                    continue;
                if (!m_spans[s].empty() && m_spans[s].back().x1 + 1 >= x0)
                    m_spans[s].back().x1 = x1;
                else
                    m_spans[s].push_back({x0, x1});
                xMin = std::min(xMin, x0);
                xMax = std::max(xMax, x1);
            }
        }
        if (xMax >= xMin)
            row(y, xMin, xMax, m_spans);
    }
}

void Rasterizer::SetWindow(int x0, int y0, int x1, int y1)
{
    m_windowX0 = x0;
    m_windowY0 = y0;
    m_windowX1 = x1;
    m_windowY1 = y1;
}

void Rasterizer::Fill(SampleCanvas& canvas, bool nonZero, const Paint& paint, const Mask* mask)
{
    std::vector<uint32_t> shade;
    Sweep(canvas.width, canvas.height, nonZero, [&](int y, int x0, int x1, const std::vector<Span>* spans) {
        shade.resize(static_cast<std::size_t>(x1 - x0 + 1));
        paint.Shade(x0, y, x1 - x0 + 1, shade.data());
        const std::size_t base = static_cast<std::size_t>(y) * canvas.width * m_nSamples;
        for (int s = 0; s < m_nSamples; ++s)
            for (const Span& span : spans[s]) {
                uint32_t* sample = &canvas.samples[base + static_cast<std::size_t>(span.x0) * m_nSamples + s];
                const uint32_t* colour = &shade[span.x0 - x0];
                if (mask) {
                    const uint8_t* let = &(*mask)[base + static_cast<std::size_t>(span.x0) * m_nSamples + s];
                    for (int x = span.x0; x <= span.x1; ++x, sample += m_nSamples, let += m_nSamples, ++colour)
                        if (*let)
                            Blend(*sample, *colour);
                } else {
                    for (int x = span.x0; x <= span.x1; ++x, sample += m_nSamples, ++colour)
                        Blend(*sample, *colour);
                }
            }
    });
}

void Rasterizer::FillMask(int width, int height, bool nonZero, Mask& out, const Mask* clip)
{
    Sweep(width, height, nonZero, [&](int y, int, int, const std::vector<Span>* spans) {
        const std::size_t base = static_cast<std::size_t>(y) * width * m_nSamples;
        for (int s = 0; s < m_nSamples; ++s)
            for (const Span& span : spans[s])
                for (int x = span.x0; x <= span.x1; ++x) {
                    const std::size_t i = base + static_cast<std::size_t>(x) * m_nSamples + s;
                    if (!clip || (*clip)[i])
                        out[i] = 1;
                }
    });
}

std::size_t Rasterizer::CountSamples(int width, int height, bool nonZero)
{
    std::size_t n = 0;
    Sweep(width, height, nonZero, [&](int, int, int, const std::vector<Span>* spans) {
        for (int s = 0; s < m_nSamples; ++s)
            for (const Span& span : spans[s])
                n += static_cast<std::size_t>(span.x1 - span.x0 + 1);
    });
    return n;
}

std::size_t Rasterizer::SweepCost(int width, int height) const
{
    if (m_edges.empty() || width <= 0 || height <= 0)
        return 0;
    auto row = [height](int32_t y) { return std::clamp(FloorDiv256(y), 0, height - 1); };
    auto column = [width](int32_t x) { return std::clamp(FloorDiv256(x), 0, width - 1); };
    std::size_t crossed = 0;
    int32_t xMin = m_edges.front().x0, xMax = xMin, yMin = m_edges.front().y0, yMax = yMin;
    for (const Edge& e : m_edges) {
        crossed += static_cast<std::size_t>(row(e.y1) - row(e.y0) + 1);
        xMin = std::min({xMin, e.x0, e.x1});
        xMax = std::max({xMax, e.x0, e.x1});
        yMin = std::min(yMin, e.y0);
        yMax = std::max(yMax, e.y1);
    }
    const std::size_t rows = static_cast<std::size_t>(row(yMax) - row(yMin) + 1);
    const std::size_t columns = static_cast<std::size_t>(column(xMax) - column(xMin) + 1);
    return m_edges.size() + (crossed + rows) * m_nSamples + rows * columns;
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
                    return static_cast<uint8_t>(std::clamp(static_cast<int>(v), 0, 255));
                };
                c = {mix(p.color.r, q.color.r), mix(p.color.g, q.color.g), mix(p.color.b, q.color.b),
                     static_cast<uint8_t>(std::clamp(static_cast<int>(p.color.a + (q.color.a - p.color.a) * t), 0, 255))};
            }
        }
        m_lut[i] = SolidPaint::Straight(cx.Apply(c));
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
        if (!std::isfinite(t))
            t = 1;  // far outside the gradient square, or a matrix that maps nowhere
        // The ramp is read like a 256-texel texture with linear filtering: texel centres at
        // (j + 0.5) / 256, the weights in 1/256.
        // Rounded down without a call to floor: the wrapped position lies between -128 and 65408.
        const double unrounded = (Wrap(t, m_spread) * 256 - 0.5) * 256;
        int pos = static_cast<int>(unrounded);
        pos -= pos > unrounded ? 1 : 0;
        if (pos <= 0) {
            out[i] = m_lut[0];
            continue;
        }
        const int j = pos >> 8;
        if (j >= 255) {
            out[i] = m_lut[255];
            continue;
        }
        // Two channels at a time, each in a 16-bit lane that the weighted sum never overflows.
        const uint32_t f = static_cast<uint32_t>(pos & 255), c0 = m_lut[j], c1 = m_lut[j + 1];
        const uint32_t rb = ((c0 & 0x00FF00FF) * (256 - f) + (c1 & 0x00FF00FF) * f + 0x00800080) >> 8;
        const uint32_t ag = ((c0 >> 8 & 0x00FF00FF) * (256 - f) + (c1 >> 8 & 0x00FF00FF) * f + 0x00800080) >> 8;
        out[i] = (rb & 0x00FF00FF) | (ag & 0x00FF00FF) << 8;
    }
}

BitmapPaint::BitmapPaint(const Bitmap& bitmap, const Matrix& toBitmap, bool repeat, bool smooth, const CxForm& cx)
    : m_bmp(bitmap), m_inv(toBitmap), m_bRepeat(repeat), m_bSmooth(smooth), m_cx(cx)
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
    return p;
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
            out[i] = SolidPaint::Straight(m_cx.Apply(Unpremultiply(Texel(toInt(bx), toInt(by)))));
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
        out[i] = SolidPaint::Straight(m_cx.Apply(Unpremultiply(r)));
    }
}

}  // namespace swf
