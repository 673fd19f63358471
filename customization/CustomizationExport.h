// The registry export file written at the end of a run: \Customization\HLXCM.REG below the
// base directory, in the registry editor's REGEDIT4 import format.
#pragma once

#include <string>

// Builds the file's text from the registry. The full export also sets the administrator's own
// per-user switches of the two welcome dialogs to "TRUE"; the short one holds only the header
// and the hot-key section.
std::string BuildCustomizationExport(bool bFull);

// Writes the export file (see BuildCustomizationExport). The file is written beside the old
// one and then replaces it, so a failure never leaves a truncated file; a failure is shown in
// a message box that names the file.
void WriteCustomizationExport(bool bFull);

// Writes the export file as WriteCustomizationExport does, without any window: the file's
// path goes to path; returns the failure report (empty when the file was written).
std::string WriteCustomizationExportFile(bool bFull, std::string& path);

// One value line: "name"="text", or the hex(1) form for a text that holds a line break.
std::string FormatExportValueLine(const std::string& name, const std::string& text);
