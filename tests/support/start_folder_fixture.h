// A running runtime with the language "EN" and a start folder of its own, in
// which a test may drop a language module; the module is forgotten around
// each test.
#pragma once

#include "runtime/core/variable_store.h"
#include "runtime/messages/catalog.h"
#include "support/runtime_fixture.h"
#include "support/temp_dir.h"

class StartFolderTest : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    ResetLanguageModule();
    ASSERT_EQ(SetVariable(kGroupSettings, kItemLanguage, Lit("EN")), kOk);
    ASSERT_EQ(SetVariable(kGroupSettings, kItemStartFolder, View(start_.path())), kOk);
  }
  void TearDown() override {
    ResetLanguageModule();
    RuntimeTest::TearDown();
  }
  TempDir start_;
};
