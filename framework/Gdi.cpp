#include "framework/Gdi.h"

#include <cstdlib>
#include <cstring>

bool CFont::CreatePointFontIndirect(const LOGFONTA& logFont, HDC hdc)
{
    HDC hdcScreen = hdc ? nullptr : ::GetDC(nullptr);
    HDC hdcUsed = hdc ? hdc : hdcScreen;

    // Tenths of a point to device pixels, then to logical units of the context.
    LOGFONTA converted = logFont;
    POINT pt{0, ::MulDiv(::GetDeviceCaps(hdcUsed, LOGPIXELSY), logFont.lfHeight, 720)};
    ::DPtoLP(hdcUsed, &pt, 1);
    POINT ptOrg{0, 0};
    ::DPtoLP(hdcUsed, &ptOrg, 1);
    converted.lfHeight = -std::abs(pt.y - ptOrg.y);

    if (hdcScreen)
        ::ReleaseDC(nullptr, hdcScreen);

    Attach(::CreateFontIndirectA(&converted));
    return static_cast<bool>(*this);
}

bool CFont::CreatePointFont(int nPointSizeTenths, const char* faceName, HDC hdc)
{
    LOGFONTA logFont{};
    logFont.lfCharSet = DEFAULT_CHARSET;
    logFont.lfHeight = nPointSizeTenths;
    std::strncpy(logFont.lfFaceName, faceName, LF_FACESIZE - 1);
    return CreatePointFontIndirect(logFont, hdc);
}
