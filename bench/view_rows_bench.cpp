// The row pass over two synthetic folders against a plain pass that only
// reads both folders and stats every entry. Prints the ratio of the two.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "compare/view_rows.h"
#include "runtime/core/startup.h"
#include "runtime/core/typed_lists.h"
#include "runtime/core/variable_store.h"
#include "runtime/memory/blocks.h"

namespace {

const std::string kRoot = (std::filesystem::temp_directory_path() / "vantoro-bench").string();

void Touch(const std::string& path, std::int64_t stamp) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd >= 0) {
    (void)!write(fd, "content\n", 8);
    close(fd);
  }
  struct timespec times[2] = {{static_cast<time_t>(stamp), 0}, {static_cast<time_t>(stamp), 0}};
  utimensat(AT_FDCWD, path.c_str(), times, 0);
}

// Two folders of n names each side: equal, newer on either side, one-sided
// and differing with an adapted copy, in a fixed mix.
std::string Folders(int n) {
  const std::string base = kRoot + "/" + std::to_string(n);
  if (std::filesystem::exists(base + "/done")) return base;
  std::filesystem::remove_all(base);
  std::filesystem::create_directories(base + "/left/Adap");
  std::filesystem::create_directories(base + "/right/Adap");
  const std::int64_t t = 1489573353;
  for (int i = 0; i < n; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "document-%05d.txt", i);
    const std::string l = base + "/left/" + name, r = base + "/right/" + name;
    switch (i % 10) {
      case 0:
      case 1:
      case 2:
      case 3:
        Touch(l, t);
        Touch(r, t + 1);
        break;  // equal
      case 4:
      case 5:
        Touch(l, t + 3600);
        Touch(r, t);
        break;  // newer left
      case 6:
        Touch(l, t);
        Touch(r, t + 7200);
        break;  // newer right
      case 7:
        Touch(l, t);
        break;   // left only
      case 8: {  // right only
        char other[64];
        std::snprintf(other, sizeof other, "other-%05d.txt", i);
        Touch(base + "/right/" + other, t);
        Touch(r, t);
        Touch(l, t);
        break;
      }
      default:
        Touch(l, t);
        Touch(r, t + 60);
        Touch(base + "/left/Adap/" + name, t);
        break;
    }
  }
  Touch(base + "/done", t);
  return base;
}

void StartRuntime() {
  static bool started = false;
  if (started) return;
  started = true;
  ConfigureRuntimeMemory(512, kKeepCurrent);
  if (RuntimeStartup(nullptr, u"vantoro-bench", &InitVariableStore) != kOk) std::abort();
  (void)CreateTypedLists();
  (void)SetVariable(kGroupSettings, kItemLanguage, Lit("EN"));
}

void CountRow(const RowText&, void* context) { ++*static_cast<int*>(context); }

void BM_RowPass(benchmark::State& state) {
  StartRuntime();
  const std::string base = Folders(static_cast<int>(state.range(0)));
  const std::string left = base + "/left", right = base + "/right";
  int rows = 0;
  for (auto _ : state) {
    rows = 0;
    const RowPass pass = FillRows(MakeDesc(left.data(), left.size()),
                                  MakeDesc(right.data(), right.size()), &CountRow, &rows);
    benchmark::DoNotOptimize(pass);
  }
  state.counters["rows"] = rows;
}

// What any comparison must do at least: read both folders, stat every entry.
void BM_PlainPass(benchmark::State& state) {
  const std::string base = Folders(static_cast<int>(state.range(0)));
  long entries = 0;
  for (auto _ : state) {
    entries = 0;
    for (const char* side : {"/left", "/right"}) {
      DIR* dir = opendir((base + side).c_str());
      while (struct dirent* d = readdir(dir)) {
        struct stat st;
        if (fstatat(dirfd(dir), d->d_name, &st, 0) == 0) ++entries;
      }
      closedir(dir);
    }
    benchmark::DoNotOptimize(entries);
  }
  state.counters["entries"] = static_cast<double>(entries);
}

BENCHMARK(BM_PlainPass)->Arg(250)->Arg(500)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RowPass)->Arg(250)->Arg(500)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond);

// Keeps each run's time so that the ratios can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) times_[run.benchmark_name()] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatios() const {
    std::printf("\n%8s %12s %12s %8s %14s\n", "files", "plain ms", "rows ms", "ratio",
                "rows growth");
    double previous = 0;
    for (int n : {250, 500, 1000, 2000}) {
      const auto plain = times_.find("BM_PlainPass/" + std::to_string(n));
      const auto rows = times_.find("BM_RowPass/" + std::to_string(n));
      if (plain == times_.end() || rows == times_.end()) continue;
      std::printf("%8d %12.3f %12.3f %8.2f", n, plain->second, rows->second,
                  rows->second / plain->second);
      if (previous > 0) std::printf(" %13.2fx", rows->second / previous);
      std::printf("\n");
      previous = rows->second;
    }
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
