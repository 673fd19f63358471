// Data exchange between a dialog's controls and its members.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

class CWnd;

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, bool bSaveAndValidate) : m_pDlgWnd(pDlgWnd), m_bSaveAndValidate(bSaveAndValidate) {}

    CWnd* m_pDlgWnd;
    const bool m_bSaveAndValidate;  // true: controls to members, with validation
    HWND m_hwndLastControl = nullptr;  // the control that the last exchange moved

    // The dialog's control with this id, looked up once per exchange.
    HWND PrepareCtrl(int id);
    // A control already bound to a member: later exchanges of its id need no lookup.
    void RememberCtrl(int id, HWND hwnd);
    void Fail() { m_bFailed = true; }
    bool Failed() const { return m_bFailed; }

private:
    bool m_bFailed = false;
    std::vector<std::pair<int, HWND>> m_controls;
};

// Binds a control object to the dialog's control (subclassing it) the first time.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
// The control's text.
void DDX_Text(CDataExchange* pDX, int id, std::string& value);
// The check state of a check box (0 unchecked, 1 checked, 2 indeterminate).
void DDX_Check(CDataExchange* pDX, int id, int& value);
// After DDX_Text: limits the edit when filling it, and refuses a longer text when reading.
void DDV_MaxChars(CDataExchange* pDX, const std::string& value, int nChars);
