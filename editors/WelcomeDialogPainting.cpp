#include "editors/WelcomeDialogPainting.h"

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
