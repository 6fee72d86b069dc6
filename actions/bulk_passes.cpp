#include "actions/bulk_passes.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "actions/file_services.h"
#include "actions/line_actions.h"
#include "platform/os/file_copy.h"
#include "platform/os/os_calls.h"
#include "runtime/core/variable_store.h"
#include "runtime/files/paths.h"
#include "runtime/files/streams.h"
#include "runtime/memory/string_area.h"
#include "runtime/text/strings.h"

namespace {

StrDesc View(const std::string& s) { return MakeDesc(s.data(), s.size()); }

// The first sign of the marker that closes a line (0 for a line too short).
char MarkerSign(StrDesc line) { return line.len >= 3 ? line.ptr[line.len - 3] : '\0'; }

// folder/name as a string ("" when it cannot name a file).
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

// Counts one copy that failed or was refused: the outcome keeps the first,
// the listener hears of each.
void CountFailure(const PassListener* listener, PassOutcome* outcome, StatusWord status) {
  const StrDesc detail = GetVariable(kGroupMessages, kItemDetailLog);
  if (outcome->failed++ == 0) {
    outcome->first_status = status;
    const std::size_t n = std::min<std::size_t>(detail.len, kFirstFailureRoom - 1);
    if (n != 0) std::memcpy(outcome->first_failure, detail.ptr, n);
    outcome->first_failure[n] = '\0';
  }
  if (listener != nullptr && listener->failed != nullptr) {
    listener->failed(listener->context, status, detail);
  }
}

// Whether the pass may go on to the next copy (the listener says no when
// the user cancelled).
bool GoOn(const PassListener* listener, PassOutcome* outcome, StrDesc name) {
  if (listener == nullptr || listener->before_copy == nullptr) return true;
  if (listener->before_copy(listener->context, outcome->copied + outcome->failed, name)) {
    return true;
  }
  outcome->cancelled = true;
  return false;
}

// Copies one left file into the export folder: refusals first, then the
// backup of a file of that name there, then the fail-safe copy.
StatusWord ExportOne(const std::string& from, const std::string& to) {
  const CopyReport check = CheckCopy(from.c_str(), to.c_str(), 0);
  if (check.status != kOk) {
    return RecordFileProblem(check.status, View(check.source_on_error ? from : to),
                             CopyProblemText(check));
  }
  struct statx entry {};
  if (Os().statx(AT_FDCWD, to.c_str(), AT_SYMLINK_NOFOLLOW, STATX_TYPE, &entry) == 0) {
    if (const StatusWord st = BackupFile(View(to)); st != kOk) return st;
  }
  return CopyFileTo(View(from), View(to));
}

}  // namespace

std::uint16_t ContentsDiffer(std::uint8_t flags, StrDesc source_folder, StrDesc destination_folder,
                             const RowList& source, std::uint16_t row) {
  if ((flags & kBulkCompareContents) == 0) return 0;
  const StrDesc name = source.name(source.context, row);
  const std::string a = PathOf(source_folder, name), b = PathOf(destination_folder, name);
  if (name.len == 0 || a.empty() || b.empty()) return 1;
  return CompareFileContents(View(a), View(b)) == kSameContents ? 0 : 1;
}

std::uint16_t BulkCopy(std::uint8_t flags, const PassRows& rows, const PassListener* listener,
                       PassOutcome* outcome) {
  PassOutcome local{};
  if (outcome == nullptr) outcome = &local;
  *outcome = PassOutcome{};
  const bool right_to_left = (flags & kBulkRightToLeft) != 0;
  const bool restore = right_to_left && (flags & kBulkRestore) != 0;
  const StrDesc source_folder = right_to_left ? rows.right_folder : rows.left_folder;
  const StrDesc destination_folder = right_to_left ? rows.left_folder : rows.right_folder;
  const RowList& source = right_to_left ? rows.right : rows.left;
  const RowList& destination = right_to_left ? rows.left : rows.right;
  const std::uint16_t n = source.count(source.context);
  for (std::uint16_t j = 0; j < n; ++j) {
    const AreaMark mark = MarkArea();
    const char sign = MarkerSign(source.line(source.context, j));
    const bool selected =
        restore ? sign == '>' &&
                      ContentsDiffer(flags, source_folder, destination_folder, source, j) == 0
                : sign == (right_to_left ? '<' : '>');
    if (selected) {
      ++outcome->selected;
      if ((flags & kBulkCountOnly) == 0) {
        // Each copy rebuilds row j in both columns before row j + 1 is read,
        // and the number of rows stays: the indexes hold for the whole pass.
        if (!GoOn(listener, outcome, source.name(source.context, j))) {
          ReleaseArea(mark);
          break;
        }
        const LineAction done =
            CopyLineFile(source_folder, destination_folder, source, destination, j);
        if (done.acted && done.status == kOk) {
          ++outcome->copied;
        } else {
          CountFailure(listener, outcome, done.status != kOk ? done.status : kErrBadInputData);
        }
      }
    }
    ReleaseArea(mark);
  }
  return outcome->selected;
}

