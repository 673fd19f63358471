// The installation checks that the application object runs at start-up.
#include "app/CustomizeApp.h"

#include "config/RegistryAccess.h"
#include "config/RegistrySchema.h"
#include "editors/HotkeyAppDlg.h"
#include "formats/TextCase.h"

#include <memory>

namespace {

constexpr UINT kCheckBoxType = MB_OK | MB_ICONEXCLAMATION;

// Opens a key for reading and reads one value (256 bytes offered), reporting a failure in a
// box without owner; true when the value was read.
bool ReadCheckedValue(const char* path, const char* name, CRegKey& key, std::string& value)
{
    LONG result = OpenRegistryKey(HKEY_LOCAL_MACHINE, path, kRegRead, key);
    if (result != ERROR_SUCCESS) {
        ReportRegistryError(nullptr, kOpeningRegistry, result, kCaptionMessage, kCheckBoxType);
        return false;
    }
    result = ReadRegistryString(key.Get(), name, 256, value);
    if (result != ERROR_SUCCESS) {
        ReportRegistryError(nullptr, kQueryingRegistry, result, kCaptionMessage, kCheckBoxType);
        return false;
    }
    return true;
}

}  // namespace

bool CCustomizeApp::LoadStartupMessages()
{
    CRegKey key;
    LONG result = OpenRegistryKey(HKEY_LOCAL_MACHINE, RegKeys::MainTexts, kRegRead, key);
    if (result != ERROR_SUCCESS) {
        ReportRegistryError(nullptr, kOpeningRegistry, result, kCaptionStartupError, MB_OK);
        return false;
    }
    const char* names[] = {RegValues::NoIe4, RegValues::NoShockwave, RegValues::Error};
    bool allRead = true;
    for (size_t i = 0; i < m_strMessages.size(); ++i) {
        result = ReadRegistryString(key.Get(), names[i], 4096, m_strMessages[i]);
        if (result != ERROR_SUCCESS) {
            ReportRegistryError(nullptr, kRegistryError, result, kCaptionStartupError, MB_OK);
            allRead = false;
        }
    }
    return allRead;
}

bool CCustomizeApp::IsHotkeyUtilityInstalled()
{
    CRegKey key;
    std::string dispName;
    return ReadCheckedValue(RegKeys::HotkeyButton, RegValues::DispName, key, dispName);
}

bool CCustomizeApp::IsHotkeyButtonReassigned()
{
    CRegKey key;
    std::string dispName;
    if (!ReadCheckedValue(RegKeys::HotkeyButton, RegValues::DispName, key, dispName))
        return false;

    auto editor = std::make_unique<CHotkeyAppDlg>(nullptr);
    editor->DoModal();
    editor.reset();

    // A command line that cannot be read launches nothing, so the button no longer launches
    // the assistant.
    std::string file;
    ReadRegistryString(key.Get(), RegValues::File, 256, file);
    return !nb::ContainsNoCase(file, "HLX.EXE");
}

LONG CCustomizeApp::QueryAssistantIniPath()
{
    CRegKey key;
    LONG result = OpenRegistryKey(HKEY_LOCAL_MACHINE, RegKeys::Assistant, kRegRead, key);
    if (result != ERROR_SUCCESS)
        return result;
    std::string iniPath;
    return ReadRegistryString(key.Get(), RegValues::IniPath, 256, iniPath);
}

bool CCustomizeApp::IsBrowserInstalled()
{
    CRegKey key;
    std::string version;
    return ReadCheckedValue(RegKeys::Browser, RegValues::Version, key, version);
}
