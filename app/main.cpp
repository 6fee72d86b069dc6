// Vantoro's entry point. The window is not built yet: until it is, the
// program starts the runtime, says so and ends.
#include <cstdio>

#include "runtime/core/variable_store.h"
#include "runtime/memory/blocks.h"

int main() {
  ConfigureRuntimeMemory(512, kKeepCurrent);
  if (InitVariableStore() != kOk) return 1;
  std::puts("Vantoro: the runtime started; the comparison window is not built yet.");
  (void)ReleaseVariableStore();
  (void)ReleaseAllBlocks(true);
  return 0;
}
