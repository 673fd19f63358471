// CBitmapStatic: a static control whose background is painted from a normal or a highlighted
// bitmap, and which reports the pointer to the window that wants to know (the main window).
#pragma once

#include "framework/Gdi.h"
#include "framework/Wnd.h"

class CBitmapStatic : public CWnd {
public:
    CBitmapStatic() = default;

    // The bitmaps stay owned by the caller, which keeps them for as long as the control paints.
    void SetBitmaps(CBitmap* pNormal, CBitmap* pHighlight);
    // Sets the flag and repaints the whole control, even when the flag does not change.
    void SetHighlight(int bHighlight);
    bool IsHighlighted() const { return m_bHighlighted; }

    // Set by the owner: the code reported to the target, and the target window.
    int m_nHoverCode = 0;
    CWnd* m_pHoverTarget = nullptr;

protected:
    const MessageMap* GetMessageMap() const override;
    LRESULT OnEraseBkgnd(WPARAM wParam, LPARAM lParam);
    LRESULT OnShowWindow(WPARAM wParam, LPARAM lParam);
    LRESULT OnNcHitTest(WPARAM wParam, LPARAM lParam);

private:
    CBitmap* m_pBitmapHighlight = nullptr;
    CBitmap* m_pBitmapNormal = nullptr;
    bool m_bHighlighted = false;
};
