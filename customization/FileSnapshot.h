// A file's bytes (or its absence) kept in memory, so that a failed deployment can put the
// file back exactly as it was.
#pragma once

#include <string>

// The whole file; false when it cannot be read (a missing file included).
bool ReadWholeFile(const std::string& path, std::string& bytes);
// Writes the file beside its place and then moves it there, so it is never half written; a
// file already in its place is replaced only when bReplaceExisting says so. The system's error
// code of the step that failed, or ERROR_SUCCESS (0).
unsigned long WriteWholeFileBeside(const std::string& path, const std::string& bytes, bool bReplaceExisting);
// The same, replacing what is there; true when the file was written.
bool ReplaceWholeFile(const std::string& path, const std::string& bytes);

class CFileSnapshot {
public:
    explicit CFileSnapshot(const std::string& path);
    // True when the file is as it was when the snapshot was taken, or was made so again.
    bool Restore() const;
    const std::string& Path() const { return m_strPath; }

private:
    std::string m_strPath;
    bool m_bExisted = false;
    std::string m_strBytes;
};