std::uint16_t ExportFiles(std::uint8_t flags, StrDesc target, const PassRows& rows,
                          const PassListener* listener, PassOutcome* outcome) {
  PassOutcome local{};
  if (outcome == nullptr) outcome = &local;
  *outcome = PassOutcome{};
  const bool unequal_class = (flags & kExportUnequal) != 0;
  const bool count_only = (flags & kExportCountOnly) != 0;
  const RowList& left = rows.left;
  const std::uint16_t n = left.count(left.context);
  for (std::uint16_t j = 0; j < n; ++j) {
    const AreaMark mark = MarkArea();
    const char sign = MarkerSign(left.line(left.context, j));
    const StrDesc name = left.name(left.context, j);
    if ((sign != '<' && sign != '>' && sign != '=') || name.len == 0) {
      ReleaseArea(mark);
      continue;
    }
    // The folder texts exactly as they are: blanks at either end belong to a name.
    const std::string from = PathOf(rows.left_folder, name);
    bool unequal = false;
    if (sign != '=') {
      const std::string other = PathOf(rows.right_folder, name);
      const StatusWord st = CompareFileContents(View(from), View(other));
      if (st != kSameContents && st != kDifferentContents) {
        // Name the copy that is missing or unreadable: the left one when it is
        // not there, else its partner.
        struct statx there {};
        const bool left_there = Os().statx(AT_FDCWD, from.c_str(), 0, STATX_TYPE, &there) == 0;
        RecordFileProblem(st, View(left_there ? other : from),
                          "cannot be read to compare the two copies");
        if (count_only) {
          ReleaseArea(mark);
          return kExportFailed;
        }
        CountFailure(listener, outcome, st);
        ReleaseArea(mark);
        continue;
      }
      unequal = st == kDifferentContents;
    }
    if (unequal == unequal_class) {
      ++outcome->selected;
      if (!count_only) {
        if (!GoOn(listener, outcome, name)) {
          ReleaseArea(mark);
          break;
        }
        const std::string to = PathOf(target, name);
        const StatusWord st = to.empty()
                                  ? RecordFileProblem(kErrBadInputData, name, "names no file")
                                  : ExportOne(from, to);
        if (st == kOk) {
          ++outcome->copied;
        } else {
          CountFailure(listener, outcome, st);
        }
      }
    }
    ReleaseArea(mark);
  }
  return outcome->selected;
}

bool SameFolder(StrDesc a, StrDesc b) {
  const std::string x = PathOf(a, EmptyDesc()), y = PathOf(b, EmptyDesc());
  if (x.empty() || y.empty()) return false;
  struct statx sx {
  }, sy{};
  if (Os().statx(AT_FDCWD, x.c_str(), 0, STATX_INO, &sx) != 0) return false;
  if (Os().statx(AT_FDCWD, y.c_str(), 0, STATX_INO, &sy) != 0) return false;
  return sx.stx_ino == sy.stx_ino && sx.stx_dev_major == sy.stx_dev_major &&
         sx.stx_dev_minor == sy.stx_dev_minor;
}

StrDesc PassSummary(const PassOutcome& outcome) {
  const AreaMark mark = MarkArea();
  if (outcome.failed == 0 && !outcome.cancelled) return KeepResult(mark, EmptyDesc());
  char counts[160];
  std::snprintf(counts, sizeof counts, "%u %s copied, %u not copied.",
                static_cast<unsigned>(outcome.copied), outcome.copied == 1 ? "file" : "files",
                static_cast<unsigned>(outcome.failed));
  std::string text = counts;
  if (outcome.cancelled) text += " The pass was cancelled; the files after it were not copied.";
  if (outcome.failed != 0) {
    text += "\r\nThe first not copied: ";
    text += outcome.first_failure;
  }
  return KeepResult(mark, MakeDesc(text.data(), std::min<std::size_t>(text.size(), 65535)));
}
