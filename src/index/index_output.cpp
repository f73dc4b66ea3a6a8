#include "index/index_output.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/path_utils.h"

namespace {

std::string dir_of(const std::string &path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos)
    return ".";
  if (slash == 0)
    return "/";
  return path.substr(0, slash);
}

std::string base_of(const std::string &path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A symbolic link keeps pointing at the rebuilt index: replace its target.
std::string resolve_target(const std::string &path) {
  char buf[PATH_MAX];
  if (realpath(path.c_str(), buf) == nullptr)
    return path;
  return buf;
}

// Links followed before giving up, as the system does for a loop.
const int MAX_LINK_HOPS = 40;

// The name a chain of symbolic links from `path` ends in when that name
// does not exist yet: opening the path for writing creates that file, and
// so does the rename. False when `path` is no link, or the chain loops or
// cannot be read.
bool dangling_target(const std::string &path, std::string &target) {
  std::string cur = path;
  char buf[PATH_MAX];
  for (int hop = 0; hop <= MAX_LINK_HOPS; ++hop) {
    struct stat st;
    if (lstat(cur.c_str(), &st) != 0) {
      if (errno != ENOENT || hop == 0)
        return false;
      target = cur;
      return true;
    }
    if (!S_ISLNK(st.st_mode))
      return false;
    const ssize_t n = readlink(cur.c_str(), buf, sizeof buf);
    if (n <= 0 || size_t(n) >= sizeof buf)
      return false;
    const std::string next(buf, size_t(n));
    cur = next[0] == '/' ? next : dir_of(cur) + "/" + next;
  }
  return false;
}

bool is_link(const std::string &path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

int create_temp(const std::string &target, std::string &temp) {
  const std::string stem = dir_of(target) + "/." + base_of(target) + "." +
                           std::to_string(getpid()) + ".tmp";
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = attempt == 0 ? stem : stem + std::to_string(attempt);
    const int fd =
        open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST)
      return fd;
  }
  return -1;
}

bool open_direct(index_output_t &out) {
  out.target = out.path;
  out.temp.clear();
  out.fd =
      open(out.path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  return out.fd >= 0;
}

} // namespace

bool open_index_output(const std::string &path, const std::string &genome_path,
                       index_output_t &out) {
  out.path = path;
  out.fd = -1;
  out.temp.clear();
  if (path.empty())
    return false;
  struct stat gst, ost;
  const bool exists = stat(path.c_str(), &ost) == 0;
  if (exists) {
    if (stat(genome_path.c_str(), &gst) == 0 && same_file(gst, ost))
      return false;
    if (S_ISDIR(ost.st_mode))
      return false;
    if (!S_ISREG(ost.st_mode))
      return open_direct(out);
    if (access(path.c_str(), W_OK) != 0)
      return false;
  }
  out.target = exists ? resolve_target(path) : path;
  // A link to a file not yet there: the index becomes that file, and the
  // link stays.
  if (!exists && is_link(path) && !dangling_target(path, out.target))
    return false;
  const int fd = create_temp(out.target, out.temp);
  if (fd < 0) {
    out.temp.clear();
    // A writable file in a directory we may not add to: overwrite in place.
    return exists && open_direct(out);
  }
  if (exists)
    fchmod(fd, ost.st_mode & 07777);
  out.fd = fd;
  return true;
}

bool commit_index_output(index_output_t &out) {
  const int closed = close(out.fd);
  out.fd = -1;
  if (closed != 0) {
    discard_index_output(out);
    return false;
  }
  if (out.temp.empty())
    return true;
  if (rename(out.temp.c_str(), out.target.c_str()) != 0) {
    discard_index_output(out);
    return false;
  }
  out.temp.clear();
  return true;
}

void discard_index_output(index_output_t &out) {
  if (out.fd >= 0)
    close(out.fd);
  out.fd = -1;
  if (!out.temp.empty())
    unlink(out.temp.c_str());
  out.temp.clear();
}
