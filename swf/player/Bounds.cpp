#include "swf/player/Bounds.h"

namespace swf {
namespace {

void AddCharacter(const Movie& movie, uint16_t id, const Matrix& m, Box& box, int nesting)
{
    if (nesting > kMaxRenderNesting)
        return;
    auto kind = movie.kinds.find(id);
    if (kind == movie.kinds.end())
        return;
    auto addRect = [&](const Rect& r) { box.Add(m, r.xMin, r.yMin, r.xMax, r.yMax); };
    switch (kind->second) {
    case CharacterKind::kShape:
        addRect(movie.shapes.at(id).bounds);
        break;
    case CharacterKind::kMorph:
        addRect(movie.morphs.at(id).start.bounds);
        break;
    case CharacterKind::kButton:
        for (const ButtonRecord& r : movie.buttons.at(id).upState)
            AddCharacter(movie, r.characterId, m * r.matrix, box, nesting + 1);
        break;
    default:
        break;
    }
}

}  // namespace

void AddBounds(const Movie& movie, const DisplayObject& d, const Matrix& m, Box& box, int nesting)
{
    if (nesting > kMaxRenderNesting)
        return;
    if (!d.clip) {
        AddCharacter(movie, d.characterId, m, box, nesting);
        return;
    }
    // An image shown by the clip: 20 twips a pixel from its origin.
    if (const Bitmap* image = d.clip->Image(); image && !image->pixels.empty())
        box.Add(m, 0, 0, image->width * 20.0, image->height * 20.0);
    if (const Shape* drawing = d.clip->Drawing(); drawing && !drawing->edges.empty())
        for (const Edge& e : drawing->edges)
            box.Add(m, std::min(e.x0, e.x1), std::min(e.y0, e.y1), std::max(e.x0, e.x1), std::max(e.y0, e.y1));
    for (const auto& [depth, child] : d.clip->DisplayList())
        AddBounds(movie, child, m * child.matrix, box, nesting + 1);
}

}  // namespace swf
