#include "editors/WelcomeReplicaDlg.h"

#include "config/RegistryReader.h"
#include "customization/FactorySnapshot.h"
#include "editors/WelcomeDialogPainting.h"
#include "framework/CurrentDirectory.h"

#include <iterator>
#include <vector>

namespace {

// Texts are read through a 4096-byte buffer of which 4095 bytes are offered: a value of 4095
// characters or more fails with 234 (more data).
constexpr DWORD kTextOffered = 4095;

}  // namespace

CWelcomeReplicaDlg::CWelcomeReplicaDlg(UINT nIDTemplate, CWnd* pParent, const char* pszTextsKey,
                                       std::span<const char* const> valueNames)
    : CDialog(nIDTemplate, pParent), m_pszTextsKey(pszTextsKey), m_valueNames(valueNames)
{
}

const MessageMap* CWelcomeReplicaDlg::GetMessageMap() const
{
    static const MessageMapEntry entries[] = {
        MapMessage(WM_ERASEBKGND, &CWelcomeReplicaDlg::OnEraseBkgnd),
        MapCtlColor(&CWelcomeReplicaDlg::OnCtlColor),
    };
    static const MessageMap map{CDialog::GetMessageMap(), entries, std::size(entries)};
    return &map;
}

void CWelcomeReplicaDlg::LoadValues()
{
    std::vector<CRegValueRead> values;
    for (std::size_t i = 0; i < m_valueNames.size(); ++i)
        values.push_back({m_valueNames[i], kTextOffered, &m_astrValues[i + 1], &m_valueStates[i + 1]});
    CRegistryReader reader(m_hWnd);
    reader.ReadKey(m_pszTextsKey, values);
}

void CWelcomeReplicaDlg::ApplyFont(std::span<const int> ids)
{
    HFONT font = WelcomeDialogFont(m_hWnd, m_font);
    for (int id : ids)
        ::SendMessageA(GetDlgItem(id), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

bool CWelcomeReplicaDlg::TakeChanges()
{
    if (!m_bModified)
        return false;
    UpdateData(true);
    KeepFactorySnapshot(GetCurrentDirectoryString());
    return true;
}

void CWelcomeReplicaDlg::StoreValues(int nFirstSlot, int nLastSlot)
{
    CRegKey key;
    LONG result = OpenRegistryKey(HKEY_LOCAL_MACHINE, m_pszTextsKey, kRegWrite, key);
    if (result != ERROR_SUCCESS) {
        ReportRegistryError(m_hWnd, kOpeningRegistry, result, kCaptionMessage, MB_OK);
        return;
    }
    for (int slot = nFirstSlot; slot <= nLastSlot; ++slot) {
        if (!m_valueStates[slot].MayWrite(m_astrValues[slot]))
            continue;
        result = WriteRegistryString(key.Get(), m_valueNames[slot - 1], m_astrValues[slot]);
        if (result != ERROR_SUCCESS) {
            ReportRegistryError(m_hWnd, kRegistryError, result, kCaptionMessage, MB_OK);
            return;
        }
    }
}

LRESULT CWelcomeReplicaDlg::OnEraseBkgnd(WPARAM wParam, LPARAM)
{
    PaintWelcomeBackground(m_hWnd, reinterpret_cast<HDC>(wParam), m_bmpBackground);
    return TRUE;
}

HBRUSH CWelcomeReplicaDlg::OnCtlColor(HDC hdc, HWND, UINT nCtlColor)
{
    return WelcomeControlColour(hdc, nCtlColor);
}

void CWelcomeReplicaDlg::OnChangeText(int)
{
    if (!m_bFilling)
        m_bModified = true;
}
