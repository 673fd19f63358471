#include "framework/Seams.h"

#include <commdlg.h>

#include <utility>
#include <vector>

namespace {

MessageBoxHandler& MessageBoxSlot()
{
    static MessageBoxHandler handler;
    return handler;
}

FileOpenHandler& FileOpenSlot()
{
    static FileOpenHandler handler;
    return handler;
}

bool PlatformFileOpenBox(const FileOpenRequest& request, std::string& path)
{
    // The platform wants the filter's entries separated by zeros and ended by two.
    std::string filter = request.filter;
    for (char& c : filter)
        if (c == '|')
            c = '\0';
    filter.push_back('\0');

    std::vector<char> file(32768, '\0');
    file.assign(request.initialName.begin(), request.initialName.end());
    file.resize(32768, '\0');

    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = request.owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrDefExt = request.defaultExt.empty() ? nullptr : request.defaultExt.c_str();
    ofn.Flags = request.flags | OFN_EXPLORER;
    if (!::GetOpenFileNameA(&ofn))
        return false;
    path = file.data();
    return true;
}

}  // namespace

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler)
{
    return std::exchange(MessageBoxSlot(), std::move(handler));
}

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type)
{
    if (MessageBoxSlot())
        return MessageBoxSlot()(owner, text, caption, type);
    return ::MessageBoxA(owner, text.c_str(), caption.c_str(), type);
}

FileOpenRequest ExistingFileRequest(const std::string& description, const std::string& extension)
{
    FileOpenRequest request;
    request.filter = description + " (*." + extension + ")|*." + extension + "|";
    request.defaultExt = extension;
    request.initialName = "*." + extension;
    request.flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST;
    return request;
}

FileOpenHandler SetFileOpenHandler(FileOpenHandler handler)
{
    return std::exchange(FileOpenSlot(), std::move(handler));
}

bool ShowFileOpenBox(const FileOpenRequest& request, std::string& path)
{
    if (FileOpenSlot())
        return FileOpenSlot()(request, path);
    return PlatformFileOpenBox(request, path);
}
