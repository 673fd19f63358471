#include "swf/render/Stroke.h"

#include <algorithm>
#include <cmath>

namespace swf {
namespace {

// The unit circle as 64 points, fixed values (no trigonometry, the same on every platform).
constexpr double kCircle[64][2] = {
    {1.000000000, 0.000000000},
    {0.995184727, 0.098017140},
    {0.980785280, 0.195090322},
    {0.956940336, 0.290284677},
    {0.923879533, 0.382683432},
    {0.881921264, 0.471396737},
    {0.831469612, 0.555570233},
    {0.773010453, 0.634393284},
    {0.707106781, 0.707106781},
    {0.634393284, 0.773010453},
    {0.555570233, 0.831469612},
    {0.471396737, 0.881921264},
    {0.382683432, 0.923879533},
    {0.290284677, 0.956940336},
    {0.195090322, 0.980785280},
    {0.098017140, 0.995184727},
    {0.000000000, 1.000000000},
    {-0.098017140, 0.995184727},
    {-0.195090322, 0.980785280},
    {-0.290284677, 0.956940336},
    {-0.382683432, 0.923879533},
    {-0.471396737, 0.881921264},
    {-0.555570233, 0.831469612},
    {-0.634393284, 0.773010453},
    {-0.707106781, 0.707106781},
    {-0.773010453, 0.634393284},
    {-0.831469612, 0.555570233},
    {-0.881921264, 0.471396737},
    {-0.923879533, 0.382683432},
    {-0.956940336, 0.290284677},
    {-0.980785280, 0.195090322},
    {-0.995184727, 0.098017140},
    {-1.000000000, 0.000000000},
    {-0.995184727, -0.098017140},
    {-0.980785280, -0.195090322},
    {-0.956940336, -0.290284677},
    {-0.923879533, -0.382683432},
    {-0.881921264, -0.471396737},
    {-0.831469612, -0.555570233},
    {-0.773010453, -0.634393284},
    {-0.707106781, -0.707106781},
    {-0.634393284, -0.773010453},
    {-0.555570233, -0.831469612},
    {-0.471396737, -0.881921264},
    {-0.382683432, -0.923879533},
    {-0.290284677, -0.956940336},
    {-0.195090322, -0.980785280},
    {-0.098017140, -0.995184727},
    {-0.000000000, -1.000000000},
    {0.098017140, -0.995184727},
    {0.195090322, -0.980785280},
    {0.290284677, -0.956940336},
    {0.382683432, -0.923879533},
    {0.471396737, -0.881921264},
    {0.555570233, -0.831469612},
    {0.634393284, -0.773010453},
    {0.707106781, -0.707106781},
    {0.773010453, -0.634393284},
    {0.831469612, -0.555570233},
    {0.881921264, -0.471396737},
    {0.923879533, -0.382683432},
    {0.956940336, -0.290284677},
    {0.980785280, -0.195090322},
    {0.995184727, -0.098017140}
};

void Emit(Rasterizer& r, const StrokeStyle& s, std::vector<double> xy)
{
    for (std::size_t i = 0; i + 1 < xy.size(); i += 2)
        s.toDevice.Apply(xy[i], xy[i + 1], xy[i], xy[i + 1]);
    r.AddPolygon(xy);
}

// Every how many points of kCircle a disk takes: fewer for small disks, so that the chords stay
// within about 1/16 pixel of the circle.
int DiskStep(const StrokeStyle& s)
{
    const double pixels = s.half * s.scale;
    return pixels < 2 ? 8 : pixels < 8 ? 4 : pixels < 32 ? 2 : 1;
}

void AddDisk(Rasterizer& r, const StrokeStyle& s, double x, double y)
{
    const int step = DiskStep(s);
    std::vector<double> xy;
    for (int i = 0; i < 64; i += step) {
        xy.push_back(x + kCircle[i][0] * s.half);
        xy.push_back(y + kCircle[i][1] * s.half);
    }
    Emit(r, s, std::move(xy));
}

struct Vec {
    double x, y;
};

// The segment's unit direction, or false for a segment of no length.
bool Direction(double x0, double y0, double x1, double y1, Vec& d)
{
    const double dx = x1 - x0, dy = y1 - y0;
    const double len = std::sqrt(dx * dx + dy * dy);
    if (len < 1e-9)
        return false;
    d = {dx / len, dy / len};
    return true;
}

void AddCap(Rasterizer& r, const StrokeStyle& s, double x, double y, Vec d, uint8_t cap)
{
    // d points out of the line.
    if (cap == StrokeStyle::kRoundCap) {
        AddDisk(r, s, x, y);
    } else if (cap == StrokeStyle::kSquareCap) {
        const double nx = -d.y * s.half, ny = d.x * s.half, ex = d.x * s.half, ey = d.y * s.half;
        Emit(r, s, {x + nx, y + ny, x + nx + ex, y + ny + ey, x - nx + ex, y - ny + ey, x - nx, y - ny});
    }
}

void AddJoin(Rasterizer& r, double x, double y, Vec in, Vec out, const StrokeStyle& s)
{
    const double cross = in.x * out.y - in.y * out.x;
    const double dot = in.x * out.x + in.y * out.y;
    if (std::fabs(cross) < 1e-9 && dot > 0)
        return;  // straight on
    if (s.join == StrokeStyle::kRoundJoin) {
        AddDisk(r, s, x, y);
        return;
    }
    // The outer side: left of the path when it turns right, and the other way round.
    const double side = cross > 0 ? -1 : 1;
    const Vec a{-in.y * side * s.half, in.x * side * s.half};
    const Vec b{-out.y * side * s.half, out.x * side * s.half};
    if (s.join == StrokeStyle::kMiterJoin) {
        // The miter's tip lies along the bisector of the two offsets, at half / cos(angle / 2).
        const double cosHalf = std::sqrt(std::max(0.0, (1 + dot) / 2));
        if (cosHalf > 1e-9 && 1 / cosHalf <= s.miterLimit) {
            Vec m{a.x + b.x, a.y + b.y};
            const double len = std::sqrt(m.x * m.x + m.y * m.y);
            if (len > 1e-9) {
                const double k = s.half / cosHalf / len;
                Emit(r, s, {x, y, x + a.x, y + a.y, x + m.x * k, y + m.y * k, x + b.x, y + b.y});
                return;
            }
        }
    }
    Emit(r, s, {x, y, x + a.x, y + a.y, x + b.x, y + b.y});
}

}  // namespace

int DiskPoints(const StrokeStyle& style)
{
    return 64 / DiskStep(style);
}

void FlattenQuad(std::vector<double>& xy, double x0, double y0, double cx, double cy, double x1, double y1,
                 double scale)
{
    const int n = QuadSteps(x0, y0, cx, cy, x1, y1, scale);
    for (int i = 1; i <= n; ++i) {
        const double t = static_cast<double>(i) / n, u = 1 - t;
        xy.push_back(u * u * x0 + 2 * u * t * cx + t * t * x1);
        xy.push_back(u * u * y0 + 2 * u * t * cy + t * t * y1);
    }
}

void AddStrokePath(Rasterizer& r, const std::vector<double>& xy, const StrokeStyle& style)
{
    // The points without repeats: a segment of no length has no direction.
    std::vector<double> p;
    for (std::size_t i = 0; i + 1 < xy.size(); i += 2)
        if (p.empty() || std::fabs(xy[i] - p[p.size() - 2]) > 1e-9 || std::fabs(xy[i + 1] - p.back()) > 1e-9) {
            p.push_back(xy[i]);
            p.push_back(xy[i + 1]);
        }
    const std::size_t n = p.size() / 2;
    if (n < 2) {
        // A dot: round caps draw it.
        if (n == 1 && style.startCap == StrokeStyle::kRoundCap)
            AddDisk(r, style, p[0], p[1]);
        return;
    }
    const bool closed = style.closeJoin && n > 2 && p[0] == p[2 * n - 2] && p[1] == p[2 * n - 1];
    const double h = style.half;
    std::vector<Vec> dirs(n - 1);
    for (std::size_t i = 0; i + 1 < n; ++i) {
        Direction(p[2 * i], p[2 * i + 1], p[2 * i + 2], p[2 * i + 3], dirs[i]);
        const double nx = -dirs[i].y * h, ny = dirs[i].x * h;
        const double x0 = p[2 * i], y0 = p[2 * i + 1], x1 = p[2 * i + 2], y1 = p[2 * i + 3];
        Emit(r, style, {x0 + nx, y0 + ny, x1 + nx, y1 + ny, x1 - nx, y1 - ny, x0 - nx, y0 - ny});
        if (i > 0)
            AddJoin(r, x0, y0, dirs[i - 1], dirs[i], style);
    }
    if (closed) {
        AddJoin(r, p[0], p[1], dirs.back(), dirs.front(), style);
    } else {
        AddCap(r, style, p[0], p[1], {-dirs.front().x, -dirs.front().y}, style.startCap);
        AddCap(r, style, p[2 * n - 2], p[2 * n - 1], dirs.back(), style.endCap);
    }
}

}  // namespace swf
