// vantoro-compare LEFT RIGHT: the rows of the side-by-side view without a
// window. Each row prints as the left line, a TAB, the right line and a
// newline. The lines' bytes are the runtime's own, with control bytes and
// the backslash escaped, so that one row is always one output line with
// exactly one TAB in it. Exit status: 0 when every row is " == ", 1 when any
// row differs, 2 for a usage error, a folder that cannot be compared, or
// output that could not be written.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "actions/bulk_passes.h"
#include "actions/rows.h"
#include "compare/view_rows.h"
#include "runtime/core/startup.h"
#include "runtime/core/typed_lists.h"
#include "runtime/core/variable_store.h"
#include "runtime/files/paths.h"
#include "runtime/memory/blocks.h"
#include "runtime/memory/string_area.h"
#include "vantoro_version.h"

namespace {

constexpr int kExitEqual = 0;
constexpr int kExitDiffers = 1;
constexpr int kExitTrouble = 2;
constexpr const char* kUsage =
    "usage: vantoro-compare [ACTION] LEFT RIGHT\n"
    "       vantoro-compare --help | --version\n"
    "Compares the files of two folders as Vantoro's window does and prints one row a line:\n"
    "the left line, a TAB, the right line. In each line the bytes below 0x20, the byte 0x7F\n"
    "and the backslash are written as \\t, \\n, \\r, \\\\ and \\xHH (two lowercase hex digits)\n"
    "for the others, so that a row is always one line with exactly one TAB.\n"
    "An action runs one of the window's passes on the rows first, as if its question had\n"
    "been answered Yes, then prints the rows as they stand:\n"
    "  --all-files-right        copy every \" >> \" row's file from LEFT to RIGHT\n"
    "  --all-files-left         copy every \" << \" row's file from RIGHT to LEFT\n"
    "  --restore-equals         copy RIGHT over LEFT for \" >> \" rows of equal bytes\n"
    "  --export-equals DIR      copy LEFT's files that equal their RIGHT copies into DIR\n"
    "  --export-not-equals DIR  copy LEFT's files that differ from their RIGHT copies into DIR\n"
    "Every file a copy replaces is first saved below the current folder, in\n"
    "Backups/<its folder>/Backup(MM-DD-YY)/<name>; a file that cannot be saved is not replaced.\n"
    "Exit status 0 when every row is equal (\" == \"), 1 when any row differs, 2 when an\n"
    "argument is missing or not a folder, a folder cannot be read or holds too many files\n"
    "to compare, the output cannot be written, or a copy failed or was refused (each such\n"
    "file is named on standard error with the reason).\n";

// The actions that run a pass before the rows are printed.
enum class Action : std::uint8_t {
  kNone,
  kAllFilesRight,
  kAllFilesLeft,
  kRestoreEquals,
  kExportEquals,
  kExportNotEquals,
};

struct Arguments {
  Action action;
  const char* target;  // the export folder
  const char* left;
  const char* right;
};

// The action and folders of the command line; false for a usage error.
bool ParseArguments(int argc, char** argv, Arguments* args) {
  *args = Arguments{Action::kNone, nullptr, nullptr, nullptr};
  int next = 1;
  if (argc > 1 && std::strncmp(argv[1], "--", 2) == 0) {
    static constexpr struct {
      const char* option;
      Action action;
      bool takes_folder;
    } kActions[] = {{"--all-files-right", Action::kAllFilesRight, false},
                    {"--all-files-left", Action::kAllFilesLeft, false},
                    {"--restore-equals", Action::kRestoreEquals, false},
                    {"--export-equals", Action::kExportEquals, true},
                    {"--export-not-equals", Action::kExportNotEquals, true}};
    bool known = false;
    for (const auto& a : kActions) {
      if (std::strcmp(argv[1], a.option) != 0) continue;
      known = true;
      args->action = a.action;
      next = 2;
      if (a.takes_folder) {
        if (argc < 3) return false;
        args->target = argv[2];
        next = 3;
      }
    }
    if (!known) return false;
  }
  if (argc - next != 2) return false;
  args->left = argv[next];
  args->right = argv[next + 1];
  return true;
}

// Writes all of the bytes to a descriptor; false (errno set) when it cannot.
bool WriteAll(int fd, const char* bytes, std::size_t n) {
  while (n != 0) {
    const ssize_t done = ::write(fd, bytes, n);
    if (done < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes += done;
    n -= static_cast<std::size_t>(done);
  }
  return true;
}

// The bytes a line shows as they are: all but those below 0x20, 0x7F and "\\".
struct PlainBytes {
  bool plain[256];
  constexpr PlainBytes() : plain() {
    for (int c = 0; c < 256; ++c) plain[c] = c >= 0x20 && c != 0x7F && c != '\\';
  }
};
constexpr PlainBytes kPlain;

bool Plain(unsigned char c) { return kPlain.plain[c]; }

// True when none of the eight bytes is below 0x20, 0x7F or "\\".
bool PlainWord(const unsigned char* p) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull, kHighs = 0x8080808080808080ull;
  std::uint64_t w;
  std::memcpy(&w, p, 8);
  const auto has_zero = [](std::uint64_t v) { return ((v - kOnes) & ~v & kHighs) != 0; };
  const bool below_blank = ((w - kOnes * 0x20) & ~w & kHighs) != 0;
  return !below_blank && !has_zero(w ^ (kOnes * 0x7F)) && !has_zero(w ^ (kOnes * '\\'));
}

// Appends a line's bytes, control bytes and the backslash escaped. Runs of
// plain bytes go in whole: nearly every line is one such run.
void AppendEscaped(std::string* out, StrDesc line) {
  static constexpr char kHex[] = "0123456789abcdef";
  const auto* bytes = reinterpret_cast<const unsigned char*>(line.ptr);
  std::size_t i = 0;
  while (i < line.len) {
    std::size_t run = i;
    // Eight plain bytes a step while no byte of the word needs escaping.
    while (run + 8 <= line.len && PlainWord(bytes + run)) run += 8;
    while (run < line.len && Plain(bytes[run])) ++run;
    out->append(line.ptr + i, run - i);
    if (run == line.len) break;
    const unsigned char c = bytes[run];
    const char escaped[4] = {'\\',
                             c == '\t'   ? 't'
                             : c == '\n' ? 'n'
                             : c == '\r' ? 'r'
                             : c == '\\' ? '\\'
                                         : 'x',
                             kHex[c >> 4], kHex[c & 0xF]};
    out->append(escaped, escaped[1] == 'x' ? 4 : 2);
    i = run + 1;
  }
}

// A folder argument as a message shows it: escaped as the rows are, so that
// no byte of a name reaches the terminal as a control.
std::string Shown(const char* path) {
  std::string shown;
  AppendEscaped(&shown, DescFromCString(path));
  return shown;
}

void Complain(const std::string& text) {
  const std::string line = "vantoro-compare: " + text + "\n";
  (void)WriteAll(STDERR_FILENO, line.data(), line.size());
}

// Why a folder argument cannot be compared, or "" when it can be listed.
// *st receives what the folder is.
std::string FolderTrouble(const char* path, struct stat* st) {
  if (::stat(path, st) != 0) {
    if (errno == ENAMETOOLONG) return Shown(path) + ": the path is longer than the system allows";
    if (errno == EACCES) return Shown(path) + " cannot be reached: permission denied";
    if (errno != ENOENT && errno != ENOTDIR) {
      return Shown(path) + " cannot be reached: " + std::strerror(errno);
    }
    return Shown(path) + " is not a folder";
  }
  if (!S_ISDIR(st->st_mode)) return Shown(path) + " is not a folder";
  return "";
}

// The report as it is written: rows gather in a buffer that goes out
// whenever it holds 64 KiB, so that memory stays small whatever the folders.
struct Output {
  std::string buffer;
  bool failed = false;
  int error = 0;
};

constexpr std::size_t kOutputChunk = 1 << 16;

void Flush(Output* out) {
  if (!out->failed && !WriteAll(STDOUT_FILENO, out->buffer.data(), out->buffer.size())) {
    out->failed = true;
    out->error = errno;
  }
  out->buffer.clear();
}

void PrintRow(const RowText& row, void* context) {
  auto* out = static_cast<Output*>(context);
  AppendEscaped(&out->buffer, row.left_line);
  out->buffer.push_back('\t');
  AppendEscaped(&out->buffer, row.right_line);
  out->buffer.push_back('\n');
  if (out->buffer.size() >= kOutputChunk) Flush(out);
}

// Keeps a row in the two columns (an action's pass runs on them).
void CollectRow(const RowText& row, void* context) {
  auto* columns = static_cast<RowColumn*>(context);
  columns[0].lines.emplace_back(row.left_line.ptr, row.left_line.len);
  columns[0].names.emplace_back(row.left_name.ptr, row.left_name.len);
  columns[1].lines.emplace_back(row.right_line.ptr, row.right_line.len);
  columns[1].names.emplace_back(row.right_name.ptr, row.right_name.len);
}

StrDesc Bytes(const std::string& s) { return MakeDesc(s.data(), s.size()); }

// Prints the columns as they stand; true when every row is " == ".
bool PrintColumns(const RowColumn* columns, Output* out) {
  bool all_equal = true;
  for (std::size_t i = 0; i < columns[0].lines.size(); ++i) {
    const std::string& left = columns[0].lines[i];
    const std::string& right = columns[1].lines[i];
    const std::string& shown = !left.empty() ? left : right;
    if (shown.size() < 4 || shown.compare(shown.size() - 4, 4, " == ") != 0) all_equal = false;
    PrintRow(RowText{Bytes(left), Bytes(right), EmptyDesc(), EmptyDesc(), 0}, out);
  }
  return all_equal;
}

// Names each file a pass could not copy, with the reason.
void TellFailure(void*, StatusWord, StrDesc detail) {
  std::string shown;
  AppendEscaped(&shown, detail);
  Complain(shown);
}

// Runs the action's pass on the columns; the outcome says what failed.
PassOutcome RunAction(const Arguments& args, RowColumn* columns) {
  const PassRows rows{DescFromCString(args.left), DescFromCString(args.right),
                      RowListOf(&columns[0]), RowListOf(&columns[1])};
  const PassListener listener{nullptr, nullptr, &TellFailure};
  PassOutcome outcome{};
  switch (args.action) {
    case Action::kAllFilesRight:
      (void)BulkCopy(kAllFilesRightCopy, rows, &listener, &outcome);
      break;
    case Action::kAllFilesLeft:
      (void)BulkCopy(kAllFilesLeftCopy, rows, &listener, &outcome);
      break;
    case Action::kRestoreEquals:
      (void)BulkCopy(kRestoreEqualsCopy, rows, &listener, &outcome);
      break;
    case Action::kExportEquals:
    case Action::kExportNotEquals:
      (void)ExportFiles(
          args.action == Action::kExportEquals ? kExportEqualsCopy : kExportNotEqualsCopy,
          DescFromCString(args.target), rows, &listener, &outcome);
      break;
    case Action::kNone:
      break;
  }
  return outcome;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    if (!WriteAll(STDOUT_FILENO, kUsage, std::strlen(kUsage))) {
      Complain(std::string("the usage cannot be written: ") + std::strerror(errno));
      return kExitTrouble;
    }
    return kExitEqual;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    const std::string version = std::string("vantoro-compare ") + VANTORO_VERSION + "\n";
    if (!WriteAll(STDOUT_FILENO, version.data(), version.size())) {
      Complain(std::string("the version cannot be written: ") + std::strerror(errno));
      return kExitTrouble;
    }
    return kExitEqual;
  }
  Arguments args{};
  if (!ParseArguments(argc, argv, &args)) {
    Complain(argc > 1 && std::strncmp(argv[1], "--", 2) == 0 && argc > 1
                 ? Shown(argv[1]) + ": not an action, or its folder is missing (see --help)"
                 : "two folders are needed (see --help)");
    return kExitTrouble;
  }
  // A folder named twice (by the same text, or by two paths to one folder)
  // is reported once.
  struct stat folders[2]{};
  const char* names[2] = {args.left, args.right};
  bool same = std::strcmp(args.left, args.right) == 0;
  for (int i = 0; i < (same ? 1 : 2); ++i) {
    const std::string trouble = FolderTrouble(names[i], &folders[i]);
    if (!trouble.empty()) {
      Complain(trouble);
      return kExitTrouble;
    }
  }
  same = same || (folders[0].st_dev == folders[1].st_dev && folders[0].st_ino == folders[1].st_ino);
  if (args.target != nullptr) {
    struct stat target {};
    const std::string trouble = FolderTrouble(args.target, &target);
    if (!trouble.empty()) {
      Complain(trouble);
      return kExitTrouble;
    }
    if (target.st_dev == folders[0].st_dev && target.st_ino == folders[0].st_ino) {
      // Every file would be copied onto itself.
      Complain(Shown(args.target) + " is the left folder itself; nothing was exported");
      return kExitTrouble;
    }
  }
  // The same start-up as the window's.
  ConfigureRuntimeMemory(512, kKeepCurrent);
  const std::u16string command_line = CommandLineFromArgs(argc, argv);
  if (RuntimeStartup(nullptr, command_line.c_str(), &InitVariableStore) != kOk) {
    Complain("the runtime could not start");
    return kExitTrouble;
  }
  (void)CreateTypedLists();
  (void)SetVariable(kGroupSettings, kItemLanguage, Lit("EN"));
  const AreaMark mark = MarkArea();
  (void)SetVariable(kGroupSettings, kItemStartFolder, CurrentFolder());
  ReleaseArea(mark);

