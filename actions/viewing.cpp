#include "actions/viewing.h"

#include <string>

#include "actions/process_runner.h"
#include "actions/registry.h"
#include "platform/os/dir_entries.h"
#include "runtime/core/variable_store.h"
#include "runtime/files/paths.h"
#include "runtime/memory/string_area.h"
#include "runtime/text/format.h"
#include "runtime/text/lists.h"
#include "runtime/text/strings.h"

namespace {

constexpr char kDoubleQuote = '"';
constexpr StrDesc kBlank = Lit(" ");
constexpr StrDesc kHere = Lit("./");

// "program word" + " " + "file word", one new string.
StrDesc CommandWithFile(StrDesc program, StrDesc file) {
  const AreaMark mark = MarkArea();
  const StrDesc word = FileArgument(file);
  if (word.ptr == nullptr) return KeepResult(mark, word);
  const StrDesc parts[] = {program, kBlank, word};
  return KeepResult(mark, ConcatParts(parts, 3));
}

// Whether the exact path names a regular file (no wildcard is interpreted).
bool IsRegularFile(StrDesc path) {
  const std::string c(path.ptr, path.len);
  if (c.find('\0') != std::string::npos) return false;
  DirectoryEntry entry;
  return QueryPath(c.c_str(), &entry) == kOk && (entry.attributes & kAttrArchive) != 0;
}

StatusWord StatusOf(AreaMark mark, StatusWord status) {
  ReleaseArea(mark);
  return status;
}

}  // namespace

StrDesc FileArgument(StrDesc path) {
  const AreaMark mark = MarkArea();
  if (DescStatus(path) != kOk) return KeepResult(mark, path);
  const StrDesc safe = path.len != 0 && path.ptr[0] == '-' ? Concat(kHere, path) : path;
  return KeepResult(mark, Quote(safe, kDoubleQuote));
}

StatusWord OpenWithAssociated(StrDesc path, std::uint16_t flags) {
  const AreaMark mark = MarkArea();
  const StrDesc extension = PathPart(path, kPartExtension);
  const StrDesc list_path = FormatText(kRegistryPathLimit, kOpenWithFormat, {extension});
  const StrDesc listed = ReadRegistryText(list_path);
  if (listed.ptr == nullptr) return StatusOf(mark, kNoAssociatedProgram);
  const StrDesc name = Unquote(listed);
  const StrDesc key_parts[] = {kAppPathsKey, name, Lit("\\")};
  const StrDesc registered = ReadRegistryText(ConcatParts(key_parts, 3));
  // Without a registered path the name itself is started, found along PATH
  // as the system's own programs are.
  const StrDesc program =
      Quote(registered.ptr != nullptr ? Unquote(registered) : name, kDoubleQuote);
  if (program.ptr == nullptr) return StatusOf(mark, DescStatus(program));
  const StrDesc command = CommandWithFile(ExpandPathVariables(program), path);
  if (command.ptr == nullptr) return StatusOf(mark, DescStatus(command));
  return StatusOf(mark, StartProgram(command, flags));
}

StrDesc ViewerProgram(std::uint16_t n) {
  const AreaMark mark = MarkArea();
  StrDesc viewer = Item(kViewerList, kComma, n);
  if (viewer.len != 0 && viewer.ptr[0] == '.') {
    const StrDesc format = Substring(viewer, 1, kToEnd);
    const StrDesc registered =
        ReadRegistryText(FormatText(kRegistryPathLimit, format, {kAppPathsKey}));
    if (registered.ptr == nullptr) return KeepResult(mark, registered);
    viewer = Quote(Unquote(registered), kDoubleQuote);
  }
  if (viewer.ptr == nullptr) return KeepResult(mark, viewer);
  return KeepResult(mark, ExpandPathVariables(viewer));
}

StatusWord ViewFile(std::uint16_t n, StrDesc path) {
  const AreaMark mark = MarkArea();
  const StrDesc viewer = ViewerProgram(n);
  if (viewer.ptr == nullptr) return StatusOf(mark, DescStatus(viewer));
  const StrDesc command = CommandWithFile(viewer, path);
  if (command.ptr == nullptr) return StatusOf(mark, DescStatus(command));
  return StatusOf(mark, LaunchCommand(command));
}

StatusWord CompareFiles(StrDesc left, StrDesc right) {
  const AreaMark mark = MarkArea();
  // Only the comparer's own text is expanded: a "%" in a file's name stays.
  const StrDesc comparer = ExpandPathVariables(kComparer);
  const StrDesc with_left = CommandWithFile(comparer, left);
  if (with_left.ptr == nullptr) return StatusOf(mark, DescStatus(with_left));
  const StrDesc command = CommandWithFile(with_left, right);
  if (command.ptr == nullptr) return StatusOf(mark, DescStatus(command));
  const StrDesc report = RunToTempFile(command);
  if (report.ptr == nullptr) return StatusOf(mark, DescStatus(report));
  return StatusOf(mark, ViewFile(kViewerText, report));
}

StatusWord CompareSelectedLine(StrDesc left_folder, StrDesc right_folder, StrDesc name) {
  const AreaMark mark = MarkArea();
  if (DescStatus(name) != kOk) return DescStatus(name);
  // The row's exact name: blanks at its ends belong to it.
  if (name.len == 0) return kErrBadInputData;
  const StrDesc left = JoinPath(left_folder, name);
  if (left.ptr == nullptr) return StatusOf(mark, DescStatus(left));
  const StrDesc right = JoinPath(right_folder, name);
  if (right.ptr == nullptr) return StatusOf(mark, DescStatus(right));
  for (const StrDesc file : {left, right}) {
    if (!IsRegularFile(file)) {
      (void)AddDetail(kErrFileNotFound, file, true);
      return StatusOf(mark, kErrFileNotFound);
    }
  }
  return StatusOf(mark, CompareFiles(left, right));
}
