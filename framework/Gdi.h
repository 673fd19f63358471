// RAII owners for GDI objects and device contexts.
#pragma once

#include <windows.h>

#include <utility>

// Owns one GDI object (bitmap, font, brush) and deletes it with DeleteObject.
template <class THandle>
class CGdiObject {
public:
    CGdiObject() = default;
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    // Ownership moves: the object left behind holds nothing.
    CGdiObject(CGdiObject&& other) noexcept : m_h(other.Detach()) {}
    CGdiObject& operator=(CGdiObject&& other) noexcept
    {
        if (this != &other)
            Attach(other.Detach());
        return *this;
    }
    ~CGdiObject() { DeleteObject(); }

    void Attach(THandle h)
    {
        DeleteObject();
        m_h = h;
    }
    THandle Detach() { return std::exchange(m_h, nullptr); }
    void DeleteObject()
    {
        if (m_h)
            ::DeleteObject(std::exchange(m_h, nullptr));
    }
    THandle GetSafeHandle() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }

private:
    THandle m_h = nullptr;
};

class CBitmap : public CGdiObject<HBITMAP> {
public:
    // Fills bm with the bitmap's size; false when no bitmap is held.
    bool GetBitmap(BITMAP& bm) const
    {
        return GetSafeHandle() && ::GetObjectA(GetSafeHandle(), sizeof(bm), &bm) != 0;
    }
};

class CFont : public CGdiObject<HFONT> {
public:
    // Creates a font whose lfHeight is given in tenths of a point, converted for the device
    // context (the screen's when hdc is null).
    bool CreatePointFontIndirect(const LOGFONTA& logFont, HDC hdc);
    bool CreatePointFont(int nPointSizeTenths, const char* faceName, HDC hdc);
};

// Device context of a window's client area (GetDC / ReleaseDC).
class CClientDC {
public:
    explicit CClientDC(HWND hwnd) : m_hwnd(hwnd), m_hdc(::GetDC(hwnd)) {}
    CClientDC(const CClientDC&) = delete;
    CClientDC& operator=(const CClientDC&) = delete;
    ~CClientDC()
    {
        if (m_hdc)
            ::ReleaseDC(m_hwnd, m_hdc);
    }
    HDC Get() const { return m_hdc; }

private:
    HWND m_hwnd;
    HDC m_hdc;
};

// BeginPaint / EndPaint for a WM_PAINT handler.
class CPaintDC {
public:
    explicit CPaintDC(HWND hwnd) : m_hwnd(hwnd) { m_hdc = ::BeginPaint(hwnd, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    ~CPaintDC() { ::EndPaint(m_hwnd, &m_ps); }
    HDC Get() const { return m_hdc; }

private:
    HWND m_hwnd;
    PAINTSTRUCT m_ps{};
    HDC m_hdc;
};

// A memory device context compatible with another (CreateCompatibleDC / DeleteDC).
class CMemoryDC {
public:
    explicit CMemoryDC(HDC compatibleWith) : m_hdc(::CreateCompatibleDC(compatibleWith)) {}
    CMemoryDC(const CMemoryDC&) = delete;
    CMemoryDC& operator=(const CMemoryDC&) = delete;
    ~CMemoryDC()
    {
        if (m_hdc)
            ::DeleteDC(m_hdc);
    }
    HDC Get() const { return m_hdc; }

private:
    HDC m_hdc;
};

// Selects an object into a device context and selects the previous one back on destruction.
class CSelectObject {
public:
    CSelectObject(HDC hdc, HGDIOBJ obj) : m_hdc(hdc), m_old(::SelectObject(hdc, obj)) {}
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;
    ~CSelectObject()
    {
        if (m_old)
            ::SelectObject(m_hdc, m_old);
    }

private:
    HDC m_hdc;
    HGDIOBJ m_old;
};
