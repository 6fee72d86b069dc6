// vantoro-compare LEFT RIGHT: the rows of the side-by-side view without a
// window. Each row prints as the left line, a TAB, the right line and a
// newline, in the runtime's exact bytes. Exit status: 0 when every row is
// " == ", 1 when any row differs, 2 for a usage error or a folder that cannot
// be compared.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "compare/view_rows.h"
#include "runtime/core/startup.h"
#include "runtime/core/typed_lists.h"
#include "runtime/core/variable_store.h"
#include "runtime/files/paths.h"
#include "runtime/memory/blocks.h"
#include "runtime/memory/string_area.h"

namespace {

constexpr int kExitEqual = 0;
constexpr int kExitDiffers = 1;
constexpr int kExitTrouble = 2;
constexpr const char* kUsage =
    "usage: vantoro-compare LEFT RIGHT\n"
    "Compares the files of two folders as Vantoro's window does and prints one row a line:\n"
    "the left line, a TAB, the right line. Exit status 0 when every row is equal (\" == \"),\n"
    "1 when any row differs, 2 when an argument is missing or not a folder, or a folder\n"
    "holds too many files to compare.\n";

bool IsFolder(const char* path) {
  struct stat st {};
  return stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

void PrintRow(const RowText& row, void* context) {
  auto* out = static_cast<std::string*>(context);
  out->append(row.left_line.ptr, row.left_line.len);
  out->push_back('\t');
  out->append(row.right_line.ptr, row.right_line.len);
  out->push_back('\n');
  if (out->size() > (1u << 16)) {
    std::fwrite(out->data(), 1, out->size(), stdout);
    out->clear();
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return kExitEqual;
  }
  if (argc != 3) {
    std::fputs("vantoro-compare: two folders are needed (see --help)\n", stderr);
    return kExitTrouble;
  }
  for (int i = 1; i <= 2; ++i) {
    if (!IsFolder(argv[i])) {
      std::fprintf(stderr, "vantoro-compare: %s is not a folder\n", argv[i]);
      return kExitTrouble;
    }
  }
  // The same start-up as the window's.
  ConfigureRuntimeMemory(512, kKeepCurrent);
  const std::u16string command_line = CommandLineFromArgs(argc, argv);
  if (RuntimeStartup(nullptr, command_line.c_str(), &InitVariableStore) != kOk) {
    std::fputs("vantoro-compare: the runtime could not start\n", stderr);
    return kExitTrouble;
  }
  (void)CreateTypedLists();
  (void)SetVariable(kGroupSettings, kItemLanguage, Lit("EN"));
  const AreaMark mark = MarkArea();
  (void)SetVariable(kGroupSettings, kItemStartFolder, CurrentFolder());
  ReleaseArea(mark);

  std::string out;
  const RowPass pass =
      FillRows(DescFromCString(argv[1]), DescFromCString(argv[2]), &PrintRow, &out);
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fflush(stdout);
  int status = pass.all_equal ? kExitEqual : kExitDiffers;
  if (pass.status != kOk) {
    std::fprintf(stderr, "vantoro-compare: the rows could not be built (status %u)\n",
                 static_cast<unsigned>(pass.status));
    status = kExitTrouble;
  }
  for (int i = 0; i < 2; ++i) {
    if (ListingRefused(i == 0 ? pass.left_outcome : pass.right_outcome)) {
      std::fprintf(stderr, "vantoro-compare: %s holds too many files to compare\n", argv[i + 1]);
      status = kExitTrouble;
    }
  }
  (void)RuntimeShutdown();
  return status;
}
