#include "customization/FileSnapshot.h"

#include "framework/WinHandles.h"

#include <windows.h>

bool ReadWholeFile(const std::string& path, std::string& bytes)
{
    CHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart > 0x7fffffff)
        return false;
    std::string result(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!result.empty() && (!::ReadFile(file.Get(), result.data(), static_cast<DWORD>(result.size()), &read, nullptr) ||
                            read != result.size()))
        return false;
    bytes = std::move(result);
    return true;
}

unsigned long WriteWholeFileBeside(const std::string& path, const std::string& bytes, bool bReplaceExisting)
{
    const std::string temp = path + ".new";
    DWORD error = ERROR_SUCCESS;
    {
        CHandle file(::CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                   nullptr));
        DWORD written = 0;
        if (!file || !::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written != bytes.size() || !::FlushFileBuffers(file.Get()))
            error = ::GetLastError();
    }
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (bReplaceExisting ? MOVEFILE_REPLACE_EXISTING : 0);
    if (error == ERROR_SUCCESS && !::MoveFileExA(temp.c_str(), path.c_str(), flags))
        error = ::GetLastError();
    if (error != ERROR_SUCCESS)
        ::DeleteFileA(temp.c_str());
    return error;
}

bool ReplaceWholeFile(const std::string& path, const std::string& bytes)
{
    return WriteWholeFileBeside(path, bytes, true) == ERROR_SUCCESS;
}

CFileSnapshot::CFileSnapshot(const std::string& path) : m_strPath(path)
{
    m_bExisted = ReadWholeFile(path, m_strBytes);
}

bool CFileSnapshot::Restore() const
{
    std::string now;
    const bool exists = ReadWholeFile(m_strPath, now);
    if (!m_bExisted)
        return !exists || ::DeleteFileA(m_strPath.c_str());
    if (exists && now == m_strBytes)
        return true;
    return ReplaceWholeFile(m_strPath, m_strBytes);
}
