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

struct AnswerLetters {
  std::uint16_t yes, no;
};

// The first character of an item as an unsigned byte, 0 when it is empty.
std::uint16_t FirstByte(StrDesc item) {
  return item.ptr != nullptr && item.len != 0 ? static_cast<unsigned char>(item.ptr[0]) : 0;
}

// The first characters of the two items of an answer-letter text (0 when missing).
AnswerLetters LettersOf(StrDesc text) {
  return AnswerLetters{FirstByte(Item(text, kComma, 1)), FirstByte(Item(text, kComma, 2))};
}

// The current language's Yes and No letters. Letters that are missing, empty,
// equal to each other or equal to the Cancel answer cannot tell the answers
// apart (a No or a Cancel would read as Yes), so the built-in letters serve.
AnswerLetters CurrentAnswerLetters() {
  const AreaMark mark = MarkArea();
  AnswerLetters letters = LettersOf(MessageText(kMsgAnswerLetters));
  // The answer 3 stands for Cancel and for no box at all: never a letter.
  if (letters.yes == 0 || letters.no == 0 || letters.yes == letters.no ||
      letters.yes == kAnswerCancel || letters.no == kAnswerCancel) {
    letters = LettersOf(BuiltInMessageText(kMsgAnswerLetters));
  }
  ReleaseArea(mark);
  return letters;
}

}  // namespace

std::uint16_t ShowMessageBox(StrDesc text, StrDesc caption, std::uint8_t kind) {
  const AreaMark mark = MarkArea();
  const AnswerLetters letters = CurrentAnswerLetters();
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
      return letters.yes;
    case PromptButton::kNo:
      return letters.no;
    default:
      return kAnswerCancel;  // Cancel, Abort, Ignore, or no box at all
  }
}

bool AskYesNo(StrDesc text) {
  return ShowMessageBox(text, EmptyDesc(), kBoxYesNo) == CurrentAnswerLetters().yes;
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
  std::string chosen;
  std::u16string shown;
  const PromptService& service = Prompts();
  const FolderChoice choice =
      service.choose_folder(service.context, wide_start, wide_title, &chosen, &shown);
  if (choice == FolderChoice::kUnmatched) {
    // Never act on a folder guessed from its display text: it may be another one.
    ReleaseArea(mark);
    const StrDesc parts[] = {Lit("The folder "), ToRuntimeText(shown.c_str()),
                             Lit(" cannot be traced back to its exact name on disk; choose another.")};
    (void)ShowMessageBox(ConcatParts(parts, 3), EmptyDesc(), kBoxWarning);
    return KeepResult(mark, EmptyDesc());
  }
  if (choice != FolderChoice::kChosen || chosen.size() > 65535)
    return KeepResult(mark, EmptyDesc());
  return KeepResult(mark, MakeDesc(chosen.data(), chosen.size()));
}
