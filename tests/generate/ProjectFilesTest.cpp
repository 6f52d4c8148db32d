#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/FileSystem.h"
#include "core/WizardState.h"
#include "generate/ProjectFiles.h"
#include "support/TestSupport.h"
#include "ExpectedFiles.h"

using namespace forgeline;

namespace {

struct Folder {
  test::TempDir dir;
  RealFileSystem fs{dir.path()};
  std::string read(const std::string& name) const { return test::readFile(dir / name); }
};

}  // namespace

TEST(ProjectFiles, ProjectMapIsOnePlaceholderLine) {
  Folder folder;
  auto state = std::make_unique<WizardState>();
  EXPECT_TRUE(writeProjectMap(*state, folder.fs).ok());
  EXPECT_EQ(folder.read("Project.Map"), "Placeholder.\r\n");
}

TEST(ProjectFiles, CommandFilesOfEachFamily) {
  struct Case {
    bool isRs08;
    std::map<std::string, std::string> files;
  } cases[] = {
      {false,
       {{"BDM_P&E_Multilink_CyclonePro_Postload.cmd", "// After load the commands written below will be executed\r\n"},
        {"BDM_P&E_Multilink_CyclonePro_Preload.cmd", "// Before load the commands written below will be executed\r\n"},
        {"BDM_P&E_Multilink_CyclonePro_Reset.cmd", "// After reset the commands written below will be executed\r\n"},
        {"BDM_P&E_Multilink_CyclonePro_Startup.cmd", "// At startup the commands written below will be executed\r\n"}}},
      {true,
       {{"RS08_BDM_P&E_Multilink_CyclonePro_Postload.cmd",
         "// After load the commands written below will be executed\r\n"},
        {"RS08_BDM_P&E_Multilink_CyclonePro_Preload.cmd",
         "// Before load the commands written below will be executed\r\n"},
        {"RS08_BDM_P&E_Multilink_CyclonePro_Reset.cmd",
         "// After reset the commands written below will be executed\r\n"},
        {"RS08_BDM_P&E_Multilink_CyclonePro_Startup.cmd",
         "// At startup the commands written below will be executed\r\n"}}},
  };
  for (const Case& c : cases) {
    Folder folder;
    auto state = std::make_unique<WizardState>();
    state->isRs08 = c.isRs08;
    EXPECT_TRUE(writeCommandFiles(*state, folder.fs).ok());
    EXPECT_EQ(test::snapshotTree(folder.dir.path()), c.files) << "RS08 " << c.isRs08;
  }
}

TEST(ProjectFiles, CommandFilesComeInEventOrderAndStopAtTheFirstFailure) {
  test::TempDir dir;
  RealFileSystem real(dir.path());
  test::FaultyFileSystem fs(real);
  fs.failOn(test::FsOp::openForWriting, "BDM_P&E_Multilink_CyclonePro_Preload.cmd");
  auto state = std::make_unique<WizardState>();
  const WriteOutcome outcome = writeCommandFiles(*state, fs);
  EXPECT_EQ(outcome.status, WriteStatus::notCreated);
  EXPECT_EQ(outcome.fileName, "BDM_P&E_Multilink_CyclonePro_Preload.cmd");
  EXPECT_EQ(fs.log(), (std::vector<std::string>{"write BDM_P&E_Multilink_CyclonePro_Postload.cmd",
                                                 "write-bytes BDM_P&E_Multilink_CyclonePro_Postload.cmd",
                                                 "close BDM_P&E_Multilink_CyclonePro_Postload.cmd",
                                                 "write BDM_P&E_Multilink_CyclonePro_Preload.cmd"}));
}

TEST(ProjectFiles, PrmFileIsTheStoredLinesBackToBack) {
  struct Case {
    std::vector<std::string> lines;
    std::string file;
  } cases[] = {
      {{"NAMES END\n", "SEGMENTS\n", "END\n"}, "NAMES END\r\nSEGMENTS\r\nEND\r\n"},
      {{"NAMES END\n", "END"}, "NAMES END\r\nEND"},
      {{"a piece without its end, ", "and the rest\n"}, "a piece without its end, and the rest\r\n"},
      {{"STACKSIZE 0x50 // 100% of it\n"}, "STACKSIZE 0x50 // 100% of it\r\n"},
      {{"\n"}, "\r\n"},
      {{}, ""},
  };
  for (const Case& c : cases) {
    Folder folder;
    auto state = std::make_unique<WizardState>();
    for (const std::string& line : c.lines) state->prmLines[static_cast<std::size_t>(state->prmLineCount++)] = line;
    state->prmLines[static_cast<std::size_t>(state->prmLineCount)] = "beyond the count\n";
    EXPECT_TRUE(writePrmFile(*state, folder.fs).ok());
    EXPECT_EQ(folder.read("Project.prm"), c.file) << c.lines.size() << " lines";
  }
}

TEST(ProjectFiles, DerivativeHeaderOfEachFamily) {
  struct Case {
    bool isRs08;
    std::string includeName;
    std::string file;
  } cases[] = {
      {false, "<demo08.h>", expected::kHcs08Header},
      {true, "<rs08kb12.h>", expected::kRs08Header},
      {false, kDefaultIncludeName, expected::kDefaultIncludeHeader},
  };
  for (const Case& c : cases) {
    Folder folder;
    auto state = std::make_unique<WizardState>();
    state->isRs08 = c.isRs08;
    state->includeName = c.includeName;
    EXPECT_TRUE(writeDerivativeHeader(*state, folder.fs).ok());
    EXPECT_EQ(folder.read("derivative.h"), c.file) << c.includeName;
  }
}

TEST(ProjectFiles, IncludeNameIsInsertedLiterally) {
  Folder folder;
  auto state = std::make_unique<WizardState>();
  state->includeName = "\"%s%d.h\"";
  state->isRs08 = true;
  EXPECT_TRUE(writeDerivativeHeader(*state, folder.fs).ok());
  const std::string file = folder.read("derivative.h");
  EXPECT_NE(file.find("\r\n#include \"%s%d.h\"" + std::string(95, ' ') + "\r\n"), std::string::npos);
}
