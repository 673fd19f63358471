// The one way the program reads and writes the registry, and reports what failed.
#pragma once

#include "framework/WinHandles.h"

#include <windows.h>

#include <string>

// Access rights with which keys are opened.
inline constexpr REGSAM kRegRead = KEY_READ;                // 0x20019
inline constexpr REGSAM kRegWrite = KEY_WRITE;              // 0x20006
inline constexpr REGSAM kRegReadWrite = KEY_READ | KEY_WRITE;  // 0x2001F

// Prefixes of the failure reports; each is followed by the system's text for the code.
inline constexpr const char* kOpeningRegistry = "Opening Registry: ";
inline constexpr const char* kQueryingRegistry = "Querying Registry: ";
inline constexpr const char* kRegistryError = "Registry Error: ";

// Captions of the failure reports.
inline constexpr const char* kCaptionMessage = "Message";
inline constexpr const char* kCaptionStartupError = "Error: ";

// Opens a key; returns 0 or the system error code (2 for a missing key). Keys of
// HKEY_LOCAL_MACHINE are always opened in the 32-bit registry view, where the 32-bit
// assistant keeps them (Software\Wow6432Node on 64-bit Windows), whichever build runs.
LONG OpenRegistryKey(HKEY root, const char* path, REGSAM access, CRegKey& key);
// The same, creating the key when it is missing.
LONG CreateRegistryKey(HKEY root, const char* path, REGSAM access, CRegKey& key);
// The access rights with which the program opens a key of that root.
REGSAM RegistryViewAccess(HKEY root, REGSAM access);

class CRegFieldState;

// Reads a value as a zero-terminated single-byte text, whatever type the registry reports,
// offering the registry `offered` bytes: a longer value fails with 234 (more data). The text
// is assigned only on success. When pState is given, it records what was read (see below).
// Returns 0 or the system error code.
LONG ReadRegistryString(HKEY key, const char* name, DWORD offered, std::string& value,
                        CRegFieldState* pState = nullptr);

// What an editor read of one value when it opened. On OK the editor writes the value back
// only when that cannot destroy anything: the value was read whole as plain text (REG_SZ
// holding its text and at most one closing zero), or the administrator changed the text it
// showed. A value that could not be read, that is stored as another type, or that holds bytes
// after its text, otherwise stays as it is, byte for byte.
class CRegFieldState {
public:
    // Records what a read at opening gave: whether it was plain text, and the text shown.
    void Record(bool bPlainText, const std::string& shown)
    {
        m_bPlainText = bPlainText;
        m_strShown = shown;
    }
    bool MayWrite(const std::string& current) const { return m_bPlainText || current != m_strShown; }
    bool IsChanged(const std::string& current) const { return current != m_strShown; }

private:
    bool m_bPlainText = false;
    std::string m_strShown;
};

// Reads a value whole, whatever its length; assigns only on success.
LONG ReadWholeRegistryString(HKEY key, const char* name, std::string& value);

// Writes a REG_SZ value: the text and its terminating zero.
LONG WriteRegistryString(HKEY key, const char* name, const std::string& text);

// A value exactly as stored, to be put back later: its type and bytes, or its absence.
struct RegistryValueImage {
    bool bExists = false;
    DWORD type = REG_NONE;
    std::string bytes;
};
// Reads a value as stored; a missing value gives 0 and an image without the value.
LONG ReadRegistryValueImage(HKEY key, const char* name, RegistryValueImage& image);
// Puts a value back as the image holds it (deleting it when it did not exist).
LONG RestoreRegistryValueImage(HKEY key, const char* name, const RegistryValueImage& image);

// The system's text for an error code, as FormatMessageA gives it (empty when it has none).
std::string SystemErrorText(LONG code);

// Shows one message box: prefix followed by the system's text for the error code.
void ReportRegistryError(HWND owner, const char* prefix, LONG code, const char* caption, UINT type);
