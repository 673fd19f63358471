// Where the tests find their files, and a scratch base directory for each test.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A Unix path of the build as Wine sees it (drive Z: is the root of the Unix file system).
std::string WinPath(const std::string& unixPath);

std::string SampleRegistryFile();  // the sample installation's REGEDIT4 file
std::string SampleImagesDirectory();
std::string TestDataFile(const std::string& name);
// The customization tool's .exe: the build's own, or the Unix path in NB_PROGRAM_UNDER_TEST.
std::string ProgramPath();

// Copies the sample artwork into directory\images, as an installation has it.
void CopySampleImages(const std::string& directory);

// Starts a process (CreateProcessA); tries again a few times, as Wine's process creation can
// fail for a moment under load. Throws when it never starts.
PROCESS_INFORMATION StartProcess(const std::string& commandLine, const std::string& directory = std::string(),
                                 DWORD flags = 0);

// The files below a folder, their paths relative to it as the file system spells them,
// sorted; with bRecursive also the files of its subfolders ("Backup\\icon1.BAK").
std::vector<std::string> FilesIn(const std::string& folder, bool bRecursive = false);

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);

// A fresh empty directory that is the current directory while the object lives; removed
// with everything in it afterwards.
class CScratchDirectory {
public:
    CScratchDirectory();
    CScratchDirectory(const CScratchDirectory&) = delete;
    CScratchDirectory& operator=(const CScratchDirectory&) = delete;
    ~CScratchDirectory();

    const std::string& Path() const { return m_strPath; }
    std::string ExportFile() const { return m_strPath + "\\Customization\\HLXCM.REG"; }

private:
    std::string m_strPath;
    std::string m_strPrevious;
};
