// Draws what a player shows into a canvas: the display list by depth with matrices, colour
// transforms and masks, down through sprites, buttons, texts and morph shapes.
#pragma once

#include "swf/SwfPlayer.h"
#include "swf/SwfRaster.h"

namespace swf {

// The stage (twips) stretched to a w x h pixel area.
Matrix ExactFitView(const Rect& stage, int w, int h);

class Renderer {
public:
    // Draws the player's current frame over the canvas, through `view` (twips to pixels).
    void Render(const Player& player, Canvas& canvas, const Matrix& view);

private:
    struct Target {
        Canvas* canvas;  // drawing
        Mask* mask;      // or collecting a mask's coverage
        const Mask* clip;
        int width, height;
    };
    void DrawClip(const Clip& clip, const Matrix& m, const CxForm& cx, const Target& t, int nesting);
    void DrawCharacter(uint16_t id, const DisplayObject* object, const Matrix& m, const CxForm& cx, const Target& t,
                       int nesting);
    void DrawShape(const Shape& shape, const Matrix& m, const CxForm& cx, const Target& t, const Rgba* textColor);
    void FillWith(const FillStyle& fill, const Matrix& m, const CxForm& cx, const Target& t, bool nonZero);

    const Movie* m_pMovie = nullptr;
    const Player* m_pPlayer = nullptr;
    Matrix m_view;
    Rasterizer m_raster;
    int m_nMasks = 0;
    std::size_t m_nEdgesLeft = 0;
};

}  // namespace swf
