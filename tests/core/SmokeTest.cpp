#include <gtest/gtest.h>

#include "core/DialogModel.h"
#include "core/Wizard.h"
#include "support/TestSupport.h"

using namespace forgeline;

TEST(Smoke, Demo08Loads) {
  test::TempDir dir;
  test::writeKeyFiles(dir.path(), {{"MCU_DEMO08.txt", test::kDemo08}});
  RealFileSystem fs(dir.path());
  DialogModel dialog;
  auto state = std::make_unique<WizardState>();
  initialiseWizard(*state, dialog, fs);
  ASSERT_EQ(state->mcuCount, 1);
  loadMcuDescription(*state, dialog, fs, 0, LoadMode::previewMode);
  EXPECT_EQ(state->moduleCount, 3);
}
