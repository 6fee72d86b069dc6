#include "platform/os/dir_entries.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/os/errors.h"
#include "platform/os/os_calls.h"

namespace {

constexpr unsigned int kStatxMask =
    STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_ATIME | STATX_MTIME | STATX_CTIME | STATX_BTIME;

bool HasWildcard(const char* text) { return std::strpbrk(text, "*?") != nullptr; }

// The status of a folder that could not be read: 164 when it is not there
// (or is no folder), else the runtime's code of the reason (175, 65535).
StatusWord FolderStatus(int error) {
  return error == ENOENT || error == ENOTDIR ? kErrFileNotFound : StatusFromErrno(error);
}

// Fills the entry for name (relative to dirfd): 0, or the errno of the
// failed query (ENAMETOOLONG for a name longer than an entry holds).
int ReadEntry(int dirfd, const char* path, const char* name, DirectoryEntry* e) {
  const std::size_t name_len = std::strlen(name);
  if (name_len > kEntryNameMax) return ENAMETOOLONG;
  struct statx stx {};
  std::uint32_t attributes = 0;
  // The entry itself first: one call for a file, a folder or nothing at all;
  // a symbolic link is then followed, and a dangling one stays an entry.
  if (Os().statx(dirfd, path, AT_SYMLINK_NOFOLLOW, kStatxMask, &stx) != 0) return errno;
  if (S_ISLNK(stx.stx_mode)) {
    struct statx target {};
    if (Os().statx(dirfd, path, 0, kStatxMask, &target) == 0) stx = target;
  }
  if (S_ISDIR(stx.stx_mode)) attributes |= kAttrFolder;
  if (S_ISREG(stx.stx_mode)) attributes |= kAttrArchive;
  // A dangling link is still an entry, but neither a folder nor a file.
  if ((stx.stx_mode & S_IWUSR) == 0) attributes |= kAttrReadOnly;
  if (name[0] == '.' && std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0) {
    attributes |= kAttrHidden;
  }
  e->attributes = attributes;
  e->created = (stx.stx_mask & STATX_BTIME) ? stx.stx_btime.tv_sec : stx.stx_ctime.tv_sec;
  e->accessed = stx.stx_atime.tv_sec;
  e->modified = stx.stx_mtime.tv_sec;
  e->size = stx.stx_size;
  std::memcpy(e->name, name, name_len + 1);
  return 0;
}

}  // namespace

namespace {

// Bytes of the UTF-8 character at s: 2 to 4 for a valid sequence, else 1.
std::size_t Utf8Length(const char* s) {
  const auto b = static_cast<unsigned char>(s[0]);
  auto cont = [&](int k) { return (static_cast<unsigned char>(s[k]) & 0xC0) == 0x80; };
  if (b >= 0xC2 && b <= 0xDF && cont(1)) return 2;
  if (b >= 0xE0 && b <= 0xEF && cont(1) && cont(2)) return 3;
  if (b >= 0xF0 && b <= 0xF4 && cont(1) && cont(2) && cont(3)) return 4;
  return 1;
}

}  // namespace

bool WildcardMatch(const char* pattern, const char* name) {
  if (std::strcmp(pattern, "*.*") == 0) return true;  // every name, with or without a dot
  const char* star = nullptr;
  const char* resume = nullptr;
  while (*name != '\0') {
    if (*pattern == '*') {
      star = pattern++;
      resume = name;
    } else if (*pattern == '?') {
      ++pattern;
      name += Utf8Length(name);  // one whole character
    } else if (*pattern == *name) {
      ++pattern;
      ++name;
    } else if (star != nullptr) {
      pattern = star + 1;
      name = ++resume;
    } else {
      return false;
    }
  }
  while (*pattern == '*') ++pattern;
  return *pattern == '\0';
}

StatusWord QueryPath(const char* path, DirectoryEntry* entry) {
  if (path == nullptr || path[0] == '\0') return kErrFileNotFound;
  const char* slash = std::strrchr(path, '/');
  std::string name = slash != nullptr ? slash + 1 : path;
  if (name.empty()) {
    // "folder/": the entry is the folder itself, named by its last component.
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    const std::size_t cut = trimmed.rfind('/');
    name = cut == std::string::npos || trimmed == "/" ? trimmed : trimmed.substr(cut + 1);
  }
  return ReadEntry(AT_FDCWD, path, name.c_str(), entry) == 0 ? kOk : kErrFileNotFound;
}

StatusWord FindEntries(const char* pattern, EntryVisitor visit, void* context) {
  if (pattern == nullptr || pattern[0] == '\0') return kErrFileNotFound;
  const char* slash = std::strrchr(pattern, '/');
  const char* last = slash != nullptr ? slash + 1 : pattern;
  DirectoryEntry entry;
  if (!HasWildcard(last)) {
    // One path, one query: never a scan of the folder.
    if (QueryPath(pattern, &entry) != kOk) return kErrFileNotFound;
    visit(entry, context);
    return kOk;
  }
  std::string folder;
  if (slash == nullptr) {
    folder = ".";
  } else if (slash == pattern) {
    folder = "/";
  } else {
    folder.assign(pattern, slash);
  }
  DIR* dir = Os().opendir(folder.c_str());
  if (dir == nullptr) return FolderStatus(errno);
  bool any = false;
  StatusWord trouble = kOk;  // why the folder could not be read whole
  for (;;) {
    errno = 0;
    struct dirent* d = Os().readdir(dir);
    if (d == nullptr) {
      if (errno != 0) trouble = FolderStatus(errno);
      break;
    }
    if (!WildcardMatch(last, d->d_name)) continue;
    const int error = ReadEntry(dirfd(dir), d->d_name, d->d_name, &entry);
    if (error != 0) {
      // An entry removed meanwhile, or a name too long to hold, is skipped;
      // an entry that cannot be queried (a folder that may be read but not
      // searched, a failing disk) means the folder cannot be read whole.
      if (error != ENOENT && error != ENAMETOOLONG) trouble = FolderStatus(error);
      continue;
    }
    any = true;
    if (!visit(entry, context)) {
      // The visitor has what it wanted.
      Os().closedir(dir);
      return kOk;
    }
  }
  Os().closedir(dir);
  if (trouble != kOk) return trouble;
  return any ? kOk : kErrFileNotFound;
}
