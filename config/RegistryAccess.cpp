#include "config/RegistryAccess.h"

#include "framework/Seams.h"

#include <algorithm>
#include <cstring>
#include <vector>

LONG OpenRegistryKey(HKEY root, const char* path, REGSAM access, CRegKey& key)
{
    return key.Open(root, path, access);
}

namespace {

// The bytes up to the first zero.
std::string TextOf(const std::vector<char>& buffer, DWORD size)
{
    size_t length = ::strnlen(buffer.data(), std::min<size_t>(size, buffer.size()));
    return std::string(buffer.data(), length);
}

}  // namespace

LONG ReadRegistryString(HKEY key, const char* name, DWORD offered, std::string& value, DWORD* pType)
{
    std::vector<char> buffer(offered + 1, '\0');
    DWORD size = offered;
    DWORD type = REG_NONE;
    LONG result = ::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
    if (result == ERROR_SUCCESS) {
        value = TextOf(buffer, size);
        if (pType)
            *pType = type;
    }
    return result;
}

LONG ReadWholeRegistryString(HKEY key, const char* name, std::string& value)
{
    // The value may grow between the two calls; ask again until it fits.
    for (;;) {
        DWORD size = 0;
        LONG result = ::RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size);
        if (result != ERROR_SUCCESS)
            return result;
        std::vector<char> buffer(size + 1, '\0');
        result = ::RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &size);
        if (result == ERROR_MORE_DATA)
            continue;
        if (result == ERROR_SUCCESS)
            value = TextOf(buffer, size);
        return result;
    }
}

LONG WriteRegistryString(HKEY key, const char* name, const std::string& text)
{
    return ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>(text.size() + 1));
}

std::string SystemErrorText(LONG code)
{
    char* text = nullptr;
    DWORD length = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                                        FORMAT_MESSAGE_FROM_SYSTEM,
                                    nullptr, static_cast<DWORD>(code), LANG_USER_DEFAULT,
                                    reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result = (length && text) ? std::string(text, length) : std::string();
    if (text)
        ::LocalFree(text);
    return result;
}

void ReportRegistryError(HWND owner, const char* prefix, LONG code, const char* caption, UINT type)
{
    ShowMessageBox(owner, prefix + SystemErrorText(code), caption, type);
}
