#include "tests/support/TestRegistry.h"

#include "config/RegistryAccess.h"
#include "tests/support/TestEnvironment.h"

#include <aclapi.h>

#include <stdexcept>
#include <vector>

REGSAM ViewAccess(HKEY root, REGSAM access, RegistryView view)
{
    if (view == RegistryView::Native64)
        return root == HKEY_LOCAL_MACHINE ? access | KEY_WOW64_64KEY : access;
    return RegistryViewAccess(root, access);
}

DWORD ImportRegistryFile(const std::string& path)
{
    // Into the 32-bit view, where the assistant keeps its keys.
    PROCESS_INFORMATION pi =
        StartProcess("reg.exe import \"" + path + "\" /reg:32", std::string(), CREATE_NO_WINDOW);
    ::WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD exitCode = 1;
    ::GetExitCodeProcess(pi.hProcess, &exitCode);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return exitCode;
}

void InstallSampleRegistry()
{
    DeleteKeyTree(HKEY_LOCAL_MACHINE, "Software\\Corvane");
    DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Corvane");
    DeleteKeyTree(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Internet Explorer");
    // The importer is another process; under load Wine may fail it for a moment.
    for (int attempt = 0; ImportRegistryFile(SampleRegistryFile()) != 0; ++attempt) {
        if (attempt == 2)
            throw std::runtime_error("the sample registry did not import");
        ::Sleep(100);
    }
}

void SetValue(HKEY root, const std::string& path, const std::string& name, const std::string& text,
              RegistryView view)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, ViewAccess(root, KEY_WRITE, view), nullptr, &key, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create " + path);
    ::RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>(text.size() + 1));
    ::RegCloseKey(key);
}

void SetDwordValue(HKEY root, const std::string& path, const std::string& name, DWORD value)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, ViewAccess(root, KEY_WRITE), nullptr, &key, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create " + path);
    ::RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    ::RegCloseKey(key);
}

void DeleteValue(HKEY root, const std::string& path, const std::string& name)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, path.c_str(), 0, ViewAccess(root, KEY_WRITE), &key) == ERROR_SUCCESS) {
        ::RegDeleteValueA(key, name.c_str());
        ::RegCloseKey(key);
    }
}

void DeleteKeyTree(HKEY root, const std::string& path, RegistryView view)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, path.c_str(), 0, ViewAccess(root, KEY_ALL_ACCESS, view), &key) == ERROR_SUCCESS) {
        ::RegDeleteTreeA(key, nullptr);
        ::RegCloseKey(key);
    }
    ::RegDeleteKeyExA(root, path.c_str(), ViewAccess(root, 0, view), 0);
}

std::string ValueOf(HKEY root, const std::string& path, const std::string& name, RegistryView view)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, path.c_str(), 0, ViewAccess(root, KEY_READ, view), &key) != ERROR_SUCCESS)
        return "<missing>";
    DWORD size = 0;
    std::string text = "<missing>";
    if (::RegQueryValueExA(key, name.c_str(), nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
        std::vector<char> buffer(size + 1, '\0');
        if (::RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &size) ==
            ERROR_SUCCESS)
            text = buffer.data();
    }
    ::RegCloseKey(key);
    return text;
}

DWORD ValueTypeOf(HKEY root, const std::string& path, const std::string& name)
{
    HKEY key = nullptr;
    DWORD type = REG_NONE;
    if (::RegOpenKeyExA(root, path.c_str(), 0, ViewAccess(root, KEY_READ), &key) == ERROR_SUCCESS) {
        ::RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, nullptr);
        ::RegCloseKey(key);
    }
    return type;
}

void SetTypedValue(HKEY root, const std::string& path, const std::string& name, DWORD type, const std::string& bytes)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, ViewAccess(root, KEY_WRITE), nullptr, &key, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create " + path);
    ::RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                     static_cast<DWORD>(bytes.size()));
    ::RegCloseKey(key);
}

std::string ValueBytesOf(HKEY root, const std::string& path, const std::string& name)
{
    HKEY key = nullptr;
    std::string bytes = "<missing>";
    DWORD size = 0;
    if (::RegOpenKeyExA(root, path.c_str(), 0, ViewAccess(root, KEY_READ), &key) != ERROR_SUCCESS)
        return bytes;
    if (::RegQueryValueExA(key, name.c_str(), nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
        bytes.assign(size, '\0');
        ::RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(bytes.data()), &size);
        bytes.resize(size);
    }
    ::RegCloseKey(key);
    return bytes;
}

namespace {

// Sets a DACL on the key that grants everyone `access`.
void SetKeyAccess(HKEY root, const std::string& path, DWORD access)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, path.c_str(), 0, ViewAccess(root, WRITE_DAC | READ_CONTROL), &key) != ERROR_SUCCESS)
        throw std::runtime_error("cannot open " + path + " to change its security");

    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    ::AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
    EXPLICIT_ACCESS_A grant{};
    grant.grfAccessPermissions = access;
    grant.grfAccessMode = SET_ACCESS;
    grant.grfInheritance = NO_INHERITANCE;
    grant.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    grant.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    grant.Trustee.ptstrName = static_cast<LPSTR>(everyone);
    PACL acl = nullptr;
    ::SetEntriesInAclA(1, &grant, nullptr, &acl);

    SECURITY_DESCRIPTOR sd;
    ::InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    ::SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE);
    LONG result = ::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd);
    ::LocalFree(acl);
    ::FreeSid(everyone);
    ::RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        throw std::runtime_error("cannot change the security of " + path);
}

}  // namespace

CReadOnlyKey::CReadOnlyKey(HKEY root, const std::string& path) : m_root(root), m_strPath(path)
{
    SetKeyAccess(root, path, KEY_READ | WRITE_DAC | READ_CONTROL);
}

CReadOnlyKey::~CReadOnlyKey()
{
    SetKeyAccess(m_root, m_strPath, KEY_ALL_ACCESS);
}
