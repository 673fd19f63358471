#include "app/CommandLine.h"

#include "formats/TextCase.h"
#include "framework/WinHandles.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

namespace {

// An argument in the system's code page, as every path of the program is.
std::string Narrow(const wchar_t* text)
{
    int size = ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return std::string();
    std::string narrow(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.data(), size, nullptr, nullptr);
    narrow.pop_back();
    return narrow;
}

}  // namespace

CCommandLine ParseCommandLine(const wchar_t* commandLine)
{
    int count = 0;
    wchar_t** argv = ::CommandLineToArgvW(commandLine, &count);
    if (!argv)
        return {};
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i)
        args.push_back(Narrow(argv[i]));
    ::LocalFree(argv);

    return ReadCommandArguments(args);
}

CCommandLine ReadCommandArguments(const std::vector<std::string>& args)
{
    // The switches may come in any order; anything not understood makes the line invalid.
    CCommandLine command;
    if (args.empty())
        return command;
    CCommandLine invalid;
    invalid.kind = CommandKind::Invalid;
    const std::pair<const char*, bool CCommandLine::*> flags[] = {
        {"/check", &CCommandLine::bCheck}, {"/verify", &CCommandLine::bVerify}, {"/installed", &CCommandLine::bInstalled}};
    const std::pair<const char*, CommandKind> kinds[] = {{"/export", CommandKind::Export},
                                                         {"/apply", CommandKind::Apply},
                                                         {"/restore", CommandKind::Restore},
                                                         {"/package", CommandKind::Package},
                                                         {"/?", CommandKind::Usage}};
    for (size_t i = 0; i < args.size(); ++i) {
        const auto flag = std::find_if(std::begin(flags), std::end(flags),
                                       [&](const auto& entry) { return nb::EqualNoCase(args[i], entry.first); });
        if (flag != std::end(flags)) {
            if (command.*(flag->second))
                return invalid;
            command.*(flag->second) = true;
            continue;
        }
        const auto kind = std::find_if(std::begin(kinds), std::end(kinds),
                                       [&](const auto& entry) { return nb::EqualNoCase(args[i], entry.first); });
        if (kind == std::end(kinds) || command.kind != CommandKind::None)
            return invalid;
        command.kind = kind->second;
        // /apply and /package name a folder.
        if (command.kind == CommandKind::Apply || command.kind == CommandKind::Package) {
            if (i + 1 >= args.size() || args[i + 1].empty() || args[i + 1][0] == '/')
                return invalid;
            command.strFolder = args[++i];
        }
    }
    // Only /apply and /restore can merely check or work on the registered installation; only
    // /apply verifies, and it cannot both check and verify.
    const bool bApplyOrRestore = command.kind == CommandKind::Apply || command.kind == CommandKind::Restore;
    if (command.kind == CommandKind::None || ((command.bCheck || command.bInstalled) && !bApplyOrRestore) ||
        (command.bVerify && (command.kind != CommandKind::Apply || command.bCheck)))
        return invalid;
    return command;
}
