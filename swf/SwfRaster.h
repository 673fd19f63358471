// Scanline rasterizer: polygons in device pixels to anti-aliased coverage, and the paints that
// colour covered pixels into a premultiplied 32-bit canvas. Coordinates are rounded to 1/256
// pixel and all coverage arithmetic is integer, so the pixels do not depend on the platform.
#pragma once

#include "swf/SwfMovie.h"
#include "swf/SwfTypes.h"

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

// Coverage 0..255 per pixel of a canvas-sized area: where a mask lets drawing through.
using Mask = std::vector<uint8_t>;

// Colours a run of pixels of one row (premultiplied).
class Paint {
public:
    virtual ~Paint() = default;
    virtual void Shade(int x, int y, int count, uint32_t* out) const = 0;
};

class Rasterizer {
public:
    static constexpr int kSubScanlines = 4;  // vertical samples per pixel; horizontal coverage is exact

    void Reset() { m_edges.clear(); }
    bool Empty() const { return m_edges.empty(); }
    void AddLine(double x0, double y0, double x1, double y1);
    void AddQuad(double x0, double y0, double cx, double cy, double x1, double y1);
    // A closed polygon, turned so that all polygons added this way wind the same way.
    void AddPolygon(const std::vector<double>& xy);

    // Fills with the paint, coverage scaled by the mask when one is given.
    void Fill(Canvas& canvas, bool nonZero, const Paint& paint, const Mask* mask);
    // Adds the coverage to `out` (union), scaled by `clip` when one is given.
    void FillMask(int width, int height, bool nonZero, Mask& out, const Mask* clip);

private:
    struct Edge {
        int32_t x0, y0, x1, y1;  // 1/256 pixel, y0 < y1
        int dir;
    };
    // Calls row(y, xMin, xMax, cover) for each row with coverage; cover[x] is 0..256.
    template <class RowFn>
    void Sweep(int width, int height, bool nonZero, RowFn&& row);

    std::vector<Edge> m_edges;
    std::vector<int32_t> m_cover;  // coverage of partly covered pixels, per row
    std::vector<int32_t> m_run;    // starts (+) and ends (-) of fully covered runs, per row
};

// Paints.
class SolidPaint : public Paint {
public:
    explicit SolidPaint(uint32_t color) : m_color(color) {}
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
    bool m_bPlain;
};

}  // namespace swf
