#include "editors/InternetEditDlg.h"

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
    RegValues::Welcome, RegValues::Texts[0], RegValues::Texts[1], RegValues::Texts[2],
    RegValues::ShowMe,  RegValues::Cancel,   RegValues::TryAgain, RegValues::NoShow,
};
enum Slot { kWelcome = 1, kText1, kText2, kText3, kShowMe, kCancel, kTryAgain, kNoShow };

// The help file is read through a 256-byte buffer, 255 bytes offered.
constexpr DWORD kHelpFileOffered = 255;
constexpr int kMaxNoShow = 80;

// The edit fields, and with them the OK button, which show the replica's font.
constexpr int kFieldIds[] = {IDC_INET_TEXT1,     IDC_INET_TEXT2,   IDC_INET_TEXT3, IDC_INET_NO_SHOW,
                             IDC_INET_TRY_AGAIN, IDC_INET_SHOW_ME, IDC_INET_CANCEL};
constexpr int kFontIds[] = {IDC_INET_TEXT1,     IDC_INET_TEXT2,   IDC_INET_TEXT3,  IDC_INET_NO_SHOW,
                            IDC_INET_TRY_AGAIN, IDC_INET_SHOW_ME, IDC_INET_CANCEL, IDC_INET_OKAY};

}  // namespace

CInternetEditDlg::CInternetEditDlg(CWnd* pParent)
    : CWelcomeReplicaDlg(IDD_INTERNET_EDIT, pParent, RegKeys::InternetDialogTexts, kValueNames)
{
    // Runs in the constructor: the boxes have no owner yet.
    LoadValues();
    const CRegValueRead helpFile[] = {{RegValues::HelpFile, kHelpFileOffered, &m_strHelpFile}};
    CRegistryReader(m_hWnd).ReadKey(RegKeys::Control, helpFile);
    m_bModified = false;
}

const MessageMap* CInternetEditDlg::GetMessageMap() const
{
    static const MessageMapEntry entries[] = {
        MapCommandTable(kFieldIds, EN_CHANGE, &CInternetEditDlg::OnChangeText),
        MapCommand(IDC_INET_OKAY, BN_CLICKED, &CInternetEditDlg::OnOkay),
    };
    static const MessageMap map{CWelcomeReplicaDlg::GetMessageMap(), entries, std::size(entries)};
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
    ApplyFont(kFontIds);

    // Filling the single-line fields raises change notifications: they are not the
    // administrator's changes.
    UpdateData(false);
    m_bFilling = false;
    return TRUE;
}

void CInternetEditDlg::OnOkay()
{
    SaveTexts();
    EndDialog(kInternetDialogStored);
}

void CInternetEditDlg::SaveTexts()
{
    if (!TakeChanges())
        return;
    m_astrValues[kText1] = m_strText1;
    m_astrValues[kText2] = m_strText2;
    m_astrValues[kText3] = m_strText3;
    m_astrValues[kShowMe] = m_strShowMe;
    m_astrValues[kCancel] = m_strCancel;
    m_astrValues[kTryAgain] = m_strTryAgain;
    m_astrValues[kNoShow] = m_strNoShow;
    StoreValues(kText1, kNoShow);
}
