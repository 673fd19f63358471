#include "app/CommandLine.h"

#include "formats/TextCase.h"
#include "framework/WinHandles.h"

#include <windows.h>
#include <shellapi.h>

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
    for (size_t i = 0; i < args.size(); ++i) {
        CommandKind kind = CommandKind::Invalid;
        if (nb::EqualNoCase(args[i], "/check")) {
            if (command.bCheck)
                return invalid;
            command.bCheck = true;
            continue;
        }
        if (nb::EqualNoCase(args[i], "/export"))
            kind = CommandKind::Export;
        else if (nb::EqualNoCase(args[i], "/apply"))
            kind = CommandKind::Apply;
        else if (nb::EqualNoCase(args[i], "/restore"))
            kind = CommandKind::Restore;
        else if (nb::EqualNoCase(args[i], "/?"))
            kind = CommandKind::Usage;
        if (kind == CommandKind::Invalid || command.kind != CommandKind::None)
            return invalid;
        command.kind = kind;
        if (kind == CommandKind::Apply) {
            if (i + 1 >= args.size() || args[i + 1].empty() || args[i + 1][0] == '/')
                return invalid;
            command.strFolder = args[++i];
        }
    }
    // Only /apply and /restore can merely check.
    if (command.kind == CommandKind::None ||
        (command.bCheck && command.kind != CommandKind::Apply && command.kind != CommandKind::Restore))
        return invalid;
    return command;
}
