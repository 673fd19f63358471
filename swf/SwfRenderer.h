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
    // `frameUnits`: the work budget of drawing one frame.
    explicit Renderer(std::size_t frameUnits = kFrameWorkUnits) : m_work(frameUnits) {}

    // Draws the player's current frame over the canvas, through `view` (twips to pixels).
    // False when the frame needed more than its work budget: it was drawn only in part, and
    // the canvas is not a picture to show.
    bool Render(const Player& player, Canvas& canvas, const Matrix& view);
    // A flag that, once set from another thread, ends the drawing at once.
    void CancelWith(const std::atomic<bool>* cancel) { m_work.CancelWith(cancel); }

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
    // Takes from the budget what sweeping the rasterizer's outlines over the target costs.
    bool TakeSweep(const Target& t);
    // Empties the rasterizer for the next outlines.
    void StartOutlines();
    // Notes outlines within (x0, y0) .. (x1, y1) widened by `margin`, crossing each of their
    // rows `crossings` times, for TakeSweep.
    void Track(double x0, double y0, double x1, double y1, double margin, int crossings, const Target& t);
    void FillWith(const FillStyle& fill, const Matrix& m, const CxForm& cx, const Target& t, bool nonZero);

    const Movie* m_pMovie = nullptr;
    Rasterizer m_raster;
    int m_nMasks = 0;
    WorkBudget m_work;
    // The rows the outlines added since the last sweep cross, summed, and the rows and
    // columns they span (device pixels).
    double m_sweepRows = 0;
    double m_yMin = 0, m_yMax = 0, m_xMin = 0, m_xMax = 0;
};

}  // namespace swf
