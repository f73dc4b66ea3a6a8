#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "common/bit_dna.h"
#include "common/mt_random.h"

namespace {

struct table_holder {
  std::unique_ptr<uint8_t[]> t{gen_mm_table()};
};

std::string random_acgt(MT_random &g, size_t n) {
  std::string s;
  for (size_t i = 0; i < n; ++i)
    s += "ACGT"[g.genrand_int_range(0, 3)];
  return s;
}

// Mismatch count by letters, the meaning compare_mm must agree with.
int naive_mm(const std::string &genome, size_t loc, const std::string &read) {
  int mm = 0;
  for (size_t i = 0; i < read.size(); ++i)
    mm += genome[loc - 1 + i] != read[i];
  return mm;
}

} // namespace

TEST(BitDNA, Packing) {
  table_holder h;
  MT_random g;
  bit_DNA_t a("ACGT", g, h.t.get());
  ASSERT_EQ(a.data.size(), 1u);
  EXPECT_EQ(a.data[0], 0xE4);
  EXPECT_EQ(a.curr_loc, 8u);
  bit_DNA_t b("ACGTA", g, h.t.get());
  ASSERT_EQ(b.data.size(), 2u);
  EXPECT_EQ(b.data[0], 0xE4);
  EXPECT_EQ(b.data[1], 0x00);
  EXPECT_EQ(b.curr_loc, 10u);
  EXPECT_EQ(b.size(), 5u);
  EXPECT_EQ(b.full_size(), 1u);
  const int want[5] = {0, 1, 2, 3, 0};
  for (int i = 1; i <= 5; ++i)
    EXPECT_EQ(b[i], want[i - 1]);
  bit_DNA_t c("acgt", g, h.t.get());
  EXPECT_EQ(c.data, a.data);
  b.clear();
  EXPECT_EQ(b.size(), 0u);
  EXPECT_TRUE(b.data.empty());
  EXPECT_EQ(b.mm_table, h.t.get());
}

TEST(BitDNA, OtherLettersDrawOneRandomBaseEach) {
  MT_random g1, g2, ref;
  bit_DNA_t a("ANNCN-", g1, nullptr);
  bit_DNA_t b("ANNCN-", g2, nullptr);
  EXPECT_EQ(a.data, b.data);
  // Exactly four draws were taken, in text order.
  uint64_t codes[4];
  for (auto &c : codes)
    c = ref.genrand_int_range(0, 3);
  EXPECT_EQ(a[1], 0);
  EXPECT_EQ(uint64_t(a[2]), codes[0]);
  EXPECT_EQ(uint64_t(a[3]), codes[1]);
  EXPECT_EQ(a[4], 1);
  EXPECT_EQ(uint64_t(a[5]), codes[2]);
  EXPECT_EQ(uint64_t(a[6]), codes[3]);
  EXPECT_EQ(g1.genrand64_int64(), ref.genrand64_int64());
}

TEST(BitDNA, MismatchTable) {
  table_holder h;
  const uint8_t *t = h.t.get();
  EXPECT_EQ(t[0x00], 0);
  EXPECT_EQ(t[0x01], 1);
  EXPECT_EQ(t[0x05], 2);
  EXPECT_EQ(t[0x55], 4);
  EXPECT_EQ(t[0xFF], 4);
  EXPECT_EQ(t[0x0C], 1);
  EXPECT_EQ(t[0x30], 1);
}

TEST(BitDNA, BaseCodes) {
  EXPECT_EQ(get_base_val('A'), 0);
  EXPECT_EQ(get_base_val('c'), 1);
  EXPECT_EQ(get_base_val('G'), 2);
  EXPECT_EQ(get_base_val('t'), 3);
  EXPECT_EQ(get_base_val('N'), -1);
  EXPECT_EQ(get_base_val('\xC1'), -1);
  EXPECT_EQ(get_int_base(0), 'A');
  EXPECT_EQ(get_int_base(3), 'T');
  EXPECT_EQ(get_int_base(4), 'N');
  EXPECT_EQ(get_int_base(-1), 'N');
  MT_random g;
  for (int i = 0; i < 100; ++i) {
    int v = get_base_val_r('N', g);
    EXPECT_GE(v, 0);
    EXPECT_LE(v, 3);
  }
}

TEST(BitDNA, Compleseq) {
  EXPECT_EQ(compleseq("ACGTNacgt"), "acgtNACGT");
  EXPECT_EQ(compleseq(""), "");
  EXPECT_EQ(compleseq("AAC-x"), "x-GTT");
}

