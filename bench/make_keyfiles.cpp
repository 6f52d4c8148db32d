// Writes a KeyFiles folder at full capacity into DIR/KeyFiles, for the
// command-line and window measurements of scripts/bench.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "KeyFileGenerator.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_keyfiles DIR\n");
    return 2;
  }
  const std::string keyFiles = std::string(argv[1]) + "/KeyFiles";
  if (::mkdir(argv[1], 0777) != 0 && errno != EEXIST) return std::perror(argv[1]), 1;
  if (::mkdir(keyFiles.c_str(), 0777) != 0) return std::perror(keyFiles.c_str()), 1;
  for (const auto& file : forgeline::bench::fullCapacityKeyFiles()) {
    const std::string path = keyFiles + "/" + file.name;
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) return std::perror(path.c_str()), 1;
    const bool ok = std::fwrite(file.bytes.data(), 1, file.bytes.size(), out) == file.bytes.size();
    if (std::fclose(out) != 0 || !ok) return std::perror(path.c_str()), 1;
  }
  return 0;
}
