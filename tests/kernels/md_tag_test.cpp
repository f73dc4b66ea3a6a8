#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "kernel_test_util.h"
#include "kernels/md_tag.h"

using ktest::other_base;
using ktest::pack;

namespace {

struct md_case_t {
  std::string md, novo;
};

// Genome = prefix of 7 bases + ref; alignment starts at genome base 8.
md_case_t run(const std::string &cigar, const std::string &read,
              const std::string &ref) {
  bit_DNA_t g = pack("TTGCATG" + ref);
  bit_DNA_t r = pack(read);
  return {generate_MD(cigar, r, g, 8), generate_novo(cigar, r, g, 8)};
}

} // namespace

TEST(MdTag, HandCheckedAlignments) {
  md_case_t c = run("10M", "AAAGAAAAAA", "AAACAAAAAA");
  EXPECT_EQ(c.md, "3C6");
  EXPECT_EQ(c.novo, "3C>G ");
  c = run("5M2D5M", "GGGGGTTTTT", "GGGGGACTTTTT");
  EXPECT_EQ(c.md, "5^AC5");
  EXPECT_EQ(c.novo, "5-A 6-C ");
  EXPECT_EQ(run("10M", "CAAAAAAAAA", "AAAAAAAAAA").md, "0A9");
  EXPECT_EQ(run("10M", "GGGGTTGGGG", "GGGGACGGGG").md, "4A0C4");
  c = run("5M2I5M", "GGGGCGTTTTTT", "GGGGATTTTTT");
  EXPECT_EQ(c.md, "4A5");
  EXPECT_EQ(c.novo, "4A>C 5+GT ");
}

TEST(MdTag, EmptyAndPerfectAlignments) {
  md_case_t c = run("0M", "ACGT", "ACGT");
  EXPECT_EQ(c.md, "0");
  EXPECT_EQ(c.novo, "");
  std::mt19937 rng(1);
  std::string seq = ktest::random_dna(rng, 50);
  c = run("50M", seq, seq);
  EXPECT_EQ(c.md, "50");
  EXPECT_EQ(c.novo, "");
}

TEST(MdTag, SoftClipCountsFromFirstAlignedBase) {
  std::mt19937 rng(2);
  std::string ref = ktest::random_dna(rng, 47);
  std::string read = "CCC" + ref;
  read[9] = other_base(read[9]); // read base 10 = aligned base 7
  md_case_t c = run("3S47M", read, ref);
  EXPECT_EQ(c.md, "6" + std::string(1, ref[6]) + "40");
  std::string mismatch = "6" + std::string(1, ref[6]) + ">" + read[9] + " ";
  EXPECT_EQ(c.novo, "0x3 " + mismatch);
}

TEST(MdTag, ExtendedCigarGivesSameMdAsMatchCigar) {
  EXPECT_EQ(run("5=1X4=", "GGGGGCGGGG", "GGGGGAGGGG").md, "5A4");
  EXPECT_EQ(run("10M", "GGGGGCGGGG", "GGGGGAGGGG").md, "5A4");
  // 'X' is an edit whatever the bases say; '=' is trusted.
  EXPECT_EQ(run("5=1X4=", "GGGGGCGGGG", "GGGGGAGGGG").novo, "5A>C ");
  EXPECT_EQ(run("2X", "AC", "AC").novo, "0A>A 1C>C ");
}

TEST(MdTag, ClipEntryKeepsLengthTextAsWritten) {
  EXPECT_EQ(run("2S3M2S", "TTACGTT", "ACG").novo, "0x2 3x2 ");
  EXPECT_EQ(run("2S3M2S", "TTACGTT", "ACG").md, "3");
}

TEST(MdTag, AppendFormsExtendTheCallersBuffer) {
  bit_DNA_t g = pack("ACGTACGTAC");
  bit_DNA_t r = pack("ACCTA");
  std::string buf = "MD:Z:";
  append_MD(buf, "5M", r, g, 1);
  EXPECT_EQ(buf, "MD:Z:" + generate_MD("5M", r, g, 1));
  EXPECT_EQ(buf, "MD:Z:2G2");
  buf = "x\t";
  append_novo(buf, "5M", r, g, 1);
  EXPECT_EQ(buf, "x\t2G>C ");
}

