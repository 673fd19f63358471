// The commands for scripts and deployment (/export, /apply): no window, a report on the
// console, and the result in the exit status.
#pragma once

#include "app/CommandLine.h"

// Runs a command (not CommandKind::None) with the current directory as the installation;
// returns the process's exit status.
int RunConsoleCommand(const CCommandLine& command);
