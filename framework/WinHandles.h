// RAII owners for the kernel and registry handles the program holds.
#pragma once

#include <windows.h>

#include <utility>

// A kernel handle (mutex, file) closed with CloseHandle.
class CHandle {
public:
    CHandle() = default;
    explicit CHandle(HANDLE h) : m_h(IsValid(h) ? h : nullptr) {}
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;
    CHandle(CHandle&& other) noexcept : m_h(std::exchange(other.m_h, nullptr)) {}
    CHandle& operator=(CHandle&& other) noexcept
    {
        if (this != &other) {
            Close();
            m_h = std::exchange(other.m_h, nullptr);
        }
        return *this;
    }
    ~CHandle() { Close(); }

    void Close()
    {
        if (m_h)
            ::CloseHandle(std::exchange(m_h, nullptr));
    }
    HANDLE Get() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }

private:
    static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    HANDLE m_h = nullptr;
};

// An open registry key, closed with RegCloseKey.
class CRegKey {
public:
    CRegKey() = default;
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;
    ~CRegKey() { Close(); }

    // RegOpenKeyExA with no options; returns the system error code.
    LONG Open(HKEY root, const char* path, REGSAM access)
    {
        Close();
        return ::RegOpenKeyExA(root, path, 0, access, &m_h);
    }
    // RegCreateKeyExA: opens the key, creating it when it is missing.
    LONG Create(HKEY root, const char* path, REGSAM access)
    {
        Close();
        return ::RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                                 &m_h, nullptr);
    }
    void Close()
    {
        if (m_h)
            ::RegCloseKey(std::exchange(m_h, nullptr));
    }
    HKEY Get() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }

private:
    HKEY m_h = nullptr;
};
