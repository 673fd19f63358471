// The steps by which the image dialogs replace one of the assistant's bitmap files: a backup
// of the old file, the new file installed in images\, and a second copy in Customization\.
// Every path starts from the base directory (the current directory at the time of the call).
#pragma once

#include <string>

// Creates Customization\ and Customization\Backup\ below base when the backup folder is missing.
void EnsureBackupDirectory(const std::string& base);

// Copies images\<name> to Customization\Backup\<name up to its first dot>.BAK, overwriting.
bool BackupImageFile(const std::string& base, const std::string& name);

enum class InstallResult { NotFound, Failed, Installed };

// Copies source over images\<name>, then to customization\<name>. NotFound when the source
// (or the empty path) does not exist.
InstallResult InstallImageFile(const std::string& base, const std::string& source, const std::string& name);
