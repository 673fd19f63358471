#include "customization/CustomizationApply.h"

#include "config/RegistryAccess.h"
#include "config/RegistrySchema.h"
#include "customization/CustomizationFolder.h"
#include "customization/FactorySnapshot.h"
#include "customization/FileSnapshot.h"
#include "customization/ImageReplacement.h"
#include "formats/CustomizationFile.h"
#include "formats/TextCase.h"
#include "framework/FolderListing.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

using nb::layout::ExportSection;
using nb::layout::Root;
using nb::LowerCase;

// Every file below folder, with its path.
void ListFiles(const std::string& folder, std::vector<std::string>& files)
{
    std::vector<WIN32_FIND_DATAA> entries;
    ListFolder(folder, entries);
    for (const WIN32_FIND_DATAA& entry : entries) {
        const std::string path = folder + "\\" + entry.cFileName;
        if (IsFolderEntry(entry))
            ListFiles(path, files);
        else
            files.push_back(LowerCase(path));
    }
}

HKEY RootKey(Root root)
{
    return root == Root::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

// A text as the report shows it: quoted, line breaks visible.
std::string Shown(const std::string& text)
{
    std::string shown = "\"";
    for (char c : text)
        shown += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
    return shown + "\"";
}

std::string ShownBefore(const RegistryValueImage& before)
{
    if (!before.bExists)
        return "(missing)";
    if (before.type != REG_SZ)
        return "(not a text)";
    return Shown(std::string(before.bytes.c_str()));
}

struct ValueChange {
    const ExportSection* pSection;
    std::string name;
    std::string text;
    RegistryValueImage before;
};

struct ImageChange {
    std::string name;    // as the editors spell it
    std::string source;  // in the customization folder
    size_t oldSize;
    size_t newSize;
};

struct ApplyPlan {
    std::vector<ValueChange> values;
    std::vector<ImageChange> images;
};

class CApplyRun {
public:
    CApplyRun(const std::string& base, const std::string& folder, const ApplyReporter& report)
        : m_strBase(base), m_strFolder(folder), m_report(report)
    {
    }

    // Empty when the folder may be applied; otherwise why not. Fills the plan.
    std::string Validate(ApplyPlan& plan);
    // Applies the plan; false after a failure, when everything has been put back.
    bool Apply(const ApplyPlan& plan);

private:
    std::string ValidateValues(const std::vector<nb::reg::CustomizationValue>& values, ApplyPlan& plan);
    std::string ValidateImages(const std::vector<std::string>& names, ApplyPlan& plan);
    void WarnAboutMissingFile(const nb::reg::CustomizationValue& value);
    bool ApplyValue(const ValueChange& change);
    bool ApplyImage(const ImageChange& change);
    void RollBack();

    std::string m_strBase;
    std::string m_strFolder;
    const ApplyReporter& m_report;
    // What Apply changed so far, to be put back after a failure.
    std::vector<const ValueChange*> m_changedValues;
    std::vector<std::unique_ptr<CFileSnapshot>> m_changedFiles;
    // The backups that existed before the images were touched; the image steps may add more.
    std::vector<std::string> m_backupsBefore;
    bool m_bImagesTouched = false;
};

std::string CApplyRun::Validate(ApplyPlan& plan)
{
    std::vector<nb::reg::CustomizationValue> values;
    std::vector<std::string> images;
    std::string failure = ValidateCustomizationFolder(m_strFolder, values, images);
    if (failure.empty())
        failure = ValidateImages(images, plan);
    if (failure.empty())
        failure = ValidateValues(values, plan);
    return failure;
}

std::string CApplyRun::ValidateValues(const std::vector<nb::reg::CustomizationValue>& values, ApplyPlan& plan)
{
    for (const nb::reg::CustomizationValue& value : values) {
        const ExportSection& section = *value.pSection;
        CRegKey key;
        LONG result = OpenRegistryKey(RootKey(section.root), section.subkey.c_str(), kRegRead, key);
        RegistryValueImage before;
        if (result == ERROR_SUCCESS)
            result = ReadRegistryValueImage(key.Get(), value.name.c_str(), before);
        // The assistant's keys must be there; only the administrator's own key may be made.
        if (result != ERROR_SUCCESS && !(result == ERROR_FILE_NOT_FOUND && section.root == Root::CurrentUser))
            return "cannot read [" + section.header + "] on this machine: " + SystemReason(result);
        WarnAboutMissingFile(value);
        const bool same = before.bExists && before.type == REG_SZ && std::string(before.bytes.c_str()) == value.text;
        if (!same)
            plan.values.push_back({&section, value.name, value.text, before});
    }
    return std::string();
}

// A value that names a file of the reference machine which this one lacks still applies.
void CApplyRun::WarnAboutMissingFile(const nb::reg::CustomizationValue& value)
{
    std::string path;
    if (value.name == RegValues::HelpFile) {
        path = value.text;
    } else if (value.name == RegValues::File) {
        // The program of the command line: quoted, or up to the first ".exe".
        if (!value.text.empty() && value.text[0] == '"') {
            path = value.text.substr(1, value.text.find('"', 1) - 1);
        } else {
            size_t exe = LowerCase(value.text).find(".exe");
            path = value.text.substr(0, exe == std::string::npos ? std::string::npos : exe + 4);
        }
    }
    if (!path.empty() && ::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        m_report("warning: " + value.name + " names " + path + ", which does not exist on this machine");
}

std::string CApplyRun::ValidateImages(const std::vector<std::string>& names, ApplyPlan& plan)
{
    for (const std::string& name : names) {
        const std::string lower = LowerCase(name);
        const std::string source = m_strFolder + "\\" + name;
        std::string newBytes, oldBytes;
        if (!ReadWholeFile(source, newBytes))
            return "cannot read " + source;
        if (!ReadWholeFile(m_strBase + "\\images\\" + lower, oldBytes))
            return "this installation has no images\\" + lower;
        if (newBytes != oldBytes)
            plan.images.push_back({lower, source, oldBytes.size(), newBytes.size()});
    }
    return std::string();
}

bool CApplyRun::ApplyValue(const ValueChange& change)
{
    const ExportSection& section = *change.pSection;
    CRegKey key;
    LONG result = section.root == Root::CurrentUser
                      ? CreateRegistryKey(HKEY_CURRENT_USER, section.subkey.c_str(), kRegWrite, key)
                      : OpenRegistryKey(HKEY_LOCAL_MACHINE, section.subkey.c_str(), kRegWrite, key);
    if (result == ERROR_SUCCESS)
        result = WriteRegistryString(key.Get(), change.name.c_str(), change.text);
    if (result != ERROR_SUCCESS) {
        m_report("failed: cannot set [" + section.header + "] \"" + change.name + "\": " + SystemReason(result));
        return false;
    }
    m_changedValues.push_back(&change);
    m_report("set [" + section.header + "] \"" + change.name + "\": " + ShownBefore(change.before) + " -> " +
             Shown(change.text));
    return true;
}

bool CApplyRun::ApplyImage(const ImageChange& change)
{
    // The image, its backup and its second copy, as the editors' steps leave them.
    const std::string stem = change.name.substr(0, change.name.find('.'));
    for (const std::string& path : {m_strBase + "\\images\\" + change.name,
                                    m_strBase + "\\Customization\\Backup\\" + stem + ".BAK",
                                    m_strBase + "\\customization\\" + change.name})
        m_changedFiles.push_back(std::make_unique<CFileSnapshot>(path));
    EnsureBackupDirectory(m_strBase);
    if (!BackupImageFile(m_strBase, change.name)) {
        m_report("failed: cannot back up images\\" + change.name);
        return false;
    }
    if (InstallImageFile(m_strBase, change.source, change.name) != InstallResult::Installed) {
        m_report("failed: cannot replace images\\" + change.name);
        return false;
    }
    m_report("replaced images\\" + change.name + " (" + std::to_string(change.oldSize) + " -> " +
             std::to_string(change.newSize) + " bytes)");
    return true;
}

bool CApplyRun::Apply(const ApplyPlan& plan)
{
    for (const ValueChange& change : plan.values)
        if (!ApplyValue(change)) {
            RollBack();
            return false;
        }
    if (!plan.images.empty()) {
        ListFiles(m_strBase + "\\Customization\\Backup", m_backupsBefore);
        m_bImagesTouched = true;
    }
    for (const ImageChange& change : plan.images)
        if (!ApplyImage(change)) {
            RollBack();
            return false;
        }
    return true;
}

void CApplyRun::RollBack()
{
    bool whole = true;
    if (m_bImagesTouched) {
        std::vector<std::string> backups;
        ListFiles(m_strBase + "\\Customization\\Backup", backups);
        for (const std::string& backup : backups)
            if (std::find(m_backupsBefore.begin(), m_backupsBefore.end(), backup) == m_backupsBefore.end())
                ::DeleteFileA(backup.c_str());
    }
    for (auto it = m_changedFiles.rbegin(); it != m_changedFiles.rend(); ++it)
        if (!(*it)->Restore()) {
            m_report("could not put back " + (*it)->Path());
            whole = false;
        }
    for (auto it = m_changedValues.rbegin(); it != m_changedValues.rend(); ++it) {
        const ValueChange& change = **it;
        CRegKey key;
        LONG result = OpenRegistryKey(RootKey(change.pSection->root), change.pSection->subkey.c_str(), kRegWrite, key);
        if (result == ERROR_SUCCESS)
            result = RestoreRegistryValueImage(key.Get(), change.name.c_str(), change.before);
        if (result != ERROR_SUCCESS) {
            m_report("could not put back [" + change.pSection->header + "] \"" + change.name + "\"");
            whole = false;
        } else {
            m_report("put back [" + change.pSection->header + "] \"" + change.name + "\": " + ShownBefore(change.before));
        }
    }
    m_report(whole ? "rolled back: every value and image is as it was before"
                   : "rolled back INCOMPLETELY: the lines above name what could not be put back");
}

std::string Counts(const ApplyPlan& plan)
{
    return std::to_string(plan.values.size()) + " value(s) and " + std::to_string(plan.images.size()) + " image(s)";
}

// The changes as /check and /verify list them.
void ReportPlan(const ApplyPlan& plan, const ApplyReporter& report)
{
    for (const ValueChange& change : plan.values)
        report("would set [" + change.pSection->header + "] \"" + change.name + "\": " + ShownBefore(change.before) +
               " -> " + Shown(change.text));
    for (const ImageChange& change : plan.images)
        report("would replace images\\" + change.name + " (" + std::to_string(change.oldSize) + " -> " +
               std::to_string(change.newSize) + " bytes)");
}

ApplyOutcome Refuse(const std::string& failure, const ApplyReporter& report)
{
    report("refused: " + failure);
    report("refused: nothing was changed");
    return ApplyOutcome::Refused;
}

}  // namespace

ApplyStatus StatusOf(ApplyOutcome outcome)
{
    return outcome == ApplyOutcome::Refused      ? ApplyStatus::Refused
           : outcome == ApplyOutcome::RolledBack ? ApplyStatus::RolledBack
           : outcome == ApplyOutcome::Differs    ? ApplyStatus::Differs
                                                 : ApplyStatus::Applied;
}

const char* OutcomeName(ApplyOutcome outcome)
{
    // In the order of the enumeration.
    constexpr const char* kNames[] = {"applied", "unchanged", "valid", "in-place", "differs", "refused", "rolled-back"};
    return kNames[static_cast<int>(outcome)];
}

ApplyOutcome ApplyCustomizationFolder(const std::string& base, const std::string& folder, ApplyMode mode,
                                      const ApplyReporter& report)
{
    CApplyRun run(base, folder, report);
    ApplyPlan plan;
    const std::string failure = run.Validate(plan);
    if (!failure.empty())
        return Refuse(failure, report);
    const bool bNothing = plan.values.empty() && plan.images.empty();
    if (mode == ApplyMode::Check) {
        ReportPlan(plan, report);
        report("valid: " + Counts(plan) + " would change");
        return ApplyOutcome::Valid;
    }
    if (mode == ApplyMode::Verify) {
        ReportPlan(plan, report);
        if (bNothing) {
            report("in place: every value and image of the folder is already on this machine");
            return ApplyOutcome::InPlace;
        }
        report("differs: " + Counts(plan) + " are not as the folder has them");
        return ApplyOutcome::Differs;
    }
    if (bNothing) {
        // Nothing is written, not even a backup: they keep what the machine had before.
        report("nothing needed changing: every value and image of the folder is already in place");
        report("applied: " + Counts(plan) + " changed");
        return ApplyOutcome::Unchanged;
    }
    // The installation's first change keeps its factory state first; a run that is rolled
    // back leaves no trace, not even that snapshot.
    const bool bHadSnapshot = HasFactorySnapshot(base);
    const std::string snapshotFailure = KeepFactorySnapshot(base);
    if (!snapshotFailure.empty())
        return Refuse(snapshotFailure, report);
    if (!run.Apply(plan)) {
        if (!bHadSnapshot)
            ::DeleteFileA(FactorySnapshotPath(base).c_str());
        return ApplyOutcome::RolledBack;
    }
    report("applied: " + Counts(plan) + " changed");
    return ApplyOutcome::Applied;
}

ApplyOutcome RestoreFactorySnapshot(const std::string& base, ApplyMode mode, const ApplyReporter& report)
{
    if (!HasFactorySnapshot(base)) {
        report("refused: there is nothing to restore: the tool has changed nothing of this installation (" +
               FactorySnapshotPath(base) + " does not exist)");
        return ApplyOutcome::Refused;
    }
    return ApplyCustomizationFolder(base, base + kFactoryFolder, mode, report);
}
