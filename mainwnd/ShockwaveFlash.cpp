#include "mainwnd/ShockwaveFlash.h"

bool RegisterShockwaveFlashClass()
{
    static const bool registered = [] {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &::DefWindowProcA;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
        // A hollow background: erasing leaves what the parent painted.
        wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
        wc.lpszClassName = kShockwaveFlashClassName;
        return ::RegisterClassExA(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered;
}

void CShockwaveFlash::SetMovie(const std::string& path)
{
    m_strMovie = path;
}

void CShockwaveFlash::Play() {}
