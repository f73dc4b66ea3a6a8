#pragma once
#include <cstdlib>
#include <string>
#include <unistd.h>

// A new empty file under /tmp whose name begins with `stem`; the test
// removes it.
inline std::string temp_path(const char *stem) {
  std::string name = std::string("/tmp/") + stem + "_XXXXXX";
  const int fd = mkstemp(&name[0]);
  if (fd >= 0)
    close(fd);
  return name;
}
