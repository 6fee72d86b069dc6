#include "actions/line_actions.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "actions/file_services.h"
#include "compare/entry_line.h"
#include "platform/os/errors.h"
#include "platform/os/file_copy.h"
#include "platform/os/os_calls.h"
#include "runtime/files/paths.h"
#include "runtime/memory/string_area.h"

namespace {

StrDesc View(const std::string& s) { return MakeDesc(s.data(), s.size()); }

// folder joined with name as a path, or "" when it cannot name a file.
std::string PathOf(StrDesc folder, StrDesc name) {
  const AreaMark mark = MarkArea();
  const StrDesc joined = JoinPath(folder, name);
  std::string path;
  if (joined.ptr != nullptr && std::memchr(joined.ptr, '\0', joined.len) == nullptr) {
    path.assign(joined.ptr, joined.len);
  }
  ReleaseArea(mark);
  return path;
}

LineAction Refused(StatusWord status) { return LineAction{status, false}; }

// Whether from is the very file that today's backup of to is: backing to up
// would write over the file about to be copied.
bool IsTodaysBackupOf(const std::string& from, const std::string& to) {
  const AreaMark mark = MarkArea();
  const StrDesc backup = BackupPath(View(to));
  const std::string path = backup.ptr != nullptr ? std::string(backup.ptr, backup.len) : "";
  ReleaseArea(mark);
  PathState a{}, b{};
  return !path.empty() && StateOf(path.c_str(), &a) && a.file && StateOf(from.c_str(), &b) &&
         b.file && a.ino == b.ino && a.dev_major == b.dev_major && a.dev_minor == b.dev_minor;
}

}  // namespace

LineAction CopyLineFile(StrDesc source_folder, StrDesc destination_folder, const RowList& source,
                        const RowList& destination, std::uint16_t row) {
  if (row >= source.count(source.context)) return LineAction{kOk, false};
  // The name the row was built from: exact bytes, never display text.
  const StrDesc row_name = source.name(source.context, row);
  const std::string name(row_name.ptr, row_name.len);
  if (destination_folder.len == 0) return LineAction{kOk, false};
  if (name.empty()) {
    // A row whose file stands on the other side only: nothing to copy from here.
    const StrDesc other = destination.name(destination.context, row);
    if (other.len == 0) return LineAction{kOk, false};
    const std::string missing = PathOf(source_folder, other);
    return Refused(RecordFileProblem(kErrFileNotFound, View(missing.empty() ? "" : missing),
                                     "is not there; nothing was copied"));
  }
  const std::string from = PathOf(source_folder, View(name));
  const std::string to = PathOf(destination_folder, View(name));
  if (from.empty() || to.empty()) {
    return Refused(RecordFileProblem(kErrBadInputData, View(name), "names no file"));
  }
  // Everything that would refuse the copy is found before any backup is made.
  const CopyReport check = CheckCopy(from.c_str(), to.c_str(), 0);
  if (check.status != kOk) {
    return Refused(RecordFileProblem(check.status, View(check.source_on_error ? from : to),
                                     CopyProblemText(check)));
  }
  // The file about to be replaced is saved whole first; without its backup
  // it is not touched. The copy goes in only if the destination is still as
  // it was when it was backed up (or still absent).
  PathState before{};
  if (!StateOf(to.c_str(), &before)) {
    return Refused(RecordFileProblem(StatusFromErrno(errno), View(to), std::strerror(errno)));
  }
  if (before.file) {
    if (IsTodaysBackupOf(from, to)) {
      return Refused(RecordFileProblem(
          kErrBadInputData, View(from),
          "is today's backup of the file it would replace, and backing that file up would "
          "overwrite it; copy it to another folder first"));
    }
    if (const StatusWord st = BackupFile(View(to)); st != kOk) return Refused(st);
  } else {
    // Nothing to lose (no file, or a link that names none): the day's folder
    // is made as for any backup, and the copy goes on whether it could be.
    (void)EnsureBackupFolder(View(to));
  }
  const CopyReport report = CopyReplacing(from.c_str(), to.c_str(), 0, &before);
  StatusWord status = kOk;
  if (report.status != kOk) {
    status = RecordFileProblem(report.status, View(report.source_on_error ? from : to),
                               CopyProblemText(report));
    if (!report.replaced) return Refused(status);
  }
  // The row anew, showing the destination's copy, in both columns.
  const AreaMark mark = MarkArea();
  const EntryLine line = BuildEntryLine(source_folder, destination_folder, View(name), View(name),
                                        1, kSideRight, EmptyDesc());
  const StrDesc text = line.line.ptr != nullptr ? line.line : EmptyDesc();
  source.replace(source.context, row, text, View(name));
  destination.replace(destination.context, row, text, View(name));
  ReleaseArea(mark);
  return LineAction{status, true};
}

LineAction DeleteLineFile(StrDesc folder, const RowList& column, std::uint16_t row) {
  if (row >= column.count(column.context)) return LineAction{kOk, false};
  const StrDesc row_name = column.name(column.context, row);
  const std::string name(row_name.ptr, row_name.len);
  if (name.empty()) return LineAction{kOk, false};
  const std::string path = PathOf(folder, View(name));
  if (path.empty())
    return Refused(RecordFileProblem(kErrBadInputData, View(name), "names no file"));
  struct statx entry {};
  if (Os().statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_TYPE, &entry) != 0) {
    if (errno == ENOENT) {
      // Gone already: the line says so now.
      column.replace(column.context, row, EmptyDesc(), EmptyDesc());
      return LineAction{kOk, true};
    }
    return Refused(RecordFileProblem(StatusFromErrno(errno), View(path), std::strerror(errno)));
  }
  struct statx target {};
  if (Os().statx(AT_FDCWD, path.c_str(), 0, STATX_TYPE | STATX_MODE, &target) != 0 ||
      !S_ISREG(target.stx_mode)) {
    return Refused(RecordFileProblem(kErrBadInputData, View(path),
                                     "is not a regular file; only files are deleted"));
  }
  if ((target.stx_mode & S_IWUSR) == 0) {
    return Refused(RecordFileProblem(kErrPermissionDenied, View(path), "is read-only"));
  }
  PathState before{};
  if (!StateOf(path.c_str(), &before)) {
    return Refused(RecordFileProblem(StatusFromErrno(errno), View(path), std::strerror(errno)));
  }
  if (const StatusWord st = BackupFile(View(path)); st != kOk) return Refused(st);
  // Removed only while it is the file that was backed up.
  PathState now{};
  if (!StateOf(path.c_str(), &now) || !(now == before)) {
    return Refused(RecordFileProblem(kErrFileIO, View(path),
                                     "changed while it was backed up; it was not deleted"));
  }
  if (Os().unlink(path.c_str()) != 0) {
    return Refused(RecordFileProblem(StatusFromErrno(errno), View(path), std::strerror(errno)));
  }
  column.replace(column.context, row, EmptyDesc(), EmptyDesc());
  return LineAction{kOk, true};
}
