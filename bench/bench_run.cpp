// Runs a command (and optionally its floor) RUNS times each, alternating
// the two so that both see the same load on the machine, and prints for each
// one line: MEDIAN_MS P25_MS P75_MS CPU_MEDIAN_MS PEAK_RSS_KIB FAILED_RUNS;
// with a floor, a third line: the ratio of each run to the floor's run next
// to it, as MEDIAN P25 P75. The wall time is what a user waits; the
// processor time (user and system) is what the run itself costs. A floor may
// be several commands run one after the other ("--then"), timed together.
//   bench_run RUNS COMMAND... [--vs FLOOR... [--then FLOOR...]]
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

// The value at fraction `q` of the sorted values (nearest rank).
double quantile(std::vector<double> values, double q) {
  std::sort(values.begin(), values.end());
  return values[static_cast<std::size_t>(q * static_cast<double>(values.size() - 1) + 0.5)];
}

void report(const std::vector<Sample>& samples) {
  std::vector<double> wall, cpu;
  long peak = 0;
  int failed = 0;
  for (const Sample& s : samples) {
    wall.push_back(s.milliseconds);
    cpu.push_back(s.cpuMilliseconds);
    peak = std::max(peak, s.peakKib);
    failed += s.failed ? 1 : 0;
  }
  std::printf("%.3f %.3f %.3f %.3f %ld %d\n", quantile(wall, 0.5), quantile(wall, 0.25), quantile(wall, 0.75),
              quantile(cpu, 0.5), peak, failed);
}

// Several commands one after the other count as one run.
Sample runAll(const std::vector<std::vector<std::string>>& commands, int run) {
  Sample total;
  for (const auto& command : commands) {
    const Sample s = runOnce(withRunNumber(command, run));
    total.milliseconds += s.milliseconds;
    total.cpuMilliseconds += s.cpuMilliseconds;
    total.peakKib = std::max(total.peakKib, s.peakKib);
    total.failed = total.failed || s.failed;
  }
  return total;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || std::atoi(argv[1]) < 1) {
    std::fprintf(stderr, "usage: bench_run RUNS COMMAND... [--vs FLOOR... [--then FLOOR...]]\n");
    return 2;
  }
  const int runs = std::atoi(argv[1]);
  std::vector<std::vector<std::string>> commands[2] = {{{}}, {}};
  int which = 0;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--vs") == 0 && which == 0) {
      which = 1;
      commands[1].emplace_back();
      continue;
    }
    if (std::strcmp(argv[i], "--then") == 0 && which == 1) {
      commands[1].emplace_back();
      continue;
    }
    commands[which].back().push_back(argv[i]);
  }
  const int count = commands[1].empty() ? 1 : 2;
  std::vector<Sample> samples[2];
  for (int run = 0; run <= runs; ++run) {
    for (int c = 0; c < count; ++c) {
      Sample s = runAll(commands[c], run);
      if (run > 0) samples[c].push_back(s);
    }
  }
  for (int c = 0; c < count; ++c) report(samples[c]);
  if (count == 2) {
    std::vector<double> ratios;
    for (std::size_t i = 0; i < samples[0].size(); ++i)
      ratios.push_back(samples[0][i].milliseconds / samples[1][i].milliseconds);
    std::printf("%.3f %.3f %.3f\n", quantile(ratios, 0.5), quantile(ratios, 0.25), quantile(ratios, 0.75));
  }
  return 0;
}
