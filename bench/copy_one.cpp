// Times one fail-safe copy of a file, for comparison with cp on the same
// file system: vantoro-copy-one SOURCE DESTINATION.
#include <chrono>
#include <cstdio>

#include "platform/os/file_copy.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: vantoro-copy-one SOURCE DESTINATION\n", stderr);
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  const CopyReport report = CopyReplacing(argv[1], argv[2], 0);
  const auto end = std::chrono::steady_clock::now();
  std::printf("%s: %.3f s\n", report.status == 0 ? "copied" : CopyProblemText(report),
              std::chrono::duration<double>(end - start).count());
  return report.status == 0 ? 0 : 1;
}
