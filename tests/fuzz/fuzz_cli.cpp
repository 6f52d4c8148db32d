// Fuzzes forgeline-cli's command line: words from its own vocabulary mixed
// with arbitrary bytes, run as a whole command on key files held in memory.
#include <memory>
#include <sstream>
#include <vector>

#include "FuzzSupport.h"
#include "cli/CliApp.h"

using namespace forgeline;
using namespace forgeline::fuzz;

namespace {

const char* const kWords[] = {"list",    "show",      "build",   "check",      "--help",  "--version", "-C",
                              "-C/",     "--click",   "--name",  "--date",     "--dry-run", "--",      "#0",
                              "#1",      "#2",        "#99999999999", "DEMO08", "RS08KA2", "INIT",     "ICS",
                              "ADC",     "KBI",       "P",       "2024-02-29", "--name=", "--click=ADC", "/",
                              "..",      "KeyFiles",  "-",       "--date=2023-02-29", "help", "-h", "--print", "main.c"};

const char* const kDemo =
    "MenuName=DEMO08\nIncludeName=<demo08.h>\nCURRENTDEVICE=MC9S08DEMO\nRevision=7\n"
    "PRMSTART\nSEGMENTS\n  ROM = READ_ONLY 0xC000 TO 0xFFAD;\nEND\nPRMEND\n"
    "MODULE:INIT\n9. Start-up code only\n1. includes\n#include \"derivative.h\"\n6. body of main\n  for (;;) { }\n"
    "ENDMODULE\nMODULE:ICS\n9. Internal clock source\n5.\nvoid ICS_Init(void);\n6.\n  ICS_Init();\n"
    "7.\nvoid ICS_Init(void) { }\nENDMODULE\n"
    "MODULE:ADC uses ICS\n9. Reads analogue channel 0\n4.\nunsigned int adcValue;\n6.\n  for (;;) { }\nENDMODULE\n";

const char* const kRs08 =
    "MenuName=RS08KA2\nIncludeName=<mc9rs08ka2.h>\nRevision=3\nMODULE:INIT\n9. Start-up code only\n6.\n"
    "  for (;;) { }\nENDMODULE\nMODULE:KBI\n9. Keyboard interrupt\n8.\ninterrupt void KBI_Isr(void) { }\nENDMODULE\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  std::vector<std::string> args;
  const int count = input.ConsumeIntegralInRange<int>(0, 12);
  for (int i = 0; i < count && input.remaining_bytes() > 0; ++i) {
    if (input.ConsumeBool())
      args.push_back(input.PickValueInArray(kWords));
    else
      args.push_back(input.ConsumeRandomLengthString(24));
  }

  MemoryFileSystem disk;
  disk.addFile("/KeyFiles/MCU_DEMO08.txt", kDemo);
  disk.addFile("/KeyFiles/MCU_RS08KA2.txt", kRs08);
  for (const char* name : {"burner.bbl", "C_Layout.hwl", "Default.mem", "Start08.c", "StartRS08.c", "DEMO08.mcp",
                           "RS08KA2.mcp"})
    disk.addFile(std::string("/KeyFiles/") + name, std::string("template ") + name + "\r\n");
  const std::map<std::string, std::string> before = disk.snapshot();
  std::ostringstream out, err;
  const int status = cli::runCli(args, out, err, [&disk](FileSystem&) {
    disk.changeDirectory("/");
    return std::make_unique<FileSystemWrapper>(disk);
  });

  const cli::ParsedArguments parsed = cli::parseArguments(args);
  // One of the three documented exit statuses, whatever the words.
  FORGELINE_FUZZ_CHECK(status == 0 || status == 1 || status == 2);
  // A refusal or a failure says so on standard error, in whole lines (check
  // reports its findings on standard output).
  const bool checking = parsed.error.empty() && parsed.invocation.command == cli::Command::check;
  if (status == 2 || (status == 1 && !checking)) FORGELINE_FUZZ_CHECK(!err.str().empty() && err.str().back() == '\n');
  if (!parsed.error.empty()) FORGELINE_FUZZ_CHECK(status == 2 && out.str().empty());
  if (parsed.error.empty() && parsed.invocation.command == cli::Command::help)
    FORGELINE_FUZZ_CHECK(status == 0 && out.str() == parsed.help);

  const std::map<std::string, std::string> after = disk.snapshot();
  std::string newFolder;
  // Nothing that was there changes, KeyFiles least of all.
  for (const auto& [path, content] : before) FORGELINE_FUZZ_CHECK(after.count(path) && after.at(path) == content);
  for (const auto& [path, content] : after) {
    if (before.count(path)) continue;
    // Only a build writes, only when it is not a dry run, and only into one
    // new folder beside KeyFiles.
    FORGELINE_FUZZ_CHECK(parsed.error.empty() && parsed.invocation.command == cli::Command::build &&
                         !parsed.invocation.dryRun);
    const std::string top = path.substr(0, path.find('/', 1));
    FORGELINE_FUZZ_CHECK(top != "/KeyFiles" && (newFolder.empty() || newFolder == top));
    newFolder = top;
  }
  return 0;
}