TEST(BitDNA, CompareMmIdenticalAtEveryOffset) {
  table_holder h;
  MT_random g;
  std::string gs = random_acgt(g, 61); // last byte partly filled
  bit_DNA_t genome(gs, g, h.t.get());
  genome.data.shrink_to_fit(); // lets the address checker see over-reads
  bit_DNA_t read(h.t.get());
  for (size_t len = 1; len <= 21; ++len)
    for (size_t loc = 1; loc + len - 1 <= gs.size(); ++loc) {
      read.clear();
      read.append(gs.substr(loc - 1, len), g);
      ASSERT_EQ(genome.compare_mm(read, loc, 1000, 1), 0)
          << "loc " << loc << " len " << len;
    }
}

TEST(BitDNA, CompareMmCountsAgainstLetters) {
  table_holder h;
  MT_random g;
  for (size_t glen : {4u, 5u, 8u, 33u, 40u}) {
    std::string gs = random_acgt(g, glen);
    bit_DNA_t genome(gs, g, h.t.get());
    genome.data.shrink_to_fit();
    for (size_t len = 1; len <= glen && len <= 17; ++len)
      for (size_t loc = 1; loc + len - 1 <= glen; ++loc) {
        std::string rs = random_acgt(g, len);
        bit_DNA_t read(rs, g, h.t.get());
        ASSERT_EQ(genome.compare_mm(read, loc, 1000, 3),
                  3 * naive_mm(gs, loc, rs))
            << "glen " << glen << " loc " << loc << " len " << len;
      }
  }
}

TEST(BitDNA, CompareMmPastTheGenomeEnd) {
  table_holder h;
  MT_random g;
  std::string gs = "ACGTACGTAC"; // 3 bytes
  bit_DNA_t genome(gs, g, h.t.get());
  genome.data.shrink_to_fit();
  bit_DNA_t read("ACGT", g, h.t.get());
  EXPECT_EQ(genome.compare_mm(read, 13, 100, 1), -1);
  EXPECT_EQ(genome.compare_mm(read, 1000, 100, 1), -1);
  // A start in the last byte with the read running past the data: missing
  // bytes count as code A and are never read.
  bit_DNA_t as("AAAAAAAA", g, h.t.get());
  EXPECT_EQ(genome.compare_mm(as, 10, 100, 1), 1); // C then 7 absent bases
  EXPECT_EQ(genome.compare_mm(as, 12, 100, 1), 0);
}

TEST(BitDNA, CompareMmPartialLastByteAndBound) {
  table_holder h;
  MT_random g;
  bit_DNA_t genome("ACGTACGTAC", g, h.t.get());
  bit_DNA_t read("ACGTC", g, h.t.get()); // fifth base differs
  EXPECT_EQ(genome.compare_mm(read, 1, 100, 1), 1);
  bit_DNA_t bad("TTTTTTTTTTTT", g, h.t.get());
  bit_DNA_t ref("ACGTACGTACGT", g, h.t.get());
  // Stops after the first byte, whose penalty already passes the bound.
  EXPECT_EQ(ref.compare_mm(bad, 1, 2, 1), 3);
  EXPECT_EQ(ref.compare_mm(bad, 1, 100, 1), 9);
}

TEST(BitDNA, SerialisationRoundTrip) {
  table_holder h;
  MT_random g;
  std::string path = testing::TempDir() + "venkari_bitdna_" +
                     std::to_string(::getpid()) + ".gz";
  bit_DNA_t a(random_acgt(g, 1001), g, h.t.get());
  gzFile out = gzopen(path.c_str(), "wb");
  ASSERT_TRUE(out);
  EXPECT_TRUE(a.write_serialised(out));
  gzclose(out);

  gzFile in = gzopen(path.c_str(), "rb");
  ASSERT_TRUE(in);
  bit_DNA_t b(h.t.get());
  b.append("GGGG", g); // stale content is replaced
  EXPECT_TRUE(b.read_serialised(in));
  gzclose(in);
  EXPECT_EQ(b.curr_loc, a.curr_loc);
  EXPECT_EQ(b.data, a.data);

  // A record cut short reports failure and keeps positions inside the data.
  out = gzopen(path.c_str(), "wb");
  uint8_t head[16] = {0};
  head[0] = 0x40; // 64 bits
  head[8] = 16;   // 16 bytes announced
  gzwrite(out, head, sizeof head);
  gzwrite(out, "\x01\x02", 2);
  gzclose(out);
  in = gzopen(path.c_str(), "rb");
  EXPECT_FALSE(b.read_serialised(in));
  gzclose(in);
  EXPECT_LE(b.curr_loc, b.data.size() * 8);
  std::remove(path.c_str());
}

