// The built-ins' operations on clips and the player, in one place: each thing of a clip or of the
// player that a built-in changes, through the player's public operations.
#pragma once

#include "swf/avm1/Native.h"
#include "swf/player/Player.h"

#include <memory>
#include <utility>

namespace swf::avm1 {

struct Vm::StageAccess {
    using Pen = Clip::Pen;

    // What is shown changed: the frame is drawn again.
    static void Changed(Vm& vm) { vm.m_player.MarkChanged(); }
    static void SetPlaying(Clip& clip, bool playing) { clip.SetPlaying(playing); }
    // Moves a clip to a frame (number, label or "target:frame"); `play`: 1 plays, 0 stops.
    static void Goto(Vm& vm, Object* clip, const Value& frame, int play) { vm.Goto(clip, frame, play, 0); }
    static void RemoveAt(Vm& vm, Clip& parent, int depth) { vm.m_player.RemoveAt(parent, depth); }
    // Moves the object at depth `from` of `parent` to `to`, and the one at `to`, if any, to
    // `from`; the timeline leaves both alone from then on.
    static void SwapDepths(Clip& parent, int from, int to) { parent.SwapDepths(from, to); }
    // The shapes the drawing methods drew on the clip, made on first use, and their pen.
    static Shape& Drawing(Clip& clip) { return clip.EditDrawing(); }
    static Pen& PenOf(Clip& clip) { return clip.DrawingPen(); }
    // Shows `image` at the clip's origin, under its drawing.
    static void ShowImage(Clip& clip, std::shared_ptr<Bitmap> image) { clip.ShowImage(std::move(image)); }
    // The text field `d` is as it now is, or null when it is none.
    static const Field* FieldOf(Vm& vm, const DisplayObject& d) { return vm.FieldOf(d); }
};

}  // namespace swf::avm1
