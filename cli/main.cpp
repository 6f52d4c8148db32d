#include <iostream>
#include <string>
#include <vector>

#include "cli/CliApp.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  int status = forgeline::cli::runCli(args, std::cout, std::cerr);
  std::cout.flush();
  return status;
}
