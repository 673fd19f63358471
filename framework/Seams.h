// The two platform boxes that tests must observe: message boxes and the file-open box.
// Production passes straight through to the platform; a test installs a handler that
// records each box and answers it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

using MessageBoxHandler =
    std::function<int(HWND owner, const std::string& text, const std::string& caption, UINT type)>;

// Installs a handler for every message box; an empty handler restores the platform's box.
// Returns the handler that was installed before.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// Shows a message box (MessageBoxA unless a handler is installed) and returns the button pressed.
int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type);

// What the program asks of the file-open box.
struct FileOpenRequest {
    HWND owner = nullptr;
    std::string filter;       // entries separated by '|', as "Text|*.ext|"
    std::string defaultExt;   // without the dot
    std::string initialName;  // for example "*.exe"
    DWORD flags = 0;          // OFN_ flags
};

// The request for an existing file of one kind: the files ending in ".extension", listed as
// "description (*.extension)", the name field starting as "*.extension".
FileOpenRequest ExistingFileRequest(const std::string& description, const std::string& extension);

using FileOpenHandler = std::function<bool(const FileOpenRequest& request, std::string& path)>;

FileOpenHandler SetFileOpenHandler(FileOpenHandler handler);

// Shows the file-open box; true and the chosen file's full path when the user pressed OK.
bool ShowFileOpenBox(const FileOpenRequest& request, std::string& path);
