#include "tools/text_input.h"

#include <sys/stat.h>

bool open_text_input(line_reader_t &in, const std::string &path) {
  struct stat st;
  if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
    return false;
  return line_reader_open(in, path);
}