  // A folder that cannot be read gives no rows at all, never half a report.
  Output out;
  out.buffer.reserve(kOutputChunk + 1024);
  RowColumn columns[2];
  const bool acting = args.action != Action::kNone;
  const RowPass pass =
      FillRows(DescFromCString(args.left), DescFromCString(args.right),
               acting ? &CollectRow : &PrintRow, acting ? static_cast<void*>(columns) : &out,
               /*unreadable_stops=*/true);
  int status = pass.all_equal ? kExitEqual : kExitDiffers;
  if (pass.status != kOk) {
    Complain("the rows could not be built (status " + std::to_string(pass.status) + ")");
    status = kExitTrouble;
  }
  for (int i = 0; i < (same ? 1 : 2); ++i) {
    const ListOutcome outcome = i == 0 ? pass.left_outcome : pass.right_outcome;
    if (ListingRefused(outcome)) {
      Complain(Shown(names[i]) + " holds too many files to compare");
      status = kExitTrouble;
    } else if (outcome == ListOutcome::kUnreadable) {
      Complain(Shown(names[i]) + " cannot be read");
      status = kExitTrouble;
    }
  }
  // An action runs only on rows that are whole.
  if (acting && status != kExitTrouble) {
    const PassOutcome outcome = RunAction(args, columns);
    const bool all_equal = PrintColumns(columns, &out);
    status = outcome.failed != 0 ? kExitTrouble : (all_equal ? kExitEqual : kExitDiffers);
  }
  Flush(&out);
  (void)RuntimeShutdown();
  if (out.failed) {
    Complain(std::string("the report cannot be written: ") + std::strerror(out.error));
    return kExitTrouble;
  }
  return status;
}