TEST(MdTag, AlignmentRunningPastTheGenomeReadsNothingBeyondIt) {
  bit_DNA_t g = pack("ACGTA"); // two bytes
  EXPECT_EQ(generate_MD("10M", pack("GTAAAAAAAA"), g, 3), "10");
  EXPECT_EQ(generate_MD("10M", pack("GTACAAAAAA"), g, 3), "3A6");
  EXPECT_EQ(generate_MD("3M4D", pack("GTA"), g, 3), "3^AAAA0");
  EXPECT_EQ(generate_novo("4M", pack("CACG"), g, 0), "0A>C ");
  // More CIGAR than read.
  EXPECT_EQ(generate_MD("8M", pack("ACG"), g, 1), "3T4");
}

namespace {

struct random_aln_t {
  std::string cigar_m, cigar_x, read;
  uint32_t git;
  int edits = 0;
  int novo_entries = 0;
};

void add_op(std::string &cigar, int len, char op) {
  if (len > 0)
    cigar += std::to_string(len) + op;
}

// A random alignment against genome text g, built from its edits.
random_aln_t random_alignment(std::mt19937 &rng, const std::string &g) {
  random_aln_t a;
  a.git = 1 + rng() % 100;
  uint32_t gpos = a.git;
  auto clip = [&]() {
    int len = int(rng() % 3) == 0 ? 1 + int(rng() % 4) : 0;
    a.read += ktest::random_dna(rng, len);
    add_op(a.cigar_m, len, 'S');
    add_op(a.cigar_x, len, 'S');
    a.novo_entries += len > 0;
  };
  clip();
  int pieces = 1 + int(rng() % 4);
  for (int piece = 0; piece < pieces; ++piece) {
    if (piece > 0) { // indel between aligned pieces
      int len = 1 + int(rng() % 3);
      if (rng() & 1) {
        a.read += ktest::random_dna(rng, len);
        add_op(a.cigar_m, len, 'I');
        add_op(a.cigar_x, len, 'I');
        a.novo_entries += 1;
      } else {
        gpos += len;
        add_op(a.cigar_m, len, 'D');
        add_op(a.cigar_x, len, 'D');
        a.novo_entries += len;
      }
      a.edits += len;
    }
    int len = 1 + int(rng() % 20);
    add_op(a.cigar_m, len, 'M');
    char run_op = 0;
    int run_len = 0;
    for (int i = 0; i < len; ++i, ++gpos) {
      char base = g[gpos - 1];
      char op = '=';
      if (rng() % 6 == 0) {
        base = other_base(base, rng());
        op = 'X';
        ++a.edits;
        ++a.novo_entries;
      }
      a.read += base;
      if (op != run_op) {
        add_op(a.cigar_x, run_len, run_op);
        run_op = op;
        run_len = 0;
      }
      ++run_len;
    }
    add_op(a.cigar_x, run_len, run_op);
  }
  clip();
  return a;
}

struct cigar_op_t {
  int len;
  char op;
};

std::vector<cigar_op_t> parse_cigar(const std::string &c) {
  std::vector<cigar_op_t> ops;
  int len = 0;
  for (char ch : c) {
    if (std::isdigit(static_cast<unsigned char>(ch))) {
      len = len * 10 + (ch - '0');
    } else {
      ops.push_back({len, ch});
      len = 0;
    }
  }
  return ops;
}

// Rebuilds the reference span from read, CIGAR and MD, the way a consumer
// of the tag would, and counts the edits that MD and CIGAR describe.
std::string reference_from_md(const std::string &read, const std::string &cigar,
                              const std::string &md, int &edits) {
  // Aligned read bases (M/=/X) in order, and the deletions in between.
  std::string aligned;
  size_t rpos = 0;
  edits = 0;
  for (const cigar_op_t &o : parse_cigar(cigar)) {
    if (o.op == 'M' || o.op == '=' || o.op == 'X') {
      aligned += read.substr(rpos, o.len);
      rpos += o.len;
    } else if (o.op == 'I') {
      rpos += o.len;
      edits += o.len;
    } else if (o.op == 'S') {
      rpos += o.len;
    }
  }
  std::string ref;
  size_t apos = 0;
  for (size_t i = 0; i < md.size();) {
    if (std::isdigit(static_cast<unsigned char>(md[i]))) {
      size_t j = i;
      while (j < md.size() && std::isdigit(static_cast<unsigned char>(md[j])))
        ++j;
      int n = std::stoi(md.substr(i, j - i));
      ref += aligned.substr(apos, n);
      apos += n;
      i = j;
    } else if (md[i] == '^') {
      ++i;
      while (i < md.size() && std::isalpha(static_cast<unsigned char>(md[i]))) {
        ref += md[i++];
        ++edits;
      }
    } else {
      ref += md[i++];
      ++apos;
      ++edits;
    }
  }
  EXPECT_EQ(apos, aligned.size()) << cigar << " " << md;
  return ref;
}

int count_entries(const std::string &novo) {
  int n = 0;
  for (char c : novo)
    n += c == ' ';
  return n;
}

} // namespace