// Appending text in pieces of every length, starting at every offset in a
// byte, packs exactly what one base at a time would: the same bytes, and
// the same random bases for other letters, drawn in text order.
TEST(BitDNA, AppendInPiecesMatchesBaseByBase) {
  MT_random text_gen;
  const std::string letters = "ACGTacgtNnX.-";
  for (int t = 0; t < 300; ++t) {
    std::string text;
    size_t len = text_gen.genrand_int_range(0, 90);
    bool others = text_gen.genrand_int_range(0, 2) == 0;
    for (size_t i = 0; i < len; ++i)
      text += others ? letters[text_gen.genrand_int_range(0, 12)]
                     : "ACGT"[text_gen.genrand_int_range(0, 3)];
    MT_random g1, g2;
    bit_DNA_t whole(nullptr), by_base(nullptr);
    size_t at = 0;
    while (at < text.size()) {
      size_t piece = text_gen.genrand_int_range(1, 13);
      whole.append(text.substr(at, piece), g1);
      at += piece;
    }
    for (char c : text) {
      int code = get_base_val_r(c, g2);
      uint64_t k = by_base.curr_loc / 8;
      if (by_base.data.size() <= k)
        by_base.data.push_back(0);
      by_base.data[k] |= uint8_t(code << (by_base.curr_loc % 8));
      by_base.curr_loc += 2;
    }
    ASSERT_EQ(whole.curr_loc, by_base.curr_loc) << text;
    ASSERT_EQ(whole.data, by_base.data) << text;
    EXPECT_EQ(g1.genrand64_int64(), g2.genrand64_int64()) << text;
  }
}

// compare_mm against a byte-at-a-time count over the mismatch table: the
// same penalty, and the same stopping value once the bound is passed, for
// reads of every length at every offset, also hanging past the genome end.
TEST(BitDNA, CompareMmAgreesWithByteByByteCount) {
  table_holder h;
  MT_random g;
  const std::string genome_text = random_acgt(g, 700);
  bit_DNA_t genome(genome_text, g, h.t.get());
  for (int t = 0; t < 3000; ++t) {
    size_t len = g.genrand_int_range(1, 150);
    uint64_t loc = g.genrand_int_range(1, genome_text.size() + 3);
    std::string text;
    unsigned rate = unsigned(g.genrand_int_range(1, 30));
    for (size_t i = 0; i < len; ++i) {
      size_t at = loc - 1 + i;
      char base = at < genome_text.size() ? genome_text[at] : 'A';
      if (g.genrand_int_range(1, rate) == 1)
        base = "ACGT"[g.genrand_int_range(0, 3)];
      text += base;
    }
    bit_DNA_t read(text, g, h.t.get());
    uint32_t bound = uint32_t(g.genrand_int_range(0, 200));
    uint32_t cost = uint32_t(g.genrand_int_range(1, 20));
    // The model: one read byte (four bases) at a time.
    long want = -1;
    if ((2 * loc - 2) / 8 < genome.data.size()) {
      uint64_t pen = 0;
      bool stopped = false;
      for (size_t b = 0; b < read.full_size() && !stopped; ++b) {
        uint8_t gb = 0;
        for (int k = 0; k < 4; ++k) {
          uint64_t pos = loc + 4 * b + uint64_t(k);
          int code = pos <= genome.data.size() * 4 ? genome[pos] : 0;
          gb = uint8_t(gb | code << (2 * k));
        }
        pen += h.t[gb ^ read.data[b]] * uint64_t(cost);
        stopped = pen > bound;
      }
      if (!stopped && read.size() % 4) {
        for (uint64_t i = read.full_size() * 4; i < read.size(); ++i) {
          uint64_t pos = loc + i;
          int code = pos <= genome.data.size() * 4 ? genome[pos] : 0;
          pen += (code != read[i + 1]) * uint64_t(cost);
        }
      }
      want = long(pen);
    }
    ASSERT_EQ(genome.compare_mm(read, loc, bound, cost), want)
        << text << " at " << loc << " bound " << bound << " cost " << cost;
  }
}
