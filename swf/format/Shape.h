// Shapes as the SWF shape records describe them: fill and line styles in groups, and edges
// that carry a fill on each side (fill0 left, fill1 right) and a line style. Morph shapes keep
// a start and an end shape with the same edges and styles, blended by a ratio.
#pragma once

#include "swf/base/Budget.h"
#include "swf/format/Reader.h"
#include "swf/base/Types.h"

#include <cstdint>
#include <vector>

namespace swf {

struct GradientStop {
    uint8_t ratio = 0;
    Rgba color;
};

struct FillStyle {
    enum Type : uint8_t {
        kSolid = 0x00,
        kLinear = 0x10,
        kRadial = 0x12,
        kFocal = 0x13,
        kBitmapRepeat = 0x40,
        kBitmapClip = 0x41,
        kBitmapRepeatHard = 0x42,
        kBitmapClipHard = 0x43,
    };
    enum Spread : uint8_t { kPad = 0, kReflect = 1, kRepeat = 2 };
    uint8_t type = kSolid;
    Rgba color;
    Matrix matrix;  // gradient square or bitmap pixels to shape coordinates
    std::vector<GradientStop> stops;
    uint8_t spread = kPad;
    bool linearRgb = false;  // interpolation in linear RGB
    double focal = 0;        // -1 .. 1 along the gradient's x axis
    uint16_t bitmapId = 0;

    bool IsGradient() const { return type == kLinear || type == kRadial || type == kFocal; }
    bool IsBitmap() const { return type >= kBitmapRepeat && type <= kBitmapClipHard; }
};

struct LineStyle {
    double width = 0;  // twips
    FillStyle fill;    // a solid fill unless the style carries its own
    uint8_t startCap = 0, endCap = 0;  // 0 round, 1 none, 2 square
    uint8_t join = 0;                  // 0 round, 1 bevel, 2 miter
    double miterLimit = 3;             // in half widths
    bool noHScale = false;             // the width does not follow the horizontal scale
    bool noVScale = false;             // nor the vertical one
    bool pixelHinting = false;         // whole pixels wide
    bool noClose = false;              // a path back at its start is capped, not joined
};

struct Edge {
    double x0, y0, cx, cy, x1, y1;  // twips; (cx, cy) is the control point of a curve
    bool curve;
    int fill0, fill1, line;  // indices into the shape's styles, -1 for none
};

// Styles added by one "new styles" record, drawn in this order: fills, then lines.
struct StyleGroup {
    int fillBegin, fillEnd, lineBegin, lineEnd;
};

struct Shape {
    Rect bounds;
    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
    std::vector<StyleGroup> groups;
    std::vector<Edge> edges;
    bool nonZero = false;  // winding rule of DefineShape4; even-odd otherwise
};

struct MorphShape {
    Shape start;
    Shape end;  // same styles and edges as `start`, at ratio 65535
    // The shape at a ratio 0 .. 65535.
    Shape At(uint16_t ratio) const;
};

// The readers spend the bytes of what they keep from `budget`.
// DefineShape 1-4 after the character id.
Shape ReadShape(Reader& r, int version, ByteBudget& budget);
// DefineMorphShape 1-2 after the character id.
MorphShape ReadMorphShape(Reader& r, int version, ByteBudget& budget);
// A glyph of DefineFont: one fill style (index 0) chosen by the text, no lines.
Shape ReadGlyph(Reader& r, ByteBudget& budget);

}  // namespace swf
