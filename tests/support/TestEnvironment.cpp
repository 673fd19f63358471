#include "tests/support/TestEnvironment.h"

#include "framework/CurrentDirectory.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

std::string WinPath(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string SampleRegistryFile()
{
    return WinPath(NB_SAMPLE_DIR "/assistant.reg");
}

std::string SampleImagesDirectory()
{
    return WinPath(NB_SAMPLE_IMAGES_DIR);
}

std::string TestDataFile(const std::string& name)
{
    return WinPath(NB_TEST_DATA_DIR "/" + name);
}

std::string ProgramPath()
{
    // The program-level tests run on the i686 release build too (tests/CMakeLists.txt).
    if (const char* other = std::getenv("NB_PROGRAM_UNDER_TEST"); other && *other)
        return WinPath(other);
    return WinPath(NB_EXE_PATH);
}

PROCESS_INFORMATION StartProcess(const std::string& commandLine, const std::string& directory, DWORD flags)
{
    DWORD error = 0;
    for (int attempt = 0; attempt < 5; ++attempt) {
        std::vector<char> line(commandLine.begin(), commandLine.end());
        line.push_back('\0');
        STARTUPINFOA si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        if (::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, flags, nullptr,
                             directory.empty() ? nullptr : directory.c_str(), &si, &pi))
            return pi;
        error = ::GetLastError();
        ::Sleep(100);
    }
    throw std::runtime_error("cannot start " + commandLine + ": error " + std::to_string(error));
}

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool FileExists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> FilesIn(const std::string& folder, bool bRecursive)
{
    std::vector<std::string> files;
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return files;
    do {
        const std::string name = found.cFileName;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files.push_back(name);
        else if (bRecursive && name != "." && name != "..")
            for (const std::string& inner : FilesIn(folder + "\\" + name, true))
                files.push_back(name + "\\" + inner);
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    std::sort(files.begin(), files.end());
    return files;
}

void CopySampleImages(const std::string& directory)
{
    const std::string images = directory + "\\images";
    ::CreateDirectoryA(images.c_str(), nullptr);
    const std::vector<std::string> files = FilesIn(SampleImagesDirectory());
    if (files.empty())
        throw std::runtime_error("no sample images in " + SampleImagesDirectory());
    for (const std::string& name : files)
        ::CopyFileA((SampleImagesDirectory() + "\\" + name).c_str(), (images + "\\" + name).c_str(), FALSE);
}

namespace {

void RemoveTree(const std::string& path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string child = path + "\\" + name;
            ::SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                ::DeleteFileA(child.c_str());
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
    }
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::RemoveDirectoryA(path.c_str());
}

}  // namespace

CScratchDirectory::CScratchDirectory() : m_strPrevious(GetCurrentDirectoryString())
{
    char temp[MAX_PATH + 1] = {};
    ::GetTempPathA(MAX_PATH, temp);
    static unsigned counter = 0;
    for (;;) {
        m_strPath = std::string(temp) + "nbtest-" + std::to_string(::GetCurrentProcessId()) + "-" +
                    std::to_string(++counter);
        if (::CreateDirectoryA(m_strPath.c_str(), nullptr))
            break;
        if (::GetLastError() != ERROR_ALREADY_EXISTS)
            throw std::runtime_error("cannot create " + m_strPath);
    }
    ::SetCurrentDirectoryA(m_strPath.c_str());
}

CScratchDirectory::~CScratchDirectory()
{
    ::SetCurrentDirectoryA(m_strPrevious.c_str());
    RemoveTree(m_strPath);
}
