#include "swf/render/StageView.h"

#include <algorithm>
#include <cctype>

namespace swf {

namespace {

bool NamesSide(std::string_view align, char side)
{
    return std::any_of(align.begin(), align.end(),
                       [side](char c) { return std::toupper(static_cast<unsigned char>(c)) == side; });
}

bool SameName(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

// Where a side of `size` pixels starts in `room` pixels: at the first edge, the second, or centred.
double Offset(double room, double size, bool first, bool second)
{
    if (first)
        return 0;
    if (second)
        return room - size;
    return (room - size) / 2;
}

}  // namespace

ScaleMode ScaleModeNamed(std::string_view name)
{
    if (SameName(name, "NoBorder"))
        return ScaleMode::NoBorder;
    if (SameName(name, "ExactFit"))
        return ScaleMode::ExactFit;
    if (SameName(name, "NoScale"))
        return ScaleMode::NoScale;
    return ScaleMode::ShowAll;
}

Matrix StageView(const Rect& stage, ScaleMode mode, std::string_view align, int w, int h)
{
    const double sw = std::max(1, stage.xMax - stage.xMin), sh = std::max(1, stage.yMax - stage.yMin);
    const Matrix toOrigin = Matrix::Translate(-stage.xMin, -stage.yMin);
    if (mode == ScaleMode::ExactFit)
        return Matrix::Scale(w / sw, h / sh) * toOrigin;
    double scale = 1.0 / 20;  // twips to pixels
    if (mode == ScaleMode::ShowAll)
        scale = std::min(w / sw, h / sh);
    else if (mode == ScaleMode::NoBorder)
        scale = std::max(w / sw, h / sh);
    const double x = Offset(w, sw * scale, NamesSide(align, 'L'), NamesSide(align, 'R'));
    const double y = Offset(h, sh * scale, NamesSide(align, 'T'), NamesSide(align, 'B'));
    return Matrix::Translate(x, y) * Matrix::Scale(scale, scale) * toOrigin;
}

Matrix ExactFitView(const Rect& stage, int w, int h)
{
    return StageView(stage, ScaleMode::ExactFit, {}, w, h);
}

}  // namespace swf
