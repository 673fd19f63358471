#include "editors/HotkeyAppDlg.h"

#include "config/RegistryReader.h"
#include "config/RegistrySchema.h"
#include "customization/FactorySnapshot.h"
#include "framework/CurrentDirectory.h"
#include "framework/DataExchange.h"
#include "framework/Gdi.h"
#include "framework/Seams.h"
#include "res/resource.h"

#include <iterator>

namespace {
// Values longer than 254 characters fail to read with 234 (more data).
constexpr DWORD kOffered = 255;
}

CHotkeyAppDlg::CHotkeyAppDlg(CWnd* pParent) : CDialog(IDD_HOTKEY_APP, pParent) {}

const MessageMap* CHotkeyAppDlg::GetMessageMap() const
{
    static const MessageMapEntry entries[] = {
        MapMessage(WM_PAINT, &CHotkeyAppDlg::OnPaint),
        MapCommand(IDC_HOTKEY_FILE, EN_MAXTEXT, &CHotkeyAppDlg::OnMaxText),
        MapCommand(IDC_HOTKEY_DISPNAME, EN_MAXTEXT, &CHotkeyAppDlg::OnMaxText),
        MapCommand(IDC_HOTKEY_BROWSE, BN_CLICKED, &CHotkeyAppDlg::OnBrowse),
    };
    static const MessageMap map{CDialog::GetMessageMap(), entries, std::size(entries)};
    return &map;
}

void CHotkeyAppDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_HOTKEY_BROWSE, m_btnBrowse);
    DDX_Control(pDX, IDOK, m_btnOK);
    DDX_Control(pDX, IDCANCEL, m_btnCancel);
    DDX_Text(pDX, IDC_HOTKEY_DISPNAME, m_strDispName);
    DDX_Text(pDX, IDC_HOTKEY_FILE, m_strFile);
}

void CHotkeyAppDlg::ReadHotkeyValue(const char* name, std::string& value, CRegFieldState& state)
{
    const CRegValueRead values[] = {{name, kOffered, &value, &state}};
    CRegistryReader(m_hWnd, kQueryingRegistry).ReadKey(RegKeys::HotkeyButton, values);
}

BOOL CHotkeyAppDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    // Each value through its own opening of the key.
    ReadHotkeyValue(RegValues::DispName, m_strDispName, m_stateDispName);
    ReadHotkeyValue(RegValues::File, m_strFile, m_stateFile);
    UpdateData(false);
    return TRUE;
}

LRESULT CHotkeyAppDlg::OnPaint(WPARAM, LPARAM)
{
    CPaintDC dc(m_hWnd);
    return 0;
}

void CHotkeyAppDlg::OnBrowse()
{
    {
        CCurrentDirectoryKeeper keeper;
        std::string path;
        if (ShowFileOpenBox(ExistingFileRequest("Executable files", "exe"), path))
            m_strFile = path;
    }
    UpdateData(false);
}

void CHotkeyAppDlg::OnOK()
{
    CDialog::OnOK();
    // The editor runs at every start; only a real change of the button is the installation's.
    if (m_stateDispName.IsChanged(m_strDispName) || m_stateFile.IsChanged(m_strFile))
        KeepFactorySnapshot(GetCurrentDirectoryString());

    CRegKey key;
    LONG result = OpenRegistryKey(HKEY_LOCAL_MACHINE, RegKeys::HotkeyButton, kRegWrite, key);
    if (result != ERROR_SUCCESS) {
        ReportRegistryError(m_hWnd, kQueryingRegistry, result, kCaptionMessage, MB_OK);
        return;
    }
    // A value that could not be shown as it is stored is written only when it was changed.
    if (m_stateDispName.MayWrite(m_strDispName))
        WriteRegistryString(key.Get(), RegValues::DispName, m_strDispName);
    if (m_stateFile.MayWrite(m_strFile))
        WriteRegistryString(key.Get(), RegValues::File, m_strFile);
}
