#include "actions/process_runner.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <string>
#include <vector>

#include "platform/os/os_calls.h"
#include "runtime/core/variable_store.h"
#include "runtime/files/paths.h"
#include "runtime/files/streams.h"
#include "runtime/memory/blocks.h"
#include "runtime/memory/string_area.h"
#include "runtime/text/format.h"
#include "runtime/text/search.h"
#include "runtime/text/strings.h"

namespace {

constexpr char kBlank = ' ';
constexpr StrDesc kTextExtension = Lit("txt");
constexpr std::uint16_t kDetailLimit = 1024;

std::uint32_t g_capture_limit_ms = kCaptureLimitMs;

// The programs started without waiting that have not been reaped yet. When
// more than this many still run, a further one is not tracked: it is reaped
// by the system once this process has ended.
constexpr std::uint16_t kMaxStartedPrograms = 256;
struct StartedPrograms {
  pid_t pid[kMaxStartedPrograms];
  std::uint16_t count;
};
static_assert(std::is_trivially_copyable_v<StartedPrograms>);
StartedPrograms g_started{};

void Track(pid_t pid) {
  if (ReapStartedPrograms() < kMaxStartedPrograms) g_started.pid[g_started.count++] = pid;
}

// Waits for the program to end and reaps it; false when the wait fails.
bool Reap(pid_t pid, int* wait_status) {
  for (;;) {
    if (Os().waitpid(pid, wait_status, 0) == pid) return true;
    if (errno != EINTR) return false;
  }
}

// Stops the program (it may have ended already) and reaps it.
void StopAndReap(pid_t pid) {
  (void)Os().kill(pid, SIGKILL);
  int ignored = 0;
  (void)Reap(pid, &ignored);
}

std::int64_t NowMs() {
  struct timespec now {};
  if (Os().clock_gettime(CLOCK_MONOTONIC, &now) != 0) return 0;
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// The program's name as the text gives it (empty when it has no word).
StrDesc ProgramWord(StrDesc command) {
  WordCursor cursor{command};
  StrDesc word = EmptyDesc();
  return NextCommandWord(&cursor, &word) ? word : EmptyDesc();
}

// The argument words of the command as NUL-terminated copies in one new
// string on the area, and the argument vector over them. 0; 164 when the text
// has no word; 163 when it holds a NUL byte; the area's status.
StatusWord BuildArguments(StrDesc command, std::vector<char*>* argv) {
  if (DescStatus(command) != kOk) return DescStatus(command);
  if (std::memchr(command.ptr, '\0', command.len) != nullptr) return kRunBadCommand;
  std::uint32_t bytes = 0;
  std::size_t words = 0;
  WordCursor cursor{command};
  StrDesc word = EmptyDesc();
  while (NextCommandWord(&cursor, &word)) {
    bytes += word.len + 1u;
    ++words;
  }
  if (words == 0) return kRunStartFailed;
  if (bytes > 65535) return kErrStringTooLong;
  char* out = ReserveTopPtr(static_cast<std::uint16_t>(bytes), kNoFill);
  if (out == nullptr) return kErrOutOfMemory;
  argv->clear();
  argv->reserve(words + 1);
  cursor = WordCursor{command};
  while (NextCommandWord(&cursor, &word)) {
    argv->push_back(out);
    if (word.len != 0) std::memcpy(out, word.ptr, word.len);
    out[word.len] = '\0';
    out += word.len + 1;
  }
  argv->push_back(nullptr);
  return kOk;
}

// Starts the command's program; *pid on success. 0, or BuildArguments'
// statuses, or 164 with the program's name added to the DetailLog.
StatusWord Spawn(StrDesc command, const posix_spawn_file_actions_t* actions,
                 const posix_spawnattr_t* attributes, pid_t* pid) {
  const AreaMark mark = MarkArea();
  std::vector<char*> argv;
  StatusWord status = BuildArguments(command, &argv);
  if (status == kOk &&
      Os().posix_spawnp(pid, argv[0], actions, attributes, argv.data(), environ) != 0) {
    status = kRunStartFailed;
  }
  if (status == kRunStartFailed) (void)AddDetail(status, ProgramWord(command), true);
  ReleaseArea(mark);
  return status;
}

// Reads one chunk of output and hands it to the sink; *drained at the end of
// the output. 0, 124 when the read fails, the area's or the sink's status.
StatusWord ReadChunk(int out, void* context, OutputSink sink, bool* drained) {
  const AreaMark mark = MarkArea();
  char* chunk = ReserveTopPtr(kCaptureChunk, kNoFill);
  if (chunk == nullptr) return kErrOutOfMemory;
  StatusWord status = kOk;
  const ssize_t n = Os().read(out, chunk, kCaptureChunk);
  if (n < 0) {
    if (errno != EINTR && errno != EAGAIN) status = kRunWaitFailed;
  } else if (n == 0) {
    *drained = true;
  } else if (sink != nullptr) {
    status = sink(context, chunk, static_cast<std::uint16_t>(n));
  }
  ReleaseArea(mark);
  return status;
}

// Adds "PROGRAM did not end within N s and was stopped" to the DetailLog.
void NoteTimeout(StrDesc command) {
  const AreaMark mark = MarkArea();
  const std::int64_t seconds = (static_cast<std::int64_t>(g_capture_limit_ms) + 999) / 1000;
  const StrDesc program = ProgramWord(command);
  const StrDesc limit = WholeToText(seconds);
  const StrDesc text =
      FormatText(kDetailLimit, "%s did not end within %s s and was stopped", {program, limit});
  if (text.ptr != nullptr) (void)AddDetail(kRunTimedOut, text, true);
  ReleaseArea(mark);
}

// Collects the running program's output from out until it has ended and the
// output is drained, or the time limit passes; then reaps it. A program that
// ended while a program of its own still holds the output open is not waited
// for beyond what is already written.
StatusWord Collect(StrDesc command, pid_t pid, int out, void* context, OutputSink sink) {
  const int ended_fd = Os().pidfd_open(pid, 0);
  if (ended_fd < 0) {
    StopAndReap(pid);
    return kRunWaitFailed;
  }
  const std::int64_t deadline = NowMs() + g_capture_limit_ms;
  bool ended = false, drained = false;
  StatusWord status = kOk;
  while (status == kOk && !(ended && drained)) {
    const std::int64_t left = deadline - NowMs();
    if (left <= 0) {
      status = kRunTimedOut;
      break;
    }
    struct pollfd fds[2] = {{drained ? -1 : out, POLLIN, 0}, {ended ? -1 : ended_fd, POLLIN, 0}};
    // Once the program has ended, only what is already written is read.
    const int timeout = ended ? 0 : static_cast<int>(left < INT_MAX ? left : INT_MAX);
    const int ready = Os().poll(fds, 2, timeout);
    if (ready < 0) {
      if (errno != EINTR) status = kRunWaitFailed;
      continue;
    }
    if (ready == 0) {
      if (ended) drained = true;
      continue;
    }
    if (fds[1].revents != 0) ended = true;
    if (fds[0].revents != 0) status = ReadChunk(out, context, sink, &drained);
  }
  Os().close(ended_fd);
  if (status != kOk) {
    if (status == kRunTimedOut) NoteTimeout(command);
    StopAndReap(pid);
    return status;
  }
  int wait_status = 0;
  return Reap(pid, &wait_status) ? kOk : kRunWaitFailed;
}

// RunToTempFile's sink: AppendToFile, counting the bytes.
struct TempOutput {
  StrDesc path;
  std::uint32_t bytes;
};

StatusWord AppendCounting(void* context, const char* bytes, std::uint16_t count) {
  auto* output = static_cast<TempOutput*>(context);
  output->bytes += count;
  return AppendToFile(&output->path, bytes, count);
}

}  // namespace

std::uint32_t SetCaptureLimit(std::uint32_t milliseconds) {
  const std::uint32_t previous = g_capture_limit_ms;
  g_capture_limit_ms = milliseconds;
  return previous;
}

bool NextCommandWord(WordCursor* cursor, StrDesc* word) {
  const StrDesc rest = cursor->rest;
  if (DescStatus(rest) != kOk) return false;
  std::uint16_t start = 0;
  while (start < rest.len && rest.ptr[start] == kBlank) ++start;
  if (start == rest.len) {
    cursor->rest = MakeDesc(rest.ptr + rest.len, 0);
    return false;
  }
  std::uint16_t end = FindCharFrom(rest, start, kBlank, kQuoteAware);
  if (end == kNotFound) end = rest.len;
  *word = Unquote(MakeDesc(rest.ptr + start, end - start));
  cursor->rest = MakeDesc(rest.ptr + end, rest.len - end);
  return true;
}

StatusWord RunCaptured(StrDesc command, void* context, OutputSink sink) {
  (void)ReapStartedPrograms();
  int pipe_fds[2];
  if (Os().pipe2(pipe_fds, O_CLOEXEC) != 0) return kRunPipeFailed;
  // Standard output and standard error go into the pipe; standard input is
  // /dev/null, so a program that reads it sees its end at once.
  posix_spawn_file_actions_t actions;
  const bool prepared = posix_spawn_file_actions_init(&actions) == 0;
  StatusWord status = kRunPipeFailed;
  if (prepared && posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDOUT_FILENO) == 0 &&
      posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDERR_FILENO) == 0 &&
      posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0) == 0) {
    status = kOk;
  }
  pid_t pid = 0;
  if (status == kOk) status = Spawn(command, &actions, nullptr, &pid);
  if (prepared) (void)posix_spawn_file_actions_destroy(&actions);
  Os().close(pipe_fds[1]);  // the program holds its own copy: the end of output shows
  if (status == kOk) status = Collect(command, pid, pipe_fds[0], context, sink);
  Os().close(pipe_fds[0]);
  return status;
}

