#include "actions/registry.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/os/os_calls.h"
#include "runtime/files/paths.h"
#include "runtime/memory/string_area.h"
#include "runtime/messages/conversions.h"
#include "runtime/text/lists.h"
#include "runtime/text/strings.h"

namespace {

constexpr char kKeySeparator = '\\';
constexpr StrDesc kOpenWithPrefix =
    Lit("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.");
constexpr StrDesc kOpenWithSuffix = Lit("\\OpenWithList");
constexpr StrDesc kOpenWithValue = Lit("a");
constexpr StrDesc kOpener = Lit("xdg-open");
constexpr StrDesc kAppPathsPrefix =
    Lit("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\");
constexpr const char* kDefaultSearchPath = "/bin:/usr/bin";  // the C library's, for an unset PATH

bool StartsWith(StrDesc text, StrDesc prefix) {
  return text.len >= prefix.len && std::memcmp(text.ptr, prefix.ptr, prefix.len) == 0;
}

bool EndsWith(StrDesc text, StrDesc suffix) {
  return text.len >= suffix.len &&
         std::memcmp(text.ptr + text.len - suffix.len, suffix.ptr, suffix.len) == 0;
}

RegistryKey RootKey(std::uint16_t index) {
  switch (index) {
    case 1:
      return kKeyClassesRoot;
    case 2:
      return kKeyCurrentConfig;
    case 3:
      return kKeyCurrentUser;
    case 4:
      return kKeyLocalMachine;
    case 5:
      return kKeyUsers;
    default:
      return kKeyNone;
  }
}

// The program name of an App Paths subkey (empty when it is not one).
StrDesc AppPathProgram(StrDesc subkey) {
  if (!StartsWith(subkey, kAppPathsPrefix)) return EmptyDesc();
  const StrDesc program =
      MakeDesc(subkey.ptr + kAppPathsPrefix.len, subkey.len - kAppPathsPrefix.len);
  // A further "\" would name a key below the program's.
  return std::memchr(program.ptr, kKeySeparator, program.len) == nullptr ? program : EmptyDesc();
}

// Whether the text fits the value buffer as UTF-16 with its terminating NUL.
bool FitsValueBuffer(StrDesc text) {
  const AreaMark mark = MarkArea();
  const char16_t* wide = ToWidePath(text);
  const bool fits = wide != nullptr && (WideLength(wide) + 1) * 2 <= kRegistryValueBytes;
  ReleaseArea(mark);
  return fits;
}

// Whether the path names a regular file that someone may execute.
bool IsProgramFile(StrDesc path) {
  if (DescStatus(path) != kOk) return false;
  const std::string c(path.ptr, path.len);
  struct statx st {};
  if (Os().statx(AT_FDCWD, c.c_str(), 0, STATX_TYPE | STATX_MODE, &st) != 0) return false;
  return S_ISREG(st.stx_mode) && (st.stx_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0;
}

}  // namespace

std::uint16_t RegistryRootIndex(StrDesc text) {
  return ItemIndex(kRegistryRoots, Item(text, kKeySeparator, 1), kComma);
}

RegistryPath ParseRegistryPath(StrDesc path, bool with_value) {
  RegistryPath result{kKeyNone, EmptyDesc(), EmptyDesc(), kRegistryBadRoot};
  if (DescStatus(path) != kOk) return result;
  const StrDesc root = Item(path, kKeySeparator, 1);
  if (with_value) result.value_name = Item(path, kKeySeparator, ItemCount(path, kKeySeparator));
  // Neither the root's "\" nor the one before the value name is part of the subkey.
  const std::int32_t start = root.len + 1 < path.len ? root.len + 1 : path.len;
  std::int32_t length = static_cast<std::int32_t>(path.len) - root.len - result.value_name.len -
                        (with_value ? 1 : 0) - 1;
  if (length > path.len - start) length = path.len - start;
  if (length < 0) length = 0;
  result.subkey = MakeDesc(path.ptr + start, static_cast<std::size_t>(length));
  result.root = RootKey(RegistryRootIndex(path));
  if (result.root != kKeyNone) result.status = kOk;
  return result;
}

RegistryPath OpenRegistryKey(StrDesc path, bool with_value) {
  RegistryPath key = ParseRegistryPath(path, with_value);
  const StrDesc subkey = key.subkey;
  const RegistryKey root = key.root;
  key.root = kKeyNone;
  key.status = kRegistryNoKey;
  if (root == kKeyCurrentUser && StartsWith(subkey, kOpenWithPrefix) &&
      EndsWith(subkey, kOpenWithSuffix) && subkey.len > kOpenWithPrefix.len + kOpenWithSuffix.len) {
    key.root = kKeyOpenWithList;  // every extension has the opener in its list
    key.status = kOk;
  } else if (root == kKeyLocalMachine && AppPathProgram(subkey).len != 0) {
    key.root = kKeyAppPath;
    key.status = kOk;
  }
  return key;
}

StrDesc ReadRegistryText(StrDesc path) {
  const AreaMark mark = MarkArea();
  const RegistryPath key = OpenRegistryKey(path, true);
  StrDesc value = ErrorDesc(kFailure);
  if (key.status != kOk) return value;
  if (key.root == kKeyOpenWithList && SameText(key.value_name, kOpenWithValue)) {
    value = Copy(kOpener);
  } else if (key.root == kKeyAppPath && key.value_name.len == 0) {
    const StrDesc found = FindProgramOnPath(AppPathProgram(key.subkey));
    if (found.ptr != nullptr && found.len != 0) value = found;
  }
  // Whatever failed (the area included), the result is the one failure of a lookup.
  if (value.ptr == nullptr || !FitsValueBuffer(value)) return KeepResult(mark, ErrorDesc(kFailure));
  return KeepResult(mark, value);
}

StrDesc FindProgramOnPath(StrDesc program) {
  const AreaMark mark = MarkArea();
  if (DescStatus(program) != kOk || program.len == 0 ||
      std::memchr(program.ptr, '/', program.len) != nullptr ||
      std::memchr(program.ptr, '\0', program.len) != nullptr) {
    return KeepResult(mark, EmptyDesc());
  }
  const char* search = std::getenv("PATH");
  const StrDesc folders = DescFromCString(search != nullptr ? search : kDefaultSearchPath);
  std::uint16_t start = 0;
  while (start <= folders.len) {
    const char* colon =
        static_cast<const char*>(std::memchr(folders.ptr + start, ':', folders.len - start));
    const std::uint16_t end =
        colon != nullptr ? static_cast<std::uint16_t>(colon - folders.ptr) : folders.len;
    const StrDesc folder = MakeDesc(folders.ptr + start, end - start);
    const AreaMark inner = MarkArea();
    // An empty entry is the current folder.
    const StrDesc base = folder.len != 0 ? folder : CurrentFolder();
    const StrDesc candidate = JoinPath(base, program);
    if (IsProgramFile(candidate)) return KeepResult(mark, candidate);
    ReleaseArea(inner);
    if (colon == nullptr) break;
    start = static_cast<std::uint16_t>(end + 1);
  }
  return KeepResult(mark, EmptyDesc());
}
