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

CCurrentDirectoryKeeper::CCurrentDirectoryKeeper() : m_strDirectory(GetCurrentDirectoryString()) {}

CCurrentDirectoryKeeper::~CCurrentDirectoryKeeper()
{
    if (!m_strDirectory.empty())
        ::SetCurrentDirectoryA(m_strDirectory.c_str());
}
