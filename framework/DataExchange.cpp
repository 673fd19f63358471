#include "framework/DataExchange.h"

#include "framework/Wnd.h"

HWND CDataExchange::PrepareCtrl(int id)
{
    m_idLastControl = id;
    return m_pDlgWnd->GetDlgItem(id);
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control)
{
    if (!control.m_hWnd)
        control.SubclassWindow(pDX->PrepareCtrl(id));
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
    HWND hwnd = pDX->m_pDlgWnd->GetDlgItem(pDX->m_idLastControl);
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
