#pragma once
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

// A fresh scratch directory, removed with everything in it at the end.
struct scratch_t {
  std::string dir;
  scratch_t() {
    char tmpl[] = "/tmp/venkari_test_XXXXXX";
    dir = mkdtemp(tmpl);
  }
  ~scratch_t() { std::system(("rm -rf '" + dir + "'").c_str()); }
  std::string touch(const std::string &name, mode_t mode = 0644) const {
    const std::string p = dir + "/" + name;
    std::ofstream(p) << "x\n";
    chmod(p.c_str(), mode);
    return p;
  }
};
