// CWnd: a C++ object attached to a window by subclassing, with a message map that routes
// messages to member handlers and everything else to the window's original procedure.
#pragma once

#include <windows.h>

#include <cstddef>
#include <span>
#include <string>

class CWnd;

using CommandHandler = void (CWnd::*)();
using NumberedCommandHandler = void (CWnd::*)(int);
using MessageHandler = LRESULT (CWnd::*)(WPARAM, LPARAM);
// A control colour handler: the device context the control paints with, the control, and its
// CTLCOLOR_ kind. It returns the brush of the background, or null for the window's own colours.
using CtlColorHandler = HBRUSH (CWnd::*)(HDC hdc, HWND hwndControl, UINT nCtlColor);

// One row of a message map: a WM_COMMAND notification (control id and notification code)
// routed to a command handler; the same notification of any control of a table of ids routed
// to one handler with the control's number (the first number for the table's first id); the
// control colour messages routed to a colour handler; or any other message routed to a message
// handler.
struct MessageMapEntry {
    UINT message;
    UINT id;
    UINT code;
    CommandHandler command;
    MessageHandler handler;
    std::span<const int> ids;
    NumberedCommandHandler numbered;
    int nFirstNumber;
    CtlColorHandler ctlColor;
};

struct MessageMap {
    const MessageMap* base;  // searched when no row of this map matches
    const MessageMapEntry* entries;
    std::size_t count;
};

template <class T>
MessageMapEntry MapCommand(UINT id, UINT code, void (T::*fn)())
{
    return {WM_COMMAND, id, code, static_cast<CommandHandler>(fn), nullptr, {}, nullptr, 0, nullptr};
}

// The ids must outlive the map: a table of constants.
template <class T>
MessageMapEntry MapCommandTable(std::span<const int> ids, UINT code, void (T::*fn)(int), int nFirstNumber = 1)
{
    return {WM_COMMAND, 0, code, nullptr, nullptr, ids, static_cast<NumberedCommandHandler>(fn), nFirstNumber, nullptr};
}

template <class T>
MessageMapEntry MapMessage(UINT message, LRESULT (T::*fn)(WPARAM, LPARAM))
{
    return {message, 0, 0, nullptr, static_cast<MessageHandler>(fn), {}, nullptr, 0, nullptr};
}

// Every WM_CTLCOLOR... message (message 0), or only the one given, routed to a colour handler.
// A null brush from the handler leaves the message to the window's own processing.
template <class T>
MessageMapEntry MapCtlColor(HBRUSH (T::*fn)(HDC, HWND, UINT), UINT message = 0)
{
    return {message, 0, 0, nullptr, nullptr, {}, nullptr, 0, static_cast<CtlColorHandler>(fn)};
}

class CWnd {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd();

    HWND m_hWnd = nullptr;

    // Attaches this object to an existing window; false when it is attached already or the
    // window is null.
    bool SubclassWindow(HWND hwnd);
    bool SubclassDlgItem(int id, CWnd* parent);
    // Restores the window's own procedure and forgets the window.
    HWND UnsubclassWindow();

    // The object attached to a window, or null.
    static CWnd* FromHandle(HWND hwnd);

    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    std::string GetWindowText() const;
    void SetWindowText(const std::string& text);
    static std::string GetWindowText(HWND hwnd);
    // Sets a window's text unless it shows that text already (no change notification then).
    static void SetWindowTextIfChanged(HWND hwnd, const std::string& text);

    // A message box owned by this window.
    int MessageBox(const std::string& text, const std::string& caption, UINT type = MB_OK);

protected:
    virtual const MessageMap* GetMessageMap() const;
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Finds the message's row and calls its handler; false when no row matches.
    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Routes the message to the handler of a row that takes it; false when the row does not.
    bool CallEntry(const MessageMapEntry& entry, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // A WM_COMMAND that no row of the map takes.
    virtual bool OnCommand(WPARAM wParam, LPARAM lParam);
    // The window's own processing of a message (its procedure before subclassing).
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after the window's last message; the object no longer has a window then.
    virtual void PostNcDestroy() {}

private:
    static LRESULT CALLBACK StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    WNDPROC m_pfnSuper = nullptr;
};
