#pragma once
#include <sys/time.h>

// Wall-clock stopwatch started at construction.
struct ro_timer {
  timeval start_tv;
  bool enabled;
  ro_timer();
  double elapsed_time() const;
};
