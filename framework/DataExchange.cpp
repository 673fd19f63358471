#include "framework/DataExchange.h"

#include "framework/Wnd.h"

HWND CDataExchange::PrepareCtrl(int id)
{
    // Each control is looked up once per exchange: finding a child by id asks the window manager.
    for (const auto& [knownId, hwnd] : m_controls)
        if (knownId == id)
            return m_hwndLastControl = hwnd;
    m_hwndLastControl = m_pDlgWnd->GetDlgItem(id);
    m_controls.emplace_back(id, m_hwndLastControl);
    return m_hwndLastControl;
}

void CDataExchange::RememberCtrl(int id, HWND hwnd)
{
    m_controls.emplace_back(id, hwnd);
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control)
{
    if (!control.m_hWnd)
        control.SubclassWindow(pDX->PrepareCtrl(id));
    else
        pDX->RememberCtrl(id, control.m_hWnd);
}

void DDX_Text(CDataExchange* pDX, int id, std::string& value)
{
    if (pDX->Failed())
        return;
    HWND hwnd = pDX->PrepareCtrl(id);
    if (pDX->m_bSaveAndValidate)
        value = CWnd::GetWindowText(hwnd);
    else
        CWnd::SetWindowTextIfChanged(hwnd, value);
}

void DDX_Check(CDataExchange* pDX, int id, int& value)
{
    if (pDX->Failed())
        return;
    HWND hwnd = pDX->PrepareCtrl(id);
    if (pDX->m_bSaveAndValidate)
        value = static_cast<int>(::SendMessageA(hwnd, BM_GETCHECK, 0, 0));
    else
        ::SendMessageA(hwnd, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void DDV_MaxChars(CDataExchange* pDX, const std::string& value, int nChars)
{
    if (pDX->Failed())
        return;
    HWND hwnd = pDX->m_hwndLastControl;
    if (!pDX->m_bSaveAndValidate) {
        ::SendMessageA(hwnd, EM_LIMITTEXT, static_cast<WPARAM>(nChars), 0);
        return;
    }
    if (static_cast<int>(value.size()) > nChars) {
        pDX->m_pDlgWnd->MessageBox("Enter no more than " + std::to_string(nChars) + " characters.",
                                   "", MB_OK | MB_ICONEXCLAMATION);
        ::SetFocus(hwnd);
        pDX->Fail();
    }
}
