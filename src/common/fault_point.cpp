// Built into the test build of the program only.
#include "common/fault_point.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <new>
#include <thread>

namespace {

struct fault_plan_t {
  const char *point = nullptr; // null: no fault
  size_t point_len = 0;
  long pass = 0;
  bool onward = false;
  long delay_ms = 0;
};

fault_plan_t read_plan() {
  fault_plan_t plan;
  const char *spec = std::getenv("VENKARI_FAULT");
  const char *colon = spec ? std::strchr(spec, ':') : nullptr;
  if (!colon)
    return plan;
  char *end = nullptr;
  plan.pass = std::strtol(colon + 1, &end, 10);
  plan.onward = *end == '+';
  const char *at = std::strchr(end, '@');
  if (at)
    plan.delay_ms = std::strtol(at + 1, nullptr, 10);
  plan.point = spec;
  plan.point_len = size_t(colon - spec);
  return plan;
}

} // namespace

void fault_point(const char *point) {
  static const fault_plan_t plan = read_plan();
  static std::atomic<long> passes{0};
  if (!plan.point || std::strlen(point) != plan.point_len ||
      std::strncmp(point, plan.point, plan.point_len) != 0)
    return;
  const long pass = ++passes;
  if (pass != plan.pass && !(plan.onward && pass > plan.pass))
    return;
  if (plan.delay_ms > 0)
    std::this_thread::sleep_for(std::chrono::milliseconds(plan.delay_ms));
  throw std::bad_alloc();
}
