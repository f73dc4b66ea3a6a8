#include "common/fd_write.h"

#include <cerrno>
#include <unistd.h>

bool write_all(int fd, const void *p, size_t n) {
  const char *at = static_cast<const char *>(p);
  while (n > 0) {
    const ssize_t got = ::write(fd, at, n);
    if (got < 0 && errno == EINTR)
      continue;
    if (got <= 0)
      return false;
    at += got;
    n -= size_t(got);
  }
  return true;
}
