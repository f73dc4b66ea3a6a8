#pragma once
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

#include "common/line_reader.h"

// Points `r` at an unnamed file in memory that holds `bytes`; error lines
// name it `name`.
inline void read_text(line_reader_t &r, const std::string &bytes,
                      const std::string &name = "text") {
  const int fd = memfd_create(name.c_str(), MFD_CLOEXEC);
  size_t done = 0;
  while (fd >= 0 && done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0)
      break;
    done += size_t(n);
  }
  lseek(fd, 0, SEEK_SET);
  line_reader_attach(r, fd, name);
}

// Hands out `head` as if it had been read, then fails its next read as a
// disk error would (the file under it is a directory).
inline void read_then_fail(line_reader_t &r, const std::string &head,
                           const std::string &name = "disk") {
  line_reader_attach(r, open("/", O_RDONLY | O_CLOEXEC), name);
  r.buf.assign(head.begin(), head.end());
  r.end = head.size();
}
