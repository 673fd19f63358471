// The choice of a new bitmap file in the image dialogs, shared by the web-link icon exchange
// and the left-side image replacement.
#pragma once

#include "framework/Gdi.h"
#include "framework/Wnd.h"

#include <string>

inline constexpr const char* kImageErrorCaption = "Access Nimbook Customization - Error";

// Shows the file-open box for .bmp files. A file chosen with OK becomes strChosen when it
// loads as a bitmap; any other file is refused with a box owned by the dialog, and the
// earlier choice stays. When strChosen then names a file, it is loaded into bitmap and shown
// in the preview static. The current directory is the same afterwards as before.
void ChooseBitmapFile(CWnd& dialog, std::string& strChosen, CBitmap& bitmap, HWND hwndPreview);

// Shows a bitmap in a picture static (a missing bitmap shows none).
void ShowPreview(HWND hwndPreview, const CBitmap& bitmap);
