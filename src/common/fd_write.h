#pragma once
#include <cstddef>

// Writes all `n` bytes at `p` to descriptor `fd`, through short writes and
// interrupted calls; false when a write failed. It allocates nothing, so a
// run that is out of memory can still hand on its output.
bool write_all(int fd, const void *p, size_t n);
