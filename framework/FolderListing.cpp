#include "framework/FolderListing.h"

namespace {

// Closes a search of FindFirstFileA when it goes out of scope.
class CFindHandle {
public:
    explicit CFindHandle(HANDLE handle) : m_handle(handle) {}
    CFindHandle(const CFindHandle&) = delete;
    CFindHandle& operator=(const CFindHandle&) = delete;
    ~CFindHandle()
    {
        if (m_handle != INVALID_HANDLE_VALUE)
            ::FindClose(m_handle);
    }
    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle;
};

}  // namespace

bool ListFolder(const std::string& folder, std::vector<WIN32_FIND_DATAA>& entries)
{
    WIN32_FIND_DATAA found{};
    const CFindHandle search(::FindFirstFileA((folder + "\\*").c_str(), &found));
    if (search.Get() == INVALID_HANDLE_VALUE)
        return false;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..")
            entries.push_back(found);
    } while (::FindNextFileA(search.Get(), &found));
    return true;
}
