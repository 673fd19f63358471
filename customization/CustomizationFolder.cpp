#include "customization/CustomizationFolder.h"

#include "config/ArtworkNames.h"
#include "config/RegistryAccess.h"
#include "controls/BitmapFile.h"
#include "formats/TextCase.h"
#include "framework/FolderListing.h"
#include "framework/WinHandles.h"

#include <windows.h>

#include <algorithm>

namespace {

using nb::LowerCase;

constexpr const char* kBackupFolder = "backup";
constexpr DWORD kReadPiece = 64 * 1024;

}  // namespace

std::string SystemReason(unsigned long code)
{
    std::string text = SystemErrorText(static_cast<LONG>(code));
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

std::string ListCustomizationImages(const std::string& folder, std::vector<std::string>& images)
{
    std::vector<WIN32_FIND_DATAA> listed;
    if (!ListFolder(folder, listed))
        return "cannot read the folder " + folder + ": " + SystemReason(::GetLastError());
    std::vector<std::pair<std::string, bool>> entries;  // name, is a folder
    for (const WIN32_FIND_DATAA& entry : listed)
        entries.emplace_back(entry.cFileName, IsFolderEntry(entry));
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) {
                  return std::make_pair(LowerCase(a.first), a.first) < std::make_pair(LowerCase(b.first), b.first);
              });

    // On a share that tells capitals apart, two such names are two files that the assistant's
    // file system would take for one.
    for (size_t i = 1; i < entries.size(); ++i)
        if (LowerCase(entries[i - 1].first) == LowerCase(entries[i].first))
            return "two names differ only in case: " + entries[i - 1].first + " and " + entries[i].first;

    const std::vector<std::string> artwork = ReplaceableArtworkNames();
    std::vector<std::string> result;
    for (const auto& [name, bFolder] : entries) {
        const std::string lower = LowerCase(name);
        if (bFolder) {
            if (lower != kBackupFolder)
                return "a folder other than Backup: " + name;
            continue;
        }
        if (lower == LowerCase(kExportFileName) || lower == kApplyLogName || lower == kApplyLogRotatedName)
            continue;
        if (std::find(artwork.begin(), artwork.end(), lower) == artwork.end())
            return "not one of the assistant's images: " + name;
        result.push_back(name);
    }
    images = std::move(result);
    return std::string();
}

std::string ReadCustomizationRegFile(const std::string& folder, std::vector<nb::reg::CustomizationValue>& values)
{
    const std::string path = folder + "\\" + kExportFileName;
    CHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file)
        return "cannot read " + path + ": " + SystemReason(::GetLastError());
    LARGE_INTEGER size{};
    if (::GetFileSizeEx(file.Get(), &size) && static_cast<unsigned long long>(size.QuadPart) > nb::reg::kMaxRegFileBytes)
        return std::string(kExportFileName) + " is larger than " +
               std::to_string(nb::reg::kMaxRegFileBytes / (1024 * 1024)) + " MB, far more than any export holds";
    nb::reg::CRegFileReader reader;
    std::string piece(kReadPiece, '\0');
    bool bRead = true;
    for (;;) {
        DWORD nRead = 0;
        if (!::ReadFile(file.Get(), piece.data(), kReadPiece, &nRead, nullptr))
            return "cannot read " + path + ": " + SystemReason(::GetLastError());
        if (nRead == 0)
            break;
        if (!reader.Feed(std::string_view(piece.data(), nRead))) {
            bRead = false;
            break;
        }
    }
    std::vector<nb::reg::RegSection> sections;
    nb::reg::RegReadError error;
    if (bRead && reader.Finish()) {
        sections = reader.TakeSections();
        if (nb::reg::ReadCustomizationSections(sections, values, error)) {
            const std::string missing = nb::reg::FindMissingExportParts(values);
            return missing.empty() ? std::string() : std::string(kExportFileName) + " " + missing;
        }
    } else {
        error = reader.Error();
    }
    return std::string(kExportFileName) + " line " + std::to_string(error.line) + ": " + error.reason;
}

std::string ValidateCustomizationFolder(const std::string& folder, std::vector<nb::reg::CustomizationValue>& values,
                                        std::vector<std::string>& images)
{
    std::string failure = ReadCustomizationRegFile(folder, values);
    if (failure.empty())
        failure = ListCustomizationImages(folder, images);
    for (size_t i = 0; failure.empty() && i < images.size(); ++i) {
        const std::string problem = BitmapFileProblem(folder + "\\" + images[i]);
        if (!problem.empty())
            failure = "not a valid bitmap: " + images[i] + " (" + problem + ")";
    }
    return failure;
}
