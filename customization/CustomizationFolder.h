// The Customization folder of an installation, the files the tool keeps there, and what a
// customization folder may hold: HLXCM.REG, the assistant's artwork under its own names,
// apply.log, apply.log.1 and a Backup subfolder (all left alone), and nothing else. A folder is
// checked before anything of it is used.
#pragma once

#include "formats/CustomizationFile.h"

#include <string>
#include <vector>

// The export of the customization, in the registry editor's REGEDIT4 format.
inline constexpr const char* kExportFileName = "HLXCM.REG";
// The lines of every /apply, appended; once it would grow past its limit, it becomes
// apply.log.1 (replacing the one before) and a new apply.log begins.
inline constexpr const char* kApplyLogName = "apply.log";
inline constexpr const char* kApplyLogRotatedName = "apply.log.1";

// The artwork files of the folder, as the folder spells them, in the order of their lower-case
// names; or the reason the folder is refused: an unknown file or subfolder, two names that
// differ only in case, or a folder that cannot be listed (with the system's reason).
std::string ListCustomizationImages(const std::string& folder, std::vector<std::string>& images);

// Reads the folder's HLXCM.REG a piece at a time, never more than the reader's size cap: its
// values, or the reason it is refused (the line at fault named).
std::string ReadCustomizationRegFile(const std::string& folder, std::vector<nb::reg::CustomizationValue>& values);

// Everything /apply checks of a folder before it compares it with an installation: its files
// (ListCustomizationImages), its HLXCM.REG (ReadCustomizationRegFile) and that each image is a
// bitmap the assistant can show. Fills values and images (as the folder spells them); empty
// when the folder is valid, otherwise why it is refused.
std::string ValidateCustomizationFolder(const std::string& folder, std::vector<nb::reg::CustomizationValue>& values,
                                        std::vector<std::string>& images);

// The system's text for an error code, on one line.
std::string SystemReason(unsigned long code);
