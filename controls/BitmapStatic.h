// CBitmapStatic: a static control whose background is painted from a normal or a highlighted
// bitmap, whose text has a colour for each of the two states, and which tells its owner when
// the pointer comes over the part of it near its left edge.
#pragma once

#include "framework/Gdi.h"
#include "framework/Wnd.h"

#include <functional>
#include <utility>

class CBitmapStatic : public CWnd {
public:
    CBitmapStatic() = default;

    // The bitmaps stay owned by the caller, which keeps them for as long as the control paints.
    void SetBitmaps(CBitmap* pNormal, CBitmap* pHighlight);
    // Sets the state and repaints the whole control when it changes; true when it changed.
    bool SetHighlight(bool bHighlight);
    bool IsHighlighted() const { return m_bHighlighted; }

    // The text colours at rest and highlighted: white over the replicas' dark artwork until set.
    void SetTextColours(COLORREF crNormal, COLORREF crHighlight);
    COLORREF GetTextColour() const { return m_bHighlighted ? m_crHighlightText : m_crText; }

    // Called on every hit test of the pointer near the left edge; the answer stays the static's own.
    void SetHoverCallback(std::function<void()> onHover) { m_onHover = std::move(onHover); }

protected:
    const MessageMap* GetMessageMap() const override;
    LRESULT OnEraseBkgnd(WPARAM wParam, LPARAM lParam);
    LRESULT OnShowWindow(WPARAM wParam, LPARAM lParam);
    LRESULT OnNcHitTest(WPARAM wParam, LPARAM lParam);

private:
    CBitmap* m_pBitmapHighlight = nullptr;
    CBitmap* m_pBitmapNormal = nullptr;
    bool m_bHighlighted = false;
    COLORREF m_crText = RGB(255, 255, 255);
    COLORREF m_crHighlightText = RGB(255, 255, 255);
    std::function<void()> m_onHover;
};
