#include "swf/base/Types.h"

#include <algorithm>
#include <cmath>

namespace swf {

bool Matrix::Invert(Matrix& out) const
{
    const double det = Determinant();
    if (!std::isfinite(det) || std::fabs(det) < 1e-12)
        return false;
    out.a = d / det;
    out.b = -b / det;
    out.c = -c / det;
    out.d = a / det;
    out.tx = -(out.a * tx + out.c * ty);
    out.ty = -(out.b * tx + out.d * ty);
    return true;
}

Matrix Matrix::Lerp(const Matrix& p, const Matrix& q, double t)
{
    auto l = [t](double x, double y) { return x + (y - x) * t; };
    return {l(p.a, q.a), l(p.b, q.b), l(p.c, q.c), l(p.d, q.d), l(p.tx, q.tx), l(p.ty, q.ty)};
}

CxForm CxForm::operator*(const CxForm& inner) const
{
    CxForm out;
    for (int i = 0; i < 4; ++i) {
        // Clamped so that repeated nesting cannot overflow.
        out.mul[i] = std::clamp(mul[i] * inner.mul[i] / 256, -65536.0, 65536.0);
        out.add[i] = std::clamp(mul[i] * inner.add[i] / 256 + add[i], -65536.0, 65536.0);
    }
    return out;
}

Rgba CxForm::Apply(Rgba c) const
{
    // (channel * multiplier) / 256 in whole numbers, which drops the fraction toward zero, plus
    // the addition, held within 0 .. 255.
    auto f = [this](int i, uint8_t v) {
        return static_cast<uint8_t>(std::clamp(std::trunc(v * mul[i] / 256) + add[i], 0.0, 255.0));
    };
    return {f(0, c.r), f(1, c.g), f(2, c.b), f(3, c.a)};
}

Rgba Unpremultiply(uint32_t p)
{
    const uint32_t a = p >> 24;
    if (a == 0)
        return {0, 0, 0, 0};
    auto u = [a](uint32_t v) { return static_cast<uint8_t>(std::min<uint32_t>(255, (v * 255 + a / 2) / a)); };
    return {u(p >> 16 & 255), u(p >> 8 & 255), u(p & 255), static_cast<uint8_t>(a)};
}

}  // namespace swf
