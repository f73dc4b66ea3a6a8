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
  return look_at(path, st) && S_ISREG(st.st_mode) &&
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
    raise_if_no_memory();
    struct stat st;
    if (look_at(path, st) && !S_ISDIR(st.st_mode))
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

void raise_if_no_memory() {
  if (errno == ENOMEM)
    throw std::bad_alloc();
}

int open_for_reading(const std::string &name, int flags) {
  const int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC | flags);
  if (fd < 0)
    raise_if_no_memory();
  return fd;
}

// Passes on what a look-up gave, after raise_if_no_memory for a failure.
static bool looked(int result) {
  if (result != 0)
    raise_if_no_memory();
  return result == 0;
}

bool look_at(const std::string &path, struct stat &st) {
  return looked(stat(path.c_str(), &st));
}

bool look_at_link(const std::string &path, struct stat &st) {
  return looked(lstat(path.c_str(), &st));
}

bool look_at(int fd, struct stat &st) { return looked(fstat(fd, &st)); }

bool same_file(const std::string &a, const std::string &b) {
  struct stat sa, sb;
  return look_at(a, sa) && look_at(b, sb) && same_file(sa, sb);
}

std::string output_over_input(const std::vector<std::string> &outputs,
                              const std::vector<std::string> &inputs) {
  for (const std::string &out : outputs)
    for (const std::string &in : inputs)
      if (same_file(out, in))
        return out;
  return "";
}
