// On Windows, swfrender decodes JPEG bitmaps with the program's own decoder.
#include "flash/FlashJpegDecoder.h"
#include "tools/swfrender/JpegDecoder.h"

std::unique_ptr<swf::JpegDecoder> MakePlatformJpegDecoder()
{
    return CreateWicJpegDecoder();
}
