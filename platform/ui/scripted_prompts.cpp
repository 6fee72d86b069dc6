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

bool ScriptedPrompts::ChooseFolder(void* self, const std::u16string& initial,
                                   const std::u16string& title, std::u16string* chosen) {
  auto* s = static_cast<ScriptedPrompts*>(self);
  s->choosers_.push_back(Chooser{initial, title});
  if (s->folders_.empty()) return false;
  std::optional<std::u16string> folder = s->folders_.front();
  s->folders_.pop_front();
  if (!folder) return false;
  *chosen = *folder;
  return true;
}
