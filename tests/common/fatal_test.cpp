#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/fatal.h"

namespace {

template <typename F> std::string reason_of(F raise) {
  try {
    raise();
  } catch (...) {
    return exception_reason();
  }
  return "nothing thrown";
}

} // namespace

// What a run that ends on an exception tells the user, from the main thread
// or an align worker alike.
TEST(Fatal, ExceptionReason) {
  EXPECT_EQ(reason_of([] { throw std::bad_alloc(); }), "not enough memory");
  EXPECT_EQ(reason_of([] {
              std::vector<int> v;
              v.reserve(v.max_size() + 1);
            }),
            "not enough memory");
  EXPECT_EQ(reason_of([] { throw std::runtime_error("disk on fire"); }),
            "disk on fire");
  EXPECT_EQ(reason_of([] { throw 3; }), "unknown error");
}
