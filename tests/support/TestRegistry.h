// The registry of the test prefix: the sample installation, and single values and keys.
#pragma once

#include <windows.h>

#include <string>

// The program's view of HKEY_LOCAL_MACHINE is the 32-bit one; every helper below works in it.
// The 64-bit view is named only to show that the program never touches it.
enum class RegistryView { Program32, Native64 };
REGSAM ViewAccess(HKEY root, REGSAM access, RegistryView view = RegistryView::Program32);

// Removes the assistant's, the hot-key utility's and the browser's keys and imports the
// sample installation afresh.
void InstallSampleRegistry();
// Imports a REGEDIT4 file with the platform's own importer; its exit code.
DWORD ImportRegistryFile(const std::string& path);

void SetValue(HKEY root, const std::string& path, const std::string& name, const std::string& text,
              RegistryView view = RegistryView::Program32);
void SetDwordValue(HKEY root, const std::string& path, const std::string& name, DWORD value);
void DeleteValue(HKEY root, const std::string& path, const std::string& name);
void DeleteKeyTree(HKEY root, const std::string& path, RegistryView view = RegistryView::Program32);
// The value's text, or "<missing>" when it cannot be read.
std::string ValueOf(HKEY root, const std::string& path, const std::string& name,
                    RegistryView view = RegistryView::Program32);
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
