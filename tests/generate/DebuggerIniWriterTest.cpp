#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/FileSystem.h"
#include "core/WizardState.h"
#include "generate/DebuggerIniWriter.h"
#include "support/TestSupport.h"
#include "ExpectedFiles.h"

using namespace forgeline;

TEST(DebuggerIniWriter, OneFileOfTheFamilyWithItsDevice) {
  struct Case {
    bool isRs08;
    std::string device;
    std::map<std::string, std::string> files;
  } cases[] = {
      {false, "DEMO08", {{"BDM_P&E_Multilink_CyclonePro.ini", expected::kHcs08Ini}}},
      {true, "MC9RS08KA2", {{"RS08_BDM_P&E_Multilink_CyclonePro.ini", expected::kRs08Ini}}},
  };
  for (const Case& c : cases) {
    test::TempDir dir;
    RealFileSystem fs(dir.path());
    auto state = std::make_unique<WizardState>();
    state->isRs08 = c.isRs08;
    state->currentDevice = c.device;
    EXPECT_TRUE(writeDebuggerIni(*state, fs).ok());
    EXPECT_EQ(test::snapshotTree(dir.path()), c.files) << c.device;
  }
}

TEST(DebuggerIniWriter, EmptyDeviceLeavesBothDeviceLinesBare) {
  auto state = std::make_unique<WizardState>();
  std::string bare = expected::kHcs08Ini;
  for (std::size_t at; (at = bare.find("=DEMO08")) != std::string::npos;) bare.erase(at + 1, 6);
  test::TempDir dir;
  RealFileSystem fs(dir.path());
  EXPECT_TRUE(writeDebuggerIni(*state, fs).ok());
  EXPECT_EQ(test::readFile(dir / "BDM_P&E_Multilink_CyclonePro.ini"), bare);
}
