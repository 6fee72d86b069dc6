#include "compare/size_field.h"

#include "runtime/memory/string_area.h"
#include "runtime/text/format.h"
#include "runtime/text/masks.h"
#include "runtime/text/strings.h"

namespace {

constexpr StrDesc kSizeMask = Lit("###,###");
constexpr StrDesc kUnitMask = Lit("##,###");
constexpr std::uint64_t kUnitLimit = 99999;
constexpr std::uint16_t kNameWidth = 38;

}  // namespace

StrDesc SizeField(std::uint64_t size) {
  const AreaMark mark = MarkArea();
  if (size < kPlainSizeLimit) {
    return KeepResult(mark, ApplyMask(kSizeMask, WholeToText(static_cast<std::int64_t>(size))));
  }
  static constexpr char kUnits[] = {'K', 'M', 'G', 'T'};
  std::uint64_t unit = 1024;
  for (char letter : kUnits) {
    const std::uint64_t value = (size + unit / 2) / unit;  // rounded to the nearest unit
    if (value <= kUnitLimit || letter == 'T') {
      const StrDesc digits = ApplyMask(kUnitMask, WholeToText(static_cast<std::int64_t>(value)));
      return KeepResult(mark, Concat(digits, StrDesc{&letter, 1}));
    }
    unit *= 1024;
  }
  return KeepResult(mark, EmptyDesc());
}

StrDesc NameField(StrDesc name) {
  const AreaMark mark = MarkArea();
  return KeepResult(mark, ApplyMask(Repeat(Lit("\\"), kNameWidth), name, kMaskText));
}

StrDesc Utf8Prefix(StrDesc text, std::uint16_t n) {
  if (DescStatus(text) != kOk) return text;
  std::uint16_t pos = 0;
  for (std::uint16_t i = 0; i < n && pos < text.len; ++i) pos += Utf8CharLength(text, pos);
  return StrDesc{text.ptr, pos};
}
