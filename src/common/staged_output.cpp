#include "common/staged_output.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <new>
#include <pthread.h>
#include <sys/random.h>
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

// A symbolic link keeps pointing at the new output: replace its target.
std::string resolve_target(const std::string &path) {
  char buf[PATH_MAX];
  if (realpath(path.c_str(), buf) == nullptr) {
    // Without its target the link itself would be replaced by the output.
    raise_if_no_memory();
    return path;
  }
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
    if (!look_at_link(cur, st)) {
      if (errno != ENOENT || hop == 0)
        return false;
      target = cur;
      return true;
    }
    if (!S_ISLNK(st.st_mode))
      return false;
    const ssize_t n = readlink(cur.c_str(), buf, sizeof buf);
    if (n < 0)
      raise_if_no_memory();
    if (n <= 0 || size_t(n) >= sizeof buf)
      return false;
    const std::string next(buf, size_t(n));
    cur = next[0] == '/' ? next : dir_of(cur) + "/" + next;
  }
  return false;
}

bool is_link(const std::string &path) {
  struct stat st;
  return look_at_link(path, st) && S_ISLNK(st.st_mode);
}

// An interrupted run removes its temporary files, which may be as large as
// its outputs, and then ends as the signal would have ended it. SIGXFSZ is
// what a write past the file size limit raises, and SIGPIPE a write to a
// pipe closed early (standard output, or an output that is a FIFO).
const int CLEANUP_SIGNALS[] = {SIGHUP,  SIGINT,  SIGPIPE,
                               SIGQUIT, SIGTERM, SIGXFSZ};
const size_t CLEANUP_SIGNAL_COUNT =
    sizeof CLEANUP_SIGNALS / sizeof CLEANUP_SIGNALS[0];

// Temporary files that may exist at once in one process; a command has a
// handful of outputs.
const size_t MAX_TEMPS = 8;

// The handler may not allocate: it finds the names here, each copied before
// its file is made, and removes a file only once it is ours.
char temp_names[MAX_TEMPS][PATH_MAX];
volatile sig_atomic_t temp_made[MAX_TEMPS];
size_t temps_made = 0;
struct sigaction previous_actions[CLEANUP_SIGNAL_COUNT];

// Runs on whichever thread the signal reaches. The signal stays blocked in
// this thread until the handler returns, so the raised one then ends the
// process with the default action.
void remove_temps_on_signal(int sig) {
  remove_staged_temps();
  signal(sig, SIG_DFL);
  raise(sig);
}

// Keeps the signals off this thread while the temporary files and what the
// handler knows of them change together; `before` receives the mask to put
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

