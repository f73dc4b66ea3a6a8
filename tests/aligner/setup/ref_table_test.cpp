#include <gtest/gtest.h>

#include <map>
#include <string>

#include "aligner/setup/chrom_span.h"
#include "aligner/setup/params.h"
#include "aligner/setup/ref_table.h"
#include "common/bit_dna.h"

TEST(RefTable, NamesAndBounds) {
  std::map<long, std::string> starts{{1, "a"}, {11, "b"}, {31, "c"}};
  ref_table_t t;
  build_ref_table(t, starts, 35);
  ASSERT_EQ(t.seqs.size(), 3u);
  EXPECT_EQ(find_ref(t, 10)->name, "a");
  EXPECT_EQ(find_ref(t, 11)->name, "b");
  EXPECT_EQ(find_ref(t, 35)->name, "c");
  EXPECT_EQ(find_ref(t, 36), nullptr);
  EXPECT_EQ(find_ref(t, 0), nullptr);
  EXPECT_EQ(cigar_ref_span("5M2I3D4M1S"), 12u);
  EXPECT_TRUE(fits_one_ref(t, 1, "10M"));
  EXPECT_FALSE(fits_one_ref(t, 2, "10M")); // runs into b
  EXPECT_TRUE(fits_one_ref(t, 2, "5M2I4M"));
  EXPECT_FALSE(fits_one_ref(t, 31, "3M3D"));
  EXPECT_FALSE(fits_one_ref(t, 1, "")); // no CIGAR, no record
}

TEST(RefTable, SpansAndEmptySequences) {
  // "b" holds no base (its start is where "c" begins in the genome) and the
  // last entry starts past the genome: neither gets a row.
  std::map<long, std::string> starts{{1, "a"}, {11, "c"}, {41, "z"}};
  ref_table_t t;
  build_ref_table(t, starts, 40);
  ASSERT_EQ(t.seqs.size(), 2u);
  EXPECT_EQ(t.seqs[1].start, 11u);
  EXPECT_EQ(t.seqs[1].end, 40u);
  EXPECT_TRUE(span_in_one_ref(t, 1, 10));
  EXPECT_FALSE(span_in_one_ref(t, 1, 11));
  EXPECT_TRUE(span_in_one_ref(t, 11, 30));
  EXPECT_FALSE(span_in_one_ref(t, 11, 31));
  EXPECT_TRUE(span_in_one_ref(t, 40, 0));
  EXPECT_FALSE(span_in_one_ref(t, 41, 0));
  EXPECT_FALSE(span_in_one_ref(t, 0, 1));
}

TEST(RefTable, BuiltIntoTheRecord) {
  std::map<long, std::string> starts{{1, "a"}, {6, "b"}};
  tolve_params_t p;
  p.start_genome = &starts;
  p.genome_length = 9;
  build_refs(&p);
  ASSERT_NE(p.refs, nullptr);
  EXPECT_EQ(find_ref(*p.refs, 9)->name, "b");
  starts[8] = "c"; // rebuilding replaces the rows
  build_refs(&p);
  ASSERT_EQ(p.refs->seqs.size(), 3u);
  EXPECT_EQ(find_ref(*p.refs, 9)->name, "c");
  p.start_genome = nullptr; // no map: an empty table
  build_refs(&p);
  EXPECT_TRUE(p.refs->seqs.empty());
  delete p.refs;
}
