#include "app/InstallationChecks.h"

#include "config/RegistryAccess.h"
#include "config/RegistrySchema.h"
#include "customization/CustomizationFolder.h"
#include "formats/TextCase.h"

#include <string>
#include <utility>

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

bool LoadStartupMessages(CStartupMessages& messages)
{
    CRegKey key;
    LONG result = OpenRegistryKey(HKEY_LOCAL_MACHINE, RegKeys::MainTexts, kRegRead, key);
    if (result != ERROR_SUCCESS) {
        ReportRegistryError(nullptr, kOpeningRegistry, result, kCaptionStartupError, MB_OK);
        return false;
    }
    const std::pair<const char*, std::string*> texts[] = {{RegValues::NoIe4, &messages.m_strNoBrowser},
                                                          {RegValues::NoShockwave, &messages.m_strNoShockwave},
                                                          {RegValues::Error, &messages.m_strError}};
    bool allRead = true;
    for (const auto& [name, text] : texts) {
        result = ReadRegistryString(key.Get(), name, 4096, *text);
        if (result != ERROR_SUCCESS) {
            ReportRegistryError(nullptr, kRegistryError, result, kCaptionStartupError, MB_OK);
            allRead = false;
        }
    }
    return allRead;
}

bool OpenHotkeyButton(CRegKey& key)
{
    std::string dispName;
    return ReadCheckedValue(RegKeys::HotkeyButton, RegValues::DispName, key, dispName);
}

bool IsHotkeyUtilityInstalled()
{
    CRegKey key;
    return OpenHotkeyButton(key);
}

bool IsHotkeyButtonReassigned(const CRegKey& key)
{
    std::string file;
    ReadRegistryString(key.Get(), RegValues::File, 256, file);
    return !nb::ContainsNoCase(file, "HLX.EXE");
}

LONG QueryAssistantIniPath()
{
    CRegKey key;
    LONG result = OpenRegistryKey(HKEY_LOCAL_MACHINE, RegKeys::Assistant, kRegRead, key);
    if (result != ERROR_SUCCESS)
        return result;
    std::string iniPath;
    return ReadRegistryString(key.Get(), RegValues::IniPath, 256, iniPath);
}

std::string FindAssistantInstallation(std::string& failure)
{
    const std::string notInstalled = "Access Nimbook II is not installed on this machine: ";
    const std::string where = std::string("HKEY_LOCAL_MACHINE\\") + RegKeys::Assistant;
    CRegKey key;
    std::string iniPath;
    LONG result = OpenRegistryKey(HKEY_LOCAL_MACHINE, RegKeys::Assistant, kRegRead, key);
    if (result == ERROR_SUCCESS)
        result = ReadWholeRegistryString(key.Get(), RegValues::IniPath, iniPath);
    if (result != ERROR_SUCCESS) {
        failure = notInstalled + "cannot read INI_PATH of " + where + " (" + SystemReason(result) + ")";
        return std::string();
    }
    std::string folder = iniPath;
    const DWORD attributes = ::GetFileAttributesA(iniPath.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        const size_t slash = iniPath.find_last_of("\\/");
        folder = slash == std::string::npos ? std::string() : iniPath.substr(0, slash);
    }
    while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/'))
        folder.pop_back();
    const DWORD folderAttributes = folder.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesA(folder.c_str());
    if (folderAttributes == INVALID_FILE_ATTRIBUTES || !(folderAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        failure = notInstalled + "INI_PATH of " + where + " is \"" + iniPath + "\", and its folder does not exist";
        return std::string();
    }
    return folder;
}

bool IsBrowserInstalled()
{
    CRegKey key;
    std::string version;
    return ReadCheckedValue(RegKeys::Browser, RegValues::Version, key, version);
}
