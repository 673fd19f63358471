// Bitmap files from outside, read once and checked by the portable bitmap file check before
// the platform sees any of their bytes.
#pragma once

#include "framework/Gdi.h"

#include <string>

// Loads a .bmp file into the bitmap object at the file's own size, as a device-independent
// section, after deleting what the object held. A file that cannot be loaded (missing, not a
// bitmap, or the empty path) leaves the object without a bitmap; nothing is shown.
void LoadBitmapFile(CBitmap& bitmap, const std::string& path);

// True when the file at path is a whole bitmap file that passes the bitmap file check: the
// test an image must pass before it may become the assistant's artwork.
bool IsLoadableBitmapFile(const std::string& path);
// Why the file at path is not such a bitmap; empty when it is.
std::string BitmapFileProblem(const std::string& path);
