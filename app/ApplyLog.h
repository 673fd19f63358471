// The log that every /apply, /restore and /verify leaves in the installation's Customization
// folder: the run's heading and lines, then one summary line that a fleet's log collection
// can read without the rest:
//   2026-12-07T19:57:30Z summary computer=NB-0042 user="SYSTEM" version=2.0.0 command=apply
//   folder="C:\Package\Customization" outcome=applied exit=0          (on one line)
#pragma once

#include "customization/CustomizationApply.h"

#include <string>
#include <vector>

// Past this size apply.log is renamed apply.log.1 (replacing the one before) before a run
// adds to it, so the two never hold much more than twice as much.
inline constexpr unsigned long kApplyLogLimitBytes = 1024 * 1024;

// The summary line of a run: command is one word (apply, check, verify, restore,
// restore-check), folder the customization folder it read.
std::string ApplyLogSummary(const std::string& command, const std::string& folder, ApplyOutcome outcome);

// Appends to base\Customization\apply.log, in one piece: the heading after the local date and
// time, each line, and the summary line.
void AppendApplyLog(const std::string& base, const std::string& heading, const std::vector<std::string>& lines,
                    const std::string& summary);

// The version of the build, as its version resource gives it.
const char* ProgramVersion();
