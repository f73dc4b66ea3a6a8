#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "../common/text_source.h"
#include "common/mt_random.h"
#include "index/probe.h"

namespace {

std::string read_kmers(const std::string &seq, int strand, int k,
                       MT_random &gen) {
  std::ostringstream out;
  print_read_kmers(out, seq, strand, k, gen);
  return out.str();
}

std::string depth(const std::string &name, const std::string &seq, int k) {
  std::ostringstream out;
  print_depth(out, name, seq, k);
  return out.str();
}

// Keys with k = 3 are c0 + 4 c1 + 16 c2; mode 1 keeps 19 (mod 7 = 5) and 41
// (mod 17 = 7) among the ones used here.
TEST(ReadKmers, KeysAndMarksOfEachWindowButTheLast) {
  MT_random gen;
  EXPECT_EQ(read_kmers("TACGGA", 0, 3, gen),
            "[0]TAC|19 *\n[0]ACG|36\n[0]CGG|41 *\n");
  EXPECT_EQ(read_kmers("tacgga", 1, 3, gen),
            "[1]tac|19 *\n[1]acg|36\n[1]cgg|41 *\n");
}

TEST(ReadKmers, ReadNotLongerThanKPrintsAndDrawsNothing) {
  MT_random gen, fresh;
  EXPECT_EQ(read_kmers("NNN", 0, 3, gen), "");
  EXPECT_EQ(read_kmers("NN", 0, 3, gen), "");
  EXPECT_EQ(gen.genrand64_int64(), fresh.genrand64_int64());
}

TEST(ReadKmers, OtherLettersDrawInReadingOrderIncludingTheLastRoll) {
  MT_random ref;
  const uint64_t d1 = ref.genrand_int_range(0, 3);
  const uint64_t d2 = ref.genrand_int_range(0, 3);
  MT_random gen;
  // The roll past the last printed window still reads the final N, so the
  // reverse strand's leading N takes the second draw.
  EXPECT_EQ(read_kmers("TACGGN", 0, 3, gen),
            "[0]TAC|19 *\n[0]ACG|36\n[0]CGG|41 *\n");
  const std::string got = read_kmers("NCCGTA", 1, 3, gen);
  EXPECT_EQ(got.substr(0, got.find('\n')),
            "[1]NCC|" + std::to_string(d2 + 4 + 16) +
                ((d2 + 20) % 7 == 5 ? " *" : ""));

  MT_random again;
  const std::string first = read_kmers("TANGGA", 0, 3, again);
  EXPECT_EQ(first.substr(0, first.find('\n')),
            "[0]TAN|" + std::to_string(3 + 16 * d1));
}

TEST(ReadKmers, FullWidthKeyIsUnsigned) {
  MT_random gen;
  EXPECT_EQ(read_kmers(std::string(33, 'T'), 1, 32, gen),
            "[1]" + std::string(32, 'T') + "|18446744073709551615\n");
}

TEST(FirstRecord, TrimsJoinsAndStopsAtTheSecondHeader) {
  line_reader_t in;
  read_text(in, "junk\n\n>chrA first record\r\n ACG \n\nNt\n"
                ">chrB\nTTTT\n");
  std::string name, seq;
  ASSERT_TRUE(read_first_record(in, name, seq));
  EXPECT_EQ(name, "chrA");
  EXPECT_EQ(seq, "ACGNt");
}

TEST(FirstRecord, HeaderlessFileAndBareHeader) {
  line_reader_t none;
  read_text(none, "ACGT\nACGT\n");
  std::string name, seq;
  EXPECT_FALSE(read_first_record(none, name, seq));
  EXPECT_EQ(seq, "");
  line_reader_t bare;
  read_text(bare, ">\nAC\n");
  ASSERT_TRUE(read_first_record(bare, name, seq));
  EXPECT_EQ(name, "");
  EXPECT_EQ(seq, "AC");
}

TEST(Depth, SelectedWindowsAndEveryCharacterFromAnInvalidOne) {
  // NTACANTACGTTT: first window TAC at 2 (kept); the N at offset 5 and the
  // refill T, A, C give 4 to 7; the refilled TAC at 7 is kept again.
  EXPECT_EQ(depth("chrA", "NTACANTACGTTT", 3),
            "chrA\t2\t1\nchrA\t4\t1\nchrA\t5\t1\nchrA\t6\t1\nchrA\t7\t1\n"
            "chrA\t7\t1\n");
}

TEST(Depth, LastWindowOnlyWhenItIsTheFirst) {
  // ATA (12) at 3 is kept; TAC ends on the last base and is not listed.
  EXPECT_EQ(depth("x", "AAATAC", 3), "x\t3\t1\n");
  EXPECT_EQ(depth("y", "TAC", 3), "y\t1\t1\n");
}

TEST(Depth, ShortRecordsTrailingInvalidAndZeroK) {
  EXPECT_EQ(depth("z", "TANCA", 3), "");
  EXPECT_EQ(depth("w", "TACAN", 3), "w\t1\t1\nw\t3\t1\n");
  EXPECT_EQ(depth("v", "TACGGA", 0), "");
  EXPECT_EQ(depth("u", "", 3), "");
}

TEST(Depth, LongListingArrivesWhole) {
  const std::string out = depth("c", "TAC" + std::string(20000, 'N'), 3);
  size_t lines = 0;
  for (char c : out)
    lines += c == '\n';
  EXPECT_EQ(lines, 20001u);
  EXPECT_EQ(out.substr(out.size() - 10), "c\t20001\t1\n");
}

} // namespace
