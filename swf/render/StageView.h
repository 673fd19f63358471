// How the stage fills the band's area: the scale modes and the alignment a Flash control's
// properties name.
#pragma once

#include "swf/base/Types.h"

#include <string_view>

namespace swf {

enum class ScaleMode {
    ShowAll,   // the whole stage, as large as fits, undistorted; the rest of the area is bare
    NoBorder,  // the area filled, undistorted; what lies over is cut off
    ExactFit,  // the stage stretched to the area
    NoScale,   // the stage at its own size
};

// The mode a Scale property names, without regard to case; any other name shows all.
ScaleMode ScaleModeNamed(std::string_view name);

// The stage (twips) shown in a w x h pixel area. `align` is the SAlign property: T or B, L or
// R, or both ("TL", "BR"...), without regard to case; a side it does not name is centred.
Matrix StageView(const Rect& stage, ScaleMode mode, std::string_view align, int w, int h);

// The stage (twips) stretched to a w x h pixel area.
Matrix ExactFitView(const Rect& stage, int w, int h);

}  // namespace swf
