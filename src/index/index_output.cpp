#include "index/index_output.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
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

// An interrupted build removes its temporary file, which is as large as the
// index, and then ends as the signal would have ended it.
const int CLEANUP_SIGNALS[] = {SIGHUP, SIGINT, SIGTERM};
const size_t CLEANUP_SIGNAL_COUNT =
    sizeof CLEANUP_SIGNALS / sizeof CLEANUP_SIGNALS[0];

// The handler may not allocate: it finds the name here, copied before the
// file is made, and removes the file only once it is ours.
char temp_name[PATH_MAX];
volatile sig_atomic_t temp_made = 0;
struct sigaction previous_actions[CLEANUP_SIGNAL_COUNT];

// Runs on whichever thread the signal reaches. The signal stays blocked in
// this thread until the handler returns, so the raised one then ends the
// process with the default action.
void remove_temp_on_signal(int sig) {
  if (temp_made)
    unlink(temp_name);
  signal(sig, SIG_DFL);
  raise(sig);
}

// Keeps the signals off this thread while the temporary file and what the
// handler knows of it change together; `before` receives the mask to put
// back.
void hold_signals(sigset_t &before) {
  sigset_t held;
  sigemptyset(&held);
  for (int sig : CLEANUP_SIGNALS)
    sigaddset(&held, sig);
  pthread_sigmask(SIG_BLOCK, &held, &before);
}

void release_signals(const sigset_t &before) {
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
}

void install_cleanup() {
  struct sigaction act;
  std::memset(&act, 0, sizeof act);
  act.sa_handler = remove_temp_on_signal;
  sigemptyset(&act.sa_mask);
  for (int sig : CLEANUP_SIGNALS)
    sigaddset(&act.sa_mask, sig);
  for (size_t i = 0; i < CLEANUP_SIGNAL_COUNT; ++i) {
    sigaction(CLEANUP_SIGNALS[i], nullptr, &previous_actions[i]);
    // A signal ignored when we started (as under nohup) stays ignored.
    if (previous_actions[i].sa_handler != SIG_IGN)
      sigaction(CLEANUP_SIGNALS[i], &act, nullptr);
  }
}

// With the signals held.
void remove_cleanup() {
  temp_made = 0;
  for (size_t i = 0; i < CLEANUP_SIGNAL_COUNT; ++i)
    sigaction(CLEANUP_SIGNALS[i], &previous_actions[i], nullptr);
}

// Makes the temporary file with the cleanup in place, which stays while the
// file exists.
int create_temp(const std::string &target, std::string &temp) {
  const std::string stem = dir_of(target) + "/." + base_of(target) + "." +
                           std::to_string(getpid()) + ".tmp";
  sigset_t before;
  hold_signals(before);
  install_cleanup();
  int fd = -1;
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = attempt == 0 ? stem : stem + std::to_string(attempt);
    if (temp.size() >= sizeof temp_name) {
      errno = ENAMETOOLONG;
      break;
    }
    std::memcpy(temp_name, temp.c_str(), temp.size() + 1);
    fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST)
      break;
  }
  if (fd >= 0)
    temp_made = 1;
  else
    remove_cleanup();
  release_signals(before);
  return fd;
}

// Renames the temporary file over the target (`keep`) or removes it, and
// ends the cleanup; a signal that comes meanwhile acts once it is done.
bool finish_temp(index_output_t &out, bool keep) {
  sigset_t before;
  hold_signals(before);
  const bool moved = keep && rename(out.temp.c_str(), out.target.c_str()) == 0;
  if (!moved)
    unlink(out.temp.c_str());
  remove_cleanup();
  release_signals(before);
  out.temp.clear();
  return moved;
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
  return out.temp.empty() || finish_temp(out, true);
}

void discard_index_output(index_output_t &out) {
  if (out.fd >= 0)
    close(out.fd);
  out.fd = -1;
  if (!out.temp.empty())
    finish_temp(out, false);
}
