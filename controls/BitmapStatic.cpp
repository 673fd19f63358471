#include "controls/BitmapStatic.h"

#include <windowsx.h>

#include <algorithm>
#include <iterator>

namespace {
// Only the part of a control this close to its left edge reports the pointer.
constexpr int kHoverReach = 190;
}  // namespace

const MessageMap* CBitmapStatic::GetMessageMap() const
{
    static const MessageMapEntry entries[] = {
        MapMessage(WM_ERASEBKGND, &CBitmapStatic::OnEraseBkgnd),
        MapMessage(WM_SHOWWINDOW, &CBitmapStatic::OnShowWindow),
        MapMessage(WM_NCHITTEST, &CBitmapStatic::OnNcHitTest),
    };
    static const MessageMap map{CWnd::GetMessageMap(), entries, std::size(entries)};
    return &map;
}

void CBitmapStatic::SetBitmaps(CBitmap* pNormal, CBitmap* pHighlight)
{
    m_pBitmapNormal = pNormal;
    m_pBitmapHighlight = pHighlight;
}

bool CBitmapStatic::SetHighlight(bool bHighlight)
{
    if (m_bHighlighted == bHighlight)
        return false;
    m_bHighlighted = bHighlight;
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
    return true;
}

void CBitmapStatic::SetTextColours(COLORREF crNormal, COLORREF crHighlight)
{
    m_crText = crNormal;
    m_crHighlightText = crHighlight;
}

LRESULT CBitmapStatic::OnEraseBkgnd(WPARAM wParam, LPARAM lParam)
{
    CBitmap* bitmap = m_bHighlighted ? m_pBitmapHighlight : m_pBitmapNormal;
    BITMAP bm{};
    // Without a loaded bitmap the control is a plain transparent static.
    if (!bitmap || !bitmap->GetBitmap(bm))
        return Default(WM_ERASEBKGND, wParam, lParam);

    HDC hdc = reinterpret_cast<HDC>(wParam);
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    const int w = rc.right - rc.left;
    const int h = rc.bottom - rc.top;

    CMemoryDC memory(hdc);
    CSelectObject select(memory.Get(), bitmap->GetSafeHandle());
    // Each copy is clipped to the bitmap's own extent, so that nothing outside it is read.
    const int copyWidth = std::min(w, static_cast<int>(bm.bmWidth));
    const int copyHeight = std::min(h, static_cast<int>(bm.bmHeight));
    if (2 * bm.bmWidth >= w && 2 * bm.bmHeight >= h) {
        ::BitBlt(hdc, rc.left, rc.top, copyWidth, copyHeight, memory.Get(), 0, 0, SRCCOPY);
    } else if (h > 0) {
        // Tiles step by twice the bitmap's size.
        for (int y = 0; y < h; y += 2 * bm.bmHeight)
            for (int x = 0; x < w; x += 2 * bm.bmWidth)
                ::BitBlt(hdc, x, y, copyWidth, copyHeight, memory.Get(), 0, 0, SRCCOPY);
    }
    return TRUE;
}

LRESULT CBitmapStatic::OnShowWindow(WPARAM wParam, LPARAM lParam)
{
    LRESULT result = Default(WM_SHOWWINDOW, wParam, lParam);
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
    return result;
}

LRESULT CBitmapStatic::OnNcHitTest(WPARAM wParam, LPARAM lParam)
{
    RECT rc;
    ::GetWindowRect(m_hWnd, &rc);
    if (GET_X_LPARAM(lParam) < rc.left + kHoverReach && m_onHover)
        m_onHover();
    return Default(WM_NCHITTEST, wParam, lParam);
}
