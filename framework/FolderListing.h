// The entries of a folder, as the customization folder, its export and a package are read.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The entries of folder in the system's order, "." and ".." left out. False when the folder
// cannot be listed; GetLastError then tells why.
bool ListFolder(const std::string& folder, std::vector<WIN32_FIND_DATAA>& entries);

inline bool IsFolderEntry(const WIN32_FIND_DATAA& entry)
{
    return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
