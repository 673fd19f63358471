#include "editors/SideImageDlg.h"

#include "config/ArtworkNames.h"
#include "controls/BitmapFile.h"
#include "customization/FactorySnapshot.h"
#include "customization/ImageReplacement.h"
#include "editors/BitmapFileChoice.h"
#include "framework/CurrentDirectory.h"
#include "framework/DataExchange.h"
#include "res/resource.h"

#include <iterator>

namespace {

// Slot s shows its existing picture in the s-th static of the first table, its new one in the
// s-th of the second.
constexpr std::array<int, CSideImageDlg::kSlots> kExistingIds = {IDC_SIDE_EXISTING1, IDC_SIDE_EXISTING2,
                                                                 IDC_SIDE_EXISTING3, IDC_SIDE_EXISTING4,
                                                                 IDC_SIDE_EXISTING5, IDC_SIDE_EXISTING6};
constexpr std::array<int, CSideImageDlg::kSlots> kNewIds = {IDC_SIDE_NEW1, IDC_SIDE_NEW2, IDC_SIDE_NEW3,
                                                            IDC_SIDE_NEW4, IDC_SIDE_NEW5, IDC_SIDE_NEW6};
constexpr int ExistingIdOf(int nSlot) { return kExistingIds[nSlot - 1]; }
constexpr int NewIdOf(int nSlot) { return kNewIds[nSlot - 1]; }

// Slot s replaces left-side picture s - 1.
std::string ImageNameOf(int nSlot)
{
    return SideImageName(nSlot - 1);
}

}  // namespace

CSideImageDlg::CSideImageDlg(CWnd* pParent) : CDialog(IDD_SIDE_IMAGE, pParent) {}

const MessageMap* CSideImageDlg::GetMessageMap() const
{
    static const MessageMapEntry entries[] = {
        MapCommandTable(kExistingIds, STN_CLICKED, &CSideImageDlg::OnClickExistingImage),
        MapCommandTable(kNewIds, STN_CLICKED, &CSideImageDlg::OnClickNewImage),
    };
    static const MessageMap map{CDialog::GetMessageMap(), entries, std::size(entries)};
    return &map;
}

void CSideImageDlg::DoDataExchange(CDataExchange* pDX)
{
    for (int nSlot = kSlots; nSlot >= 1; --nSlot) {
        DDX_Control(pDX, NewIdOf(nSlot), m_staticNew[nSlot - 1]);
        DDX_Control(pDX, ExistingIdOf(nSlot), m_staticExisting[nSlot - 1]);
    }
    DDX_Control(pDX, IDOK, m_btnOK);
    for (int nSlot = 1; nSlot <= kSlots; ++nSlot) {
        DDX_Text(pDX, ExistingIdOf(nSlot), m_strExistingImageText[nSlot - 1]);
        DDX_Text(pDX, NewIdOf(nSlot), m_strNewImageFile[nSlot - 1]);
    }
}

BOOL CSideImageDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    const std::string base = GetCurrentDirectoryString();
    for (int nSlot = 1; nSlot <= kSlots; ++nSlot) {
        LoadBitmapFile(m_bmpExisting[nSlot - 1], base + "\\images\\" + ImageNameOf(nSlot));
        ShowPreview(m_staticExisting[nSlot - 1].m_hWnd, m_bmpExisting[nSlot - 1]);
        LoadBitmapFile(m_bmpNew[nSlot - 1], "");  // the new places stay blank
    }
    return TRUE;
}

void CSideImageDlg::OnClickNewImage(int nSlot)
{
    ChooseBitmapFile(*this, m_strNewImageFile[nSlot - 1], m_bmpNew[nSlot - 1], m_staticNew[nSlot - 1].m_hWnd);
}

bool CSideImageDlg::ReplaceImageFile(int nSlot)
{
    const bool bKnownSlot = nSlot >= 1 && nSlot <= kSlots;
    const std::string name = bKnownSlot ? ImageNameOf(nSlot) : std::string();
    const std::string base = GetCurrentDirectoryString();
    KeepFactorySnapshot(base);
    EnsureBackupDirectory(base);
    if (!BackupImageFile(base, name))
        return false;
    const std::string source = bKnownSlot ? m_strNewImageFile[nSlot - 1] : std::string();
    if (source.empty())
        return false;  // nothing chosen for this slot; its backup is made all the same
    switch (InstallImageFile(base, source, name)) {
    case InstallResult::NotFound:
        MessageBox("Cannot find: " + source + "    ", kImageErrorCaption, MB_OK);
        return true;
    case InstallResult::Failed:
        return false;
    case InstallResult::Installed:
        break;
    }
    return true;
}

void CSideImageDlg::OnOK()
{
    for (int nSlot = 1; nSlot <= kSlots; ++nSlot)
        ReplaceImageFile(nSlot);
    CDialog::OnOK();
}
