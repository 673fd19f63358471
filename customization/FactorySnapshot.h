// The factory snapshot: Customization\Backup\Original\HLXCM.REG, the customizable values as
// they were before anything of the installation was first changed, in the export's form.
// Beside the shipped artwork that the image backups keep in the same folder, it makes a
// customization folder that puts the installation back as it was shipped.
#pragma once

#include <string>

// The snapshot's folder below the base directory.
inline constexpr const char* kFactoryFolder = "\\Customization\\Backup\\Original";

// The snapshot file of the installation in base.
std::string FactorySnapshotPath(const std::string& base);
// True when the installation in base has its snapshot.
bool HasFactorySnapshot(const std::string& base);

// Called before every change of a value or an image of the installation in base: writes the
// snapshot from the registry unless it exists, and never overwrites it. Costs one file
// lookup once the snapshot exists. Empty when the snapshot exists; otherwise why it could
// not be written.
std::string KeepFactorySnapshot(const std::string& base);

// The snapshot's text: every section and value of the export, each value of the machine as
// the registry holds it now; the administrator's own welcome switches, and a value that cannot
// be read, are written as the export writes them (the switches "TRUE", any other value empty).
std::string BuildFactorySnapshot();
