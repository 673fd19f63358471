// Strokes: a line style's paths turned into polygons for the rasterizer, with the style's caps,
// joins and miter limit, in device pixels.
#pragma once

#include "swf/render/Raster.h"

#include <vector>

namespace swf {

struct StrokeStyle {
    enum Cap : uint8_t { kRoundCap = 0, kNoCap = 1, kSquareCap = 2 };
    enum Join : uint8_t { kRoundJoin = 0, kBevelJoin = 1, kMiterJoin = 2 };
    double half = 0.5;  // half the width, pixels
    uint8_t startCap = kRoundCap;
    uint8_t endCap = kRoundCap;
    uint8_t join = kRoundJoin;
    double miterLimit = 3;  // longest miter, in half widths
    bool closeJoin = true;  // a path that ends where it starts is joined there, else capped
    Matrix toDevice;        // from the path's units to pixels
    double scale = 1;       // pixels per unit, about
};

// A connected run of points (x0, y0, x1, y1, ...) in the path's units; closed when it ends
// where it starts. The outline is built there and mapped to pixels, so a stretched path gets a
// stretched stroke.
void AddStrokePath(Rasterizer& r, const std::vector<double>& xy, const StrokeStyle& style);

// The points of the polygon that draws a round cap or join of the style.
int DiskPoints(const StrokeStyle& style);

// Appends the points of a quadratic curve after its start point, flat to about 1/8 pixel when
// `scale` pixels make one unit: QuadSteps of them.
void FlattenQuad(std::vector<double>& xy, double x0, double y0, double cx, double cy, double x1, double y1,
                 double scale);

}  // namespace swf
