// Draws what a player shows into a canvas: the display list by depth with matrices, colour
// transforms and masks, down through sprites, buttons, texts and morph shapes.
#pragma once

#include "swf/player/Player.h"
#include "swf/render/Raster.h"
#include "swf/render/StageView.h"

namespace swf {

class Renderer {
public:
    // `frameUnits`: the work budget of drawing one frame.
    explicit Renderer(std::size_t frameUnits = kFrameWorkUnits) : m_work(frameUnits) {}

    // Anti-aliased (the default): four samples a pixel; else one, as low quality draws.
    void SetAntiAliasing(bool on) { m_bAntiAlias = on; }

    // What the last Render drew.
    struct Stats {
        std::size_t shapes = 0;  // shapes, glyphs and morphs filled or stroked
        std::size_t edges = 0;
    };
    const Stats& LastStats() const { return m_stats; }
    // The work units the last Render or DrawInto took.
    std::size_t WorkUsed() const { return m_work.Used(); }
    // Draws the player's current frame over the canvas, through `view` (twips to pixels).
    // False when the frame needed more than its work budget: it was drawn only in part, and
    // the canvas is not a picture to show.
    bool Render(const Player& player, Canvas& canvas, const Matrix& view);
    // Draws a clip's content (its own matrix and colour transform left out), or an image, over
    // the canvas through `m` (twips to the canvas's pixels) and `cx`: what a script's
    // BitmapData.draw shows (see MakeClipPainter). False when it needed more than the work budget.
    bool DrawInto(const Player& player, const Clip* clip, const Bitmap* image, Canvas& canvas, const Matrix& m,
                  const CxForm& cx);
    // A flag that, once set from another thread, ends the drawing at once.
    void CancelWith(const std::atomic<bool>* cancel) { m_work.CancelWith(cancel); }
    void PaceWith(std::function<void()> pace) { m_work.PaceWith(std::move(pace)); }

private:
    struct Target {
        SampleCanvas* canvas;  // drawing
        Mask* mask;      // or collecting a mask's coverage
        const Mask* clip;
        int width, height;
    };
    // Readies a drawing of the player onto `canvas` through `view`: the whole canvas's target.
    Target Begin(const Player& player, Canvas& canvas, const Matrix& view);
    void DrawClip(const Clip& clip, const Matrix& m, const CxForm& cx, const Target& t, int nesting);
    void DrawCharacter(uint16_t id, const DisplayObject* object, const Matrix& m, const CxForm& cx, const Target& t,
                       int nesting);
    void DrawShape(const Shape& shape, const Matrix& m, const CxForm& cx, const Target& t, const Rgba* textColor);
    // An empty mask the size of the target's canvas, once the frame paid for it.
    bool StartMask(const Target& t, Mask& mask);
    // The target's clip narrowed to a rectangle under a matrix, in a new mask; false when the
    // frame cannot pay for the mask.
    bool ClipTo(const Rect& r, const Matrix& m, const Target& t, Mask& mask);
    // A text's glyphs, and a field's border and background; a field's glyphs show only inside
    // its box.
    void DrawText(const Text& text, const Matrix& m, const CxForm& cx, const Target& t);
    void DrawFieldBox(const Text& text, const Matrix& m, const CxForm& cx, const Target& t);
    // Pays for sweeping the rasterizer's outlines over the target; when collecting a mask,
    // adds them to it. True when the caller is to paint them on the canvas.
    bool StartFill(const Target& t, bool nonZero);
    // The box the object covers, filled with its opaque background colour.
    void DrawOpaqueBackground(const DisplayObject& object, const Matrix& m, const CxForm& cx, const Target& t);
    void DrawImage(const Bitmap& image, const Matrix& m, const CxForm& cx, const Target& t);
    void FillWith(const FillStyle& fill, const Matrix& m, const CxForm& cx, const Target& t, bool nonZero);

    const Movie* m_pMovie = nullptr;
    const Player* m_pPlayer = nullptr;
    Matrix m_view;
    Matrix m_parent;  // where the object being drawn is placed: its parent's matrix
    Rasterizer m_raster;
    SampleCanvas m_samples;
    bool m_bAntiAlias = true;
    Stats m_stats;
    int m_nMasks = 0;
    WorkBudget m_work;
};

// A painter for Player::SetClipPainter that draws with a renderer of its own, anti-aliased,
// each drawing within `frameUnits` of work.
ClipPainter MakeClipPainter(std::size_t frameUnits = kFrameWorkUnits);

}  // namespace swf
