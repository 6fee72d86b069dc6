// The search for a file along a comma-separated list of folders.
#pragma once

#include "runtime/memory/str_desc.h"

// The first existing candidate: the name itself (relative to the current
// folder), then each folder of the list joined with the name. A folder, and
// with wildcards any matching entry, counts as found. One new string: the
// path, or empty text when nothing exists.
[[nodiscard]] StrDesc FindAlongFolders(StrDesc folders, StrDesc name);
