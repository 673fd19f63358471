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

bool ReplaceWholeFile(const std::string& path, const std::string& bytes)
{
    const std::string temp = path + ".new";
    {
        CHandle file(::CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                   nullptr));
        DWORD written = 0;
        if (!file || !::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written != bytes.size() || !::FlushFileBuffers(file.Get())) {
            file.Close();
            ::DeleteFileA(temp.c_str());
            return false;
        }
    }
    if (::MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    ::DeleteFileA(temp.c_str());
    return false;
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
