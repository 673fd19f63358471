#include "editors/WelcomeDialogPainting.h"

#include "framework/SystemLanguage.h"

void PaintWelcomeBackground(HWND hwndDialog, HDC hdc, const CBitmap& picture)
{
    RECT rc;
    ::GetClientRect(hwndDialog, &rc);

    BITMAP bm{};
    if (!picture.GetBitmap(bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) {
        ::FillRect(hdc, &rc, ::GetSysColorBrush(COLOR_3DFACE));
        return;
    }

    const int w = rc.right - rc.left;
    const int h = rc.bottom - rc.top;
    CMemoryDC memory(hdc);
    CSelectObject select(memory.Get(), picture.GetSafeHandle());
    if (bm.bmWidth >= w && bm.bmHeight >= h) {
        ::BitBlt(hdc, rc.left, rc.top, w, h, memory.Get(), 0, 0, SRCCOPY);
        return;
    }
    for (int y = 0; y < h; y += bm.bmHeight)
        for (int x = 0; x < w; x += bm.bmWidth)
            ::BitBlt(hdc, rc.left + x, rc.top + y, bm.bmWidth, bm.bmHeight, memory.Get(), 0, 0, SRCCOPY);
}

HBRUSH WelcomeControlColour(HDC hdc, UINT nCtlColor)
{
    switch (nCtlColor) {
    case CTLCOLOR_DLG:
    case CTLCOLOR_STATIC:
    case CTLCOLOR_BTN:
    case CTLCOLOR_LISTBOX:
        ::SetBkMode(hdc, TRANSPARENT);
        ::SetTextColor(hdc, RGB(255, 255, 255));
        return static_cast<HBRUSH>(::GetStockObject(HOLLOW_BRUSH));
    default:
        return nullptr;
    }
}

HFONT WelcomeDialogFont(HWND hwndDialog, CFont& font)
{
    static const LANGID kEnglishLanguages[] = {
        0x0409, 0x0809, 0x0C09, 0x1009, 0x1409, 0x1809, 0x1C09,
        0x2009, 0x2409, 0x2809, 0x2C09, 0x3009, 0x3409,
    };
    const LANGID language = SystemDefaultLanguage();
    for (LANGID english : kEnglishLanguages) {
        if (language == english) {
            LOGFONTA logFont{};
            logFont.lfHeight = 100;  // tenths of a point
            logFont.lfWeight = FW_NORMAL;
            lstrcpynA(logFont.lfFaceName, "Arial", LF_FACESIZE);
            CClientDC dc(hwndDialog);
            font.CreatePointFontIndirect(logFont, dc.Get());
            return font.GetSafeHandle();
        }
    }
    return static_cast<HFONT>(::GetStockObject(SYSTEM_FONT));
}
