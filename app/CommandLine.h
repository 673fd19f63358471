// The program's commands for scripts and deployment, which run without any window:
//   NbCustomize.exe /export                 writes the full export file
//   NbCustomize.exe /apply FOLDER [/check]  applies (or only checks) a customization folder
//   NbCustomize.exe /restore [/check]       puts back the installation's factory state
//   NbCustomize.exe /?                      prints the usage
// The switches may come in any order. Without any argument the program runs its windows; a
// command line it does not understand is Invalid (the usage, and no window).
#pragma once

#include <string>
#include <vector>

enum class CommandKind { None, Export, Apply, Restore, Usage, Invalid };

struct CCommandLine {
    CommandKind kind = CommandKind::None;
    std::string strFolder;
    bool bCheck = false;
};

// Parses the process's command line (the program's own name first).
CCommandLine ParseCommandLine(const wchar_t* commandLine);
// The same for the arguments alone.
CCommandLine ReadCommandArguments(const std::vector<std::string>& args);
