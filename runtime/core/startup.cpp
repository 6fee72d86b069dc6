#include "runtime/core/startup.h"

#include <cstring>

#include "runtime/core/typed_lists.h"
#include "runtime/core/variable_store.h"
#include "runtime/memory/blocks.h"
#include "runtime/memory/string_area.h"
#include "runtime/messages/conversions.h"
#include "runtime/text/strings.h"

namespace {

void* g_instance = nullptr;

// UTF-8 bytes to UTF-16 (a byte outside a valid sequence taken as Latin-1).
std::u16string Widen(const std::string& bytes) {
  std::u16string out;
  const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  for (std::size_t i = 0; i < n;) {
    char32_t c = s[i];
    std::size_t len = 1;
    auto cont = [&](std::size_t k) { return i + k < n && (s[i + k] & 0xC0) == 0x80; };
    if (c >= 0xC2 && c <= 0xDF && cont(1)) {
      c = ((c & 0x1F) << 6) | (s[i + 1] & 0x3F);
      len = 2;
    } else if (c >= 0xE0 && c <= 0xEF && cont(1) && cont(2)) {
      const char32_t d = ((c & 0x0F) << 12) | ((s[i + 1] & 0x3F) << 6) | (s[i + 2] & 0x3F);
      if (d >= 0x800 && (d < 0xD800 || d > 0xDFFF)) {
        c = d;
        len = 3;
      }
    } else if (c >= 0xF0 && c <= 0xF4 && cont(1) && cont(2) && cont(3)) {
      const char32_t d = ((c & 0x07) << 18) | ((s[i + 1] & 0x3F) << 12) | ((s[i + 2] & 0x3F) << 6) |
                         (s[i + 3] & 0x3F);
      if (d >= 0x10000 && d <= 0x10FFFF) {
        c = d;
        len = 4;
      }
    }
    if (c >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
    i += len;
  }
  return out;
}

}  // namespace

void* RuntimeInstance() { return g_instance; }

StatusWord RuntimeStartup(void* instance, const char16_t* command_line, StartupCallback callback) {
  g_instance = instance;
  if (callback != nullptr) {
    if (const StatusWord st = callback(); st != kOk) return st;
  }
  if (command_line == nullptr) return kOk;
  const AreaMark mark = MarkArea();
  const StrDesc text = ToRuntimeText(command_line);
  if (text.ptr == nullptr) return DescStatus(text);
  const StrDesc joined = ReplaceAll(text, Lit("\"  \""), Lit("\" \""), kPlain);
  if (joined.ptr == nullptr) {
    ReleaseArea(mark);
    return DescStatus(joined);
  }
  const StatusWord st = SetVariable(kGroupSettings, kItemCommandLine, joined);
  ReleaseArea(mark);
  return st;
}

StatusWord RuntimeShutdown() {
  // Blocks recorded in typed list 6, last to first, until one cannot be freed.
  if (const TypedList* list = ListAt(kShutdownBlocksList); list != nullptr) {
    for (std::uint16_t i = list->element_count; i-- > 0;) {
      void* block = nullptr;
      std::memcpy(&block, ElementAt(kShutdownBlocksList, i), sizeof block);
      if (FreeBlock(kOwnerShutdownBlocks, block) != kOk) break;
    }
  }
  DestroyTypedLists();
  const OwnerTag left = ReleaseAllBlocks(false);
  if (left != kOwnerVariableStore) return left;
  (void)ReleaseVariableStore();
  (void)ReleaseStringArea();
  return ReleaseAllBlocks(true);
}

std::u16string CommandLineFromArgs(int argc, const char* const* argv) {
  std::string line;
  for (int i = 0; i < argc; ++i) {
    std::string word = argv[i] != nullptr ? argv[i] : "";
    if (word.find(' ') != std::string::npos || word.empty()) {
      const bool has_double = word.find('"') != std::string::npos;
      const bool has_single = word.find('\'') != std::string::npos;
      if (!has_double) {
        word = "\"" + word + "\"";
      } else if (!has_single) {
        word = "'" + word + "'";
      }  // a word holding both quotes cannot be quoted; it goes as it is
    }
    if (i != 0) line += ' ';
    line += word;
  }
  return Widen(line);
}
