#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "aligner/setup/params.h"
#include "kernels/path.h"

namespace {

// Builds a path from its columns given first to last (stored end first).
std::string path_of(const std::vector<int> &columns) {
  std::string p;
  for (auto it = columns.rbegin(); it != columns.rend(); ++it)
    p.push_back(static_cast<char>(*it));
  return p;
}

std::vector<int> repeat(int code, int n) { return std::vector<int>(n, code); }

std::vector<int> join(std::initializer_list<std::vector<int>> parts) {
  std::vector<int> all;
  for (const auto &p : parts)
    all.insert(all.end(), p.begin(), p.end());
  return all;
}

struct global_result {
  std::string cigar;
  uint32_t pos;
  mm_gap_t mm;
};

global_result global(const std::vector<int> &cols, uint32_t pos, int reach,
                     bool cigar14 = false) {
  tolve_params_t p;
  p.end_gap_dist = reach;
  global_result r;
  r.pos = pos;
  r.cigar = path2cigar(path_of(cols), r.pos, -1, r.mm, &p, cigar14);
  return r;
}

TEST(Path2Cigar, LeadingDeletionsAndShortStartEdgeFoldIntoInsertion) {
  global_result r = global(join({{2, 2, 0, 0, 1}, repeat(0, 10), {2}}), 100, 2);
  EXPECT_EQ(r.cigar, "3I10M");
  EXPECT_EQ(r.pos, 104u);
  EXPECT_EQ(r.mm.num_gap_open, 1);
  EXPECT_EQ(r.mm.num_gap_ext, 2);
  EXPECT_EQ(r.mm.len_gap_edge, 2);
  EXPECT_EQ(r.mm.num_mm, 0);
}

TEST(Path2Cigar, EmptyAndAllDeletionPaths) {
  global_result r = global({}, 7, 5);
  EXPECT_EQ(r.cigar, "0M");
  EXPECT_EQ(r.pos, 7u);
  EXPECT_EQ(r.mm.num_mm + r.mm.num_gap_open + r.mm.num_gap_ext +
                r.mm.len_gap_edge,
            0);
  r = global(repeat(2, 4), 7, 5);
  EXPECT_EQ(r.cigar, "");
  EXPECT_EQ(r.pos, 11u);
  EXPECT_EQ(r.mm.num_gap_open, 0);
}

TEST(Path2Cigar, GaplessWithMismatchesAndTrailingDeletions) {
  auto cols = join({{0, 3, 0, 0, 3}, repeat(0, 5), {2, 2}});
  global_result r = global(cols, 50, 5);
  EXPECT_EQ(r.cigar, "10M");
  EXPECT_EQ(r.pos, 50u);
  EXPECT_EQ(r.mm.num_mm, 2);
  EXPECT_EQ(r.mm.len_gap_edge, 10);
  EXPECT_EQ(r.mm.num_gap_open, 0);
  r = global(cols, 50, 5, true);
  EXPECT_EQ(r.cigar, "1=1X2=1X5=");
}

TEST(Path2Cigar, InsertionAtReadStartIsNotFolded) {
  global_result r = global(join({repeat(1, 3), repeat(0, 47)}), 10, 5);
  EXPECT_EQ(r.cigar, "3I47M");
  EXPECT_EQ(r.mm.len_gap_edge, 0);
  EXPECT_EQ(r.mm.num_gap_open, 1);
  EXPECT_EQ(r.mm.num_gap_ext, 2);
}

TEST(Path2Cigar, EndEdgeFoldsAtReachAndWithThreeMismatchesBeyondIt) {
  // End edge of exactly the reach after an insertion.
  global_result r =
      global(join({repeat(0, 20), repeat(1, 2), repeat(0, 5)}), 1, 5);
  EXPECT_EQ(r.cigar, "20M7I");
  EXPECT_EQ(r.mm.num_gap_ext, 1 + 5);
  EXPECT_EQ(r.mm.len_gap_edge, 5);
  // One more base: kept unless it holds three mismatches.
  r = global(join({repeat(0, 20), repeat(1, 2), repeat(0, 6)}), 1, 5);
  EXPECT_EQ(r.cigar, "20M2I6M");
  r = global(join({repeat(0, 20), repeat(1, 2), {3, 0, 3, 0, 3, 0}}), 1, 5);
  EXPECT_EQ(r.cigar, "20M8I");
  EXPECT_EQ(r.mm.num_mm, 0);
  EXPECT_EQ(r.mm.num_gap_ext, 1 + 6);
}

TEST(Path2Cigar, EdgeNextToDeletionIsNeverFolded) {
  global_result r = global(join({{0}, repeat(2, 3), repeat(0, 30)}), 1, 5);
  EXPECT_EQ(r.cigar, "1M3D30M");
  EXPECT_EQ(r.pos, 1u);
  EXPECT_EQ(r.mm.len_gap_edge, 1);
  EXPECT_EQ(r.mm.num_gap_open, 1);
  EXPECT_EQ(r.mm.num_gap_ext, 2);
}

TEST(Path2Cigar, StartEdgeInEqualsAndXModeCountsAllColumns) {
  global_result r =
      global(join({{0, 0, 3}, repeat(0, 5), {1}, repeat(0, 20)}), 30, 8, true);
  EXPECT_EQ(r.cigar, "9I20=");
  EXPECT_EQ(r.pos, 38u);
  EXPECT_EQ(r.mm.num_mm, 0);
  EXPECT_EQ(r.mm.len_gap_edge, 8);
}

TEST(Path2Cigar, InvalidCodeGivesEmptyCigar) {
  testing::internal::CaptureStderr();
  global_result r = global({0, 0, 4, 0}, 1, 5);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(r.cigar, "");
  EXPECT_EQ(err.substr(0, 9), "Bad Path\n");
}

TEST(Path2CigarLocal, ClipsAroundTheAlignedPart) {
  mm_gap_t mm;
  mm.len_gap_edge = 42;
  EXPECT_EQ(path2cigar_local(path_of(repeat(0, 90)), 5, 100, mm, false),
            "5S90M5S");
  EXPECT_EQ(mm.len_gap_edge, 42);
  EXPECT_EQ(path2cigar_local("", 0, 100, mm, false), "100S");
  EXPECT_EQ(path2cigar_local(
                path_of(join({repeat(0, 10), {1, 1}, {3}, {2}, repeat(0, 8)})),
                0, 21, mm, false),
            "10M2I1M1D8M");
  EXPECT_EQ(mm.num_mm, 1);
  EXPECT_EQ(mm.num_gap_open, 2);
  EXPECT_EQ(mm.num_gap_ext, 1);
}

TEST(Path2CigarLocal, FirstColumnIsNotCountedAsMismatch) {
  mm_gap_t mm;
  EXPECT_EQ(path2cigar_local(path_of({3, 0, 3}), 2, 5, mm, true), "2S1X1=1X");
  EXPECT_EQ(mm.num_mm, 1);
  testing::internal::CaptureStderr();
  EXPECT_EQ(path2cigar_local(path_of({0, 9, 0}), 0, 3, mm, false), "");
  EXPECT_NE(testing::internal::GetCapturedStderr().find("Bad Path"),
            std::string::npos);
}

} // namespace
