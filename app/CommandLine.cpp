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

    CCommandLine command;
    if (args.empty())
        return command;
    if (nb::EqualNoCase(args[0], "/export")) {
        command.kind = args.size() == 1 ? CommandKind::Export : CommandKind::Invalid;
    } else if (nb::EqualNoCase(args[0], "/apply")) {
        command.kind = CommandKind::Invalid;
        if (args.size() >= 2 && !args[1].empty() && args[1][0] != '/') {
            command.strFolder = args[1];
            command.bCheck = args.size() == 3 && nb::EqualNoCase(args[2], "/check");
            if (args.size() == 2 || command.bCheck)
                command.kind = CommandKind::Apply;
        }
    }
    return command;
}
