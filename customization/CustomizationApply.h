// Applying a customization folder (the Customization folder of a reference machine: its
// HLXCM.REG and the second copies of replaced images) to this installation, all or nothing.
#pragma once

#include <functional>
#include <string>

// Exit statuses of /apply and /restore.
enum class ApplyStatus { Applied = 0, Refused = 1, RolledBack = 2, Differs = 3 };

// What a run does with a valid folder: apply it, list what applying would change (/check), or
// only tell whether everything is already in place (/verify).
enum class ApplyMode { Apply, Check, Verify };

// How a run ended; each has one exit status.
enum class ApplyOutcome { Applied, Unchanged, Valid, InPlace, Differs, Refused, RolledBack };

ApplyStatus StatusOf(ApplyOutcome outcome);
// One word for the outcome, as the log's summary line gives it.
const char* OutcomeName(ApplyOutcome outcome);

// Receives each line of the report as it is made.
using ApplyReporter = std::function<void(const std::string& line)>;

// Validates the folder against the installation in base, then, in ApplyMode::Apply, applies
// what differs: the registry values first, then the images, with the editors' backups. What is
// already in place is left alone, so a second run of the same folder writes nothing. A failure
// part-way puts back everything already changed. Every line goes to report.
ApplyOutcome ApplyCustomizationFolder(const std::string& base, const std::string& folder, ApplyMode mode,
                                      const ApplyReporter& report);

// Applies the installation's factory snapshot (its Customization\Backup\Original folder) with
// the rules of /apply; refused when there is none.
ApplyOutcome RestoreFactorySnapshot(const std::string& base, ApplyMode mode, const ApplyReporter& report);
