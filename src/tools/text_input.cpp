#include "tools/text_input.h"

#include <sys/stat.h>

bool open_text_input(std::ifstream &in, const std::string &path) {
  struct stat st;
  if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
    return false;
  in.open(path.c_str());
  return in.is_open();
}
