#include "framework/Wnd.h"

#include "framework/Seams.h"

#include <mutex>
#include <unordered_map>
#include <vector>

namespace {

// Which object each subclassed window belongs to. Kept in the process rather than in a window
// property: every message looks its object up, and a property lookup is a call into the
// window manager.
class CHandleMap {
public:
    void Add(HWND hwnd, CWnd* wnd)
    {
        std::lock_guard lock(m_mutex);
        m_objects[hwnd] = wnd;
    }
    void Remove(HWND hwnd)
    {
        std::lock_guard lock(m_mutex);
        m_objects.erase(hwnd);
    }
    CWnd* Find(HWND hwnd)
    {
        std::lock_guard lock(m_mutex);
        auto found = m_objects.find(hwnd);
        return found == m_objects.end() ? nullptr : found->second;
    }

private:
    std::mutex m_mutex;
    std::unordered_map<HWND, CWnd*> m_objects;
};

CHandleMap& HandleMap()
{
    static CHandleMap map;
    return map;
}

}  // namespace

CWnd::~CWnd()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        UnsubclassWindow();
}

bool CWnd::SubclassWindow(HWND hwnd)
{
    if (m_hWnd || !hwnd || FromHandle(hwnd))
        return false;
    m_hWnd = hwnd;
    HandleMap().Add(hwnd, this);
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&StaticWindowProc)));
    return true;
}

bool CWnd::SubclassDlgItem(int id, CWnd* parent)
{
    return SubclassWindow(::GetDlgItem(parent->m_hWnd, id));
}

HWND CWnd::UnsubclassWindow()
{
    HWND hwnd = m_hWnd;
    if (!hwnd)
        return nullptr;
    ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    HandleMap().Remove(hwnd);
    m_hWnd = nullptr;
    m_pfnSuper = nullptr;
    return hwnd;
}

CWnd* CWnd::FromHandle(HWND hwnd)
{
    return hwnd ? HandleMap().Find(hwnd) : nullptr;
}

std::string CWnd::GetWindowText(HWND hwnd)
{
    int length = ::GetWindowTextLengthA(hwnd);
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    int copied = ::GetWindowTextA(hwnd, text.data(), length + 1);
    return std::string(text.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

std::string CWnd::GetWindowText() const
{
    return GetWindowText(m_hWnd);
}

void CWnd::SetWindowText(const std::string& text)
{
    ::SetWindowTextA(m_hWnd, text.c_str());
}

void CWnd::SetWindowTextIfChanged(HWND hwnd, const std::string& text)
{
    if (GetWindowText(hwnd) != text)
        ::SetWindowTextA(hwnd, text.c_str());
}

int CWnd::MessageBox(const std::string& text, const std::string& caption, UINT type)
{
    return ShowMessageBox(m_hWnd, text, caption, type);
}

const MessageMap* CWnd::GetMessageMap() const
{
    static const MessageMap map{nullptr, nullptr, 0};
    return &map;
}

namespace {

bool IsCtlColorMessage(UINT message)
{
    return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

}  // namespace

bool CWnd::CallEntry(const MessageMapEntry& entry, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (entry.ctlColor) {
        if (!IsCtlColorMessage(message) || (entry.message != 0 && entry.message != message))
            return false;
        // The messages come in the order of the CTLCOLOR_ kinds.
        HBRUSH brush = (this->*entry.ctlColor)(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam),
                                               message - WM_CTLCOLORMSGBOX);
        result = brush ? reinterpret_cast<LRESULT>(brush) : Default(message, wParam, lParam);
        return true;
    }
    if (entry.message != message)
        return false;
    if (message != WM_COMMAND) {
        result = (this->*entry.handler)(wParam, lParam);
        return true;
    }
    if (entry.code != HIWORD(wParam))
        return false;
    if (entry.command && entry.id == LOWORD(wParam)) {
        (this->*entry.command)();
        result = 0;
        return true;
    }
    for (std::size_t n = 0; entry.numbered && n < entry.ids.size(); ++n) {
        if (entry.ids[n] == LOWORD(wParam)) {
            (this->*entry.numbered)(entry.nFirstNumber + static_cast<int>(n));
            result = 0;
            return true;
        }
    }
    return false;
}

bool CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    for (const MessageMap* map = GetMessageMap(); map; map = map->base) {
        for (std::size_t i = 0; i < map->count; ++i) {
            if (CallEntry(map->entries[i], message, wParam, lParam, result))
                return true;
        }
    }
    if (message == WM_COMMAND && OnCommand(wParam, lParam)) {
        result = 0;
        return true;
    }
    return false;
}

bool CWnd::OnCommand(WPARAM, LPARAM)
{
    return false;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (OnWndMsg(message, wParam, lParam, result))
        return result;
    return Default(message, wParam, lParam);
}

LRESULT CWnd::Default(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper)
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CWnd::StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* wnd = FromHandle(hwnd);
    if (!wnd)
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    if (message != WM_NCDESTROY)
        return wnd->WindowProc(message, wParam, lParam);

    // The window's last message: let its own procedure finish, then let go of it.
    WNDPROC super = wnd->m_pfnSuper;
    wnd->UnsubclassWindow();
    LRESULT result = super ? ::CallWindowProcA(super, hwnd, message, wParam, lParam)
                           : ::DefWindowProcA(hwnd, message, wParam, lParam);
    wnd->PostNcDestroy();
    return result;
}
