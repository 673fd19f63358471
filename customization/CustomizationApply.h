// Applying a customization folder (the Customization folder of a reference machine: its
// HLXCM.REG and the second copies of replaced images) to this installation, all or nothing.
#pragma once

#include <functional>
#include <string>

// Exit statuses of /apply.
enum class ApplyStatus { Applied = 0, Refused = 1, RolledBack = 2 };

// Receives each line of the report as it is made.
using ApplyReporter = std::function<void(const std::string& line)>;

// Validates the folder against the installation in base (the current directory), then, unless
// bCheck, applies it: the registry values first, then the images, with the editors' backups.
// A failure part-way puts back everything already changed. Every line goes to report.
ApplyStatus ApplyCustomizationFolder(const std::string& base, const std::string& folder, bool bCheck,
                                     const ApplyReporter& report);

// Applies the installation's factory snapshot (its Customization\Backup\Original folder) with
// the rules of /apply; refused when there is none.
ApplyStatus RestoreFactorySnapshot(const std::string& base, bool bCheck, const ApplyReporter& report);
