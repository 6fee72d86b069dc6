// General file services of the file actions: making a folder chain, the
// fail-safe copy of one file to a full path, and the backup of a file into
// the dated backup tree. A failure leaves its file and reason ("path:
// reason") in the DetailLog, replacing what it held, for the error box.
// None leaves anything on the string area.
#pragma once

#include <cstdint>

#include "runtime/memory/str_desc.h"

// Creates the folder and any missing parents, each flushed into its parent
// folder. 0 when it exists or was made; 163 for an empty path; else the
// status of the failure (175 permission denied, 164 a part that is a file,
// 65535 any other).
[[nodiscard]] StatusWord EnsureFolder(StrDesc path);

// Copies the regular file source to the full path destination, replacing a
// file there, fail-safe (the destination holds its old bytes or the whole
// copy); the destination's folder is made first when missing. options are
// those of CopyReplacing. 0, or the copy's status (an ErrorDescriptor
// argument's own status).
[[nodiscard]] StatusWord CopyFileTo(StrDesc source, StrDesc destination, std::uint8_t options = 0);

// The backup tree's path for a file backed up today: the backups folder
// (application folder 6, against the start folder), the file's folder
// without its leading "/", "Backup(MM-DD-YY)" and the file's name. One new
// string.
[[nodiscard]] StrDesc BackupPath(StrDesc path);

// Makes today's dated folder of the file's backups: 0, or the failure.
[[nodiscard]] StatusWord EnsureBackupFolder(StrDesc path);

// Copies the file into the backup tree, replacing an earlier backup of the
// same day only by a complete new one. The dated folder is made first,
// whether the file exists or not. 0 once the backup is whole on disk; else
// the status (164 when the file is not there).
[[nodiscard]] StatusWord BackupFile(StrDesc path);

// Puts "path: reason" into the DetailLog, replacing it; returns status.
StatusWord RecordFileProblem(StatusWord status, StrDesc path, const char* reason);
