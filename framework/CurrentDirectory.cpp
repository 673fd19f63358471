#include "framework/CurrentDirectory.h"

#include <windows.h>

#include <vector>

std::string GetCurrentDirectoryString()
{
    std::vector<char> buffer(MAX_PATH, '\0');
    for (;;) {
        DWORD length = ::GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0)
            return std::string();
        if (length < buffer.size())
            return std::string(buffer.data(), length);
        buffer.assign(length + 1, '\0');
    }
}

std::string GetFullPathString(const std::string& path)
{
    const DWORD size = ::GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    std::vector<char> buffer(size + 1, '\0');
    const DWORD length = size == 0 ? 0 : ::GetFullPathNameA(path.c_str(), size + 1, buffer.data(), nullptr);
    if (length == 0 || length > size)
        return path;
    return std::string(buffer.data(), length);
}

CCurrentDirectoryKeeper::CCurrentDirectoryKeeper() : m_strDirectory(GetCurrentDirectoryString()) {}

CCurrentDirectoryKeeper::~CCurrentDirectoryKeeper()
{
    if (!m_strDirectory.empty())
        ::SetCurrentDirectoryA(m_strDirectory.c_str());
}
