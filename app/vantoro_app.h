// The application object: starts the runtime, runs the main window modally
// and shuts the runtime down.
#pragma once

#include "app/framework.h"
#include "runtime/core/startup.h"

class CVantoroApp : public CWinApp {
 public:
  // The start-up callback; tests replace it to see a failed start-up.
  StartupCallback startup_callback = nullptr;
  bool InitInstance() override;
  // The application's message table: the help command only.
  bool Dispatch(int id, Notify code);

 private:
  static const MessageEntry<CVantoroApp> kMessageTable[1];
  void OnHelp(int id);
};
