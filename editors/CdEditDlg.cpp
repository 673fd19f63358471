#include "editors/CdEditDlg.h"

#include "config/RegistryReader.h"
#include "config/RegistrySchema.h"
#include "controls/BitmapFile.h"
#include "framework/CurrentDirectory.h"
#include "framework/DataExchange.h"
#include "res/resource.h"

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

// The browser's version is read through a 256-byte buffer, 255 bytes offered.
constexpr DWORD kVersionOffered = 255;

// The five paragraphs' fields.
constexpr int kTextIds[] = {IDC_CD_TEXT1, IDC_CD_TEXT2, IDC_CD_TEXT3, IDC_CD_TEXT4, IDC_CD_TEXT5};
// The controls that show the replica's font.
constexpr int kFontIds[] = {IDC_CD_NOTICE, IDC_CD_OKAY, IDC_CD_NO_SHOW};

}  // namespace

CCdEditDlg::CCdEditDlg(CWnd* pParent)
    : CWelcomeReplicaDlg(IDD_CD_EDIT, pParent, RegKeys::CdDialogTexts, kValueNames)
{
    // Runs in the constructor: the boxes have no owner yet.
    LoadValues();
}

const MessageMap* CCdEditDlg::GetMessageMap() const
{
    static const MessageMapEntry entries[] = {
        MapCommand(IDC_DEFAULT_BUTTON, BN_CLICKED, &CCdEditDlg::OnOkay),
        MapCommand(IDC_CD_OKAY, STN_CLICKED, &CCdEditDlg::OnOkay),
        MapCommandTable(kTextIds, EN_CHANGE, &CCdEditDlg::OnChangeText),
    };
    static const MessageMap map{CWelcomeReplicaDlg::GetMessageMap(), entries, std::size(entries)};
    return &map;
}

void CCdEditDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_CD_OKAY, m_stcOkay);
    DDX_Control(pDX, IDC_CD_NOTICE, m_stcNotice);
    DDX_Control(pDX, IDC_CD_NO_SHOW, m_chkNoShow);
    DDX_Check(pDX, IDC_CD_NO_SHOW, m_bNoShow);
    for (std::size_t i = 0; i < m_strText.size(); ++i)
        DDX_Text(pDX, kTextIds[i], m_strText[i]);
}

BOOL CCdEditDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    ApplyFont(kFontIds);

    SetWindowText(m_astrValues[kSlotTitle]);
    m_stcOkay.SetWindowText(m_astrValues[kSlotOkay]);
    m_chkNoShow.SetWindowText(m_astrValues[kSlotNoShow]);

    // Until the browser is found, the fourth field stays empty and the fifth one tells the
    // reader to install it.
    m_strText[0] = m_astrValues[kSlotText1];
    m_strText[1] = m_astrValues[kSlotText1 + 1];
    m_strText[2] = m_astrValues[kSlotText1 + 2];
    m_strText[3].clear();
    m_strText[4] = m_astrValues[kSlotNoIe4];

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

void CCdEditDlg::TestBrowser()
{
    std::string version;
    const CRegValueRead values[] = {{RegValues::Version, kVersionOffered, &version}};
    if (!CRegistryReader(m_hWnd, kQueryingRegistry).ReadKey(RegKeys::Browser, values))
        return;
    m_bBrowserFound = true;
    m_strText[3] = m_astrValues[kSlotText1 + 3];
    m_strText[4] = m_astrValues[kSlotText1 + 4];
}

void CCdEditDlg::OnOkay()
{
    SaveTexts();
    OnOK();
}

void CCdEditDlg::SaveTexts()
{
    if (!TakeChanges())
        return;
    for (std::size_t i = 0; i < m_strText.size(); ++i)
        m_astrValues[kSlotText1 + i] = m_strText[i];
    // Without the browser the last two fields show an empty line and the no-browser text,
    // not TEXT4 and TEXT5: those are left as they are stored.
    StoreValues(kSlotText1, m_bBrowserFound ? kSlotText1 + 4 : kSlotText1 + 2);
}
