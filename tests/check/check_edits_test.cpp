#include <gtest/gtest.h>

#include <sstream>

#include "../common/text_source.h"
#include "check/check_edits.h"
#include "simulate/edits_file.h"

namespace {

edit_t event(uint32_t loc, int indel_len = 0) {
  edit_t e;
  e.loc = loc;
  e.indel_len = indel_len;
  return e;
}

TEST(EditsFile, WriterLineForms) {
  std::ostringstream os;
  write_snp_line(os, "chr1", 7, 'A', 'G');
  write_del_line(os, "chr1", 9, "acG", 5);
  write_ins_line(os, "chr2", 3, 2, "TT");
  EXPECT_EQ(os.str(), "chr1\t7\tSNP\tA\tG\nchr1\t9\tDEL\tacG\t5\n"
                      "chr2\t3\tINS\t2\tTT\n");
}

TEST(EditsFile, LoaderSortsEventsByKind) {
  line_reader_t in;
  read_text(in, "chr1\t7\tSNP\tA\tG\n"
                "   \n"
                "\n"
                "chr1\t9\tDEL\tacG\t5  \r\n"
                "chr2\t3\tINS\t2\tTT\n"
                "chr2\t4\tODD\n"
                "chr2\t5\tDEL\tAC\n"
                "chr2\t6\n");
  edits_dict_t snp, indel;
  EXPECT_EQ(load_edits(in, snp, indel), 2u);
  ASSERT_EQ(snp.size(), 1u);
  ASSERT_EQ(snp["chr1"].size(), 1u);
  EXPECT_EQ(snp["chr1"][0].loc, 7u);
  EXPECT_EQ(snp["chr1"][0].line, "chr1\t7\tSNP\tA\tG");
  EXPECT_FALSE(snp["chr1"][0].seen);
  ASSERT_EQ(indel["chr1"].size(), 1u);
  EXPECT_EQ(indel["chr1"][0].indel_len, 5);
  EXPECT_EQ(indel["chr1"][0].line, "chr1\t9\tDEL\tacG\t5");
  ASSERT_EQ(indel["chr2"].size(), 2u);
  EXPECT_EQ(indel["chr2"][0].indel_len, 0);
  EXPECT_EQ(indel["chr2"][1].loc, 4u);
  EXPECT_EQ(indel["chr2"][1].indel_len, 0);
}

TEST(CheckEdits, CallKinds) {
  EXPECT_TRUE(is_snp_call("A", "G"));
  EXPECT_TRUE(is_snp_call("A", "G,T"));
  EXPECT_FALSE(is_snp_call("A", "GT"));
  EXPECT_FALSE(is_snp_call("AC", "A"));
  EXPECT_FALSE(is_snp_call("AC", "G,T"));
  EXPECT_TRUE(is_snp_call("A", "*,T"));
  EXPECT_TRUE(is_snp_call("A", "G,"));
  // An allele longer than one base, in any place of the list, is an indel.
  EXPECT_FALSE(is_snp_call("G", "GTTG,GTT"));
  EXPECT_FALSE(is_snp_call("G", "A,GT"));
  EXPECT_FALSE(is_snp_call("G", "GT,A"));
  EXPECT_FALSE(is_snp_call("G", "A,C,GTT"));
  // A symbolic allele names no bases; alone it is still an indel call.
  EXPECT_TRUE(is_snp_call("G", "A,<*>"));
  EXPECT_FALSE(is_snp_call("G", "GT,<*>"));
  EXPECT_FALSE(is_snp_call("G", "<*>"));
}

TEST(CheckEdits, ExactSnpIsCorrect) {
  std::vector<edit_t> v = {event(10), event(50)};
  EXPECT_TRUE(match_call(v, 10, 0));
  EXPECT_TRUE(v[0].seen);
  EXPECT_FALSE(v[1].seen);
  EXPECT_FALSE(match_call(v, 11, 0));
  EXPECT_TRUE(match_call(v, 49, 1));
  EXPECT_TRUE(v[1].seen);
}

TEST(CheckEdits, DeletionMeasuredToNearerEnd) {
  // One base below a deletion, with the smallest indel wiggle.
  std::vector<edit_t> v = {event(100, 30)};
  EXPECT_TRUE(match_call(v, 99, 1));
  EXPECT_TRUE(v[0].seen);
  // Inside: 3 from the end (130), 27 from the start.
  v[0].seen = false;
  EXPECT_TRUE(match_call(v, 127, 3));
  EXPECT_TRUE(v[0].seen);
  v[0].seen = false;
  EXPECT_FALSE(match_call(v, 115, 3));
  EXPECT_FALSE(v[0].seen);
  // Past the end.
  EXPECT_TRUE(match_call(v, 132, 2));
  EXPECT_FALSE(match_call(v, 133, 2));
}

TEST(CheckEdits, ZeroWiggleMarksOnlyTheTwoNeighbours) {
  std::vector<edit_t> v = {event(5), event(5), event(5), event(9)};
  match_call(v, 5, 0);
  // low is the last entry at or before 5, high the first after it.
  EXPECT_FALSE(v[0].seen);
  EXPECT_FALSE(v[1].seen);
  EXPECT_TRUE(v[2].seen);
  EXPECT_FALSE(v[3].seen);
  // A wider wiggle walks further.
  match_call(v, 5, 2);
  EXPECT_TRUE(v[0].seen && v[1].seen);
}

TEST(CheckEdits, NearIndelRule) {
  const std::vector<edit_t> v = {event(100, 2), event(200)};
  EXPECT_TRUE(near_indel(v, 197, 5));
  EXPECT_TRUE(near_indel(v, 95, 5));
  EXPECT_FALSE(near_indel(v, 150, 5));
  EXPECT_FALSE(near_indel(v, 197, -1));
  EXPECT_TRUE(near_indel(v, 300, 100));
}

TEST(CheckEdits, ReportForms) {
  edit_counts_t c;
  c.total_variants_found_snp = 3;
  c.total_variants_correct_snp = 1;
  c.total_real_variants_snp = 8;
  c.total_real_variants_found_snp = 8;
  c.total_variants_found_indel = 2;
  c.total_real_variants_indel = 0;
  std::ostringstream os;
  write_edits_report(os, 2.5, c);
  EXPECT_EQ(os.str(), "Quality limit: 2.5\n"
                      "Total SNP variants called:     3\n"
                      "SNP Variants called correct:   1 (33.3333%)\n"
                      "Total real SNP variants:       8\n"
                      "Real SNP variants called:      8(100.0%)\n"
                      "Total indel variants called:   2\n"
                      "indel Variants called correct: 0(0.0%)\n"
                      "Total real indel variants:     0\n"
                      "Real indel variants called:    0(100.0%)\n");
}

} // namespace
