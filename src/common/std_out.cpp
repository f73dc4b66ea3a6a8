#include "common/std_out.h"

#include <cstdio>
#include <iostream>
#include <sys/stat.h>

#include "common/path_utils.h"

namespace {

// The first of `paths` that is the file behind `so`, or "".
std::string named_among(const struct stat &so,
                        const std::vector<std::string> &paths) {
  for (const std::string &path : paths) {
    struct stat st;
    if (!path.empty() && look_at(path, st) && same_file(so, st))
      return path;
  }
  return "";
}

} // namespace

stdout_clash_t stdout_clash(const std::vector<std::string> &inputs,
                            const std::vector<std::string> &outputs) {
  struct stat so;
  if (!look_at(fileno(stdout), so) || !S_ISREG(so.st_mode))
    return STDOUT_APART;
  std::string path = named_among(so, inputs);
  if (!path.empty()) {
    std::cerr << "Error: standard output is an input file: " << path
              << std::endl;
    return STDOUT_IS_INPUT;
  }
  path = named_among(so, outputs);
  if (!path.empty()) {
    std::cerr << "Error: standard output is an output file: " << path
              << std::endl;
    return STDOUT_IS_OUTPUT;
  }
  return STDOUT_APART;
}

int finish_stdout() {
  std::cout.flush();
  if (std::cout)
    return 0;
  std::cerr << "ERROR: Could not write to standard output" << std::endl;
  return 1;
}
