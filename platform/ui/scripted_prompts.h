// A prompt service for tests: it answers from a script and records what it
// was asked, so no test ever waits on a modal window.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/prompt_service.h"

class ScriptedPrompts {
 public:
  struct Box {
    std::u16string text, caption;
    std::uint8_t kind;
  };
  struct Chooser {
    std::u16string initial, title;
  };

  // Puts itself in force for its lifetime.
  ScriptedPrompts();
  ~ScriptedPrompts();
  ScriptedPrompts(const ScriptedPrompts&) = delete;
  ScriptedPrompts& operator=(const ScriptedPrompts&) = delete;

  // The next box is closed with this button (an unscripted box with kOk).
  void Answer(PromptButton button) { answers_.push_back(button); }
  // The next folder chooser returns this folder (nullopt: cancelled; an
  // unscripted chooser is cancelled).
  void Choose(std::optional<std::u16string> folder) { folders_.push_back(std::move(folder)); }

  const std::vector<Box>& boxes() const { return boxes_; }
  const std::vector<Chooser>& choosers() const { return choosers_; }

 private:
  static PromptButton ShowBox(void* self, const std::u16string& text, const std::u16string& caption,
                              std::uint8_t kind);
  static bool ChooseFolder(void* self, const std::u16string& initial, const std::u16string& title,
                           std::u16string* chosen);

  PromptService previous_;
  std::deque<PromptButton> answers_;
  std::deque<std::optional<std::u16string>> folders_;
  std::vector<Box> boxes_;
  std::vector<Chooser> choosers_;
};
