// The reading of the assistant's texts and settings by the windows that show them: keys opened
// for reading one at a time, string values read with the size each may have, and every failure
// reported in its own message box as it happens.
#pragma once

#include "config/RegistryAccess.h"
#include "framework/WinHandles.h"

#include <windows.h>

#include <span>
#include <string>

// One value of a list: its name, the bytes offered to the registry (a longer value fails with
// 234, more data), where its text goes (assigned only when the read succeeds) and, when given,
// where what was read is recorded for the editor's OK.
struct CRegValueRead {
    const char* pszName;
    DWORD nOffered;
    std::string* pstrValue;
    CRegFieldState* pState = nullptr;
};

// Reads through one open key at a time. A key that cannot be opened is reported with
// "Opening Registry: ", a value that cannot be read with the reader's value prefix; each box
// shows the prefix and the system's text for the error code, under the caption "Message" with
// only an OK button, owned by the given window (none while a dialog is being constructed).
class CRegistryReader {
public:
    explicit CRegistryReader(HWND hwndOwner, const char* pszValuePrefix = kRegistryError);
    CRegistryReader(const CRegistryReader&) = delete;
    CRegistryReader& operator=(const CRegistryReader&) = delete;

    // Opens a key of HKEY_LOCAL_MACHINE for reading; the key opened before is closed first.
    // False, after the report, when it cannot be opened.
    bool Open(const char* pszPath);
    // Reads one value of the open key; false, after the report, when it cannot be read.
    bool Read(const char* pszName, DWORD nOffered, std::string& value, CRegFieldState* pState = nullptr);
    // Reads the values of the open key in their order, each failure reported on its own.
    // False when one could not be read.
    bool Read(std::span<const CRegValueRead> values);
    // Opens the key, reads the values in their order and closes the key again. When the key
    // cannot be opened, nothing of it is read: the values keep their texts, and those with a
    // state are recorded as not read. False when the key or one value could not be read.
    bool ReadKey(const char* pszPath, std::span<const CRegValueRead> values);
    void Close() { m_key.Close(); }

    // False once a key or a value of this reader could not be read.
    bool AllRead() const { return m_bAllRead; }

private:
    HWND m_hwndOwner;
    const char* m_pszValuePrefix;
    CRegKey m_key;
    bool m_bAllRead = true;
};
