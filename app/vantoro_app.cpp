#include "app/vantoro_app.h"

#include <QApplication>

#include "app/vantoro_dlg.h"
#include "platform/ui/qt_prompts.h"
#include "runtime/core/typed_lists.h"
#include "runtime/core/variable_store.h"
#include "runtime/memory/blocks.h"
#include "runtime/text/lists.h"
#include "vantoro_version.h"

namespace {

constexpr std::uint16_t kApplicationAreaKiB = 512;
constexpr StrDesc kSupportedLanguages = Lit("EN,ES,FR,DE,IT");

// The names the desktop knows the program by: the application name (the
// class of its windows), the version and the desktop entry it belongs to.
void NameApplication() {
  QCoreApplication::setApplicationName(QStringLiteral(VANTORO_APPLICATION_NAME));
  QCoreApplication::setApplicationVersion(QStringLiteral(VANTORO_VERSION));
  QGuiApplication::setDesktopFileName(QStringLiteral(VANTORO_DESKTOP_ID));
}

}  // namespace

const MessageEntry<CVantoroApp> CVantoroApp::kMessageTable[1] = {
    {kIdHelp, kIdHelp, Notify::kCommand, &CVantoroApp::OnHelp},
};

bool CVantoroApp::Dispatch(int id, Notify code) {
  return DispatchTable(this, kMessageTable, id, code);
}

void CVantoroApp::OnHelp(int) {}  // the framework's help: this program has no help file

bool CVantoroApp::InitInstance() {
  // Named before any window exists.
  NameApplication();
  // 1. The window object: its icon is loaded, its folders are empty.
  CVantoroDlg dialog;
  QApplication::setWindowIcon(LoadIconResource(kIconMain));
  const PromptService previous = SetPromptService(QtPromptService());
  // 2. The string area is sized before the runtime allocates it.
  ConfigureRuntimeMemory(kApplicationAreaKiB, kKeepCurrent);
  // 3. A failed start-up ends the program before any window opens, silently.
  const StartupCallback callback =
      startup_callback != nullptr ? startup_callback : &InitVariableStore;
  if (RuntimeStartup(nullptr, CommandLine().c_str(), callback) == kOk) {
    (void)CreateTypedLists();                                                                // 4
    (void)SetVariable(kGroupSettings, kItemLanguage, Item(kSupportedLanguages, kComma, 1));  // 5
    dialog.DoModal();                                                                        // 6
    (void)RuntimeShutdown();                                                                 // 7
  }
  SetPromptService(previous);
  return false;  // 8
}
