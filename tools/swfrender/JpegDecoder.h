// The JPEG decoder of the platform the program is built for: libjpeg natively, the
// Windows imaging component on Windows.
#pragma once

#include "swf/SwfMovie.h"

#include <memory>

std::unique_ptr<swf::JpegDecoder> MakePlatformJpegDecoder();
