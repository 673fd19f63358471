#include "framework/ToolTipCtrl.h"

#include <commctrl.h>

CToolTipCtrl::~CToolTipCtrl()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
}

bool CToolTipCtrl::Create(HWND owner, DWORD dwStyle)
{
    // The tooltip class comes with the common controls; registering it again costs nothing.
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    m_hWnd = ::CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | dwStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    return m_hWnd != nullptr;
}

void CToolTipCtrl::Activate(bool bActivate)
{
    ::SendMessageA(m_hWnd, TTM_ACTIVATE, bActivate ? TRUE : FALSE, 0);
}

bool CToolTipCtrl::AddTool(HWND child, const std::string& text)
{
    TTTOOLINFOA info{};
    info.cbSize = sizeof(info);
    info.uFlags = TTF_IDISHWND;
    info.hwnd = ::GetParent(child);
    info.uId = reinterpret_cast<UINT_PTR>(child);
    info.hinst = nullptr;
    info.lpszText = const_cast<char*>(text.c_str());
    return ::SendMessageA(m_hWnd, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info)) != FALSE;
}

void CToolTipCtrl::RelayEvent(const MSG* pMsg)
{
    ::SendMessageA(m_hWnd, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(pMsg));
}

void CToolTipCtrl::SetTipTextColor(COLORREF colour)
{
    ::SendMessageA(m_hWnd, TTM_SETTIPTEXTCOLOR, colour, 0);
}

void CToolTipCtrl::SetTipBkColor(COLORREF colour)
{
    ::SendMessageA(m_hWnd, TTM_SETTIPBKCOLOR, colour, 0);
}

void CToolTipCtrl::SetMaxTipWidth(int nWidth)
{
    ::SendMessageA(m_hWnd, TTM_SETMAXTIPWIDTH, 0, nWidth);
}

void CToolTipCtrl::SetDelayTime(DWORD dwDuration, int nMilliseconds)
{
    ::SendMessageA(m_hWnd, TTM_SETDELAYTIME, dwDuration, MAKELPARAM(nMilliseconds, 0));
}
