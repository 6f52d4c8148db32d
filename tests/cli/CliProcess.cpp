#include "cli/CliProcess.h"

#ifdef _WIN32
#include <windows.h>

#include "core/Win32Text.h"
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "cli/CliApp.h"
#include "support/TestSupport.h"

namespace forgeline::test {

// $FORGELINE_BINARY_DIR/cli/forgeline-cli
static std::string cliProgramPath() {
  const char* binaryDir = std::getenv("FORGELINE_BINARY_DIR");
  if (binaryDir == nullptr) throw std::runtime_error("FORGELINE_BINARY_DIR is not set; run the tests through ctest");
#ifdef _WIN32
  return std::filesystem::absolute(std::string(binaryDir) + "/cli/forgeline-cli.exe").generic_string();
#else
  return std::string(binaryDir) + "/cli/forgeline-cli";
#endif
}

#ifdef _WIN32

namespace {

std::wstring wide(const std::string& text) {
  std::optional<std::wstring> converted = widen(text);
  if (!converted) throw std::runtime_error("not UTF-8: " + printable(text));
  return *converted;
}

// One argument as the C run-time's command-line parser reads it back:
// quoted when it holds a blank or a quote, backslashes doubled before a quote.
std::wstring quoted(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
  std::wstring text = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    text.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    text += c;
    backslashes = 0;
  }
  text.append(2 * backslashes, L'\\');
  return text + L"\"";
}

// Closed when it goes out of scope.
struct HandleCloser {
  void operator()(HANDLE handle) const {
    if (handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
  }
};
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

HANDLE inheritableFile(const std::string& path) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return ::CreateFileW(wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Windows has no full device; a pipe nobody reads fails every write the same way.
HANDLE pipeWithoutReader() {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE reader = nullptr, writer = nullptr;
  if (!::CreatePipe(&reader, &writer, &inherit, 0)) throw std::runtime_error("CreatePipe failed");
  ::CloseHandle(reader);
  return writer;
}

}  // namespace

CliResult runCliProgram(const std::vector<std::string>& args, const std::string& workingDirectory,
                        StandardOutput output) {
  const std::string program = cliProgramPath();
  TempDir capture;
  const std::string outPath = capture / "out", errPath = capture / "err";
  std::wstring commandLine = quoted(wide(program));
  for (const std::string& arg : args) commandLine += L" " + quoted(wide(arg));
  OwnedHandle out(output == StandardOutput::captured ? inheritableFile(outPath)
                  : output == StandardOutput::full   ? pipeWithoutReader()
                                                     : nullptr);
  OwnedHandle err(inheritableFile(errPath));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = out.get();
  startup.hStdError = err.get();
  PROCESS_INFORMATION process{};
  // Under Wine a start now and then fails with ERROR_INTERNAL_ERROR, the
  // emulator's own hiccup and nothing the program did (it has not run yet);
  // that one error is tried again, said on stderr so it stays visible.
  for (int attempt = 1;; ++attempt) {
    if (::CreateProcessW(wide(program).c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                         wide(workingDirectory).c_str(), &startup, &process))
      break;
    const DWORD error = ::GetLastError();
    if (error != ERROR_INTERNAL_ERROR || attempt == 5)
      throw std::runtime_error("cannot start " + program + ": error " + std::to_string(error));
    std::cerr << "starting " << program << " failed with ERROR_INTERNAL_ERROR; trying again\n";
    ::Sleep(200);
  }
  OwnedHandle thread(process.hThread), child(process.hProcess);
  ::WaitForSingleObject(child.get(), INFINITE);
  DWORD code = 0;
  ::GetExitCodeProcess(child.get(), &code);
  CliResult result;
  result.status = static_cast<int>(code);
  if (output == StandardOutput::captured) result.out = readFile(outPath);
  result.err = readFile(errPath);
  return result;
}

#else

pid_t startCliProgram(const std::vector<std::string>& args, const std::string& workingDirectory,
                      const std::string& outPath, const std::string& errPath, StandardOutput output) {
  const std::string program = cliProgramPath();
  std::vector<std::string> argvStrings{program};
  argvStrings.insert(argvStrings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : argvStrings) argv.push_back(arg.data());
  argv.push_back(nullptr);

  pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    // Only async-signal-safe calls between fork and exec.
    int out = output == StandardOutput::full ? ::open("/dev/full", O_WRONLY)
                                             : ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0 || ::chdir(workingDirectory.c_str()) != 0)
      ::_exit(127);
    if (output == StandardOutput::closed) ::close(1);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  return pid;
}

int waitForProgram(pid_t pid) {
  int wstatus = 0;
  while (::waitpid(pid, &wstatus, 0) < 0) {
  }
  return WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
}

CliResult runCliProgram(const std::vector<std::string>& args, const std::string& workingDirectory,
                        StandardOutput output) {
  TempDir capture;
  const std::string outPath = capture / "out", errPath = capture / "err";
  CliResult result;
  result.status = waitForProgram(startCliProgram(args, workingDirectory, outPath, errPath, output));
  if (output == StandardOutput::captured) result.out = readFile(outPath);
  result.err = readFile(errPath);
  return result;
}

#endif

std::string describe(const std::vector<std::string>& args) {
  std::string text = "forgeline-cli";
  for (const std::string& arg : args) text += " " + arg;
  return text;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return lines;
}

const char* const kRs08Ka2 =
    "MenuName=RS08KA2\n"
    "IncludeName=<mc9rs08ka2.h>\n"
    "CURRENTDEVICE=MC9RS08KA2\n"
    "Revision=3\n"
    "PRMSTART\n"
    "SEGMENTS\n"
    "    ROM = READ_ONLY 0x3800 TO 0x3FF7;\n"
    "END\n"
    "PRMEND\n"
    "MODULE:INIT\n"
    "9. Start-up code only\n"
    "6.\n"
    "  for (;;) { }\n"
    "ENDMODULE\n"
    "MODULE:KBI\n"
    "9. Keyboard interrupt on pin 0\n"
    "5.\n"
    "void KBI_Init(void);\n"
    "6.\n"
    "  KBI_Init();\n"
    "  for (;;) { }\n"
    "8.\n"
    "interrupt void KBI_Isr(void) { }\n"
    "ENDMODULE\n";

void writeTwoMcuKeyFiles(const std::string& root) {
  writeKeyFiles(root, {{"MCU_DEMO08.txt", kDemo08}, {"MCU_RS08KA2.txt", kRs08Ka2}}, {"DEMO08", "RS08KA2"});
}

void writeTwoMcuKeyFiles(MemoryFileSystem& disk) {
  writeKeyFiles(disk, {{"MCU_DEMO08.txt", kDemo08}, {"MCU_RS08KA2.txt", kRs08Ka2}}, {"DEMO08", "RS08KA2"});
}

CliResult runCliOn(FileSystem& disk, const std::vector<std::string>& args,
                   const std::function<std::unique_ptr<FileSystem>(FileSystem&)>& filter) {
  std::ostringstream out, err;
  CliResult result;
  const std::optional<std::string> start = disk.currentDirectory();
  result.status = cli::runCli(args, out, err, [&](FileSystem&) -> std::unique_ptr<FileSystem> {
    return filter ? filter(disk) : std::make_unique<FileSystemWrapper>(disk);
  });
  // The next run starts where a new process would.
  if (start) disk.changeDirectory(*start);
  result.out = out.str();
  result.err = err.str();
  return result;
}

}  // namespace forgeline::test
