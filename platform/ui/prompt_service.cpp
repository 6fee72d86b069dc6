#include "platform/ui/prompt_service.h"

namespace {

PromptButton NoBox(void*, const std::u16string&, const std::u16string&, std::uint8_t) {
  return PromptButton::kNone;
}

FolderChoice NoChooser(void*, const std::u16string&, const std::u16string&, std::string*,
                       std::u16string*) {
  return FolderChoice::kCancelled;
}

PromptService g_service = {&NoBox, &NoChooser, nullptr};

}  // namespace

const PromptService& Prompts() { return g_service; }

PromptService SetPromptService(const PromptService& service) {
  PromptService previous = g_service;
  g_service = service;
  return previous;
}
