#include "editors/ImageReplacement.h"

#include <windows.h>

void EnsureBackupDirectory(const std::string& base)
{
    WIN32_FIND_DATAA found{};
    HANDLE search = ::FindFirstFileA((base + "\\Customization\\Backup\\*.*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        ::FindClose(search);
        return;
    }
    ::CreateDirectoryA((base + "\\Customization").c_str(), nullptr);
    ::CreateDirectoryA((base + "\\Customization\\Backup").c_str(), nullptr);
}

bool BackupImageFile(const std::string& base, const std::string& name)
{
    const std::string backupName = name.substr(0, name.find('.')) + ".BAK";
    return ::CopyFileA((base + "\\images\\" + name).c_str(),
                       (base + "\\Customization\\Backup\\" + backupName).c_str(), FALSE) != 0;
}

InstallResult InstallImageFile(const std::string& base, const std::string& source, const std::string& name)
{
    WIN32_FIND_DATAA found{};
    HANDLE search = ::FindFirstFileA(source.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return InstallResult::NotFound;
    ::FindClose(search);
    if (!::CopyFileA(source.c_str(), (base + "\\images\\" + name).c_str(), FALSE))
        return InstallResult::Failed;
    if (!::CopyFileA(source.c_str(), (base + "\\customization\\" + name).c_str(), FALSE))
        return InstallResult::Failed;
    return InstallResult::Installed;
}
