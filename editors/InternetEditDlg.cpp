#include "editors/InternetEditDlg.h"

#include "config/RegistrySchema.h"
#include "controls/BitmapFile.h"
#include "customization/FactorySnapshot.h"
#include "editors/WelcomeDialogPainting.h"
#include "framework/CurrentDirectory.h"
#include "framework/DataExchange.h"
#include "res/resource.h"

#include <iterator>

namespace {

// The dialog's values in the order they are read; value i lands in slot i + 1.
constexpr const char* kValueNames[] = {
    RegValues::Welcome, RegValues::Texts[0], RegValues::Texts[1], RegValues::Texts[2],
    RegValues::ShowMe,  RegValues::Cancel,   RegValues::TryAgain, RegValues::NoShow,
};
enum Slot { kWelcome = 1, kText1, kText2, kText3, kShowMe, kCancel, kTryAgain, kNoShow };

// Texts are read through a 4096-byte buffer, 4095 bytes offered; the help file through a
// 256-byte buffer, 255 bytes offered.
constexpr DWORD kTextOffered = 4095;
constexpr DWORD kHelpFileOffered = 255;
constexpr int kMaxNoShow = 80;

constexpr int kFieldIds[] = {IDC_INET_TEXT1,     IDC_INET_TEXT2,    IDC_INET_TEXT3,  IDC_INET_NO_SHOW,
                             IDC_INET_TRY_AGAIN, IDC_INET_SHOW_ME, IDC_INET_CANCEL};

}  // namespace

CInternetEditDlg::CInternetEditDlg(CWnd* pParent) : CDialog(IDD_INTERNET_EDIT, pParent)
{
    LoadTexts();
}

CInternetEditDlg::~CInternetEditDlg() = default;

template <UINT nCtlColor>
LRESULT CInternetEditDlg::OnCtlColor(WPARAM wParam, LPARAM lParam)
{
    HBRUSH brush = WelcomeControlColour(reinterpret_cast<HDC>(wParam), nCtlColor);
    if (!brush)
        return Default(WM_CTLCOLORMSGBOX + nCtlColor, wParam, lParam);
    return reinterpret_cast<LRESULT>(brush);
}

const MessageMap* CInternetEditDlg::GetMessageMap() const
{
    static const MessageMapEntry entries[] = {
        MapMessage(WM_ERASEBKGND, &CInternetEditDlg::OnEraseBkgnd),
        MapMessage(WM_CTLCOLORMSGBOX, &CInternetEditDlg::OnCtlColor<CtlColorKindOf(WM_CTLCOLORMSGBOX)>),
        MapMessage(WM_CTLCOLOREDIT, &CInternetEditDlg::OnCtlColor<CtlColorKindOf(WM_CTLCOLOREDIT)>),
        MapMessage(WM_CTLCOLORLISTBOX, &CInternetEditDlg::OnCtlColor<CtlColorKindOf(WM_CTLCOLORLISTBOX)>),
        MapMessage(WM_CTLCOLORBTN, &CInternetEditDlg::OnCtlColor<CtlColorKindOf(WM_CTLCOLORBTN)>),
        MapMessage(WM_CTLCOLORDLG, &CInternetEditDlg::OnCtlColor<CtlColorKindOf(WM_CTLCOLORDLG)>),
        MapMessage(WM_CTLCOLORSCROLLBAR, &CInternetEditDlg::OnCtlColor<CtlColorKindOf(WM_CTLCOLORSCROLLBAR)>),
        MapMessage(WM_CTLCOLORSTATIC, &CInternetEditDlg::OnCtlColor<CtlColorKindOf(WM_CTLCOLORSTATIC)>),
        MapCommand(IDC_INET_TEXT1, EN_CHANGE, &CInternetEditDlg::OnChangeText),
        MapCommand(IDC_INET_TEXT2, EN_CHANGE, &CInternetEditDlg::OnChangeText),
        MapCommand(IDC_INET_TEXT3, EN_CHANGE, &CInternetEditDlg::OnChangeText),
        MapCommand(IDC_INET_NO_SHOW, EN_CHANGE, &CInternetEditDlg::OnChangeText),
        MapCommand(IDC_INET_TRY_AGAIN, EN_CHANGE, &CInternetEditDlg::OnChangeText),
        MapCommand(IDC_INET_SHOW_ME, EN_CHANGE, &CInternetEditDlg::OnChangeText),
        MapCommand(IDC_INET_CANCEL, EN_CHANGE, &CInternetEditDlg::OnChangeText),
        MapCommand(IDC_INET_OKAY, BN_CLICKED, &CInternetEditDlg::OnOkay),
    };
    static const MessageMap map{CDialog::GetMessageMap(), entries, std::size(entries)};
    return &map;
}

void CInternetEditDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_INET_OKAY, m_btnOK);
    DDX_Text(pDX, IDC_INET_TEXT1, m_strText1);
    DDX_Text(pDX, IDC_INET_TEXT2, m_strText2);
    DDX_Text(pDX, IDC_INET_TEXT3, m_strText3);
    DDX_Text(pDX, IDC_INET_NO_SHOW, m_strNoShow);
    DDV_MaxChars(pDX, m_strNoShow, kMaxNoShow);
    DDX_Text(pDX, IDC_INET_TRY_AGAIN, m_strTryAgain);
    DDX_Text(pDX, IDC_INET_SHOW_ME, m_strShowMe);
    DDX_Text(pDX, IDC_INET_CANCEL, m_strCancel);
}

void CInternetEditDlg::LoadTexts()
{
    // Runs in the constructor: the boxes have no owner yet.
    {
        CRegKey key;
        LONG result = OpenRegistryKey(HKEY_LOCAL_MACHINE, RegKeys::InternetDialogTexts, kRegRead, key);
        if (result != ERROR_SUCCESS) {
            ReportRegistryError(m_hWnd, kOpeningRegistry, result, kCaptionMessage, MB_OK);
        } else {
            for (std::size_t i = 0; i < std::size(kValueNames); ++i) {
                result = ReadRegistryString(key.Get(), kValueNames[i], kTextOffered, m_astrValues[i + 1],
                                            &m_valueStates[i + 1]);
                if (result != ERROR_SUCCESS)
                    ReportRegistryError(m_hWnd, kRegistryError, result, kCaptionMessage, MB_OK);
            }
        }
    }
    CRegKey control;
    LONG result = OpenRegistryKey(HKEY_LOCAL_MACHINE, RegKeys::Control, kRegRead, control);
    if (result != ERROR_SUCCESS) {
        ReportRegistryError(m_hWnd, kOpeningRegistry, result, kCaptionMessage, MB_OK);
    } else {
        result = ReadRegistryString(control.Get(), RegValues::HelpFile, kHelpFileOffered, m_strHelpFile);
        if (result != ERROR_SUCCESS)
            ReportRegistryError(m_hWnd, kRegistryError, result, kCaptionMessage, MB_OK);
    }
    m_bModified = false;
}

BOOL CInternetEditDlg::OnInitDialog()
{
    m_bFilling = true;
    CDialog::OnInitDialog();

    SetWindowText(m_astrValues[kWelcome]);
    m_strText1 = m_astrValues[kText1];
    m_strText2 = m_astrValues[kText2];
    m_strText3 = m_astrValues[kText3];
    m_strShowMe = m_astrValues[kShowMe];
    m_strCancel = m_astrValues[kCancel];
    m_strTryAgain = m_astrValues[kTryAgain];
    m_strNoShow = m_astrValues[kNoShow];

    LoadBitmapFile(m_bmpBackground, GetCurrentDirectoryString() + "\\images\\InetBkgd.bmp");

    // The replica's texts in the assistant's font for the system's language.
    HFONT font = WelcomeDialogFont(m_hWnd, m_font);
    for (int id : kFieldIds)
        ::SendMessageA(GetDlgItem(id), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    ::SendMessageA(m_btnOK.m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);

    // Filling the single-line fields raises change notifications: they are not the
    // administrator's changes.
    UpdateData(false);
    m_bFilling = false;
    return TRUE;
}

LRESULT CInternetEditDlg::OnEraseBkgnd(WPARAM wParam, LPARAM)
{
    PaintWelcomeBackground(m_hWnd, reinterpret_cast<HDC>(wParam), m_bmpBackground);
    return TRUE;
}

void CInternetEditDlg::OnChangeText()
{
    if (!m_bFilling)
        m_bModified = true;
}

void CInternetEditDlg::OnOkay()
{
    SaveTexts();
    EndDialog(kInternetDialogStored);
}

void CInternetEditDlg::OnCancel()
{
    CDialog::OnCancel();
}

void CInternetEditDlg::SaveTexts()
{
    if (!m_bModified)
        return;
    UpdateData(true);
    KeepFactorySnapshot(GetCurrentDirectoryString());

    CRegKey key;
    LONG result = OpenRegistryKey(HKEY_LOCAL_MACHINE, RegKeys::InternetDialogTexts, kRegWrite, key);
    if (result != ERROR_SUCCESS) {
        ReportRegistryError(m_hWnd, kOpeningRegistry, result, kCaptionMessage, MB_OK);
        return;
    }
    m_astrValues[kText1] = m_strText1;
    m_astrValues[kText2] = m_strText2;
    m_astrValues[kText3] = m_strText3;
    m_astrValues[kShowMe] = m_strShowMe;
    m_astrValues[kCancel] = m_strCancel;
    m_astrValues[kTryAgain] = m_strTryAgain;
    m_astrValues[kNoShow] = m_strNoShow;
    for (int slot = kText1; slot <= kNoShow; ++slot) {
        // A value that could not be read stays as stored unless the administrator changed it.
        if (!m_valueStates[slot].MayWrite(m_astrValues[slot]))
            continue;
        result = WriteRegistryString(key.Get(), kValueNames[slot - 1], m_astrValues[slot]);
        if (result != ERROR_SUCCESS) {
            ReportRegistryError(m_hWnd, kRegistryError, result, kCaptionMessage, MB_OK);
            return;
        }
    }
}