// With the signals held, before the first temporary file is made.
void install_cleanup() {
  struct sigaction act;
  std::memset(&act, 0, sizeof act);
  act.sa_handler = remove_temps_on_signal;
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

// With the signals held, once no temporary file is left. An action set
// since (align ignores SIGPIPE) stays.
void remove_cleanup() {
  for (size_t i = 0; i < CLEANUP_SIGNAL_COUNT; ++i) {
    struct sigaction now;
    sigaction(CLEANUP_SIGNALS[i], nullptr, &now);
    if (now.sa_handler == remove_temps_on_signal)
      sigaction(CLEANUP_SIGNALS[i], &previous_actions[i], nullptr);
  }
}

int free_slot() {
  for (size_t i = 0; i < MAX_TEMPS; ++i)
    if (!temp_made[i])
      return int(i);
  return -1;
}

// Names tried for one temporary file: the first one, then names that no
// one can make ahead of us (another user in a shared directory who made
// every name tried would force the output to be written in place).
const int NAME_ATTEMPTS = 100;
// Random characters added to the later names, from this alphabet.
const size_t RANDOM_CHARS = 6;
const char RANDOM_ALPHABET[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
// A first name this close to the longest name the directory allows is
// given the short form too, so that the first name stays the one earlier
// releases made.
const size_t FIRST_NAME_MARGIN = 2;

// The temporary names of `target` beside it: the first one to try and the
// stem of the random ones. Each is `.<name>.<pid>.tmp`, or the short
// `.venkari.<pid>.tmp` where that would pass the longest name the directory
// allows (or, with the random characters, the longest path).
void temp_stems(const std::string &target, std::string &first,
                std::string &random_stem) {
  const std::string dir = dir_of(target);
  const std::string pid = std::to_string(getpid());
  const std::string name = "." + base_of(target) + "." + pid + ".tmp";
  const std::string short_name = ".venkari." + pid + ".tmp";
  long name_max = pathconf(dir.c_str(), _PC_NAME_MAX);
  if (name_max <= 0)
    name_max = NAME_MAX;
  const bool first_fits = name.size() + FIRST_NAME_MARGIN <= size_t(name_max);
  first = dir + "/" + (first_fits ? name : short_name);
  const bool random_fits =
      name.size() + RANDOM_CHARS <= size_t(name_max) &&
      dir.size() + 1 + name.size() + RANDOM_CHARS < PATH_MAX;
  random_stem = dir + "/" + (random_fits ? name : short_name);
}

// `stem` with random characters from the kernel; false when it has none.
bool random_name(const std::string &stem, std::string &name) {
  unsigned char bytes[RANDOM_CHARS];
  ssize_t n;
  do
    n = getrandom(bytes, sizeof bytes, 0);
  while (n < 0 && errno == EINTR);
  if (n != ssize_t(sizeof bytes))
    return false;
  name = stem;
  for (unsigned char b : bytes)
    name += RANDOM_ALPHABET[b % (sizeof RANDOM_ALPHABET - 1)];
  return true;
}

// Makes the temporary file of `f` with `mode`, with the cleanup in place,
// which stays while any such file exists.
int create_temp(staged_file_t &f, mode_t mode) {
  std::string first, random_stem;
  temp_stems(f.target, first, random_stem);
  sigset_t before;
  hold_signals(before);
  const int slot = free_slot();
  if (slot >= 0 && temps_made == 0)
    install_cleanup();
  errno = EMFILE;
  int fd = -1;
  for (int attempt = 0; slot >= 0 && attempt < NAME_ATTEMPTS; ++attempt) {
    if (attempt == 0)
      f.temp = first;
    else if (!random_name(random_stem, f.temp))
      break;
    if (f.temp.size() >= PATH_MAX) {
      errno = ENAMETOOLONG;
      break;
    }
    std::memcpy(temp_names[slot], f.temp.c_str(), f.temp.size() + 1);
    fd = open(f.temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST)
      break;
  }
  if (fd >= 0) {
    temp_made[slot] = 1;
    ++temps_made;
    f.slot = slot;
  } else {
    const int open_errno = errno;
    f.temp.clear();
    if (slot >= 0 && temps_made == 0)
      remove_cleanup();
    errno = open_errno;
  }
  release_signals(before);
  return fd;
}

// Renames the temporary file over the target (`keep`) or removes it, and
// takes it off the handler's list; true when it was moved.
bool finish_temp(staged_file_t &f, bool keep) {
  const bool moved = keep && rename(f.temp.c_str(), f.target.c_str()) == 0;
  if (!moved)
    unlink(f.temp.c_str());
  temp_made[f.slot] = 0;
  if (--temps_made == 0)
    remove_cleanup();
  f.temp.clear();
  f.slot = -1;
  return moved;
}

// Ends every staged file of `run`, moving them while `keep` holds; a signal
// that comes meanwhile acts once all are done. The first path that could
// not be moved, or "".
std::string finish_all(staged_outputs_t &run, bool keep) {
  std::string unmoved;
  sigset_t before;
  hold_signals(before);
  for (staged_file_t &f : run.files) {
    if (f.temp.empty())
      continue;
    const bool move = keep && unmoved.empty();
    if (!finish_temp(f, move) && move)
      unmoved = f.path;
  }
  release_signals(before);
  run.files.clear();
  return unmoved;
}

// A rename keeps what the old file had only when it is a regular file of
// ours with no other name.
bool replaceable(const struct stat &st) {
  return S_ISREG(st.st_mode) && st.st_uid == geteuid() && st.st_nlink == 1;
}

// statx for the mount id of `path`; false when the kernel gives no answer.
bool mount_id_of(const std::string &path, struct statx &x) {
  if (statx(AT_FDCWD, path.c_str(), 0, STATX_MNT_ID, &x) == 0)
    return true;
  raise_if_no_memory();
  return false;
}

// A file mounted on its name (as containers mount single files) cannot be
// renamed over. The mount ids tell it, where the kernel gives them: a bind
// mount within one file system keeps the device number, and a file of an
// overlay's lower layer has another one than its directory though both lie
// in one mount, where a rename works. Older kernels give device numbers
// only.
bool mounted_apart(const std::string &target) {
  const std::string dir = dir_of(target);
  struct statx file_x, dir_x;
  if (mount_id_of(target, file_x) && mount_id_of(dir, dir_x) &&
      (file_x.stx_mask & dir_x.stx_mask & STATX_MNT_ID))
    return file_x.stx_mnt_id != dir_x.stx_mnt_id;
  struct stat file_st, dir_st;
  if (!look_at(target, file_st) || !look_at(dir, dir_st))
    return false;
  return file_st.st_dev != dir_st.st_dev;
}

// The existing output `f` written in place, from its start. No O_CREAT: the
// file is there, and a world-writable sticky directory may refuse O_CREAT on
// a file of another user that we may write.
int open_in_place(staged_file_t &f) {
  f.target = f.path;
  return open(f.path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
}

// Gives the temporary file of an existing target its group, which we may
// not be able to give, and its mode. The group first: changing it clears
// the set-id bits.
bool take_attributes(int fd, const struct stat &target) {
  // Plain calls: their want of memory is raised by the caller once the
  // temporary file is gone again.
  struct stat st;
  if (fstat(fd, &st) != 0)
    return false;
  if (st.st_gid != target.st_gid && fchown(fd, uid_t(-1), target.st_gid) != 0)
    return false;
  return fchmod(fd, target.st_mode & 07777) == 0;
}

// Removes the temporary file of `f` again, before anything was written.
void drop_temp(staged_file_t &f, int fd) {
  close(fd);
  sigset_t before;
  hold_signals(before);
  finish_temp(f, false);
  release_signals(before);
}

// Where and how `f` is written: in place, or through a new temporary file.
// A descriptor open for writing, or -1.
int place_output(staged_file_t &f) {
  if (f.path.empty()) {
    errno = ENOENT;
    return -1;
  }
  struct stat st;
  const bool exists = look_at(f.path, st);
  // A name that cannot be looked up (one longer than its directory may
  // hold) would be staged as a new file and fail only at the rename, once
  // all the work is done. A dangling link is not there, as a new name.
  if (!exists && errno != ENOENT)
    return -1;
  if (exists) {
    if (S_ISDIR(st.st_mode)) {
      errno = EISDIR;
      return -1;
    }
    if (S_ISREG(st.st_mode) && access(f.path.c_str(), W_OK) != 0)
      return -1;
    if (!replaceable(st))
      return open_in_place(f);
  }
  f.target = exists ? resolve_target(f.path) : f.path;
  if (exists && mounted_apart(f.target))
    return open_in_place(f);
  // A link to a file not yet there: the output becomes that file, and the
  // link stays.
  if (!exists && is_link(f.path) && !dangling_target(f.path, f.target))
    return -1;
  // A new file gets the mode it always had; until its temporary file has
  // the mode of the one it replaces, only we may open it.
  const int fd = create_temp(f, exists ? 0600 : 0666);
  if (fd < 0) {
    raise_if_no_memory();
    return exists ? open_in_place(f) : -1;
  }
  if (exists && !take_attributes(fd, st)) {
    const int attr_errno = errno;
    drop_temp(f, fd);
    errno = attr_errno;
    raise_if_no_memory();
    return open_in_place(f);
  }
  return fd;
}

} // namespace

staged_outputs_t::~staged_outputs_t() { discard_outputs(*this); }

int stage_output(staged_outputs_t &run, const std::string &path) {
  // Room first: an output whose temporary file exists must be on the list
  // that removes it, and adding it then cannot fail.
  run.files.reserve(run.files.size() + 1);
  staged_file_t f;
  f.path = path;
  f.target = path;
  const int fd = place_output(f);
  if (fd < 0) {
    raise_if_no_memory();
    return -1;
  }
  run.files.push_back(std::move(f));
  return fd;
}

bool open_staged(staged_outputs_t &run, const std::string &path,
                 staged_stream_t &s) {
  const int fd = stage_output(run, path);
  if (fd < 0)
    return false;
  s.buf.reset(new __gnu_cxx::stdio_filebuf<char>(fd, std::ios::out));
  if (!s.buf->is_open()) {
    s.buf.reset();
    close(fd);
    // A descriptor open for writing is refused only when there is no memory
    // for its stream: the output is fine, the run is short of memory.
    throw std::bad_alloc();
  }
  s.os.rdbuf(s.buf.get());
  return true;
}

bool close_staged(staged_stream_t &s) {
  s.os.flush();
  if (!s.buf || !s.buf->close())
    s.os.setstate(std::ios::failbit);
  return !s.os.fail();
}

std::string commit_outputs(staged_outputs_t &run) {
  return finish_all(run, true);
}

bool commit_or_say(staged_outputs_t &run, const std::string &cannot) {
  const std::string unmoved = commit_outputs(run);
  if (unmoved.empty())
    return true;
  std::cerr << cannot << unmoved << std::endl;
  return false;
}

void discard_outputs(staged_outputs_t &run) { finish_all(run, false); }

void remove_staged_temps() {
  for (size_t i = 0; i < MAX_TEMPS; ++i)
    if (temp_made[i])
      unlink(temp_names[i]);
}
