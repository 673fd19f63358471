// Basic value types of the SWF format: rectangles, colours, matrices, colour transforms, and
// the limits that keep a hostile file from costing unbounded time or memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace swf {

// A name as the movie compares it without case: ASCII letters lowered, other bytes as they are.
inline std::string Lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// Limits. A movie that needs more is refused (or the excess is ignored where noted). What a
// movie may cost in bytes and in work per frame is in Budget.h.
inline constexpr int kMaxStageTwips = 8192 * 20;                 // stage width and height
inline constexpr int kMaxFrames = 65535;                         // frames of one timeline
inline constexpr std::size_t kMaxBitmapPixels = 4096u * 4096u;   // one bitmap
inline constexpr int kMaxSpriteNesting = 16;                     // deeper clips stay empty
inline constexpr std::size_t kMaxDisplayObjects = 20000;         // placements beyond are ignored
inline constexpr int kMaxRenderNesting = 24;                     // buttons, sprites, masks
inline constexpr int kMaxCanvasSide = 8192;                      // render target width and height

// A refused movie. The message is one line for the user.
class FormatError : public std::runtime_error {
public:
    explicit FormatError(const std::string& what) : std::runtime_error(what) {}
};

struct Rect {
    int32_t xMin = 0, xMax = 0, yMin = 0, yMax = 0;  // twips
};

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 255;
    bool operator==(const Rgba&) const = default;
};

// x' = a x + c y + tx, y' = b x + d y + ty (the SWF MATRIX record).
struct Matrix {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    // This matrix applied after `inner`.
    Matrix operator*(const Matrix& inner) const
    {
        return {a * inner.a + c * inner.b, b * inner.a + d * inner.b, a * inner.c + c * inner.d,
                b * inner.c + d * inner.d, a * inner.tx + c * inner.ty + tx, b * inner.tx + d * inner.ty + ty};
    }
    double Determinant() const { return a * d - b * c; }
    // False when the matrix cannot be inverted.
    bool Invert(Matrix& out) const;
    void Apply(double x, double y, double& ox, double& oy) const
    {
        ox = a * x + c * y + tx;
        oy = b * x + d * y + ty;
    }
    static Matrix Scale(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
    static Matrix Translate(double x, double y) { return {1, 0, 0, 1, x, y}; }
    static Matrix Lerp(const Matrix& p, const Matrix& q, double t);
};

// Colour transform: c' = c * mul / 256 + add, per channel, alpha included.
struct CxForm {
    // Multipliers in 1/256 (r, g, b, a) and additions. Fractions stay: transforms of nested
    // objects multiply without rounding, and a colour is rounded once, when it is applied.
    double mul[4] = {256, 256, 256, 256};
    double add[4] = {0, 0, 0, 0};

    bool IsIdentity() const
    {
        return mul[0] == 256 && mul[1] == 256 && mul[2] == 256 && mul[3] == 256 && add[0] == 0 && add[1] == 0 &&
               add[2] == 0 && add[3] == 0;
    }
    // This transform applied after `inner`.
    CxForm operator*(const CxForm& inner) const;
    Rgba Apply(Rgba c) const;
};

// A premultiplied 0xAARRGGBB pixel from a straight colour.
inline uint32_t Premultiply(Rgba c)
{
    const uint32_t a = c.a;
    auto m = [a](uint32_t v) { return (v * a + 127) / 255; };
    return a << 24 | m(c.r) << 16 | m(c.g) << 8 | m(c.b);
}

// A straight colour from a premultiplied pixel.
Rgba Unpremultiply(uint32_t p);

// Premultiplied 0xAARRGGBB pixels, rows top to bottom.
struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

}  // namespace swf
