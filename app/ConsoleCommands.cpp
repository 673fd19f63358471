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
    "usage: NbCustomize.exe /export",
    "       NbCustomize.exe /apply FOLDER [/check]",
    "Run it with the assistant's installation folder as the current folder.",
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
    if (command.kind == CommandKind::Invalid) {
        for (const char* line : kUsage)
            console.WriteLine(line);
        return 1;
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
    } else {
        status = ApplyCustomizationFolder(base, command.strFolder, command.bCheck, report);
    }
    AppendApplyLog(base, "/apply " + command.strFolder + (command.bCheck ? " /check" : ""), lines);
    return static_cast<int>(status);
}
