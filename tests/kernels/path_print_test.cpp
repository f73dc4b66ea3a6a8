#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "kernels/path_print.h"

namespace {

std::string bytes(std::initializer_list<int> v) {
  std::string s;
  for (int x : v)
    s.push_back(char(x));
  return s;
}

} // namespace

TEST(PathPrint, GlobalPathLines) {
  std::ostringstream o;
  // Columns: A=A, deletion of C, G*T, insertion of A, T=T (end first).
  print_SW_path2(o, bytes({0, 1, 3, 2, 0}), "ACGT", "ATAT");
  EXPECT_EQ(o.str(), "  *  \nACG-T\nA-TAT\n");
}

TEST(PathPrint, GlobalPathShorterThanTexts) {
  std::ostringstream o;
  print_SW_path2(o, bytes({0, 0}), "ACGT", "GT");
  EXPECT_EQ(o.str(), "  \nGT\nGT\n");
  std::ostringstream empty;
  print_SW_path2(empty, "", "ACGT", "AC");
  EXPECT_EQ(empty.str(), "\n\n\n");
  // A path asking for more read than there is stops instead of reading on.
  std::ostringstream over;
  print_SW_path2(over, bytes({0, 0, 0}), "ACG", "C");
  EXPECT_EQ(over.str(), " \nG\nC\n");
}

TEST(PathPrint, LocalPathLines) {
  std::ostringstream o;
  // ref_start 3, seq_start 1: the read side gets two blanks.
  print_local_path(o, bytes({0, 0, 0}), 3, 1, "TTTACGGG", "GACGC");
  EXPECT_EQ(o.str(), "TTT|ACG|GG\n  G|ACG|C\n");
  std::ostringstream same;
  print_local_path(same, bytes({0, 2, 1, 0}), 2, 2, "GGACTT", "CCAGT");
  EXPECT_EQ(same.str(), "GG|A-CT|T\nCC|AG-T|\n");
  std::ostringstream whole;
  print_local_path(whole, bytes({0, 0}), 0, 0, "AC", "AC");
  EXPECT_EQ(whole.str(), "AC\nAC\n");
  std::ostringstream none;
  print_local_path(none, "", 0, 0, "AC", "GT");
  EXPECT_EQ(none.str(), "|AC\n|GT\n");
  // Offsets beyond the texts are held to their ends.
  std::ostringstream beyond;
  print_local_path(beyond, bytes({0}), 9, 9, "AC", "GT");
  EXPECT_EQ(beyond.str(), "AC|\nGT|\n");
}

TEST(PathPrint, SamColumns) {
  std::ostringstream o;
  write_sam_aln(o, "read1", 16, "chr2", 4000000000u, 37);
  EXPECT_EQ(o.str(), "read1\t16\tchr2\t4000000000\t37\n");
}
