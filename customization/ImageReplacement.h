// The steps by which the image dialogs replace one of the assistant's bitmap files: a backup
// of the old file, the new file installed in images\, and a second copy in Customization\.
// Every path starts from the base directory (the current directory at the time of the call).
//
// No step ever leaves a half-written file where the assistant or the administrator looks:
// every copy goes to a temporary file in the target's folder first and takes the target's
// name only when it is complete.
#pragma once

#include <string>

// Creates Customization\ and Customization\Backup\ below base when the backup folder is missing.
void EnsureBackupDirectory(const std::string& base);

// Copies images\<name> to Customization\Backup\<name up to its first dot>.BAK, overwriting:
// the backup is the image as it was before the last replacement. The first time an image is
// backed up it is also kept as Customization\Backup\Original\<name>, which is never
// overwritten, so the shipped artwork survives any number of replacements. False when
// either copy could not be made (the image is then not to be replaced).
bool BackupImageFile(const std::string& base, const std::string& name);

enum class InstallResult { NotFound, Failed, Installed };

// Copies source over images\<name>, then to customization\<name>. NotFound when the source
// (or the empty path) does not exist. A copy that fails part-way, or that is not a bitmap the
// assistant can show, is Failed and leaves the old file intact.
InstallResult InstallImageFile(const std::string& base, const std::string& source, const std::string& name);

// The name of an image's backup: the name up to its first dot, followed by ".BAK".
std::string BackupNameOf(const std::string& name);

// Copies source to target through a temporary file in the target's folder, written and flushed
// byte by byte with every read and write checked, which then takes the target's name: an existing target is replaced only by a whole copy (and never when
// bOverwrite is false). When accept is given, the complete copy must also pass it. The
// temporary file is removed on failure.
bool CopyFileWhole(const std::string& source, const std::string& target, bool bOverwrite,
                   bool (*accept)(const std::string& path) = nullptr);
