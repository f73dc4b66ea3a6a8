#include <gtest/gtest.h>

#include "common/genome.h"
#include "common/mt_random.h"
#include "text_source.h"

namespace {

using text_map = std::map<std::string, std::string>;
using start_map = std::map<std::string, uint64_t>;

struct text_load {
  int status;
  text_map seqs;
  start_map starts;
  long len = -1;
  std::string err;
};

text_load load_text(const std::string &file) {
  text_load r;
  line_reader_t in;
  read_text(in, file);
  testing::internal::CaptureStderr();
  r.status = read_genome(in, r.seqs, r.starts, r.len);
  r.err = testing::internal::GetCapturedStderr();
  return r;
}

} // namespace

TEST(Genome, ReadGenomeTextAndStarts) {
  text_load r = load_text(">chr2 desc\nacgt\nNN\n>chr1\nGG\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.seqs, (text_map{{"chr2", "acgtNN"}, {"chr1", "GG"}}));
  EXPECT_EQ(r.starts, (start_map{{"chr2", 1}, {"chr1", 7}}));
  EXPECT_EQ(r.len, 8);
  EXPECT_EQ(r.err, "Found chr2\nFound chr1\n");
}

TEST(Genome, PackedLoaderDrawsForOtherLetters) {
  line_reader_t in;
  read_text(in, ">chr2 desc\nacgt\nNN\n>chr1\nGG\n");
  MT_random gen, ref;
  bit_DNA_t genome;
  genome.append("TTTT", gen); // cleared by the loader
  MT_random fresh;
  gen = fresh;
  start_map starts{{"old", 5}};
  long len = 0;
  testing::internal::CaptureStderr();
  EXPECT_EQ(read_genome_str_bit(in, genome, starts, len, gen), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  ASSERT_EQ(genome.size(), 8u);
  EXPECT_EQ(len, 8);
  EXPECT_EQ(starts, (start_map{{"chr2", 1}, {"chr1", 7}}));
  const int fixed[8] = {0, 1, 2, 3, -1, -1, 2, 2};
  for (int i = 0; i < 8; ++i) {
    if (fixed[i] >= 0) {
      EXPECT_EQ(genome[i + 1], fixed[i]);
    }
  }
  EXPECT_EQ(uint64_t(genome[5]), ref.genrand_int_range(0, 3));
  EXPECT_EQ(uint64_t(genome[6]), ref.genrand_int_range(0, 3));
}

TEST(Genome, StringLoader) {
  line_reader_t in;
  read_text(in, "junk\n>a\r\nAC\r\n\r\n>b x\nG T\n");
  std::string seq;
  start_map starts;
  long len = 0;
  EXPECT_EQ(read_genome_str(in, seq, starts, len), 0);
  EXPECT_EQ(seq, "ACG T");
  EXPECT_EQ(starts, (start_map{{"a", 1}, {"b", 3}}));
  EXPECT_EQ(len, 5);
}

TEST(Genome, ZeroLengthChromosomes) {
  text_load r = load_text(">a\n>b\nAC\n>c\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err,
            "Found a\nWarning: Zero length chromosome: a\nFound b\nFound c\n");
  EXPECT_EQ(r.starts, (start_map{{"a", 1}, {"b", 1}, {"c", 3}}));
  EXPECT_EQ(r.seqs["a"], "");
  EXPECT_EQ(r.seqs["c"], "");
  EXPECT_EQ(r.len, 2);
}

TEST(Genome, NoChromosome) {
  text_load r = load_text("ACGT\nGG\n");
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.err, "Did not read any chromosomes! :(\n");
  r = load_text("");
  EXPECT_EQ(r.status, 3);
  r = load_text("> x\nACGT\n"); // empty name: lines dropped
  EXPECT_EQ(r.status, 3);
}

TEST(Genome, DuplicateName) {
  text_load r = load_text(">a\nAC\n>a\nGG\n>b\nT\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "Found a\nFound a\nERROR: duplicate chromosome (a) in file "
                   "\nPlease ensure that all genome files are unique.\n");

  line_reader_t in;
  read_text(in, ">a\nAC\n>a\nGG\n");
  bit_DNA_t genome;
  MT_random gen;
  start_map starts;
  long len = 0;
  testing::internal::CaptureStderr();
  EXPECT_EQ(read_genome_str_bit(in, genome, starts, len, gen), 2);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("duplicate"),
            std::string::npos);
}

