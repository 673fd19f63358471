// The Customization folder of an installation and the files the tool keeps there.
#pragma once

// The export of the customization, in the registry editor's REGEDIT4 format.
inline constexpr const char* kExportFileName = "HLXCM.REG";
// The lines of every /apply, appended.
inline constexpr const char* kApplyLogName = "apply.log";
