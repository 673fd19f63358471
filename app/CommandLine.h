// The program's commands for scripts and deployment, which run without any window:
//   NbCustomize.exe /export                 writes the full export file
//   NbCustomize.exe /apply FOLDER [/check]  applies (or only checks) a customization folder
//   NbCustomize.exe /apply FOLDER /verify   tells whether the folder is already in place
//   NbCustomize.exe /restore [/check]       puts back the installation's factory state
//   NbCustomize.exe /package OUTDIR         writes a package for software distribution
//   NbCustomize.exe /?                      prints the usage
// /apply and /restore given /installed work on the installation that the registry names
// instead of the current directory.
// The switches may come in any order. Without any argument the program runs its windows; a
// command line it does not understand is Invalid (the usage, and no window).
#pragma once

#include <string>
#include <vector>

enum class CommandKind { None, Export, Apply, Restore, Package, Usage, Invalid };

struct CCommandLine {
    CommandKind kind = CommandKind::None;
    std::string strFolder;  // /apply's folder, /package's OUTDIR
    bool bCheck = false;
    bool bVerify = false;
    bool bInstalled = false;
};

// Parses the process's command line (the program's own name first).
CCommandLine ParseCommandLine(const wchar_t* commandLine);
// The same for the arguments alone.
CCommandLine ReadCommandArguments(const std::vector<std::string>& args);
