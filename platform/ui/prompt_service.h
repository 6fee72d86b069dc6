// The prompt service: whatever shows the runtime's message boxes and its
// folder chooser. The Qt implementation serves the program, a scripted one
// the tests; the runtime talks only to this table and stays free of Qt.
#pragma once

#include <cstdint>
#include <string>

// The button that closed a box; kNone when no box could be shown.
enum class PromptButton : std::uint8_t { kOk, kCancel, kYes, kNo, kRetry, kAbort, kIgnore, kNone };

// Message box kinds: their buttons and icon.
inline constexpr std::uint8_t kBoxInfo = 0;         // OK, information
inline constexpr std::uint8_t kBoxWarning = 1;      // OK, exclamation
inline constexpr std::uint8_t kBoxOkCancel = 2;     // OK and Cancel, information
inline constexpr std::uint8_t kBoxStop = 3;         // OK, stop
inline constexpr std::uint8_t kBoxRetryCancel = 4;  // Retry and Cancel, stop
inline constexpr std::uint8_t kBoxYesNo = 5;        // Yes and No, information
inline constexpr std::uint8_t kBoxYesNoCancel = 6;  // Yes, No and Cancel, information
inline constexpr std::uint8_t kBoxKinds = 7;

// How a folder chooser ended.
enum class FolderChoice : std::uint8_t { kCancelled, kChosen, kUnmatched };

struct PromptService {
  // Shows a box of the kind and returns the button pressed.
  PromptButton (*show_box)(void* context, const std::u16string& text, const std::u16string& caption,
                           std::uint8_t kind);
  // Lets the user choose an existing folder, starting in initial: kChosen
  // with the folder's exact bytes in *chosen; kUnmatched when what the user
  // chose cannot be traced back to one folder's bytes (its display text in
  // *shown); kCancelled.
  FolderChoice (*choose_folder)(void* context, const std::u16string& initial,
                                const std::u16string& title, std::string* chosen,
                                std::u16string* shown);
  void* context;
};

// The service in force (by default one that shows nothing: kNone, cancelled).
[[nodiscard]] const PromptService& Prompts();
// Puts a service in force and returns the one it replaces.
PromptService SetPromptService(const PromptService& service);
