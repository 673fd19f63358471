#include "app/ApplyLog.h"

#include "customization/CustomizationFolder.h"
#include "framework/CurrentDirectory.h"
#include "framework/WinHandles.h"

#include <windows.h>

#include <cstdio>

#ifndef NB_PROGRAM_VERSION
#error "NB_PROGRAM_VERSION is set by the build (CMakeLists.txt) from the project's version"
#endif

namespace {

std::string ComputerName()
{
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof(name);
    return ::GetComputerNameA(name, &size) ? std::string(name) : std::string("?");
}

std::string UserName()
{
    DWORD size = 0;
    ::GetUserNameA(nullptr, &size);
    std::string name(size + 1, '\0');
    if (size == 0 || !::GetUserNameA(name.data(), &size))
        return "?";
    name.resize(::strnlen(name.c_str(), name.size()));
    return name;
}

// A date and time of the system's clock in the given printf form (year, month, day, hour,
// minute, second).
std::string Stamp(const SYSTEMTIME& time, const char* format)
{
    char stamp[32] = {};
    std::snprintf(stamp, sizeof(stamp), format, time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute,
                  time.wSecond);
    return stamp;
}

}  // namespace

const char* ProgramVersion()
{
    return NB_PROGRAM_VERSION;
}

std::string ApplyLogSummary(const std::string& command, const std::string& folder, ApplyOutcome outcome)
{
    SYSTEMTIME now{};
    ::GetSystemTime(&now);
    return Stamp(now, "%04u-%02u-%02uT%02u:%02u:%02uZ") + " summary computer=" + ComputerName() + " user=\"" + UserName() +
           "\" version=" + ProgramVersion() + " command=" + command + " folder=\"" + GetFullPathString(folder) +
           "\" outcome=" + OutcomeName(outcome) + " exit=" + std::to_string(static_cast<int>(StatusOf(outcome)));
}

void AppendApplyLog(const std::string& base, const std::string& heading, const std::vector<std::string>& lines,
                    const std::string& summary)
{
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    std::string text = Stamp(now, "%04u-%02u-%02u %02u:%02u:%02u") + " " + heading + "\r\n";
    for (const std::string& line : lines)
        text += line + "\r\n";
    text += summary + "\r\n";

    const std::string folder = base + "\\Customization\\";
    const std::string path = folder + kApplyLogName;
    ::CreateDirectoryA((base + "\\Customization").c_str(), nullptr);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) &&
        (data.nFileSizeHigh != 0 || data.nFileSizeLow + text.size() > kApplyLogLimitBytes))
        ::MoveFileExA(path.c_str(), (folder + kApplyLogRotatedName).c_str(), MOVEFILE_REPLACE_EXISTING);
    CHandle log(::CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!log)
        return;
    DWORD written = 0;
    ::WriteFile(log.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}
