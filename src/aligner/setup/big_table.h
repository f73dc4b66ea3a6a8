#pragma once
#include <cstddef>

// Zero-filled memory for the large read-mostly lookup tables of align. The
// bucket table is hundreds of MiB touched at random, so it is backed by huge
// pages where the kernel allows it: far fewer page faults while loading and
// fewer TLB misses per lookup. The kernel's zeroing of the pages dominates
// index loading, so `threads` threads fault the pages in at once. Returns
// null when memory is short.
void *big_table_alloc(size_t bytes, int threads);
void big_table_free(void *table, size_t bytes);
