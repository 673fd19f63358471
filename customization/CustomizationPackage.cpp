#include "customization/CustomizationPackage.h"

#include "customization/CustomizationFolder.h"
#include "customization/FileSnapshot.h"
#include "customization/ImageReplacement.h"
#include "customization/PackageTexts.h"
#include "formats/TextCase.h"
#include "framework/CurrentDirectory.h"
#include "framework/FolderListing.h"

#include <windows.h>

#include <vector>

namespace {

constexpr const char* kPackagedProgramName = "NbCustomize.exe";

// The folder's full path, without a closing backslash.
std::string FolderPath(const std::string& folder)
{
    std::string full = GetFullPathString(folder);
    while (full.size() > 3 && full.back() == '\\')
        full.pop_back();
    return full;
}

void RemoveTree(const std::string& folder)
{
    std::vector<WIN32_FIND_DATAA> entries;
    ListFolder(folder, entries);
    for (const WIN32_FIND_DATAA& entry : entries) {
        const std::string path = folder + "\\" + entry.cFileName;
        if (IsFolderEntry(entry))
            RemoveTree(path);
        else
            ::DeleteFileA(path.c_str());
    }
    ::RemoveDirectoryA(folder.c_str());
}

// Line feeds become carriage return and line feed, as cmd reads batch files.
std::string WithCrLf(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

class CPackageWriter {
public:
    CPackageWriter(const std::string& base, const std::string& outdir)
        : m_strSource(base + "\\Customization"), m_strTarget(FolderPath(outdir))
    {
    }

    // Empty when the package was written; otherwise why not, with nothing left behind.
    std::string Write(const std::string& program);
    // What the package holds, for the report.
    std::string Contents() const;

private:
    std::string CheckTarget(bool& bEmptyFolder) const;
    std::string FillFolder(const std::string& folder, const std::string& program) const;
    std::string MoveInPlace(const std::string& temporary, bool bEmptyFolder) const;

    std::string m_strSource;
    std::string m_strTarget;
    std::vector<std::string> m_images;
};

std::string CPackageWriter::CheckTarget(bool& bEmptyFolder) const
{
    // A package inside the folder it packages would make that folder one /apply refuses.
    bEmptyFolder = false;
    if (nb::LowerCase(m_strTarget + "\\").starts_with(nb::LowerCase(m_strSource + "\\")))
        return m_strTarget + " lies inside the folder it would package, " + m_strSource;
    const DWORD attributes = ::GetFileAttributesA(m_strTarget.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return std::string();
    std::vector<WIN32_FIND_DATAA> entries;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || !ListFolder(m_strTarget, entries) || !entries.empty())
        return m_strTarget + " exists and is not an empty folder: name a new or an empty one";
    bEmptyFolder = true;
    return std::string();
}

std::string CPackageWriter::FillFolder(const std::string& folder, const std::string& program) const
{
    const std::string customization = folder + "\\Customization";
    if (!::CreateDirectoryA(customization.c_str(), nullptr))
        return "cannot create " + customization + ": " + SystemReason(::GetLastError());
    std::vector<std::pair<std::string, std::string>> copies = {
        {program, folder + "\\" + kPackagedProgramName},
        {m_strSource + "\\" + kExportFileName, customization + "\\" + kExportFileName}};
    for (const std::string& image : m_images)
        copies.emplace_back(m_strSource + "\\" + image, customization + "\\" + image);
    for (const auto& [source, target] : copies)
        if (!CopyFileWhole(source, target, false))
            return "cannot copy " + source + " to " + target + ": " + SystemReason(::GetLastError());
    for (const PackageText& text : PackageTexts()) {
        const std::string path = folder + "\\" + text.name;
        const unsigned long error = WriteWholeFileBeside(path, WithCrLf(text.text), false);
        if (error != ERROR_SUCCESS)
            return "cannot write " + path + ": " + SystemReason(error);
    }
    return std::string();
}

std::string CPackageWriter::MoveInPlace(const std::string& temporary, bool bEmptyFolder) const
{
    // An empty folder of the same name gives way to the package, and comes back if the
    // package cannot take its place.
    if (bEmptyFolder && !::RemoveDirectoryA(m_strTarget.c_str()))
        return "cannot replace the empty folder " + m_strTarget + ": " + SystemReason(::GetLastError());
    if (!::MoveFileExA(temporary.c_str(), m_strTarget.c_str(), MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = ::GetLastError();
        if (bEmptyFolder)
            ::CreateDirectoryA(m_strTarget.c_str(), nullptr);
        return "cannot rename " + temporary + " to " + m_strTarget + ": " + SystemReason(error);
    }
    return std::string();
}

std::string CPackageWriter::Write(const std::string& program)
{
    const std::string exportFile = m_strSource + "\\" + kExportFileName;
    if (::GetFileAttributesA(exportFile.c_str()) == INVALID_FILE_ATTRIBUTES)
        return "there is no export to package: " + exportFile +
               " does not exist (the tool writes it as it closes, or run NbCustomize.exe /export)";
    std::vector<nb::reg::CustomizationValue> values;
    std::string failure = ValidateCustomizationFolder(m_strSource, values, m_images);
    bool bEmptyFolder = false;
    if (failure.empty())
        failure = CheckTarget(bEmptyFolder);
    if (!failure.empty())
        return failure;

    const std::string temporary = m_strTarget + ".partial-" + std::to_string(::GetCurrentProcessId());
    if (!::CreateDirectoryA(temporary.c_str(), nullptr))
        return "cannot create " + temporary + ": " + SystemReason(::GetLastError());
    failure = FillFolder(temporary, program);
    if (failure.empty())
        failure = MoveInPlace(temporary, bEmptyFolder);
    if (!failure.empty())
        RemoveTree(temporary);
    return failure;
}

std::string CPackageWriter::Contents() const
{
    std::string contents = m_strTarget + ": " + kPackagedProgramName;
    for (const PackageText& text : PackageTexts())
        contents += ", " + text.name;
    contents += std::string(", Customization\\") + kExportFileName;
    for (const std::string& image : m_images)
        contents += ", Customization\\" + image;
    return contents;
}

}  // namespace

bool WriteCustomizationPackage(const std::string& base, const std::string& outdir, const std::string& program,
                               const ApplyReporter& report)
{
    CPackageWriter writer(base, outdir);
    const std::string failure = writer.Write(program);
    if (!failure.empty()) {
        report("refused: " + failure);
        report("refused: no package was written");
        return false;
    }
    report("packaged: " + writer.Contents());
    return true;
}
