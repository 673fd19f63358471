// JPEG bitmaps of Flash movies decoded by the Windows imaging component.
#pragma once

#include "swf/SwfMovie.h"

#include <memory>

std::unique_ptr<swf::JpegDecoder> CreateWicJpegDecoder();
