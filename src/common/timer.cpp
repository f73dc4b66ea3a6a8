#include "common/timer.h"

ro_timer::ro_timer() : enabled(true) { gettimeofday(&start_tv, nullptr); }

double ro_timer::elapsed_time() const {
  if (!enabled)
    return 0.0;
  timeval now;
  gettimeofday(&now, nullptr);
  return double(now.tv_sec - start_tv.tv_sec) +
         double(now.tv_usec - start_tv.tv_usec) / 1000000.0;
}
