#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <streambuf>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>

#include "core/Win32Text.h"
#else
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#endif

#include "cli/CliApp.h"
#include "cli/TerminalDialog.h"
#include "core/FileSystem.h"

namespace {

// A standard stream closed by the caller (">&-") would hand its number to
// the first file the program opens, and the report would be written into
// the project. A read-only /dev/null takes its place instead: every write
// to it fails, and the check at the end reports that.
void keepStandardStreamsTaken() {
#ifndef _WIN32
  for (int fd = 0; fd <= 2; ++fd)
    if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) ::open("/dev/null", O_RDONLY);
#endif
}

// Standard output through stdio, as std::cout writes it, keeping the
// system's reason for the first write that failed: a stream that has failed
// writes nothing more, so by the end of a long report errno no longer says.
class StandardOutput : public std::streambuf {
 public:
  int error() const { return error_; }

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    return std::fputc(traits_type::to_char_type(c), stdout) == EOF ? failed() : c;
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    const std::size_t written = std::fwrite(s, 1, static_cast<std::size_t>(n), stdout);
    if (written < static_cast<std::size_t>(n)) failed();
    return static_cast<std::streamsize>(written);
  }
  int sync() override { return std::fflush(stdout) == 0 ? 0 : (failed(), -1); }

 private:
  int_type failed() {
    if (error_ == 0) error_ = errno;
    return traits_type::eof();
  }
  int error_ = 0;
};

// A report that never reached its reader must not end in "done": a full
// disk or a closed stream turns any exit status into a failure.
int checkedStandardOutput(int status, std::ostream& out, const StandardOutput& buffer) {
  errno = 0;
  if (out.flush() && std::fflush(stdout) == 0 && !std::ferror(stdout)) return status;
  const int error = buffer.error() != 0 ? buffer.error() : errno;
  std::cerr << forgeline::cli::kProgramName << ": could not write to standard output"
            << (error != 0 ? std::string(": ") + std::strerror(error) : std::string()) << '\n';
  return 1;
}

#ifndef _WIN32
// Ctrl-C, a terminal closed, a polite kill, a reader gone from the pipe, a
// timer or a user signal: the file being written is removed before the
// signal ends the program as it would have (SIGQUIT still dumps its core).
extern "C" void endBySignal(int signal) {
  forgeline::removeUnfinishedFile();
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

void removeTemporariesOnSignals() {
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGALRM, SIGUSR1, SIGUSR2}) {
    struct sigaction previous {};
    // A signal the caller chose to ignore (nohup) stays ignored.
    if (::sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = endBySignal;
    ::sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
  }
  // A file-size limit (ulimit -f) then fails the write that would pass it,
  // and the build cleans up and reports it as it does a full disk, instead
  // of being killed with its temporary left behind.
  ::signal(SIGXFSZ, SIG_IGN);
}
#else
// Ctrl-C, Ctrl-Break or the console closed: the file being written is
// removed, then Windows' own handler ends the program as it would have.
BOOL WINAPI endByConsoleEvent(DWORD) {
  forgeline::removeUnfinishedFile();
  return FALSE;
}

void removeTemporariesOnSignals() { ::SetConsoleCtrlHandler(endByConsoleEvent, TRUE); }
#endif

// The arguments as UTF-8. Windows hands argv over in its ANSI code page,
// which cannot carry every name, so there they come from the wide command line.
std::vector<std::string> arguments(int argc, char** argv) {
#ifdef _WIN32
  int count = 0;
  if (LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count)) {
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) args.push_back(forgeline::narrow(wide[i]));
    ::LocalFree(wide);
    return args;
  }
#endif
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

// Windows' C run-time turns "\n" into CR LF on a text-mode stream; the
// program's output is the same bytes on every system.
void binaryStandardStreams() {
#ifdef _WIN32
  ::_setmode(::_fileno(stdout), _O_BINARY);
  ::_setmode(::_fileno(stderr), _O_BINARY);
#endif
}

}  // namespace

int main(int argc, char** argv) {
  keepStandardStreamsTaken();
  removeTemporariesOnSignals();
  binaryStandardStreams();
  const std::vector<std::string> args = arguments(argc, argv);
  StandardOutput buffer;
  std::ostream out(&buffer);
  // As with std::cout: what is written before a message goes out first.
  std::cerr.tie(&out);
  const int status = checkedStandardOutput(forgeline::cli::runCli(args, out, std::cerr), out, buffer);
  std::cerr.tie(nullptr);  // `out` ends here, before the streams' last flush
  return status;
}
