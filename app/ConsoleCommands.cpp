#include "app/ConsoleCommands.h"

#include "app/ConsoleOutput.h"
#include "app/InstanceMutex.h"
#include "customization/CustomizationApply.h"
#include "customization/CustomizationExport.h"
#include "customization/CustomizationFolder.h"
#include "framework/CurrentDirectory.h"
#include "framework/WinHandles.h"

#include <cstdio>
#include <vector>

namespace {

constexpr const char* kUsage[] = {
    "usage: NbCustomize.exe [/export | /apply FOLDER [/check] | /restore [/check] | /?]",
    "  (nothing)      run the customization tool",
    "  /export        write Customization\\HLXCM.REG from the registry",
    "  /apply FOLDER  apply a customization folder (its HLXCM.REG and images)",
    "  /restore       put back the values and images as they were before the first change",
    "  /check         with /apply or /restore: validate and list the changes, change nothing",
    "  /?             show this text",
    "Run it with the assistant's installation folder as the current folder.",
    "Exit status: 0 done, 1 refused (nothing changed), 2 failed part-way (everything put back).",
};

// Appends the lines to Customization\apply.log of the installation, after a line that says
// when and with what.
void AppendApplyLog(const std::string& base, const std::string& heading, const std::vector<std::string>& lines)
{
    ::CreateDirectoryA((base + "\\Customization").c_str(), nullptr);
    CHandle log(::CreateFileA((base + "\\Customization\\" + kApplyLogName).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!log)
        return;
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    char stamp[32] = {};
    std::snprintf(stamp, sizeof(stamp), "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
                  now.wMinute, now.wSecond);
    std::string text = std::string(stamp) + " " + heading + "\r\n";
    for (const std::string& line : lines)
        text += line + "\r\n";
    DWORD written = 0;
    ::WriteFile(log.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
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

    const std::string base = GetCurrentDirectoryString();
    std::vector<std::string> lines;
    auto report = [&](const std::string& line) {
        console.WriteLine(line);
        lines.push_back(line);
    };
    ApplyStatus status = ApplyStatus::Refused;
    // The tool's window must not change the same values meanwhile; holding the mutex also
    // keeps the tool from starting until the deployment is done.
    const CInstanceMutex mutex;
    if (!mutex.IsFirstInstance()) {
        report("refused: the customization tool is running on this machine; close it first");
        report("refused: nothing was changed");
    } else if (command.kind == CommandKind::Restore) {
        status = RestoreFactorySnapshot(base, command.bCheck, report);
    } else {
        status = ApplyCustomizationFolder(base, command.strFolder, command.bCheck, report);
    }
    const std::string heading = command.kind == CommandKind::Restore ? "/restore" : "/apply " + command.strFolder;
    AppendApplyLog(base, heading + (command.bCheck ? " /check" : ""), lines);
    return static_cast<int>(status);
}
