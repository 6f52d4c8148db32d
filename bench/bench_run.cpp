// Runs a command (and optionally its floor) RUNS times each, alternating
// the two so that both see the same load on the machine, and prints for each
// one line: MEDIAN_MS MIN_MS CPU_MEDIAN_MS PEAK_RSS_KIB FAILED_RUNS. The
// wall time is what a user waits; the processor time (user and system) is
// what the run itself costs, and stays steady on a machine that is shared.
//   bench_run RUNS COMMAND... [--vs FLOOR...]
// "{i}" in an argument becomes the run's number: 0 for the warm-up run that
// is not counted, then 1 to RUNS. Output of the commands is discarded.
//
// Peak memory is the kernel's high-water mark of the child. A child that
// has not yet replaced itself by the command still counts this program's
// pages, so this program stays small: no streams, no containers that grow.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

struct Sample {
  double milliseconds = 0;
  double cpuMilliseconds = 0;
  long peakKib = 0;
  bool failed = false;
};

std::vector<std::string> withRunNumber(const std::vector<std::string>& args, int run) {
  std::vector<std::string> result = args;
  for (std::string& arg : result)
    for (std::size_t at = arg.find("{i}"); at != std::string::npos; at = arg.find("{i}", at))
      arg.replace(at, 3, std::to_string(run));
  return result;
}

double now() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

Sample runOnce(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  Sample sample;
  const double start = now();
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) {
    sample.failed = true;
    return sample;
  }
  sample.milliseconds = now() - start;
  sample.peakKib = usage.ru_maxrss;
  auto ms = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3; };
  sample.cpuMilliseconds = ms(usage.ru_utime) + ms(usage.ru_stime);
  sample.failed = !WIFEXITED(status) || WEXITSTATUS(status) != 0;
  return sample;
}

void report(std::vector<Sample>& samples) {
  std::vector<double> cpu;
  for (const Sample& s : samples) cpu.push_back(s.cpuMilliseconds);
  std::sort(cpu.begin(), cpu.end());
  std::sort(samples.begin(), samples.end(),
            [](const Sample& a, const Sample& b) { return a.milliseconds < b.milliseconds; });
  long peak = 0;
  int failed = 0;
  for (const Sample& s : samples) {
    peak = std::max(peak, s.peakKib);
    failed += s.failed ? 1 : 0;
  }
  std::printf("%.3f %.3f %.3f %ld %d\n", samples[samples.size() / 2].milliseconds, samples.front().milliseconds,
              cpu[cpu.size() / 2], peak, failed);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || std::atoi(argv[1]) < 1) {
    std::fprintf(stderr, "usage: bench_run RUNS COMMAND... [--vs FLOOR...]\n");
    return 2;
  }
  const int runs = std::atoi(argv[1]);
  std::vector<std::string> commands[2];
  int which = 0;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--vs") == 0 && which == 0) {
      which = 1;
      continue;
    }
    commands[which].push_back(argv[i]);
  }
  const int count = commands[1].empty() ? 1 : 2;
  std::vector<Sample> samples[2];
  for (int run = 0; run <= runs; ++run) {
    for (int c = 0; c < count; ++c) {
      Sample s = runOnce(withRunNumber(commands[c], run));
      if (run > 0) samples[c].push_back(s);
    }
  }
  for (int c = 0; c < count; ++c) report(samples[c]);
  return 0;
}
