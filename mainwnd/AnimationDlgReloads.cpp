// What the main window reads again after an editor returns, and the switch that decides
// whether the Internet welcome dialog can be edited.
#include "mainwnd/AnimationDlg.h"

#include "config/ArtworkNames.h"
#include "config/RegistryAccess.h"
#include "config/RegistrySchema.h"
#include "config/TextFields.h"
#include "controls/BitmapFile.h"
#include "formats/TextCase.h"

namespace {

// The text is read through a 512-byte buffer, 511 bytes offered; the switch through 255.
constexpr DWORD kFieldTextOffered = 511;
constexpr DWORD kSwitchOffered = 255;

}  // namespace

void CAnimationDlg::RedrawAll()
{
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CAnimationDlg::ReloadFieldText(int nField)
{
    if (!IsTextField(nField))
        return;
    std::string text;
    CRegKey key;
    if (OpenRegistryKey(HKEY_LOCAL_MACHINE, RegKeys::MainTexts, kRegRead, key) == ERROR_SUCCESS)
        ReadRegistryString(key.Get(), TextValueOfField(nField), kFieldTextOffered, text);
    // A category label keeps the indent it was given at start-up, as the assistant shows it;
    // a label that could not be read stays empty.
    const bool bCategory = IsCategoryField(nField);
    if (bCategory && m_settings.m_nTopLevelIndent > 0 && !text.empty())
        text.insert(0, static_cast<size_t>(m_settings.m_nTopLevelIndent), ' ');
    const int id = bCategory ? kCategoryIds[nField - kFirstCategoryField] : kWebLinkTextIds[nField - 1];
    ::SetWindowTextA(GetDlgItem(id), text.c_str());
    RedrawAll();
}

void CAnimationDlg::ReloadArtwork(int nImage)
{
    const std::string images = ImagesFolder();
    if (nImage >= 1 && nImage <= 4) {
        // The icon control keeps pointing at the same bitmap objects.
        LoadBitmapFile(m_artwork.m_bmpWebLinkIcon[nImage - 1], images + WebLinkIconName(nImage));
        LoadBitmapFile(m_artwork.m_bmpWebLinkIconHigh[nImage - 1], images + WebLinkHighlightName(nImage));
    } else if (nImage == 5) {
        LoadBitmapFile(m_artwork.m_bmpLeftImage, images + SideImageName(0));
        ::SendMessageA(m_wndLeftImage.m_hWnd, STM_SETIMAGE, IMAGE_BITMAP,
                       reinterpret_cast<LPARAM>(m_artwork.m_bmpLeftImage.GetSafeHandle()));
    }
    RedrawAll();
}

bool CAnimationDlg::IsInternetDialogEnabled()
{
    // Failures are silent and leave the dialog editable.
    CRegKey key;
    if (key.Create(HKEY_CURRENT_USER, RegKeys::UserAssistant, KEY_ALL_ACCESS) != ERROR_SUCCESS)
        return true;
    std::string value;
    if (ReadRegistryString(key.Get(), RegValues::ShowInetDialog, kSwitchOffered, value) != ERROR_SUCCESS)
        return true;
    return !nb::EqualNoCase(value, "FALSE") && !nb::EqualNoCase(value, "F");
}
