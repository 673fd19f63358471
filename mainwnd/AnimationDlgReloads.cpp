// What the main window reads again after an editor returns, and the switch that decides
// whether the Internet welcome dialog can be edited.
#include "mainwnd/AnimationDlg.h"

#include "config/RegistryAccess.h"
#include "config/RegistrySchema.h"
#include "framework/BitmapFile.h"
#include "framework/CurrentDirectory.h"

#include <algorithm>
#include <cctype>

namespace {

// The text is read through a 512-byte buffer, 511 bytes offered; the switch through 255.
constexpr DWORD kFieldTextOffered = 511;
constexpr DWORD kSwitchOffered = 255;

// Field n's value of Text\MainDlg and its control: 1 to 4 web links, 5 to 9 category labels.
const char* const kFieldValues[] = {"URL1", "URL2", "URL3", "URL4", "Button1", "Button2", "Button3", "Button4", "Button5"};

}  // namespace

void CAnimationDlg::RedrawAll()
{
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CAnimationDlg::ReloadFieldText(int nField)
{
    if (nField < 1 || nField > 9)
        return;
    std::string text;
    CRegKey key;
    if (OpenRegistryKey(HKEY_LOCAL_MACHINE, RegKeys::MainTexts, kRegRead, key) == ERROR_SUCCESS)
        ReadRegistryString(key.Get(), kFieldValues[nField - 1], kFieldTextOffered, text);
    // A category label keeps the indent it was given at start-up, as the assistant shows it;
    // a label that could not be read stays empty.
    const bool bCategory = nField >= 5;
    if (bCategory && m_nTopLevelIndent > 0 && !text.empty())
        text.insert(0, static_cast<size_t>(m_nTopLevelIndent), ' ');
    const int id = bCategory ? kCategoryIds[nField - 5] : kWebLinkTextIds[nField - 1];
    ::SetWindowTextA(GetDlgItem(id), text.c_str());
    RedrawAll();
}

void CAnimationDlg::ReloadArtwork(int nImage)
{
    const std::string images = GetCurrentDirectoryString() + "\\images\\";
    if (nImage >= 1 && nImage <= 4) {
        // The icon control keeps pointing at the same bitmap objects.
        const std::string number = std::to_string(nImage);
        LoadBitmapFile(m_bmpWebLinkIcon[nImage - 1], images + "Icon" + number + ".bmp");
        LoadBitmapFile(m_bmpWebLinkIconHigh[nImage - 1], images + "Icon" + number + "_hi.bmp");
    } else if (nImage == 5) {
        LoadBitmapFile(m_bmpLeftImage, images + "Image0.bmp");
        ::SendMessageA(m_wndLeftImage.m_hWnd, STM_SETIMAGE, IMAGE_BITMAP,
                       reinterpret_cast<LPARAM>(m_bmpLeftImage.GetSafeHandle()));
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
    std::transform(value.begin(), value.end(), value.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return value != "FALSE" && value != "F";
}
