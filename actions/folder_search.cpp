#include "actions/folder_search.h"

#include "compare/file_queries.h"
#include "runtime/files/paths.h"
#include "runtime/memory/string_area.h"
#include "runtime/text/lists.h"

namespace {

// Whether the pattern matches any entry; leaves nothing on the area.
bool Exists(StrDesc candidate) {
  const AreaMark mark = MarkArea();
  const bool found = ListMatchingNames(candidate) == kOk;
  ReleaseArea(mark);
  return found;
}

}  // namespace

StrDesc FindAlongFolders(StrDesc folders, StrDesc name) {
  const AreaMark mark = MarkArea();
  if (DescStatus(name) != kOk) return KeepResult(mark, name);
  if (Exists(name)) return KeepResult(mark, name);
  const std::uint16_t count = ItemCount(folders, kComma);
  ListCursor cursor{folders, kComma};
  for (std::uint16_t i = 0; i < count; ++i) {
    const StrDesc candidate = JoinPath(NextItem(&cursor), name);
    if (candidate.ptr == nullptr) return KeepResult(mark, candidate);
    if (Exists(candidate)) return KeepResult(mark, candidate);
  }
  return KeepResult(mark, EmptyDesc());
}
