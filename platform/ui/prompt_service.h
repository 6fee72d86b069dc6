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

struct PromptService {
  // Shows a box of the kind and returns the button pressed.
  PromptButton (*show_box)(void* context, const std::u16string& text, const std::u16string& caption,
                           std::uint8_t kind);
  // Lets the user choose an existing folder, starting in initial; false when
  // cancelled, else true with the folder in *chosen.
  bool (*choose_folder)(void* context, const std::u16string& initial, const std::u16string& title,
                        std::u16string* chosen);
  void* context;
};

// The service in force (by default one that shows nothing: kNone, cancelled).
[[nodiscard]] const PromptService& Prompts();
// Puts a service in force and returns the one it replaces.
PromptService SetPromptService(const PromptService& service);
