// Preloaded into a run of the program (LD_PRELOAD), this takes the place of
// the global allocation functions, so that one chosen call to operator new
// fails as if memory had run out. A cap on the address space cannot do
// that everywhere: a string that reuses memory the allocator already holds
// never asks the system for more.
//
//   VENKARI_FAIL_NEW=N     the N-th call (counted from 1, over the whole
//                          process) throws std::bad_alloc, or returns
//                          nullptr in a nothrow form; every other call
//                          succeeds. Unset or 0: no call fails.
//   VENKARI_NEW_COUNT=FILE a line "failed N" is appended when the N-th
//                          call fails, and "calls T" when the process ends
//                          through exit (not _exit or a signal), T being
//                          the number of calls made until then.
//   VENKARI_PID=P          getpid() returns P instead of the process id.
//
// The process id goes into the names of temporary files, and a name that
// outgrows a string's inline buffer makes one more call: with the real id
// the count would depend on its number of digits, and a sweep counted at
// one pid would fail at places that run at another, or skip some. A fixed
// id as long as any the kernel hands out (pid_max reaches 4194304, seven
// digits) makes every call any pid could cause, the same in every run.
// Each run of a sweep is in a directory of its own, so the runs' names do
// not meet.
//
// The functions here run before and after main and inside the allocator's
// callers, so they allocate nothing themselves and stick to system calls.
#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

std::atomic<unsigned long> calls{0};

// Read on the first call: the loader may call operator new before this
// library's own constructors have run.
unsigned long fail_at() {
  static const unsigned long n = [] {
    const char *text = std::getenv("VENKARI_FAIL_NEW");
    return text ? std::strtoul(text, nullptr, 10) : 0UL;
  }();
  return n;
}

void note(const char *word, unsigned long n) {
  const char *path = std::getenv("VENKARI_NEW_COUNT");
  if (!path)
    return;
  char line[64];
  size_t len = 0;
  while (*word)
    line[len++] = *word++;
  line[len++] = ' ';
  char digits[24];
  size_t count = 0;
  do {
    digits[count++] = char('0' + n % 10);
    n /= 10;
  } while (n);
  while (count)
    line[len++] = digits[--count];
  line[len++] = '\n';
  int fd = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0)
    return;
  // One write with O_APPEND: a line is never mixed with another's.
  ssize_t ignored = write(fd, line, len);
  (void)ignored;
  close(fd);
}

// True when this call is the one chosen to fail.
bool chosen() {
  unsigned long n = calls.fetch_add(1, std::memory_order_relaxed) + 1;
  if (n != fail_at())
    return false;
  note("failed", n);
  return true;
}

__attribute__((destructor)) void report_calls() {
  note("calls", calls.load(std::memory_order_relaxed));
}

void *plain(std::size_t size) { return std::malloc(size ? size : 1); }

void *aligned(std::size_t size, std::align_val_t align) {
  void *p = nullptr;
  if (posix_memalign(&p, static_cast<std::size_t>(align), size ? size : 1))
    return nullptr;
  return p;
}

} // namespace

pid_t getpid() noexcept {
  static const pid_t fixed = [] {
    const char *text = std::getenv("VENKARI_PID");
    return text ? pid_t(std::strtol(text, nullptr, 10)) : pid_t(0);
  }();
  return fixed > 0 ? fixed : pid_t(syscall(SYS_getpid));
}

void *operator new(std::size_t size) {
  void *p = chosen() ? nullptr : plain(size);
  if (!p)
    throw std::bad_alloc();
  return p;
}

void *operator new[](std::size_t size) { return operator new(size); }

void *operator new(std::size_t size, const std::nothrow_t &) noexcept {
  return chosen() ? nullptr : plain(size);
}

void *operator new[](std::size_t size, const std::nothrow_t &) noexcept {
  return operator new(size, std::nothrow);
}

void *operator new(std::size_t size, std::align_val_t align) {
  void *p = chosen() ? nullptr : aligned(size, align);
  if (!p)
    throw std::bad_alloc();
  return p;
}

void *operator new[](std::size_t size, std::align_val_t align) {
  return operator new(size, align);
}

void *operator new(std::size_t size, std::align_val_t align,
                   const std::nothrow_t &) noexcept {
  return chosen() ? nullptr : aligned(size, align);
}

void *operator new[](std::size_t size, std::align_val_t align,
                     const std::nothrow_t &) noexcept {
  return operator new(size, align, std::nothrow);
}

void operator delete(void *p) noexcept { std::free(p); }
void operator delete[](void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }
void operator delete[](void *p, std::size_t) noexcept { std::free(p); }
void operator delete(void *p, const std::nothrow_t &) noexcept { std::free(p); }
void operator delete[](void *p, const std::nothrow_t &) noexcept {
  std::free(p);
}
void operator delete(void *p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void *p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void *p, std::size_t, std::align_val_t) noexcept {
  std::free(p);
}
void operator delete[](void *p, std::size_t, std::align_val_t) noexcept {
  std::free(p);
}
void operator delete(void *p, std::align_val_t,
                     const std::nothrow_t &) noexcept {
  std::free(p);
}
void operator delete[](void *p, std::align_val_t,
                       const std::nothrow_t &) noexcept {
  std::free(p);
}
