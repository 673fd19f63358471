#include "config/RegistryReader.h"

CRegistryReader::CRegistryReader(HWND hwndOwner, const char* pszValuePrefix)
    : m_hwndOwner(hwndOwner), m_pszValuePrefix(pszValuePrefix)
{
}

bool CRegistryReader::Open(const char* pszPath)
{
    const LONG result = OpenRegistryKey(HKEY_LOCAL_MACHINE, pszPath, kRegRead, m_key);
    if (result == ERROR_SUCCESS)
        return true;
    ReportRegistryError(m_hwndOwner, kOpeningRegistry, result, kCaptionMessage, MB_OK);
    m_bAllRead = false;
    return false;
}

bool CRegistryReader::Read(const char* pszName, DWORD nOffered, std::string& value, CRegFieldState* pState)
{
    const LONG result = ReadRegistryString(m_key.Get(), pszName, nOffered, value, pState);
    if (result == ERROR_SUCCESS)
        return true;
    ReportRegistryError(m_hwndOwner, m_pszValuePrefix, result, kCaptionMessage, MB_OK);
    m_bAllRead = false;
    return false;
}

bool CRegistryReader::Read(std::span<const CRegValueRead> values)
{
    bool bAllRead = true;
    for (const CRegValueRead& value : values)
        bAllRead = Read(value.pszName, value.nOffered, *value.pstrValue, value.pState) && bAllRead;
    return bAllRead;
}

bool CRegistryReader::ReadKey(const char* pszPath, std::span<const CRegValueRead> values)
{
    if (!Open(pszPath)) {
        // Nothing was shown of these values: an editor must not write them back unchanged.
        for (const CRegValueRead& value : values)
            if (value.pState)
                value.pState->Record(false, *value.pstrValue);
        return false;
    }
    const bool bAllRead = Read(values);
    Close();
    return bAllRead;
}
