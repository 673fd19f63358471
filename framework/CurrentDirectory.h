// The process's current directory, which is the program's base directory.
#pragma once

#include <string>

// The current directory, whatever its length.
std::string GetCurrentDirectoryString();
// A path made whole against the current directory (GetFullPathNameA); the path itself when
// the system cannot.
std::string GetFullPathString(const std::string& path);

// Remembers the current directory and puts it back when it goes out of scope: the file-open
// box may change it, and every path the program builds starts from it.
class CCurrentDirectoryKeeper {
public:
    CCurrentDirectoryKeeper();
    CCurrentDirectoryKeeper(const CCurrentDirectoryKeeper&) = delete;
    CCurrentDirectoryKeeper& operator=(const CCurrentDirectoryKeeper&) = delete;
    ~CCurrentDirectoryKeeper();

private:
    std::string m_strDirectory;
};
