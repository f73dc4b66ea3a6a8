#include <gtest/gtest.h>

#include <vector>

#include "aligner/setup/params.h"
#include "kernels/coverage.h"

namespace {

struct cover_t {
  int length, mega;
};

cover_t cover(std::vector<int> a, std::vector<int> b, int k) {
  tolve_params_t p;
  p.kmer_size = k;
  cover_t c{-1, -1};
  calc_total_mega(a, b, c.length, c.mega, &p);
  return c;
}

} // namespace

TEST(Coverage, UnionOfSeedWindows) {
  EXPECT_EQ(cover({0, 5}, {}, 10).length, 15);
  EXPECT_EQ(cover({5, 0}, {}, 10).length, 15);
  EXPECT_EQ(cover({0, 0, 30}, {}, 10).length, 20);
  EXPECT_EQ(cover({}, {}, 10).length, 0);
}

TEST(Coverage, FurtherWindowsOutsideTheSeeds) {
  EXPECT_EQ(cover({}, {0, 20}, 10).mega, 20);
  EXPECT_EQ(cover({}, {20, 0}, 10).mega, 20);
  EXPECT_EQ(cover({}, {0, 5}, 10).mega, 15); // overlap counted once
  EXPECT_EQ(cover({0}, {5}, 10).mega, 5);
  EXPECT_EQ(cover({0}, {50}, 10).mega, 50);
  EXPECT_EQ(cover({20}, {5}, 10).mega, 10); // cut at the next seed window
  EXPECT_EQ(cover({0, 12}, {5}, 10).mega, 2);
  EXPECT_EQ(cover({0}, {}, 10).mega, 0);
}

TEST(Coverage, ListsAreSortedInPlace) {
  tolve_params_t p;
  p.kmer_size = 4;
  std::vector<int> a{9, 1, 5}, b{7, 3};
  int length = 0, mega = 0;
  calc_total_mega(a, b, length, mega, &p);
  EXPECT_EQ(a, (std::vector<int>{1, 5, 9}));
  EXPECT_EQ(b, (std::vector<int>{3, 7}));
  std::vector<int> c{3, 2}, empty;
  calc_total_mega(c, empty, length, mega, &p);
  EXPECT_EQ(c, (std::vector<int>{2, 3}));
  EXPECT_EQ(mega, 0);
}
