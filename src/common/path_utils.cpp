#include "common/path_utils.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool is_executable_file(const std::string &path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
         access(path.c_str(), X_OK) == 0;
}

} // namespace

bool program_exists(const std::string &name) {
  if (name.empty())
    return false;
  if (name.find('/') != std::string::npos)
    return is_executable_file(name);
  const char *path = std::getenv("PATH");
  if (!path)
    return false;
  const std::string dirs = path;
  size_t from = 0;
  while (from <= dirs.size()) {
    size_t to = dirs.find(':', from);
    if (to == std::string::npos)
      to = dirs.size();
    // An empty PATH entry names the current directory.
    const std::string dir = to > from ? dirs.substr(from, to - from) : ".";
    if (is_executable_file(dir + "/" + name))
      return true;
    from = to + 1;
  }
  return false;
}

bool mkdir(const std::string &dir) {
  return !dir.empty() && ::mkdir(dir.c_str(), 0777) == 0;
}

std::vector<std::string> list_dir(const std::string &dir) {
  const std::string path = dir.empty() ? "." : dir;
  std::vector<std::string> out;
  DIR *d = opendir(path.c_str());
  if (!d) {
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode))
      out.push_back(dir);
    return out;
  }
  while (const dirent *e = readdir(d))
    if (e->d_name[0] != '.')
      out.emplace_back(e->d_name);
  closedir(d);
  std::sort(out.begin(), out.end());
  return out;
}

int open_for_reading(const std::string &name) {
  const int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0 && errno == ENOMEM)
    throw std::bad_alloc();
  return fd;
}

bool same_file(const std::string &a, const std::string &b) {
  struct stat sa, sb;
  return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 &&
         same_file(sa, sb);
}

std::string output_over_input(const std::vector<std::string> &outputs,
                              const std::vector<std::string> &inputs) {
  for (const std::string &out : outputs)
    for (const std::string &in : inputs)
      if (same_file(out, in))
        return out;
  return "";
}
