// The console commands of the real program (and the scripts of a package) run in their own
// processes, and the state of an installation that deploying can change.
#pragma once

#include <windows.h>

#include <map>
#include <string>

struct CommandResult {
    DWORD exitCode;
    std::string output;  // what the command wrote on its standard output
    std::string errors;  // and on its standard error
};

// Runs a command line in directory and waits for it (a minute at most).
CommandResult RunCommandLine(const std::string& commandLine, const std::string& directory);
// Runs the program under test with the arguments.
CommandResult RunProgram(const std::string& arguments, const std::string& directory);
// Runs a batch file through cmd /c, as a distribution system does.
CommandResult RunScript(const std::string& script, const std::string& directory);

bool Contains(const std::string& text, const std::string& part);
std::string Replaced(std::string text, const std::string& from, const std::string& to);

// The sample installation's export with three values changed: a label with a quote and a
// folder path, an indent, and a text with a line break.
std::string CustomizedExport();

// Everything that applying can change: every exported value of the registry (in both views)
// and every file below the installation's images and Customization folders but apply.log.
std::map<std::string, std::string> DeploymentState(const std::string& base);
// What differs between two states, one key a line ("changed: KEY", "gone: KEY", "new: KEY");
// empty when they are the same. (Printed whole, two states with their images would be too
// large for a test's failure report.)
std::string StateChanges(const std::map<std::string, std::string>& before, const std::map<std::string, std::string>& after);
