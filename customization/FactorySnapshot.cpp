#include "customization/FactorySnapshot.h"

#include "config/RegistryAccess.h"
#include "customization/CustomizationExport.h"
#include "customization/CustomizationFolder.h"
#include "formats/ExportLayout.h"
#include "framework/WinHandles.h"

#include <windows.h>

namespace {

bool FileExists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

std::string BuildFactorySnapshot()
{
    std::string out = "REGEDIT4\n";
    for (const nb::layout::ExportSection& section : nb::layout::ExportSections()) {
        out += "\n[" + section.header + "]\n";
        CRegKey key;
        const HKEY root = section.root == nb::layout::Root::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        // The administrator's own switches are the export's "TRUE", which every run sets anyway.
        const bool opened = section.root == nb::layout::Root::LocalMachine &&
                            OpenRegistryKey(root, section.subkey.c_str(), kRegRead, key) == ERROR_SUCCESS;
        for (const std::string& name : section.names) {
            std::string text = section.bFixedTrue ? "TRUE" : "";
            if (opened)
                ReadWholeRegistryString(key.Get(), name.c_str(), text);
            out += FormatExportValueLine(name, text);
        }
    }
    return out;
}

std::string FactorySnapshotPath(const std::string& base)
{
    return base + kFactoryFolder + "\\" + kExportFileName;
}

std::string KeepFactorySnapshot(const std::string& base)
{
    const std::string folder = base + kFactoryFolder;
    const std::string path = FactorySnapshotPath(base);
    if (FileExists(path))
        return std::string();
    ::CreateDirectoryA((base + "\\Customization").c_str(), nullptr);
    ::CreateDirectoryA((base + "\\Customization\\Backup").c_str(), nullptr);
    ::CreateDirectoryA(folder.c_str(), nullptr);

    // Written whole beside its place first, so that a snapshot is never half written.
    const std::string text = BuildFactorySnapshot();
    const std::string temporary = path + ".new";
    DWORD error = ERROR_SUCCESS;
    {
        CHandle file(::CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                   nullptr));
        DWORD written = 0;
        if (!file || !::WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
            written != text.size() || !::FlushFileBuffers(file.Get()))
            error = ::GetLastError();
    }
    if (error == ERROR_SUCCESS && !::MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH))
        error = ::GetLastError();
    ::DeleteFileA(temporary.c_str());
    if (FileExists(path))
        return std::string();
    return "cannot write the factory snapshot " + path + ": " + SystemReason(error);
}

ApplyStatus RestoreFactorySnapshot(const std::string& base, bool bCheck, const ApplyReporter& report)
{
    if (!FileExists(FactorySnapshotPath(base))) {
        report("refused: there is nothing to restore: the tool has changed nothing of this installation (" +
               FactorySnapshotPath(base) + " does not exist)");
        return ApplyStatus::Refused;
    }
    return ApplyCustomizationFolder(base, base + kFactoryFolder, bCheck, report);
}
