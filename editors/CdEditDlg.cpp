#include "editors/CdEditDlg.h"

#include "config/RegistryAccess.h"
#include "config/RegistrySchema.h"
#include "controls/BitmapFile.h"
#include "customization/FactorySnapshot.h"
#include "editors/WelcomeDialogPainting.h"
#include "framework/CurrentDirectory.h"
#include "framework/DataExchange.h"
#include "framework/SystemLanguage.h"
#include "res/resource.h"

#include <algorithm>
#include <iterator>

namespace {

// The dialog's values in the order they are read; value i lands in slot i + 1.
constexpr const char* kValueNames[] = {
    RegValues::Title,    RegValues::Okay,     RegValues::NoShow,   RegValues::Texts[0], RegValues::Texts[1],
    RegValues::Texts[2], RegValues::Texts[3], RegValues::Texts[4], RegValues::NoIe4Text, RegValues::Copyright,
};
constexpr int kSlotTitle = 1;
constexpr int kSlotOkay = 2;
constexpr int kSlotNoShow = 3;
constexpr int kSlotText1 = 4;  // TEXT1 to TEXT5 in slots 4 to 8
constexpr int kSlotNoIe4 = 9;
constexpr int kSlotCopyright = 10;

// Texts are read through a 4096-byte buffer of which 4095 bytes are offered: a value of
// 4095 characters or more fails with 234 (more data).
constexpr DWORD kTextOffered = 4095;
// The browser's version is read through a 256-byte buffer, 255 bytes offered.
constexpr DWORD kVersionOffered = 255;

// The system languages on which the replica's texts use Arial.
constexpr LANGID kEnglishLanguages[] = {
    0x0409, 0x0809, 0x0C09, 0x1009, 0x1409, 0x1809, 0x1C09,
    0x2009, 0x2409, 0x2809, 0x2C09, 0x3009, 0x3409,
};

bool IsEnglish(LANGID language)
{
    return std::find(std::begin(kEnglishLanguages), std::end(kEnglishLanguages), language) !=
           std::end(kEnglishLanguages);
}

}  // namespace

CCdEditDlg::CCdEditDlg(CWnd* pParent) : CDialog(IDD_CD_EDIT, pParent)
{
    LoadTexts();
}

CCdEditDlg::~CCdEditDlg() = default;

template <UINT nCtlColor>
LRESULT CCdEditDlg::OnCtlColor(WPARAM wParam, LPARAM lParam)
{
    HBRUSH brush = WelcomeControlColour(reinterpret_cast<HDC>(wParam), nCtlColor);
    if (!brush)
        return Default(WM_CTLCOLORMSGBOX + nCtlColor, wParam, lParam);
    return reinterpret_cast<LRESULT>(brush);
}

const MessageMap* CCdEditDlg::GetMessageMap() const
{
    static const MessageMapEntry entries[] = {
        MapMessage(WM_ERASEBKGND, &CCdEditDlg::OnEraseBkgnd),
        MapMessage(WM_CTLCOLORMSGBOX, &CCdEditDlg::OnCtlColor<CtlColorKindOf(WM_CTLCOLORMSGBOX)>),
        MapMessage(WM_CTLCOLOREDIT, &CCdEditDlg::OnCtlColor<CtlColorKindOf(WM_CTLCOLOREDIT)>),
        MapMessage(WM_CTLCOLORLISTBOX, &CCdEditDlg::OnCtlColor<CtlColorKindOf(WM_CTLCOLORLISTBOX)>),
        MapMessage(WM_CTLCOLORBTN, &CCdEditDlg::OnCtlColor<CtlColorKindOf(WM_CTLCOLORBTN)>),
        MapMessage(WM_CTLCOLORDLG, &CCdEditDlg::OnCtlColor<CtlColorKindOf(WM_CTLCOLORDLG)>),
        MapMessage(WM_CTLCOLORSCROLLBAR, &CCdEditDlg::OnCtlColor<CtlColorKindOf(WM_CTLCOLORSCROLLBAR)>),
        MapMessage(WM_CTLCOLORSTATIC, &CCdEditDlg::OnCtlColor<CtlColorKindOf(WM_CTLCOLORSTATIC)>),
        MapCommand(IDC_DEFAULT_BUTTON, BN_CLICKED, &CCdEditDlg::OnOkay),
        MapCommand(IDC_CD_OKAY, STN_CLICKED, &CCdEditDlg::OnOkay),
        MapCommand(IDC_CD_TEXT1, EN_CHANGE, &CCdEditDlg::OnChangeText),
        MapCommand(IDC_CD_TEXT2, EN_CHANGE, &CCdEditDlg::OnChangeText),
        MapCommand(IDC_CD_TEXT3, EN_CHANGE, &CCdEditDlg::OnChangeText),
        MapCommand(IDC_CD_TEXT4, EN_CHANGE, &CCdEditDlg::OnChangeText),
        MapCommand(IDC_CD_TEXT5, EN_CHANGE, &CCdEditDlg::OnChangeText),
    };
    static const MessageMap map{CDialog::GetMessageMap(), entries, std::size(entries)};
    return &map;
}

void CCdEditDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_CD_OKAY, m_stcOkay);
    DDX_Control(pDX, IDC_CD_NOTICE, m_stcNotice);
    DDX_Control(pDX, IDC_CD_NO_SHOW, m_chkNoShow);
    DDX_Check(pDX, IDC_CD_NO_SHOW, m_bNoShow);
    DDX_Text(pDX, IDC_CD_TEXT1, m_strText1);
    DDX_Text(pDX, IDC_CD_TEXT2, m_strText2);
    DDX_Text(pDX, IDC_CD_TEXT3, m_strText3);
    DDX_Text(pDX, IDC_CD_TEXT4, m_strText4);
    DDX_Text(pDX, IDC_CD_TEXT5, m_strText5);
}

void CCdEditDlg::LoadTexts()
{
    // Runs in the constructor: the boxes have no owner yet.
    CRegKey key;
    LONG result = OpenRegistryKey(HKEY_LOCAL_MACHINE, RegKeys::CdDialogTexts, kRegRead, key);
    if (result != ERROR_SUCCESS) {
        ReportRegistryError(m_hWnd, kOpeningRegistry, result, kCaptionMessage, MB_OK);
        return;
    }
    for (std::size_t i = 0; i < std::size(kValueNames); ++i) {
        const int slot = static_cast<int>(i) + 1;
        const bool bParagraph = slot >= kSlotText1 && slot < kSlotText1 + 5;
        result = ReadRegistryString(key.Get(), kValueNames[i], kTextOffered, m_astrValues[slot],
                                    bParagraph ? &m_textStates[slot - kSlotText1] : nullptr);
        if (result != ERROR_SUCCESS)
            ReportRegistryError(m_hWnd, kRegistryError, result, kCaptionMessage, MB_OK);
    }
}

BOOL CCdEditDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetupFonts();

    SetWindowText(m_astrValues[kSlotTitle]);
    m_stcOkay.SetWindowText(m_astrValues[kSlotOkay]);
    m_chkNoShow.SetWindowText(m_astrValues[kSlotNoShow]);

    // Until the browser is found, the fourth field stays empty and the fifth one tells the
    // reader to install it.
    m_strText1 = m_astrValues[kSlotText1];
    m_strText2 = m_astrValues[kSlotText1 + 1];
    m_strText3 = m_astrValues[kSlotText1 + 2];
    m_strText4.clear();
    m_strText5 = m_astrValues[kSlotNoIe4];

    m_stcNotice.SetWindowText(m_astrValues[kSlotCopyright]);

    const std::string base = GetCurrentDirectoryString();
    LoadBitmapFile(m_bmpBackground, base + "\\images\\CDBkgd.bmp");
    LoadBitmapFile(m_bmpButton, base + "\\images\\CDButton.bmp");
    m_stcOkay.SetBitmaps(&m_bmpButton, &m_bmpButton);

    TestBrowser();

    // The fields are multi-line: filling them raises no change notification.
    UpdateData(false);
    return TRUE;
}

