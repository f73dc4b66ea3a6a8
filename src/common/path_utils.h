#pragma once
#include <string>
#include <sys/stat.h>
#include <vector>

// Path helpers of the common library. They call the system directly, so a
// path is only ever a path: blanks, quotes and shell characters in it have
// no special meaning.

// True when `name` is an executable regular file, found as given when it
// holds a '/', else in a directory of PATH (as `which` finds it).
bool program_exists(const std::string &name);

// Creates the directory `dir` (one level, mode 0777 less the umask); true
// when it was created, false when it exists already or cannot be made.
bool mkdir(const std::string &dir);

// The entries of directory `dir` (the current one when empty) in byte
// order, without those whose names begin with '.'; a path that is not a
// directory lists itself, one that does not exist lists nothing.
std::vector<std::string> list_dir(const std::string &dir);

// The kernel's want of memory for a call on a file (an open, a look-up, a
// change of mode) says nothing of the file: the run is short of memory and
// ends as it does for any other allocation, instead of blaming a file that
// is fine or taking another way round it. Called after a call that failed,
// this raises std::bad_alloc when errno says so, and otherwise leaves errno
// as it was.
void raise_if_no_memory();

// Opens `name` for reading (close-on-exec, with `flags` added) and returns
// the descriptor, or -1 with errno set; want of memory raises
// std::bad_alloc.
int open_for_reading(const std::string &name, int flags = 0);

// What stat, lstat (a symbolic link itself) and fstat tell of a file: true,
// or false with errno set; want of memory raises std::bad_alloc.
bool look_at(const std::string &path, struct stat &st);
bool look_at_link(const std::string &path, struct stat &st);
bool look_at(int fd, struct stat &st);

// True when both paths name one existing file, whatever links or other
// names lead to it.
bool same_file(const std::string &a, const std::string &b);
// The same for two files already looked up.
inline bool same_file(const struct stat &a, const struct stat &b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Opening an output for writing empties it, so no output may be an input.
// The first of `outputs` that is the same file as one of `inputs`, or ""
// when none is.
std::string output_over_input(const std::vector<std::string> &outputs,
                              const std::vector<std::string> &inputs);
