// The one-pass genome reader of the index build against the two FASTA
// loaders it replaces there: same packed bases (random bases included),
// starts, messages and statuses.
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

#include "common/bit_dna.h"
#include "common/genome.h"
#include "common/mt_random.h"
#include "index/index_genome.h"

namespace {

struct both_t {
  int status_new = -1, status_text = -1, status_packed = -1;
  std::string err_new, err_text, err_packed;
  index_genome_t g;
  bit_DNA_t packed;
  std::map<std::string, uint64_t> starts;
  long length = 0;
};

void read_both(const std::string &fasta, both_t &r, bool through_pipe = false) {
  char tmpl[] = "/tmp/venkari_igen_XXXXXX";
  const int fd = mkstemp(tmpl);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(write(fd, fasta.data(), fasta.size()), ssize_t(fasta.size()));
  close(fd);

  testing::internal::CaptureStderr();
  if (through_pipe) {
    FILE *pipe = popen(("cat " + std::string(tmpl)).c_str(), "r");
    r.status_new = read_index_genome(fileno(pipe), tmpl, 0, r.g);
    pclose(pipe);
  } else {
    const int in = open(tmpl, O_RDONLY);
    r.status_new = read_index_genome(in, tmpl, fasta.size(), r.g);
    close(in);
  }
  r.err_new = testing::internal::GetCapturedStderr();

  std::map<std::string, std::string> seqs;
  std::map<std::string, uint64_t> text_starts;
  long text_length = 0;
  testing::internal::CaptureStderr();
  line_reader_t text_in;
  line_reader_open(text_in, tmpl);
  r.status_text = read_genome(text_in, seqs, text_starts, text_length);
  r.err_text = testing::internal::GetCapturedStderr();

  MT_random gen;
  testing::internal::CaptureStderr();
  line_reader_t packed_in;
  line_reader_open(packed_in, tmpl);
  r.status_packed =
      read_genome_str_bit(packed_in, r.packed, r.starts, r.length, gen);
  r.err_packed = testing::internal::GetCapturedStderr();
  unlink(tmpl);
}

void expect_same(const std::string &fasta, bool through_pipe = false) {
  both_t r;
  read_both(fasta, r, through_pipe);
  ASSERT_EQ(r.status_new, r.status_text) << fasta;
  EXPECT_EQ(r.err_new, r.err_text) << fasta;
  if (r.status_new != 0)
    return;
  EXPECT_EQ(r.g.packed.data, r.packed.data) << fasta;
  EXPECT_EQ(r.g.packed.curr_loc, r.packed.curr_loc);
  EXPECT_EQ(r.g.starts, r.starts);
  EXPECT_EQ(r.g.length, r.length);
  // The packed loader warns again about empty chromosomes.
  EXPECT_EQ(r.g.empty_warnings, r.err_packed);
  uint64_t next = 0;
  for (const index_chrom_t &c : r.g.chroms) {
    EXPECT_EQ(c.first, next);
    next += c.length;
  }
  EXPECT_EQ(next, uint64_t(r.g.length));
}

TEST(IndexGenome, LinesAsTheLoadersSeeThem) {
  expect_same(">a x\nACGT\nacgtN\n>b\nGG\n");
  expect_same("junk before\n>a\r\n  ACGT  \r\n\n\t\n>b\tdesc\nAC GT\nNNRY\n");
  expect_same(">a\nACGT");                           // no final newline
  expect_same(">e1\n>a\nACGTTT\n>e2\n>b\nT\n>e3\n"); // empty chromosomes
  expect_same(">\nACGT\n>a\nAC\n");                  // a header without a name
  expect_same(">a\nAC\n>b\nGT\n>a\nTT\n");           // duplicate name: status 2
  expect_same("no header at all\n");                 // status 3
  expect_same("");
  expect_same(">a\nACGTNNNN\n>b\nACG\n", true); // not a regular file
}

// A file that is no text stops the read with the loaders' status. A NUL is
// found as it is read, before a line without end fills the memory.
TEST(IndexGenome, NotText) {
  both_t r;
  read_both(std::string(">z\nAC\0GT\n", 10) + ">y\nG\n", r);
  EXPECT_EQ(r.status_new, GENOME_NUL);
  EXPECT_EQ(r.status_text, GENOME_NUL);
  both_t gz;
  read_both(std::string("\x1f\x8b\x08\x00\n>a\nAC\n", 11), gz, true);
  EXPECT_EQ(gz.status_new, GENOME_GZIP);
  EXPECT_EQ(gz.status_text, GENOME_GZIP);
  EXPECT_EQ(gz.err_new, "");
  both_t late;
  read_both(">a\nAC\n" + std::string(9 << 20, 'C') + std::string(1, '\0'),
            late);
  EXPECT_EQ(late.status_new, GENOME_NUL);
  EXPECT_EQ(late.err_new, "Found a\n");
}

TEST(IndexGenome, RandomBasesAndLongLines) {
  MT_random gen;
  std::string fasta;
  for (int c = 0; c < 5; ++c) {
    fasta += ">chr" + std::to_string(c) + "\n";
    for (int line = 0; line < 40; ++line) {
      std::string s(gen.genrand_int_range(0, 90), 'A');
      for (char &ch : s)
        ch = "ACGTacgtNRWx "[gen.genrand_int_range(0, 12)];
      fasta += s + "\n";
    }
  }
  // A line longer than the reader's buffer.
  fasta += ">long\n" + std::string(5 << 20, 'C') + "N\n";
  expect_same(fasta);
}

} // namespace