TEST(MdTag, MdAndCigarReproduceReferenceAndEditCountOnRandomAlignments) {
  std::mt19937 rng(77);
  std::string gtext = ktest::random_dna(rng, 300);
  bit_DNA_t g = pack(gtext);
  for (int t = 0; t < 2000; ++t) {
    random_aln_t a = random_alignment(rng, gtext);
    bit_DNA_t r = pack(a.read);
    std::string md = generate_MD(a.cigar_m, r, g, a.git);
    ASSERT_EQ(generate_MD(a.cigar_x, r, g, a.git), md) << a.cigar_x;
    ASSERT_TRUE(std::isdigit(static_cast<unsigned char>(md.back()))) << md;
    int edits;
    std::string ref = reference_from_md(a.read, a.cigar_m, md, edits);
    EXPECT_EQ(ref, gtext.substr(a.git - 1, ref.size()))
        << a.cigar_m << " " << md;
    EXPECT_EQ(edits, a.edits) << a.cigar_m << " " << md;
    std::string novo = generate_novo(a.cigar_m, r, g, a.git);
    EXPECT_EQ(count_entries(novo), a.novo_entries) << a.cigar_m << " " << novo;
    EXPECT_EQ(generate_novo(a.cigar_x, r, g, a.git), novo) << a.cigar_x;
  }
}

// Matched runs longer than a word, at every alignment of read and genome
// bytes, and running past the genome end (absent bases read as A): the tag
// is what a base-by-base comparison of the letters gives.
TEST(MdTag, LongMatchedRunsAgreeBaseByBase) {
  std::mt19937 rng(78);
  std::string gtext = ktest::random_dna(rng, 400);
  bit_DNA_t g = pack(gtext);
  for (int t = 0; t < 1000; ++t) {
    uint32_t git = 1 + uint32_t(rng() % gtext.size());
    size_t len = 1 + rng() % 200;
    unsigned rate = 1 + rng() % 40; // one mismatch in `rate` bases
    std::string read, want;
    long equal = 0;
    for (size_t i = 0; i < len; ++i) {
      size_t gpos = git + i;
      char gbase = gpos <= gtext.size() ? gtext[gpos - 1] : 'A';
      char rbase = rng() % rate == 0 ? other_base(gbase, rng()) : gbase;
      read += rbase;
      if (rbase == gbase) {
        ++equal;
      } else {
        want += std::to_string(equal) + gbase;
        equal = 0;
      }
    }
    want += std::to_string(equal);
    std::string cigar = std::to_string(len) + "M";
    EXPECT_EQ(generate_MD(cigar, pack(read), g, git), want)
        << cigar << " at " << git;
  }
}
