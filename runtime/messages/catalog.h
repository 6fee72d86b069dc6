// The message catalog: fixed texts addressed by four-digit codes, from the
// language module of the current language when one is loaded, else from the
// built-in English catalog; and the names and reports of error codes. Every
// text result is one new string above the caller's mark (empty text when
// there is none).
#pragma once

#include <cstdint>
#include <type_traits>

#include "runtime/memory/str_desc.h"

inline constexpr std::uint16_t kModuleIndexSize = 256;
inline constexpr std::uint16_t kModuleMaxLines = 255;

// The state of the language module.
inline constexpr std::uint8_t kModuleNotTried = 0;
inline constexpr std::uint8_t kModuleBuiltIn = 1;
inline constexpr std::uint8_t kModuleLoaded = 2;

struct ModuleIndex {
  std::uint8_t state;
  std::uint16_t first_code;
  std::uint16_t last_code;
  std::uint16_t filled;  // end-offset entries in use
  std::uint16_t end_offsets[kModuleIndexSize];
};
static_assert(std::is_trivially_copyable_v<ModuleIndex>);
extern ModuleIndex g_module_index;

// Message codes the system looks up.
inline constexpr StrDesc kMsgSuccess = Lit("0005");
inline constexpr StrDesc kMsgWarning = Lit("0008");
inline constexpr StrDesc kMsgErrorPrefix = Lit("0009");
inline constexpr StrDesc kMsgAnswerLetters = Lit("0011");
inline constexpr StrDesc kMsgInformationCaption = Lit("0012");
inline constexpr StrDesc kMsgFatalCaption = Lit("0013");
inline constexpr StrDesc kMsgRequestCaption = Lit("0014");
inline constexpr StrDesc kMsgChooseFolderTitle = Lit("0049");
inline constexpr StrDesc kMsgAboutCaption = Lit("0075");
inline constexpr StrDesc kMsgAboutText = Lit("0076");

// The text of a code ("0012", or "0012 default text" carrying its own
// default); loads the language module on first use.
[[nodiscard]] StrDesc MessageText(StrDesc code);
// The built-in catalog's text of a four-digit code, or empty text.
[[nodiscard]] StrDesc BuiltInMessageText(StrDesc code);
// Loads the current language's module from the start folder, once.
void LoadLanguageModule();
// The loaded module's text of a code value; the built-in text when the value
// lies outside the module's indexed codes.
[[nodiscard]] StrDesc ModuleMessageText(std::uint16_t value);
// Forgets the module (state 0), so that the next lookup loads again. Tests
// and a fresh start-up use it; the running program never does.
void ResetLanguageModule();

// The name of an error code; 0xFFFF names the code held in the ErrorState.
[[nodiscard]] StrDesc ErrorName(std::uint16_t code);
// The report: the name, and for codes of 128 and above "Error " before it,
// the recorded subsystem in parentheses and ": " with the detail log after it.
[[nodiscard]] StrDesc ErrorText(std::uint16_t code);
// The name of a subsystem number, or empty text.
[[nodiscard]] StrDesc SubsystemName(std::uint16_t number);
