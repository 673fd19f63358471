#include "customization/CustomizationExport.h"

#include "config/RegistryAccess.h"
#include "customization/CustomizationFolder.h"
#include "formats/ExportLayout.h"
#include "framework/CurrentDirectory.h"
#include "framework/Seams.h"
#include "framework/WinHandles.h"

#include <windows.h>

#include <cstdio>

namespace {

const char kExportHeaderLine[] = "REGEDIT4\n";
const char kFailureCaption[] = "Access Nimbook Customization - Error";

const char kTrue[] = "TRUE";

HKEY RootKey(nb::layout::Root root)
{
    return root == nb::layout::Root::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

void AppendSectionHeader(std::string& out, const std::string& header)
{
    out += "\n[";
    out += header;
    out += "]\n";
}

// A value that cannot be read (or whose key cannot be opened) is written as an empty text.
void AppendSection(std::string& out, const nb::layout::ExportSection& section)
{
    AppendSectionHeader(out, section.header);
    CRegKey key;
    bool opened = OpenRegistryKey(RootKey(section.root), section.subkey.c_str(), kRegRead, key) == ERROR_SUCCESS;
    for (const std::string& name : section.names) {
        std::string text;
        if (opened)
            ReadWholeRegistryString(key.Get(), name.c_str(), text);
        out += FormatExportValueLine(name, text);
    }
}

// The switches are written as "TRUE"; the administrator's own per-user ones are set to
// "TRUE" too, the machine's are left as they are.
void AppendSwitches(std::string& out, const nb::layout::ExportSection& section)
{
    CRegKey key;
    bool opened = section.root == nb::layout::Root::CurrentUser &&
                  OpenRegistryKey(HKEY_CURRENT_USER, section.subkey.c_str(), kRegReadWrite, key) == ERROR_SUCCESS;
    AppendSectionHeader(out, section.header);
    for (const std::string& name : section.names) {
        out += FormatExportValueLine(name, kTrue);
        if (opened)
            WriteRegistryString(key.Get(), name.c_str(), kTrue);
    }
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
    for (const nb::layout::ExportSection& section : nb::layout::ExportSections()) {
        if (section.bFixedTrue)
            AppendSwitches(out, section);
        else
            AppendSection(out, section);
        // The short export is the hot-key section alone.
        if (!bFull)
            break;
    }
    return out;
}

std::string WriteCustomizationExportFile(bool bFull, std::string& path)
{
    const std::string directory = GetCurrentDirectoryString() + "\\Customization";
    path = directory + "\\" + kExportFileName;
    const std::string tempPath = path + ".new";

    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA(path.c_str(), &found);
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
        return std::string();
    ::DeleteFileA(tempPath.c_str());
    return "The customization file could not be written:\n" + path + "\n\n" + SystemErrorText(static_cast<LONG>(error));
}

void WriteCustomizationExport(bool bFull)
{
    std::string path;
    const std::string failure = WriteCustomizationExportFile(bFull, path);
    if (!failure.empty())
        ShowMessageBox(nullptr, failure, kFailureCaption, MB_OK | MB_ICONHAND);
}