TEST(Genome, TextBeforeHeaderAndWindowsLineEnds) {
  text_load r = load_text("ACGT\r\n>c1 x\r\nAC GT\r\n  \r\nTT\r\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.seqs, (text_map{{"c1", "AC GTTT"}}));
  EXPECT_EQ(r.len, 7);
}

TEST(Genome, NotTextStopsTheLoad) {
  const std::string gz("\x1f\x8b\x08\x00\x00\x00\x00\x00\n>a\nAC\n", 15);
  text_load r = load_text(gz);
  EXPECT_EQ(r.status, GENOME_GZIP);
  EXPECT_EQ(r.err, "");
  // A NUL anywhere, found as its block is read, before any of its lines is
  // taken; the packed loader too.
  const std::string nul(">a\nAC\n>b\nG\0T\n>c\nA\n", 18);
  r = load_text(nul);
  EXPECT_EQ(r.status, GENOME_NUL);
  EXPECT_EQ(r.err, "");
  line_reader_t in;
  read_text(in, nul);
  bit_DNA_t genome;
  MT_random gen;
  start_map starts;
  long len = 0;
  EXPECT_EQ(read_genome_str_bit(in, genome, starts, len, gen), GENOME_NUL);
  // The magic bytes mean gzip only at the start of the file.
  r = load_text(">a\n\x1f\x8b\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.seqs["a"], "\x1f\x8b");

  testing::internal::CaptureStderr();
  EXPECT_EQ(report_not_text(GENOME_GZIP, "g.gz"), 3);
  EXPECT_EQ(report_not_text(GENOME_NUL, "g.bin"), 3);
  EXPECT_EQ(report_not_text(2, "g.fa"), 2);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ERROR: g.gz is gzip-compressed; decompress it first\n"
            "ERROR: g.bin is not a text file (it holds a NUL byte)\n");
}

namespace {

// Status and standard error of `load` over a file that gives `head` and
// then fails.
template <typename Load>
std::pair<int, std::string> load_failing(const std::string &head, Load load) {
  line_reader_t in;
  read_then_fail(in, head, "g.fa");
  testing::internal::CaptureStderr();
  int status = load(in);
  return {status, testing::internal::GetCapturedStderr()};
}

} // namespace

TEST(Genome, ReadErrorIsNotAWholeGenome) {
  const std::string head = ">a\nACGT\n>b\nGG";
  const std::string said = "ERROR: g.fa: read error (Is a directory)\n";
  // Each load into maps of its own.
  auto text_map_load = [](line_reader_t &in) {
    text_map seqs;
    start_map starts;
    long len = 0;
    return read_genome(in, seqs, starts, len);
  };
  auto packed_load = [](line_reader_t &in) {
    bit_DNA_t genome;
    MT_random gen;
    start_map starts;
    long len = 0;
    return read_genome_str_bit(in, genome, starts, len, gen);
  };
  auto text_load = [](line_reader_t &in) {
    std::string text;
    start_map starts;
    long len = 0;
    return read_genome_str(in, text, starts, len);
  };
  const int unreadable = GENOME_UNREADABLE_EXIT;
  EXPECT_EQ(load_failing(head, text_map_load),
            std::make_pair(unreadable, "Found a\nFound b\n" + said));
  EXPECT_EQ(load_failing(head, packed_load), std::make_pair(unreadable, said));
  EXPECT_EQ(load_failing(head, text_load), std::make_pair(unreadable, said));
  // Nothing read at all is a read error too, not an empty genome.
  EXPECT_EQ(load_failing("", text_map_load), std::make_pair(unreadable, said));
}
