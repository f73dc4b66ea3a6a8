#include "aligner/setup/big_table.h"

#include <algorithm>
#include <cstdint>
#include <sys/mman.h>
#include <thread>
#include <vector>

namespace {

const size_t HUGE_PAGE = size_t(2) << 20;

size_t round_up(size_t bytes) {
  return (bytes + HUGE_PAGE - 1) / HUGE_PAGE * HUGE_PAGE;
}

// Writing one byte per page makes the kernel map and zero it now.
void prefault(char *from, char *to) {
  for (char *q = from; q < to; q += 4096)
    *reinterpret_cast<volatile char *>(q) = 0;
}

void prefault_parallel(char *table, size_t size, int threads) {
  size_t pages = size / HUGE_PAGE;
  size_t n = threads < 1 ? 1 : std::min<size_t>(threads, pages);
  std::vector<std::thread> workers;
  for (size_t i = 1; i < n; i++) {
    char *from = table + pages * i / n * HUGE_PAGE;
    char *to = table + pages * (i + 1) / n * HUGE_PAGE;
    try {
      workers.emplace_back(prefault, from, to);
    } catch (...) { // no thread: the first touch will fault the page instead
    }
  }
  prefault(table, table + pages / n * HUGE_PAGE);
  for (std::thread &w : workers)
    w.join();
}

} // namespace

void *big_table_alloc(size_t bytes, int threads) {
  if (bytes == 0)
    return nullptr;
  const size_t size = round_up(bytes);
  // Over-map by one huge page so the table can start on a huge-page boundary.
  void *raw = mmap(nullptr, size + HUGE_PAGE, PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED)
    return nullptr;
  uintptr_t start = reinterpret_cast<uintptr_t>(raw);
  uintptr_t aligned = (start + HUGE_PAGE - 1) / HUGE_PAGE * HUGE_PAGE;
  if (aligned > start)
    munmap(raw, aligned - start);
  size_t tail = start + size + HUGE_PAGE - (aligned + size);
  if (tail)
    munmap(reinterpret_cast<void *>(aligned + size), tail);
  void *table = reinterpret_cast<void *>(aligned);
#ifdef MADV_HUGEPAGE
  madvise(table, size, MADV_HUGEPAGE); // only advice: failure is harmless
#endif
  prefault_parallel(static_cast<char *>(table), size, threads);
  return table;
}

void big_table_free(void *table, size_t bytes) {
  if (table)
    munmap(table, round_up(bytes));
}
