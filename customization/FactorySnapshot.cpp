#include "customization/FactorySnapshot.h"

#include "config/RegistryAccess.h"
#include "customization/CustomizationExport.h"
#include "customization/CustomizationFolder.h"
#include "customization/FileSnapshot.h"
#include "formats/ExportLayout.h"

#include <windows.h>

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

bool HasFactorySnapshot(const std::string& base)
{
    return ::GetFileAttributesA(FactorySnapshotPath(base).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string KeepFactorySnapshot(const std::string& base)
{
    const std::string folder = base + kFactoryFolder;
    if (HasFactorySnapshot(base))
        return std::string();
    ::CreateDirectoryA((base + "\\Customization").c_str(), nullptr);
    ::CreateDirectoryA((base + "\\Customization\\Backup").c_str(), nullptr);
    ::CreateDirectoryA(folder.c_str(), nullptr);

    // Never over a snapshot that exists: the first one stays.
    const unsigned long error = WriteWholeFileBeside(FactorySnapshotPath(base), BuildFactorySnapshot(), false);
    if (HasFactorySnapshot(base))
        return std::string();
    return "cannot write the factory snapshot " + FactorySnapshotPath(base) + ": " + SystemReason(error);
}
