#include "config/RegistryAccess.h"

#include "framework/Seams.h"

#include <algorithm>
#include <cstring>
#include <vector>

REGSAM RegistryViewAccess(HKEY root, REGSAM access)
{
    // HKEY_CURRENT_USER\Software is shared by both views and needs no flag.
    return root == HKEY_LOCAL_MACHINE ? access | KEY_WOW64_32KEY : access;
}

LONG OpenRegistryKey(HKEY root, const char* path, REGSAM access, CRegKey& key)
{
    return key.Open(root, path, RegistryViewAccess(root, access));
}

LONG CreateRegistryKey(HKEY root, const char* path, REGSAM access, CRegKey& key)
{
    return key.Create(root, path, RegistryViewAccess(root, access));
}

namespace {

// The bytes up to the first zero.
std::string TextOf(const std::vector<char>& buffer, DWORD size)
{
    size_t length = ::strnlen(buffer.data(), std::min<size_t>(size, buffer.size()));
    return std::string(buffer.data(), length);
}

}  // namespace

LONG ReadRegistryString(HKEY key, const char* name, DWORD offered, std::string& value, CRegFieldState* pState)
{
    std::vector<char> buffer(offered + 1, '\0');
    DWORD size = offered;
    DWORD type = REG_NONE;
    LONG result = ::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
    if (result == ERROR_SUCCESS)
        value = TextOf(buffer, size);
    if (pState) {
        // Text alone gives the value back only when nothing follows its closing zero.
        const bool bWhole = result == ERROR_SUCCESS && size <= value.size() + 1;
        pState->Record(bWhole && type == REG_SZ, value);
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

LONG ReadRegistryValueImage(HKEY key, const char* name, RegistryValueImage& image)
{
    image = RegistryValueImage();
    for (;;) {
        DWORD size = 0;
        DWORD type = REG_NONE;
        LONG result = ::RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
        if (result == ERROR_FILE_NOT_FOUND)
            return ERROR_SUCCESS;
        if (result != ERROR_SUCCESS)
            return result;
        std::string bytes(size, '\0');
        result = ::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size);
        if (result == ERROR_MORE_DATA)
            continue;
        if (result != ERROR_SUCCESS)
            return result;
        bytes.resize(size);
        image = {true, type, bytes};
        return ERROR_SUCCESS;
    }
}

LONG RestoreRegistryValueImage(HKEY key, const char* name, const RegistryValueImage& image)
{
    if (!image.bExists) {
        LONG result = ::RegDeleteValueA(key, name);
        return result == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : result;
    }
    return ::RegSetValueExA(key, name, 0, image.type, reinterpret_cast<const BYTE*>(image.bytes.data()),
                            static_cast<DWORD>(image.bytes.size()));
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
