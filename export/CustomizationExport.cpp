#include "export/CustomizationExport.h"

#include "config/RegistryAccess.h"
#include "config/RegistrySchema.h"
#include "framework/CurrentDirectory.h"
#include "framework/Seams.h"
#include "framework/WinHandles.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace {

const char kExportHeaderLine[] = "REGEDIT4\n";
const char kTrue[] = "TRUE";
const char kFailureCaption[] = "Access Nimbook Customization - Error";

// A section whose values are read from one key of HKEY_LOCAL_MACHINE.
struct ExportSection {
    std::string header;  // between the brackets
    const char* sourceKey;
    std::vector<const char*> values;
};

const char kMachineRoot[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\\Access Nimbook II";
const char kUserRoot[] = "HKEY_CURRENT_USER\\SOFTWARE\\Corvane\\Access Nimbook II";

ExportSection HotkeySection()
{
    return {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\\NBHOTKEY\\8001", RegKeys::HotkeyButton,
            {RegValues::DispName, RegValues::File}};
}

// Sections 4 to 16, in file order.
std::vector<ExportSection> MachineSections()
{
    const std::string control = std::string(kMachineRoot) + "\\Control\\";
    std::vector<const char*> categoryValues{RegValues::InformationSource};
    categoryValues.insert(categoryValues.end(), RegValues::Topics.begin(), RegValues::Topics.end());
    categoryValues.push_back(RegValues::LaunchableItem);
    categoryValues.push_back(RegValues::MaxSubTopicNum);

    std::vector<ExportSection> sections;
    sections.push_back({std::string(kMachineRoot) + "\\Control", RegKeys::Control,
                        {RegValues::HelpFile, RegValues::TopLevelIndent, RegValues::SubLevelIndent,
                         RegValues::UseAnimations}});
    for (size_t i = 0; i < RegKeys::Categories.size(); ++i)
        sections.push_back({control + RegKeys::CategorySubkeys[i], RegKeys::Categories[i], categoryValues});
    for (size_t i = 0; i < RegKeys::WebLinks.size(); ++i)
        sections.push_back({control + RegKeys::WebLinkSubkeys[i], RegKeys::WebLinks[i],
                            {RegValues::InformationSource, RegValues::LaunchableItem}});
    sections.push_back({std::string(kMachineRoot) + "\\Text\\CDDlg", RegKeys::CdDialogTexts,
                        {"TEXT1", "TEXT2", "TEXT3", "TEXT4", "TEXT5"}});
    sections.push_back({std::string(kMachineRoot) + "\\Text\\InternetDlg", RegKeys::InternetDialogTexts,
                        {"TEXT1", "TEXT2", "TEXT3", RegValues::ShowMe, RegValues::TryAgain, RegValues::Cancel}});
    sections.push_back({std::string(kMachineRoot) + "\\Text\\MainDlg", RegKeys::MainTexts,
                        {"Button1", "Button2", "Button3", "Button4", "Button5", "URL1", "URL2", "URL3", "URL4"}});
    return sections;
}

void AppendSectionHeader(std::string& out, const std::string& header)
{
    out += "\n[";
    out += header;
    out += "]\n";
}

// A value that cannot be read (or whose key cannot be opened) is written as an empty text.
void AppendSection(std::string& out, const ExportSection& section)
{
    AppendSectionHeader(out, section.header);
    CRegKey key;
    bool opened = OpenRegistryKey(HKEY_LOCAL_MACHINE, section.sourceKey, kRegRead, key) == ERROR_SUCCESS;
    for (const char* name : section.values) {
        std::string text;
        if (opened)
            ReadWholeRegistryString(key.Get(), name, text);
        out += FormatExportValueLine(name, text);
    }
}

// The per-user switches are set to "TRUE" in the administrator's own key.
void AppendUserSwitches(std::string& out)
{
    CRegKey key;
    bool opened = OpenRegistryKey(HKEY_CURRENT_USER, RegKeys::UserAssistant, kRegReadWrite, key) == ERROR_SUCCESS;
    AppendSectionHeader(out, kUserRoot);
    for (const char* name : {RegValues::ShowCdDialog, RegValues::ShowInetDialog}) {
        out += FormatExportValueLine(name, kTrue);
        if (opened)
            WriteRegistryString(key.Get(), name, kTrue);
    }
}

void AppendMachineSwitches(std::string& out)
{
    AppendSectionHeader(out, kMachineRoot);
    for (const char* name : {RegValues::ShowCdDialog, RegValues::ShowInetDialog})
        out += FormatExportValueLine(name, kTrue);
}

bool WriteWholeFile(const std::string& path, const std::string& text, DWORD& error)
{
    CHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = ::GetLastError();
        return false;
    }
    DWORD written = 0;
    if (!::WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size() || !::FlushFileBuffers(file.Get())) {
        error = ::GetLastError();
        return false;
    }
    return true;
}

}  // namespace

std::string FormatExportValueLine(const std::string& name, const std::string& text)
{
    std::string line = "\"" + name + "\"=";
    if (text.find_first_of("\r\n") != std::string::npos) {
        // A quoted text cannot hold a line break; the hex(1) form keeps the string type and
        // every byte, followed by the terminating zero.
        line += "hex(1):";
        char hex[4];
        for (unsigned char c : text) {
            std::snprintf(hex, sizeof(hex), "%02x,", c);
            line += hex;
        }
        line += "00\n";
        return line;
    }
    line += '"';
    for (char c : text) {
        if (c == '\\' || c == '"')
            line += '\\';
        line += c;
    }
    line += "\"\n";
    return line;
}

std::string BuildCustomizationExport(bool bFull)
{
    std::string out = kExportHeaderLine;
    AppendSection(out, HotkeySection());
    if (!bFull)
        return out;
    AppendUserSwitches(out);
    AppendMachineSwitches(out);
    for (const ExportSection& section : MachineSections())
        AppendSection(out, section);
    return out;
}

void WriteCustomizationExport(bool bFull)
{
    const std::string directory = GetCurrentDirectoryString() + "\\Customization";
    const std::string path = directory + "\\HLXCM.REG";
    const std::string tempPath = path + ".new";

    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((directory + "\\hlxcm.reg").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        ::CreateDirectoryA(directory.c_str(), nullptr);
    else
        ::FindClose(search);

    const std::string text = BuildCustomizationExport(bFull);

    DWORD error = ERROR_SUCCESS;
    bool written = WriteWholeFile(tempPath, text, error);
    if (written && !::MoveFileExA(tempPath.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = ::GetLastError();
        written = false;
    }
    if (written)
        return;
    ::DeleteFileA(tempPath.c_str());
    ShowMessageBox(nullptr, "The customization file could not be written:\n" + path + "\n\n" + SystemErrorText(static_cast<LONG>(error)),
                   kFailureCaption, MB_OK | MB_ICONHAND);
}