void CCdEditDlg::SetupFonts()
{
    HFONT font = nullptr;
    if (IsEnglish(SystemDefaultLanguage())) {
        LOGFONTA logFont{};
        logFont.lfHeight = 100;  // tenths of a point
        logFont.lfWeight = FW_NORMAL;
        lstrcpynA(logFont.lfFaceName, "Arial", LF_FACESIZE);
        CClientDC dc(m_hWnd);
        m_font.CreatePointFontIndirect(logFont, dc.Get());
        font = m_font.GetSafeHandle();
    } else {
        m_hFont = static_cast<HFONT>(::GetStockObject(SYSTEM_FONT));
        font = m_hFont;
    }
    for (int id : {IDC_CD_NOTICE, IDC_CD_OKAY, IDC_CD_NO_SHOW})
        ::SendMessageA(GetDlgItem(id), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void CCdEditDlg::TestBrowser()
{
    CRegKey key;
    LONG result = OpenRegistryKey(HKEY_LOCAL_MACHINE, RegKeys::Browser, kRegRead, key);
    if (result != ERROR_SUCCESS) {
        ReportRegistryError(m_hWnd, kOpeningRegistry, result, kCaptionMessage, MB_OK);
        return;
    }
    std::string version;
    result = ReadRegistryString(key.Get(), RegValues::Version, kVersionOffered, version);
    if (result != ERROR_SUCCESS) {
        ReportRegistryError(m_hWnd, kQueryingRegistry, result, kCaptionMessage, MB_OK);
        return;
    }
    m_bBrowserFound = true;
    m_strText4 = m_astrValues[kSlotText1 + 3];
    m_strText5 = m_astrValues[kSlotText1 + 4];
}

LRESULT CCdEditDlg::OnEraseBkgnd(WPARAM wParam, LPARAM)
{
    PaintWelcomeBackground(m_hWnd, reinterpret_cast<HDC>(wParam), m_bmpBackground);
    return TRUE;
}

void CCdEditDlg::OnChangeText()
{
    m_bModified = true;
}

void CCdEditDlg::OnOkay()
{
    SaveTexts();
    OnOK();
}

void CCdEditDlg::SaveTexts()
{
    if (!m_bModified)
        return;
    UpdateData(true);
    KeepFactorySnapshot(GetCurrentDirectoryString());

    CRegKey key;
    LONG result = OpenRegistryKey(HKEY_LOCAL_MACHINE, RegKeys::CdDialogTexts, kRegWrite, key);
    if (result != ERROR_SUCCESS) {
        ReportRegistryError(m_hWnd, kOpeningRegistry, result, kCaptionMessage, MB_OK);
        return;
    }
    m_astrValues[kSlotText1] = m_strText1;
    m_astrValues[kSlotText1 + 1] = m_strText2;
    m_astrValues[kSlotText1 + 2] = m_strText3;
    m_astrValues[kSlotText1 + 3] = m_strText4;
    m_astrValues[kSlotText1 + 4] = m_strText5;

    // Without the browser the last two fields show an empty line and the no-browser text,
    // not TEXT4 and TEXT5: those are left as they are stored.
    const int nTexts = m_bBrowserFound ? 5 : 3;
    for (int i = 0; i < nTexts; ++i) {
        // A paragraph that could not be shown as it is stored is written only when changed.
        if (!m_textStates[i].MayWrite(m_astrValues[kSlotText1 + i]))
            continue;
        result = WriteRegistryString(key.Get(), RegValues::Texts[i], m_astrValues[kSlotText1 + i]);
        if (result != ERROR_SUCCESS) {
            ReportRegistryError(m_hWnd, kRegistryError, result, kCaptionMessage, MB_OK);
            return;
        }
    }
}
