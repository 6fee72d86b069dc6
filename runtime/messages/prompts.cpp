#include "runtime/messages/prompts.h"

#include <string>

#include "platform/ui/prompt_service.h"
#include "runtime/core/variable_store.h"
#include "runtime/files/paths.h"
#include "runtime/memory/string_area.h"
#include "runtime/messages/catalog.h"
#include "runtime/messages/conversions.h"
#include "runtime/text/lists.h"
#include "runtime/text/strings.h"

namespace {

constexpr StrDesc kDefaultCaptions[kBoxKinds] = {
    kMsgRequestCaption,     kMsgInformationCaption, kMsgRequestCaption, kMsgFatalCaption,
    kMsgInformationCaption, kMsgRequestCaption,     kMsgRequestCaption};

// The display text of a runtime text ("" when it cannot be converted).
std::u16string Wide(StrDesc text, bool path = false) {
  const AreaMark mark = MarkArea();
  const char16_t* w = path ? ToWidePath(text) : ToWideText(text);
  std::u16string s = w != nullptr ? std::u16string(w, WideLength(w)) : std::u16string();
  ReleaseArea(mark);
  return s;
}

// The first character of answer-letter item n, or 0.
char AnswerLetter(std::uint16_t n) {
  const AreaMark mark = MarkArea();
  const StrDesc item = Item(MessageText(kMsgAnswerLetters), kComma, n);
  const char letter = item.ptr != nullptr && item.len != 0 ? item.ptr[0] : '\0';
  ReleaseArea(mark);
  return letter;
}

}  // namespace

std::uint16_t ShowMessageBox(StrDesc text, StrDesc caption, std::uint8_t kind) {
  const AreaMark mark = MarkArea();
  const std::uint16_t yes = static_cast<unsigned char>(AnswerLetter(1));
  const std::uint16_t no = static_cast<unsigned char>(AnswerLetter(2));
  if (kind >= kBoxKinds) kind = kBoxInfo;
  const StrDesc shown_caption =
      caption.ptr != nullptr && caption.len != 0 ? caption : MessageText(kDefaultCaptions[kind]);
  const std::u16string wide_text = Wide(text);
  const std::u16string wide_caption = Wide(shown_caption);
  ReleaseArea(mark);
  const PromptService& service = Prompts();
  switch (service.show_box(service.context, wide_text, wide_caption, kind)) {
    case PromptButton::kOk:
    case PromptButton::kRetry:
    case PromptButton::kYes:
      return yes;
    case PromptButton::kNo:
      return no;
    default:
      return kAnswerCancel;  // Cancel, Abort, Ignore, or no box at all
  }
}

bool AskYesNo(StrDesc text) {
  const std::uint16_t yes = static_cast<unsigned char>(AnswerLetter(1));
  return ShowMessageBox(text, EmptyDesc(), kBoxYesNo) == yes;
}

void ShowErrorBox(std::uint16_t code) {
  const AreaMark mark = MarkArea();
  const bool warning = code < kFirstRecordedCode;
  const StrDesc caption = MessageText(warning ? kMsgInformationCaption : kMsgFatalCaption);
  (void)ShowMessageBox(ErrorText(code), caption, warning ? kBoxWarning : kBoxStop);
  (void)DeleteVariable(kGroupMessages, kItemDetailLog);
  ReleaseArea(mark);
}

StrDesc ChooseFolder(StrDesc initial, StrDesc title) {
  const AreaMark mark = MarkArea();
  const StrDesc start = initial.ptr != nullptr && initial.len != 0 ? initial : CurrentFolder();
  const StrDesc shown_title =
      title.ptr != nullptr && title.len != 0 ? title : MessageText(kMsgChooseFolderTitle);
  const std::u16string wide_start = Wide(start, true);
  const std::u16string wide_title = Wide(shown_title);
  std::u16string chosen;
  const PromptService& service = Prompts();
  if (!service.choose_folder(service.context, wide_start, wide_title, &chosen)) {
    return KeepResult(mark, EmptyDesc());
  }
  return KeepResult(mark, ToRuntimeText(chosen.c_str()));
}
