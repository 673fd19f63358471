// CToolTipCtrl: a common-controls tooltip window owned by a dialog, with tools that are
// whole child windows. The tooltip is destroyed with its owner or with this object.
#pragma once

#include <windows.h>

#include <string>

class CToolTipCtrl {
public:
    CToolTipCtrl() = default;
    CToolTipCtrl(const CToolTipCtrl&) = delete;
    CToolTipCtrl& operator=(const CToolTipCtrl&) = delete;
    ~CToolTipCtrl();

    // Creates the tooltip for the owner window, with no styles beyond a pop-up's.
    bool Create(HWND owner, DWORD dwStyle = 0);
    void Activate(bool bActivate);
    // The whole child window is the tool; the tooltip keeps its own copy of the text.
    bool AddTool(HWND child, const std::string& text);
    // Passes a message to the tooltip so that it can follow the pointer.
    void RelayEvent(const MSG* pMsg);

    void SetTipTextColor(COLORREF colour);
    void SetTipBkColor(COLORREF colour);
    void SetMaxTipWidth(int nWidth);
    void SetDelayTime(DWORD dwDuration, int nMilliseconds);

    HWND m_hWnd = nullptr;
};
