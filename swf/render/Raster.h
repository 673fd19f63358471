// Scanline rasterizer: polygons in device pixels to multisampled coverage, and the paints that
// colour covered samples. Anti-aliased, every pixel holds four samples at the standard 4x
// multisample positions, else one at its centre; a sample is inside a polygon or not, and the
// pixel shown is the mean of its samples. Coordinates are rounded to 1/256 pixel and all coverage arithmetic is integer, so
// the pixels do not depend on the platform.
#pragma once

#include "swf/format/Movie.h"
#include "swf/base/Types.h"

#include <climits>
#include <cstdint>
#include <vector>

namespace swf {

// Premultiplied 0xAARRGGBB pixels, rows top to bottom.
struct Canvas {
    Canvas(int w, int h, uint32_t fill = 0) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, fill) {}
    int width;
    int height;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

inline constexpr int kMaxSamples = 4;  // per pixel

// The straight pieces a quadratic curve is flattened into, so that the chords stay within about
// 1/8 pixel of it when `scale` pixels make one unit.
int QuadSteps(double x0, double y0, double cx, double cy, double x1, double y1, double scale = 1);

// Premultiplied samples, `count` per pixel, pixel after pixel, rows top to bottom.
struct SampleCanvas {
    int width = 0;
    int height = 0;
    int count = kMaxSamples;
    std::vector<uint32_t> samples;

    // Every sample of a pixel takes the pixel's value.
    void Load(const Canvas& canvas, int samplesPerPixel);
    // Each pixel is the mean of its samples.
    void Resolve(Canvas& canvas) const;
};

// One flag per sample of a canvas: where a mask lets drawing through.
using Mask = std::vector<uint8_t>;

// Colours a run of pixels of one row: straight (not premultiplied) 0xAARRGGBB.
class Paint {
public:
    virtual ~Paint() = default;
    virtual void Shade(int x, int y, int count, uint32_t* out) const = 0;
};

class Rasterizer {
public:
    // 4 samples per pixel (anti-aliased) or 1.
    void SetSamples(int count) { m_nSamples = count == 1 ? 1 : kMaxSamples; }
    void Reset() { m_edges.clear(); }
    bool Empty() const { return m_edges.empty(); }
    void AddLine(double x0, double y0, double x1, double y1);
    void AddQuad(double x0, double y0, double cx, double cy, double x1, double y1);
    // A closed polygon, turned so that all polygons added this way wind the same way.
    void AddPolygon(const std::vector<double>& xy);

    // Paints the covered samples that the mask (when given) lets through.
    void Fill(SampleCanvas& canvas, bool nonZero, const Paint& paint, const Mask* mask);
    // Adds the covered samples to `out` (union), only those of `clip` when one is given.
    void FillMask(int width, int height, bool nonZero, Mask& out, const Mask* clip);
    // Number of samples covered (for tests and statistics).
    std::size_t CountSamples(int width, int height, bool nonZero);
    // The work a Fill of the outlines added so far takes on a `width` x `height` target, in
    // steps: each sample row visits the edges that cross it, each pixel of the outlines' box
    // may be painted.
    std::size_t SweepCost(int width, int height) const;
    // Limits painting to the pixels x0..x1, y0..y1 (inclusive) until the window is cleared.
    void SetWindow(int x0, int y0, int x1, int y1);
    void ClearWindow() { SetWindow(0, 0, INT_MAX, INT_MAX); }

private:
    struct Edge {
        int32_t x0, y0, x1, y1;  // 1/256 pixel, y0 < y1
        int dir;
    };
    struct Span {
        int x0, x1;  // pixels whose sample lies inside, x0 .. x1 inclusive
    };
    // Calls row(y, xMin, xMax, spans) for each pixel row with covered samples; spans[s] are the
    // runs of sample s.
    template <class RowFn>
    void Sweep(int width, int height, bool nonZero, RowFn&& row);

    std::vector<Edge> m_edges;
    std::vector<Span> m_spans[kMaxSamples];
    int m_nSamples = kMaxSamples;
    int m_windowX0 = 0, m_windowY0 = 0, m_windowX1 = INT_MAX, m_windowY1 = INT_MAX;
};

// Paints.
class SolidPaint : public Paint {
public:
    explicit SolidPaint(Rgba color) : m_color(Straight(color)) {}
    static uint32_t Straight(Rgba c) { return uint32_t{c.a} << 24 | c.r << 16 | c.g << 8 | c.b; }
    void Shade(int, int, int count, uint32_t* out) const override;

private:
    uint32_t m_color;
};

class GradientPaint : public Paint {
public:
    // `toGradient` maps device pixels into the gradient square (-16384 .. 16384).
    GradientPaint(const FillStyle& fill, const Matrix& toGradient, const CxForm& cx);
    void Shade(int x, int y, int count, uint32_t* out) const override;

private:
    uint32_t m_lut[256];
    Matrix m_inv;
    uint8_t m_type;
    uint8_t m_spread;
    double m_focal;
};

class BitmapPaint : public Paint {
public:
    // `toBitmap` maps device pixels into bitmap pixels.
    BitmapPaint(const Bitmap& bitmap, const Matrix& toBitmap, bool repeat, bool smooth, const CxForm& cx);
    void Shade(int x, int y, int count, uint32_t* out) const override;

private:
    uint32_t Texel(int u, int v) const;
    const Bitmap& m_bmp;
    Matrix m_inv;
    bool m_bRepeat;
    bool m_bSmooth;
    CxForm m_cx;
};

}  // namespace swf
