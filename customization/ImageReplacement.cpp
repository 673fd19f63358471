#include "customization/ImageReplacement.h"

#include "controls/BitmapFile.h"
#include "framework/WinHandles.h"

#include <windows.h>

#include <vector>

namespace {

bool Exists(const std::string& path)
{
    WIN32_FIND_DATAA found{};
    HANDLE search = ::FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    ::FindClose(search);
    return true;
}

// A name in the target's folder that no other copy uses at the same time.
std::string TemporaryNameBeside(const std::string& target)
{
    static unsigned s_nCopy = 0;
    const std::string::size_type slash = target.find_last_of('\\');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    return folder + "~nbcopy" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++s_nCopy) + ".tmp";
}

// Copies every byte of source into a new file, flushed to the disk; false at the first read or
// write that fails (some platforms' own file copy reports success after a failed read).
bool CopyBytes(const std::string& source, const std::string& target)
{
    CHandle in(::CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in)
        return false;
    CHandle out(::CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out)
        return false;
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        DWORD nRead = 0;
        if (!::ReadFile(in.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &nRead, nullptr))
            return false;
        if (nRead == 0)
            break;
        DWORD nWritten = 0;
        if (!::WriteFile(out.Get(), buffer.data(), nRead, &nWritten, nullptr) || nWritten != nRead)
            return false;
    }
    return ::FlushFileBuffers(out.Get()) != 0;
}

}  // namespace

std::string BackupNameOf(const std::string& name)
{
    return name.substr(0, name.find('.')) + ".BAK";
}

bool CopyFileWhole(const std::string& source, const std::string& target, bool bOverwrite,
                   bool (*accept)(const std::string& path))
{
    const std::string temporary = TemporaryNameBeside(target);
    if (!CopyBytes(source, temporary) || (accept && !accept(temporary))) {
        ::DeleteFileA(temporary.c_str());  // a copy that stopped part-way
        return false;
    }
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (bOverwrite ? MOVEFILE_REPLACE_EXISTING : 0);
    if (!::MoveFileExA(temporary.c_str(), target.c_str(), flags)) {
        ::DeleteFileA(temporary.c_str());
        return false;
    }
    return true;
}

void EnsureBackupDirectory(const std::string& base)
{
    if (Exists(base + "\\Customization\\Backup\\*.*"))
        return;
    ::CreateDirectoryA((base + "\\Customization").c_str(), nullptr);
    ::CreateDirectoryA((base + "\\Customization\\Backup").c_str(), nullptr);
}

bool BackupImageFile(const std::string& base, const std::string& name)
{
    const std::string image = base + "\\images\\" + name;
    if (!CopyFileWhole(image, base + "\\Customization\\Backup\\" + BackupNameOf(name), true))
        return false;
    // The shipped artwork is kept once: a later backup only ever finds it there.
    const std::string originals = base + "\\Customization\\Backup\\Original";
    ::CreateDirectoryA(originals.c_str(), nullptr);
    const std::string original = originals + "\\" + name;
    return Exists(original) || CopyFileWhole(image, original, false);
}

InstallResult InstallImageFile(const std::string& base, const std::string& source, const std::string& name)
{
    if (!Exists(source))
        return InstallResult::NotFound;
    // What the assistant will load is checked as it is, after the copy.
    if (!CopyFileWhole(source, base + "\\images\\" + name, true, &IsLoadableBitmapFile))
        return InstallResult::Failed;
    if (!CopyFileWhole(source, base + "\\customization\\" + name, true, &IsLoadableBitmapFile))
        return InstallResult::Failed;
    return InstallResult::Installed;
}
