#include "editors/UrlIconDlg.h"

#include "config/ArtworkNames.h"
#include "controls/BitmapFile.h"
#include "customization/FactorySnapshot.h"
#include "customization/ImageReplacement.h"
#include "editors/BitmapFileChoice.h"
#include "framework/CurrentDirectory.h"
#include "framework/DataExchange.h"
#include "res/resource.h"

#include <cstdlib>
#include <iterator>

CUrlIconDlg::CUrlIconDlg(CWnd* pParent) : CDialog(IDD_URL_ICON, pParent) {}

const MessageMap* CUrlIconDlg::GetMessageMap() const
{
    static const MessageMapEntry entries[] = {
        MapCommand(IDC_ICON_NORMAL, STN_CLICKED, &CUrlIconDlg::OnClickNormalBitmap),
        MapCommand(IDC_ICON_HIGHLIGHT, STN_CLICKED, &CUrlIconDlg::OnClickHighlightBitmap),
    };
    static const MessageMap map{CDialog::GetMessageMap(), entries, std::size(entries)};
    return &map;
}

void CUrlIconDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_ICON_HIGHLIGHT, m_staticHighlight);
    DDX_Control(pDX, IDC_ICON_NORMAL, m_staticNormal);
    DDX_Text(pDX, IDC_ICON_NUMBER, m_strIconNumber);
    DDX_Text(pDX, IDC_ICON_NORMAL, m_strNewNormalFile);
    DDX_Text(pDX, IDC_ICON_HIGHLIGHT, m_strNewHighlightFile);
}

BOOL CUrlIconDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    const std::string base = GetCurrentDirectoryString();
    const int nIcon = std::atoi(m_strIconNumber.c_str());
    if (nIcon >= 1 && nIcon <= kWebLinkIcons) {
        LoadBitmapFile(m_bmpNormal, base + "\\images\\" + WebLinkIconName(nIcon));
        LoadBitmapFile(m_bmpHighlight, base + "\\images\\" + WebLinkHighlightName(nIcon));
    }
    ShowPreview(m_staticNormal.m_hWnd, m_bmpNormal);
    ShowPreview(m_staticHighlight.m_hWnd, m_bmpHighlight);
    UpdateData(false);
    return TRUE;
}

void CUrlIconDlg::OnClickNormalBitmap()
{
    ChooseBitmapFile(*this, m_strNewNormalFile, m_bmpNormal, m_staticNormal.m_hWnd);
}

void CUrlIconDlg::OnClickHighlightBitmap()
{
    ChooseBitmapFile(*this, m_strNewHighlightFile, m_bmpHighlight, m_staticHighlight.m_hWnd);
}

bool CUrlIconDlg::ReplaceIconFiles(int nIcon)
{
    std::string normal;
    std::string highlight;
    if (nIcon >= 1 && nIcon <= kWebLinkIcons) {
        normal = WebLinkIconName(nIcon);
        highlight = WebLinkHighlightName(nIcon);
    }
    const std::string base = GetCurrentDirectoryString();
    KeepFactorySnapshot(base);
    EnsureBackupDirectory(base);
    // Both icons are backed up before either is replaced.
    if (!BackupImageFile(base, normal) || !BackupImageFile(base, highlight))
        return false;

    // A chosen file that vanished is told; an unchosen one is silent. Either way the other
    // icon is still processed.
    const std::pair<const std::string*, const std::string*> icons[] = {{&m_strNewNormalFile, &normal},
                                                                      {&m_strNewHighlightFile, &highlight}};
    for (const auto& [source, name] : icons) {
        switch (InstallImageFile(base, *source, *name)) {
        case InstallResult::NotFound:
            if (!source->empty())
                MessageBox("Cannot find: " + *source + "    ", kImageErrorCaption, MB_OK);
            break;
        case InstallResult::Failed:
            return false;
        case InstallResult::Installed:
            break;
        }
    }
    return true;
}

void CUrlIconDlg::OnOK()
{
    ReplaceIconFiles(std::atoi(m_strIconNumber.c_str()));
    CDialog::OnOK();
}
