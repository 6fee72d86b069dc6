#include "platform/ui/scripted_prompts.h"

ScriptedPrompts::ScriptedPrompts()
    : previous_(SetPromptService(PromptService{&ShowBox, &ChooseFolder, this})) {}

ScriptedPrompts::~ScriptedPrompts() { SetPromptService(previous_); }

PromptButton ScriptedPrompts::ShowBox(void* self, const std::u16string& text,
                                      const std::u16string& caption, std::uint8_t kind) {
  auto* s = static_cast<ScriptedPrompts*>(self);
  s->boxes_.push_back(Box{text, caption, kind});
  if (s->answers_.empty()) return PromptButton::kOk;
  const PromptButton b = s->answers_.front();
  s->answers_.pop_front();
  return b;
}

void ScriptedPrompts::Choose(std::optional<std::u16string> folder) {
  if (!folder) {
    folders_.push_back(Folder{FolderChoice::kCancelled, {}, {}});
    return;
  }
  // UTF-8 of the text, as the window's own conversion gives it.
  std::string bytes;
  for (std::size_t i = 0; i < folder->size(); ++i) {
    char32_t c = (*folder)[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < folder->size()) {
      c = 0x10000 + ((c - 0xD800) << 10) + ((*folder)[++i] - 0xDC00);
    }
    if (c < 0x80) {
      bytes += static_cast<char>(c);
    } else if (c < 0x800) {
      bytes += static_cast<char>(0xC0 | (c >> 6));
      bytes += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      bytes += static_cast<char>(0xE0 | (c >> 12));
      bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      bytes += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      bytes += static_cast<char>(0xF0 | (c >> 18));
      bytes += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      bytes += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  ChooseBytes(std::move(bytes));
}

FolderChoice ScriptedPrompts::ChooseFolder(void* self, const std::u16string& initial,
                                           const std::u16string& title, std::string* chosen,
                                           std::u16string* shown) {
  auto* s = static_cast<ScriptedPrompts*>(self);
  s->choosers_.push_back(Chooser{initial, title});
  if (s->folders_.empty()) return FolderChoice::kCancelled;
  const Folder folder = s->folders_.front();
  s->folders_.pop_front();
  *chosen = folder.bytes;
  *shown = folder.shown;
  return folder.choice;
}
