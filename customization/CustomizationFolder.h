// The Customization folder of an installation, the files the tool keeps there, and what a
// customization folder may hold: HLXCM.REG, the assistant's artwork under its own names,
// apply.log and a Backup subfolder (both left alone), and nothing else. A folder is checked
// before anything of it is used.
#pragma once

#include "formats/CustomizationFile.h"

#include <string>
#include <vector>

// The export of the customization, in the registry editor's REGEDIT4 format.
inline constexpr const char* kExportFileName = "HLXCM.REG";
// The lines of every /apply, appended.
inline constexpr const char* kApplyLogName = "apply.log";

// The artwork files of the folder, as the folder spells them, in the order of their lower-case
// names; or the reason the folder is refused: an unknown file or subfolder, two names that
// differ only in case, or a folder that cannot be listed (with the system's reason).
std::string ListCustomizationImages(const std::string& folder, std::vector<std::string>& images);

// Reads the folder's HLXCM.REG a piece at a time, never more than the reader's size cap: its
// values, or the reason it is refused (the line at fault named).
std::string ReadCustomizationRegFile(const std::string& folder, std::vector<nb::reg::CustomizationValue>& values);

// The system's text for an error code, on one line.
std::string SystemReason(unsigned long code);