StatusWord AppendToFile(void* context, const char* bytes, std::uint16_t count) {
  const StrDesc path = *static_cast<const StrDesc*>(context);
  return WriteFileAll(path, kEndOfFile, bytes, count) == kOk ? kOk : kRunWriteFailed;
}

StrDesc RunToTempFile(StrDesc command) {
  const AreaMark mark = MarkArea();
  TempOutput output{TempFilePath(kTextExtension), 0};
  if (output.path.ptr == nullptr) return KeepResult(mark, output.path);
  const StatusWord status = RunCaptured(command, &output, &AppendCounting);
  if (status != kOk || output.bytes == 0) {
    // Nobody could find the file of a failed run; an empty one is no report.
    const std::string path(output.path.ptr, output.path.len);
    (void)Os().unlink(path.c_str());
  }
  return KeepResult(mark, status == kOk ? output.path : ErrorDesc(status));
}

StatusWord StartProgram(StrDesc command, std::uint16_t flags) {
  (void)ReapStartedPrograms();
  posix_spawnattr_t attributes;
  if (posix_spawnattr_init(&attributes) != 0) return kRunStartFailed;
  if ((flags & kStartDetached) != 0)
    (void)posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  pid_t pid = 0;
  const StatusWord status = Spawn(command, nullptr, &attributes, &pid);
  (void)posix_spawnattr_destroy(&attributes);
  if (status != kOk) return status;
  if ((flags & kStartNoWait) != 0 && (flags & kStartWaitAnyway) == 0) {
    Track(pid);
    return kOk;
  }
  int wait_status = 0;
  if (!Reap(pid, &wait_status)) return kRunWaitFailed;
  return WIFEXITED(wait_status) ? static_cast<StatusWord>(WEXITSTATUS(wait_status)) : kFailure;
}

StatusWord LaunchCommand(StrDesc command) { return StartProgram(command, kStartNoWait); }

std::uint16_t ReapStartedPrograms() {
  std::uint16_t i = 0;
  while (i < g_started.count) {
    const pid_t pid = g_started.pid[i];
    const pid_t r = Os().waitpid(pid, nullptr, WNOHANG);
    if (r == pid || (r < 0 && errno == ECHILD)) {
      g_started.pid[i] = g_started.pid[--g_started.count];
    } else {
      ++i;
    }
  }
  return g_started.count;
}
