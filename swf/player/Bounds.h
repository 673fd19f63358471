// The box that a display object covers: its shapes', morphs', buttons', images' and drawings' bounds,
// down through the clips inside it, mapped by a matrix.
#pragma once

#include "swf/player/Player.h"

#include <algorithm>

namespace swf {

struct Box {
    double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    bool Empty() const { return x0 > x1; }
    // Adds the rectangle ax .. bx, ay .. by mapped by `m`.
    void Add(const Matrix& m, double ax, double ay, double bx, double by)
    {
        const double xs[2] = {ax, bx}, ys[2] = {ay, by};
        for (double x : xs)
            for (double y : ys) {
                double tx, ty;
                m.Apply(x, y, tx, ty);
                x0 = std::min(x0, tx);
                x1 = std::max(x1, tx);
                y0 = std::min(y0, ty);
                y1 = std::max(y1, ty);
            }
    }
};

// Adds what `d` covers, mapped by `m` (its own matrix not included), to `box`.
void AddBounds(const Movie& movie, const DisplayObject& d, const Matrix& m, Box& box, int nesting = 0);

}  // namespace swf
