#include "runtime/files/paths.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "platform/os/errors.h"
#include "platform/os/os_calls.h"
#include "runtime/core/variable_store.h"
#include "runtime/memory/string_area.h"
#include "runtime/text/lists.h"
#include "runtime/text/search.h"
#include "runtime/text/strings.h"

namespace {

constexpr char kSep = '/';
constexpr StrDesc kSepText{"/", 1};

constexpr StrDesc kFolderNames =
    Lit("APPPATH_RUNPATH,APPPATH_DEFAULT,APPPATH_DATA,APPPATH_DOCS,APPPATH_HELP,APPPATH_BACKUP,"
        "APPPATH_BACKREL");
constexpr StrDesc kEnvironmentNames =
    Lit("ALLUSERSPROFILE,APPDATA,CommonProgramFiles,HOMEDRIVE,HOMEPATH,ProgramFiles,SYSTEMDRIVE,"
        "SystemRoot,TEMP,USERPROFILE");
constexpr StrDesc kRuntimeNames =
    Lit("COMMANDLINE,APNAME,APDESCRIP,LANGMODULE.DOCPATH,DATAPATH,HELPPATH");
constexpr StrDesc kDatabaseNames =
    Lit("DATABASE_HOST,DATABASE_DBNAME,DATABASE_USER,DATABASE_PASSW");
constexpr std::uint16_t kItemServerDatabase = kItemServerDescription;

// Expansion rounds before giving up: a value that holds its own reference
// would otherwise be replaced for ever.
constexpr int kMaxExpansions = 64;

StrDesc Keep(AreaMark mark, StrDesc s) { return KeepResult(mark, s); }

bool SameLower(StrDesc a, StrDesc b) {
  if (a.len != b.len) return false;
  for (std::uint16_t i = 0; i < a.len; ++i) {
    char x = a.ptr[i], y = b.ptr[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// The reference written in the text: "%", the name, "%".
StrDesc Reference(StrDesc name) { return Wrap(name, '%'); }

// Replaces every "%name%" by value; one new string.
StrDesc ReplaceReference(StrDesc text, StrDesc name, StrDesc value) {
  const AreaMark mark = MarkArea();
  return Keep(mark, ReplaceAll(text, Reference(name), value, kPlain));
}

}  // namespace

StrDesc JoinPath(StrDesc first, StrDesc second) {
  if (DescStatus(first) != kOk) return first;
  if (DescStatus(second) != kOk) return second;
  const bool need_sep = first.len != 0 && first.ptr[first.len - 1] != kSep && second.len != 0 &&
                        second.ptr[0] != kSep;
  const StrDesc parts[] = {first, need_sep ? kSepText : EmptyDesc(), second};
  return ConcatParts(parts, 3);
}

StrDesc JoinWithDot(StrDesc first, StrDesc second) { return Join(first, Lit("."), second); }

StrDesc PathPart(StrDesc path, std::uint16_t parts) {
  if (DescStatus(path) != kOk) return path;
  const std::uint16_t slash = FindLastChar(path, kSep, kPlain);
  std::uint16_t dot = FindLastChar(path, '.', kPlain);
  if (dot != kNotFound && slash != kNotFound && dot < slash) dot = kNotFound;
  StrDesc folder = EmptyDesc(), name = EmptyDesc(), ext = EmptyDesc();
  if ((parts & kPartFolder) && slash != kNotFound) {
    folder = slash == 0 ? kSepText : StrDesc{path.ptr, slash};
  }
  const std::uint16_t name_from = slash == kNotFound ? 0 : static_cast<std::uint16_t>(slash + 1);
  const std::uint16_t name_end = dot == kNotFound ? path.len : dot;
  if (parts & kPartName)
    name = StrDesc{path.ptr + name_from, static_cast<std::uint16_t>(name_end - name_from)};
  const bool has_ext = (parts & kPartExtension) && dot != kNotFound;
  if (has_ext) ext = StrDesc{path.ptr + dot + 1, static_cast<std::uint16_t>(path.len - dot - 1)};
  const bool sep_before_name =
      (parts & kPartName) && folder.len != 0 && folder.ptr[folder.len - 1] != kSep;
  const bool dot_before_ext = has_ext && ext.len != 0 && (folder.len != 0 || name.len != 0);
  const StrDesc pieces[] = {folder, sep_before_name ? kSepText : EmptyDesc(), name,
                            dot_before_ext ? Lit(".") : EmptyDesc(), ext};
  return ConcatParts(pieces, 5);
}

StrDesc ResolveRelativePath(StrDesc base, StrDesc relative) {
  if (DescStatus(base) != kOk) return base;
  if (DescStatus(relative) != kOk) return relative;
  const AreaMark mark = MarkArea();
  StrDesc rest = relative;
  while (rest.len >= 2 && rest.ptr[0] == '.' && rest.ptr[1] == '.' &&
         (rest.len == 2 || rest.ptr[2] == kSep)) {
    base = PathPart(base, kPartDriveFolder);
    if (base.ptr == nullptr) return Keep(mark, base);
    const std::uint16_t step = rest.len == 2 ? 2 : 3;
    rest = StrDesc{rest.ptr + step, static_cast<std::uint16_t>(rest.len - step)};
  }
  const StrDesc joined = JoinPath(base, rest);
  return Keep(mark, ReplaceAll(joined, Lit("/./"), kSepText, kPlain));
}

bool ProgramDriveFOrLater() { return false; }  // POSIX paths carry no drive letter

StrDesc CommandLineWord(std::uint16_t flags) {
  const AreaMark mark = MarkArea();
  const StrDesc line = Copy(GetVariable(kGroupSettings, kItemCommandLine));
  StrDesc word = Unquote(Trim(Item(line, ' ', (flags & kWordSecond) ? 2 : 1), kTrimBoth));
  if ((flags & kWordSecond) && word.len != 0 && word.ptr[0] == '-') word = EmptyDesc();
  if (flags & kWordFolderOnly) word = PathPart(word, kPartDriveFolder);
  return Keep(mark, word);
}

StrDesc EnvironmentText(StrDesc name) {
  if (DescStatus(name) != kOk || name.len == 0) return EmptyDesc();
  const std::string key(name.ptr, name.len);
  if (key.find('\0') != std::string::npos) return EmptyDesc();
  const char* value = std::getenv(key.c_str());
  return value == nullptr ? EmptyDesc() : DescFromCString(value);
}

StrDesc TempFolder() {
  for (const char* name : {"TEMP", "TMPDIR"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && value[0] != '\0') return DescFromCString(value);
  }
  return Lit("/tmp");
}

StrDesc CurrentFolder() {
  char buffer[PATH_MAX + 1];
  const AreaMark mark = MarkArea();
  if (Os().getcwd(buffer, sizeof buffer) == nullptr) return Keep(mark, EmptyDesc());
  return Keep(mark, DescFromCString(buffer));
}

StrDesc TempFileName(StrDesc extension) {
  static std::uint32_t counter = 0;
  static std::mt19937 random{std::random_device{}()};
  char name[64];
  std::snprintf(name, sizeof name, "vantoro-%x-%x-%06x", static_cast<unsigned>(getpid()), ++counter,
                static_cast<unsigned>(random() & 0xFFFFFF));
  const AreaMark mark = MarkArea();
  return Keep(mark, JoinWithDot(DescFromCString(name), extension));
}

StrDesc TempFilePath(StrDesc extension) {
  const AreaMark mark = MarkArea();
  for (int attempt = 0; attempt < 100; ++attempt) {
    ReleaseArea(mark);
    const StrDesc path = JoinPath(TempFolder(), TempFileName(extension));
    if (path.ptr == nullptr) return Keep(mark, path);
    const std::string c(path.ptr, path.len);
    const int fd = Os().open(c.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      Os().close(fd);
      return Keep(mark, path);
    }
    if (errno != EEXIST) return Keep(mark, ErrorDesc(StatusFromErrno(errno)));
  }
  return Keep(mark, ErrorDesc(kFailure));
}

StrDesc ApplicationFolder(std::uint16_t number) {
  const AreaMark mark = MarkArea();
  const StrDesc start = GetVariable(kGroupSettings, kItemStartFolder);
  switch (number) {
    case kFolderRunPath:
      return Keep(mark, CommandLineWord(kWordFolderOnly));
    case kFolderDefault:
      return Keep(mark, start);
    case kFolderData: {
      const StrDesc base = ProgramDriveFOrLater() ? Copy(start) : ApplicationFolder(kFolderDocs);
      return Keep(mark, ResolveRelativePath(base, Lit("../data")));
    }
    case kFolderDocs: {
      const StrDesc docs = GetVariable(kGroupSettings, kItemDocumentsFolder);
      return Keep(mark, docs.len != 0 ? docs : CurrentFolder());
    }
    case kFolderHelp: {
      const StrDesc help = GetVariable(kGroupSettings, kItemHelpFolder);
      if (help.len != 0) return Keep(mark, help);
      return Keep(mark, ResolveRelativePath(Copy(start), Lit("Help")));
    }
    case kFolderBackup:
      return Keep(mark, ResolveRelativePath(Copy(GetVariable(kGroupSettings, kItemDocumentsFolder)),
                                            Lit("Backups")));
    case kFolderBackRel: {
      const StrDesc server = Copy(GetVariable(kGroupSettings, kItemServerDatabase));
      StrDesc path = JoinPath(CurrentFolder(), Lit("Backups"));
      path = JoinPath(path, NormaliseToken(Item(server, ',', 1)));
      return Keep(mark, JoinPath(path, NormaliseToken(Item(server, ',', 2))));
    }
    default:
      return Keep(mark, EmptyDesc());
  }
}

StrDesc FileInApplicationFolder(StrDesc name, std::uint16_t number) {
  const AreaMark mark = MarkArea();
  return Keep(mark, JoinPath(ApplicationFolder(number), name));
}

StrDesc ExpandRuntimeVariables(StrDesc text) {
  if (DescStatus(text) != kOk) return text;
  const AreaMark mark = MarkArea();
  for (int round = 0; round < kMaxExpansions; ++round) {
    const StrDesc name = Bracketed(text, '%', kPlain);
    if (name.len == 0) break;
    StrDesc value = EmptyDesc();
    if (const std::uint16_t n = ItemIndex(kRuntimeNames, name, ','); n != 0) {
      value = Copy(GetVariable(kGroupSettings, n));
      if (n == kItemAppName) {
        const std::uint16_t colon = FindChar(value, ':', kPlain);
        value = Substring(Substring(value, 0, colon == kNotFound ? value.len : colon), 0, 2);
      }
    } else if (const std::uint16_t d = ItemIndex(kDatabaseNames, name, ','); d != 0) {
      value = NormaliseToken(Item(Copy(GetVariable(kGroupSettings, kItemServerDatabase)), ',', d));
    }
    text = ReplaceReference(text, name, value);
    if (text.ptr == nullptr) return Keep(mark, text);
  }
  return Keep(mark, text);
}

StrDesc ExpandPathVariables(StrDesc text) {
  if (DescStatus(text) != kOk) return text;
  const AreaMark mark = MarkArea();
  for (int round = 0; round < kMaxExpansions; ++round) {
    const StrDesc name = Bracketed(text, '%', kPlain);
    if (name.len == 0) break;
    StrDesc value{nullptr, 0};
    bool found = false;
    if (const std::uint16_t n = ItemIndex(kFolderNames, name, ','); n != 0) {
      value = ApplicationFolder(n);
      found = true;
    } else if (ItemIndex(kEnvironmentNames, name, ',') != 0) {
      value = EnvironmentText(name);
      found = true;
    } else {
      // The environment names ignore case: look the listed spelling up.
      ListCursor cursor{kEnvironmentNames, ','};
      while (cursor.rest.len != 0 && !found) {
        const StrDesc listed = NextItem(&cursor);
        if (SameLower(listed, name)) {
          value = EnvironmentText(listed);
          found = true;
        }
      }
    }
    text = found ? ReplaceReference(text, name, value) : ExpandRuntimeVariables(text);
    if (text.ptr == nullptr) return Keep(mark, text);
  }
  return Keep(mark, ExpandRuntimeVariables(text));
}
