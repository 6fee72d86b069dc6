// The report as a whole process against the plain one: both run on the same
// two folders, in turns (so that a busy moment of the machine falls on both
// alike), many times; the medians of their wall times and of their CPU times
// (user and system, from wait4) and the ratios are printed.
//
//   vantoro-whole-process RUNS PLAIN REPORT LEFT RIGHT
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

extern char** environ;

namespace {

struct Times {
  double wall_ms, cpu_ms;
};

// One run of program with the two folders, standard output to /dev/null.
Times RunOnce(const char* program, char* left, char* right) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  char* argv[] = {const_cast<char*>(program), left, right, nullptr};
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, program, &actions, nullptr, argv, environ) != 0) {
    std::perror(program);
    std::exit(2);
  }
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  const auto end = std::chrono::steady_clock::now();
  posix_spawn_file_actions_destroy(&actions);
  const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
  return Times{std::chrono::duration<double, std::milli>(end - start).count(),
               ms(usage.ru_utime) + ms(usage.ru_stime)};
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fputs("usage: vantoro-whole-process RUNS PLAIN REPORT LEFT RIGHT\n", stderr);
    return 2;
  }
  const int runs = std::atoi(argv[1]);
  std::vector<double> plain_wall, plain_cpu, report_wall, report_cpu;
  for (int i = 0; i < 10; ++i) {  // warm the caches
    RunOnce(argv[2], argv[4], argv[5]);
    RunOnce(argv[3], argv[4], argv[5]);
  }
  for (int i = 0; i < runs; ++i) {
    const Times p = RunOnce(argv[2], argv[4], argv[5]);
    const Times r = RunOnce(argv[3], argv[4], argv[5]);
    plain_wall.push_back(p.wall_ms);
    plain_cpu.push_back(p.cpu_ms);
    report_wall.push_back(r.wall_ms);
    report_cpu.push_back(r.cpu_ms);
  }
  const double pw = Median(plain_wall), rw = Median(report_wall);
  const double pc = Median(plain_cpu), rc = Median(report_cpu);
  std::printf("%-8s %10s %10s %8s\n", "median", "plain ms", "report ms", "ratio");
  std::printf("%-8s %10.2f %10.2f %8.2f\n", "wall", pw, rw, rw / pw);
  std::printf("%-8s %10.2f %10.2f %8.2f\n", "cpu", pc, rc, rc / pc);
  return 0;
}
