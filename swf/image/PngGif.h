// The PNG and GIF images that DefineBitsJPEG2-4 may carry instead of a JPEG, decoded by the
// player itself into premultiplied pixels.
#pragma once

#include "swf/base/Types.h"

#include <cstddef>
#include <cstdint>

namespace swf {

bool IsPng(const uint8_t* data, std::size_t size);
bool IsGif(const uint8_t* data, std::size_t size);

// False for an image it cannot decode or with more than `maxPixels` pixels; `out` is then
// left empty. Interlaced PNGs are not decoded.
bool DecodePng(const uint8_t* data, std::size_t size, std::size_t maxPixels, Bitmap& out);
// The first image of a GIF, on its logical screen; the transparent index stays transparent.
bool DecodeGif(const uint8_t* data, std::size_t size, std::size_t maxPixels, Bitmap& out);

}  // namespace swf
