// The registry of the test prefix: the sample installation, and single values and keys.
#pragma once

#include <windows.h>

#include <string>

// Removes the assistant's, the hot-key utility's and the browser's keys and imports the
// sample installation afresh.
void InstallSampleRegistry();
// Imports a REGEDIT4 file with the platform's own importer; its exit code.
DWORD ImportRegistryFile(const std::string& path);

void SetValue(HKEY root, const std::string& path, const std::string& name, const std::string& text);
void SetDwordValue(HKEY root, const std::string& path, const std::string& name, DWORD value);
void DeleteValue(HKEY root, const std::string& path, const std::string& name);
void DeleteKeyTree(HKEY root, const std::string& path);
// The value's text, or "<missing>" when it cannot be read.
std::string ValueOf(HKEY root, const std::string& path, const std::string& name);
DWORD ValueTypeOf(HKEY root, const std::string& path, const std::string& name);
// A value of any type from its bytes, and a value's bytes as they are stored.
void SetTypedValue(HKEY root, const std::string& path, const std::string& name, DWORD type, const std::string& bytes);
std::string ValueBytesOf(HKEY root, const std::string& path, const std::string& name);

// While it lives, the key can be opened for reading but opening it for writing fails with 5.
class CReadOnlyKey {
public:
    CReadOnlyKey(HKEY root, const std::string& path);
    CReadOnlyKey(const CReadOnlyKey&) = delete;
    CReadOnlyKey& operator=(const CReadOnlyKey&) = delete;
    ~CReadOnlyKey();

private:
    HKEY m_root;
    std::string m_strPath;
};
