#include "framework/Dialog.h"

#include "framework/DataExchange.h"
#include "framework/WinApp.h"

#include <iterator>

CDialog::CDialog(UINT nIDTemplate, CWnd* pParent) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParent) {}

CDialog::~CDialog()
{
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        HWND hwnd = UnsubclassWindow();
        ::DestroyWindow(hwnd);
    }
}

const MessageMap* CDialog::GetMessageMap() const
{
    static const MessageMapEntry entries[] = {
        MapCommand(IDOK, BN_CLICKED, &CDialog::OnOK),
        MapCommand(IDCANCEL, BN_CLICKED, &CDialog::OnCancel),
    };
    static const MessageMap map{CWnd::GetMessageMap(), entries, std::size(entries)};
    return &map;
}

INT_PTR CALLBACK CDialog::StaticDialogProc(HWND hwnd, UINT message, WPARAM, LPARAM lParam)
{
    // Every message after WM_INITDIALOG reaches the object through its subclassed window
    // procedure; here only the object is attached and initialised.
    if (message != WM_INITDIALOG)
        return FALSE;
    auto* dialog = reinterpret_cast<CDialog*>(lParam);
    dialog->SubclassWindow(hwnd);
    return dialog->OnInitDialog();
}

HWND CDialog::ModalOwner() const
{
    if (m_pParentWnd)
        return m_pParentWnd->m_hWnd;
    const CWinApp* app = CWinApp::Current();
    const CWnd* main = app ? app->m_pMainWnd : nullptr;
    if (main && main != this && main->m_hWnd && ::IsWindow(main->m_hWnd))
        return main->m_hWnd;
    return nullptr;
}

INT_PTR CDialog::DoModal()
{
    HWND owner = ModalOwner();
    bool disabledOwner = owner && ::IsWindowEnabled(owner);
    if (disabledOwner)
        ::EnableWindow(owner, FALSE);

    m_bEndModal = false;
    m_nModalResult = -1;
    HWND hwnd = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_nIDTemplate),
                                     owner, &StaticDialogProc, reinterpret_cast<LPARAM>(this));
    if (hwnd) {
        if (!m_bEndModal) {
            ::ShowWindow(hwnd, SW_SHOWNORMAL);
            RunModalLoop();
        }
        if (disabledOwner) {
            ::EnableWindow(owner, TRUE);
            ::SetActiveWindow(owner);
        }
        if (::IsWindow(hwnd)) {
            ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                           SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
            ::DestroyWindow(hwnd);
        }
    } else if (disabledOwner) {
        ::EnableWindow(owner, TRUE);
    }
    return m_nModalResult;
}

void CDialog::RunModalLoop()
{
    MSG msg;
    while (!m_bEndModal) {
        BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            // Leave WM_QUIT for the loop that owns the thread.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got == -1)
            break;
        if (!PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

bool CDialog::PreTranslateMessage(MSG* pMsg)
{
    return m_hWnd && ::IsDialogMessageA(m_hWnd, pMsg);
}

void CDialog::EndDialog(int nResult)
{
    m_nModalResult = nResult;
    m_bEndModal = true;
    if (m_hWnd)
        ::PostMessageA(m_hWnd, WM_NULL, 0, 0);
}

void CDialog::PostNcDestroy()
{
    // The window went away under the loop (for example DestroyWindow from outside).
    m_bEndModal = true;
}

bool CDialog::UpdateData(bool bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return !dx.Failed();
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(false);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(true))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange*) {}
