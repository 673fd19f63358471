#include "flash/ShockwaveFlash.h"

bool RegisterShockwaveFlashClass()
{
    static const bool registered = [] {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &FlashPlayerWindowProc;
        wc.cbWndExtra = sizeof(LONG_PTR);  // the player object
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
        // The player paints every pixel itself, over the parent's background.
        wc.hbrBackground = nullptr;
        wc.lpszClassName = kShockwaveFlashClassName;
        return ::RegisterClassExA(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered;
}

void CShockwaveFlash::SetMovie(const std::string& path)
{
    m_strMovie = path;
    if (m_hWnd)
        ::SendMessageA(m_hWnd, WM_FLASH_SETMOVIE, 0, reinterpret_cast<LPARAM>(m_strMovie.c_str()));
}

void CShockwaveFlash::Play()
{
    if (m_hWnd)
        ::SendMessageA(m_hWnd, WM_FLASH_PLAY, 0, 0);
}

CFlashState CShockwaveFlash::GetState() const
{
    CFlashState state;
    if (m_hWnd)
        ::SendMessageA(m_hWnd, WM_FLASH_GETSTATE, 0, reinterpret_cast<LPARAM>(&state));
    return state;
}
