#include "app/ConsoleCommands.h"

#include "app/ApplyLog.h"
#include "app/ConsoleOutput.h"
#include "app/InstallationChecks.h"
#include "app/InstanceMutex.h"
#include "customization/CustomizationApply.h"
#include "customization/CustomizationExport.h"
#include "customization/CustomizationFolder.h"
#include "customization/CustomizationPackage.h"
#include "customization/FactorySnapshot.h"
#include "framework/CurrentDirectory.h"

#include <optional>
#include <vector>

namespace {

constexpr const char* kUsage[] = {
    "usage: NbCustomize.exe [/export | /apply FOLDER [/check] | /restore [/check] | /?]",
    "       NbCustomize.exe [/apply FOLDER [/check | /verify] | /restore [/check]] /installed",
    "       NbCustomize.exe /package OUTDIR",
    "  (nothing)      run the customization tool",
    "  /export        write Customization\\HLXCM.REG from the registry",
    "  /apply FOLDER  apply a customization folder (its HLXCM.REG and images)",
    "  /restore       put back the values and images as they were before the first change",
    "  /check         with /apply or /restore: validate and list the changes, change nothing",
    "  /verify        with /apply: list what differs, change nothing; exit 3 when anything does",
    "  /installed     with /apply or /restore: work on the installation that the registry names",
    "                 (the folder of INI_PATH) instead of the current folder",
    "  /package OUTDIR  write a package for software distribution into the new folder OUTDIR:",
    "                 the program, Customization\\ (the export and its images), install.cmd,",
    "                 uninstall.cmd, detect.cmd and README.txt",
    "  /?             show this text",
    "Run it with the assistant's installation folder as the current folder.",
    "Exit status: 0 done, 1 refused (nothing changed), 2 failed part-way (everything put back),",
    "3 (/verify) something is not as the folder has it.",
};

// The program's own file, which a package carries.
std::string ProgramFile()
{
    std::vector<char> buffer(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return std::string();
        if (length < buffer.size())
            return std::string(buffer.data(), length);
        buffer.assign(buffer.size() * 2, '\0');
    }
}

// The word for the command in the log's summary line, and its heading.
std::string LogCommandName(const CCommandLine& command)
{
    const std::string mode = command.bCheck ? "check" : command.bVerify ? "verify" : "";
    if (command.kind == CommandKind::Restore)
        return mode.empty() ? "restore" : "restore-" + mode;
    return mode.empty() ? "apply" : mode;
}

std::string LogHeading(const CCommandLine& command)
{
    std::string heading = command.kind == CommandKind::Restore ? "/restore" : "/apply " + command.strFolder;
    if (command.bCheck)
        heading += " /check";
    if (command.bVerify)
        heading += " /verify";
    if (command.bInstalled)
        heading += " /installed";
    return heading;
}

// /apply and /restore: on the installation in the current directory, or with /installed on
// the one the registry names; logged in its Customization folder.
int RunApplyCommand(const CCommandLine& command, CConsoleOutput& console)
{
    std::string base = GetCurrentDirectoryString();
    if (command.bInstalled) {
        std::string failure;
        base = FindAssistantInstallation(failure);
        if (base.empty()) {
            console.WriteLine("refused: " + failure);
            console.WriteLine("refused: nothing was changed");
            return static_cast<int>(ApplyStatus::Refused);
        }
        console.WriteLine("installation: " + base);
    }
    std::vector<std::string> lines;
    auto report = [&](const std::string& line) {
        console.WriteLine(line);
        lines.push_back(line);
    };
    const ApplyMode mode = command.bCheck ? ApplyMode::Check : command.bVerify ? ApplyMode::Verify : ApplyMode::Apply;
    ApplyOutcome outcome = ApplyOutcome::Refused;
    // The tool's window must not change the same values meanwhile; holding the mutex also
    // keeps the tool from starting until the deployment is done. Verifying reads only, and
    // a detection rule may run it at any time, so it neither needs nor takes the mutex.
    std::optional<CInstanceMutex> mutex;
    if (mode != ApplyMode::Verify)
        mutex.emplace();
    if (mutex && !mutex->IsFirstInstance()) {
        report("refused: the customization tool is running on this machine; close it first");
        report("refused: nothing was changed");
    } else if (command.kind == CommandKind::Restore) {
        outcome = RestoreFactorySnapshot(base, mode, report);
    } else {
        outcome = ApplyCustomizationFolder(base, command.strFolder, mode, report);
    }
    const std::string folder = command.kind == CommandKind::Restore ? base + kFactoryFolder : command.strFolder;
    AppendApplyLog(base, LogHeading(command), lines, ApplyLogSummary(LogCommandName(command), folder, outcome));
    return static_cast<int>(StatusOf(outcome));
}

}  // namespace

int RunConsoleCommand(const CCommandLine& command)
{
    CConsoleOutput console;
    if (command.kind == CommandKind::Invalid || command.kind == CommandKind::Usage) {
        for (const char* line : kUsage)
            console.WriteLine(line);
        return command.kind == CommandKind::Usage ? 0 : 1;
    }
    if (command.kind == CommandKind::Export) {
        std::string path;
        const std::string failure = WriteCustomizationExportFile(true, path);
        console.WriteLine(failure.empty() ? "exported: " + path : failure);
        return failure.empty() ? 0 : 1;
    }
    if (command.kind == CommandKind::Package) {
        const bool bWritten = WriteCustomizationPackage(GetCurrentDirectoryString(), command.strFolder, ProgramFile(),
                                                        [&](const std::string& line) { console.WriteLine(line); });
        return bWritten ? 0 : 1;
    }
    return RunApplyCommand(command, console);
}
