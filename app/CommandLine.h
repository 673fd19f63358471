// The program's commands for scripts and deployment, which run without any window:
//   NbCustomize.exe /export              writes the full export file
//   NbCustomize.exe /apply FOLDER [/check]  applies (or only checks) a customization folder
// Without a command the program runs its windows, whatever else the command line holds.
#pragma once

#include <string>

enum class CommandKind { None, Export, Apply, Invalid };

struct CCommandLine {
    CommandKind kind = CommandKind::None;
    std::string strFolder;
    bool bCheck = false;
};

// Parses the process's command line (the program's own name first).
CCommandLine ParseCommandLine(const wchar_t* commandLine);
