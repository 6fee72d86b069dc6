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
  // The next folder chooser returns this folder, its UTF-8 bytes (nullopt:
  // cancelled; an unscripted chooser is cancelled).
  void Choose(std::optional<std::u16string> folder);
  // The next folder chooser returns these exact bytes.
  void ChooseBytes(std::string bytes) {
    folders_.push_back(Folder{FolderChoice::kChosen, std::move(bytes), {}});
  }
  // The next folder chooser reports a choice that names no single folder.
  void ChooseUnmatched(std::u16string shown) {
    folders_.push_back(Folder{FolderChoice::kUnmatched, {}, std::move(shown)});
  }

  const std::vector<Box>& boxes() const { return boxes_; }
  const std::vector<Chooser>& choosers() const { return choosers_; }

 private:
  static PromptButton ShowBox(void* self, const std::u16string& text, const std::u16string& caption,
                              std::uint8_t kind);
  static FolderChoice ChooseFolder(void* self, const std::u16string& initial,
                                   const std::u16string& title, std::string* chosen,
                                   std::u16string* shown);
  struct Folder {
    FolderChoice choice;
    std::string bytes;
    std::u16string shown;
  };

  PromptService previous_;
  std::deque<PromptButton> answers_;
  std::deque<Folder> folders_;
  std::vector<Box> boxes_;
  std::vector<Chooser> choosers_;
};
