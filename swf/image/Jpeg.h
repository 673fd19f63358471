// The JPEG images of movies (DefineBits, DefineBitsJPEG2-4, loaded images), decoded by the
// player itself so that every build draws the same pixels: sequential and progressive
// Huffman-coded 8-bit images of one (grey) or three (YCbCr or RGB) components.
#pragma once

#include "swf/base/Budget.h"
#include "swf/base/Types.h"

#include <cstddef>
#include <cstdint>

namespace swf {

// Opaque pixels of a complete JPEG stream (tables included; stray start and end markers
// between its parts are skipped). False for data it cannot decode or with more than
// `maxPixels` pixels; `out` is then left empty. The decoder's working memory is spent from
// `bytes` while it runs, which throws FormatError when it does not fit.
bool DecodeJpeg(const uint8_t* data, std::size_t size, std::size_t maxPixels, ByteBudget& bytes, Bitmap& out);

}  // namespace swf
