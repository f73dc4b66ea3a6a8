#include <gtest/gtest.h>

#include <set>

#include "../tiny_index.h"
#include "aligner/search/2_seeding.h"

namespace {

using key_pos = std::pair<uint64_t, uint32_t>;

std::vector<kmer_idx_t4> keys_of(tiny_index_t &idx, const std::string &t) {
  bit_DNA_t read(t, idx.gen, idx.table);
  std::vector<kmer_idx_t4> ks;
  gen_kmers(&idx.p, read, ks);
  return ks;
}

} // namespace

// A read cut from the genome at offset g0 gets, at every start offset, the
// key the index gave the genome window there, in every index mode.
TEST(SeedingKeys, ReadCutFromGenomeYieldsGenomeKeys) {
  const std::string g = random_dna(3000, 7);
  const uint32_t g0 = 1000;
  for (int mode = 0; mode <= 4; ++mode) {
    tiny_index_t idx;
    idx.build({{"chr1", g}}, 12, mode);
    const int span = idx.p.kmer_size;
    const std::vector<kmer_idx_t4> ks = keys_of(idx, g.substr(g0, 100));
    ASSERT_FALSE(ks.empty()) << "mode " << mode;

    std::set<key_pos> genome(idx.entries.begin(), idx.entries.end());
    std::set<uint32_t> genome_starts; // windows lying inside the read
    for (const key_pos &e : idx.entries) {
      const bool spaced_key = e.first >= (uint64_t(1) << 24);
      const uint32_t width = spaced_key || mode == 2 || mode == 4 ? span : 12;
      if (e.second > g0 && e.second + width - 1 <= g0 + 100)
        genome_starts.insert(e.second);
    }
    std::set<uint32_t> read_starts;
    int32_t prev = 0;
    for (const kmer_idx_t4 &k : ks) {
      EXPECT_GT(k.start_loc, prev) << "mode " << mode;
      prev = k.start_loc;
      EXPECT_TRUE(genome.count({k.kmer_num, g0 + uint32_t(k.start_loc)}))
          << "mode " << mode << " offset " << k.start_loc;
      EXPECT_EQ(k.idx_length, kmer_len::NOT_LOOKED_UP);
      EXPECT_EQ(k.searched, kmer_state::FRESH);
      read_starts.insert(g0 + uint32_t(k.start_loc));
    }
    EXPECT_EQ(read_starts, genome_starts) << "mode " << mode;
    if (mode == 0) {
      EXPECT_EQ(ks.size(), 89u);
    } else if (mode == 4) {
      EXPECT_EQ(ks.size(), 85u);
    }
  }
}

// Mode 3 keeps the contiguous key of an offset whenever it is sampled, even
// when the spaced key there is sampled too.
TEST(SeedingKeys, ModeThreePrefersContiguousKey) {
  const std::string g = random_dna(3000, 11);
  tiny_index_t idx;
  idx.build({{"chr1", g}}, 12, 3);
  std::map<uint32_t, uint64_t> contiguous, spaced;
  for (const key_pos &e : idx.entries)
    (e.first < (uint64_t(1) << 24) ? contiguous : spaced)[e.second] = e.first;
  const std::vector<kmer_idx_t4> ks = keys_of(idx, g.substr(500, 100));
  int both = 0;
  for (const kmer_idx_t4 &k : ks) {
    const uint32_t pos = 500 + uint32_t(k.start_loc);
    if (contiguous.count(pos)) {
      EXPECT_EQ(k.kmer_num, contiguous[pos]);
      both += spaced.count(pos) ? 1 : 0;
    } else {
      EXPECT_EQ(k.kmer_num, spaced[pos]);
    }
  }
  EXPECT_GT(both, 0); // the case did occur in this read
}

TEST(SeedingKeys, ReadShorterThanSpanHasNoKeys) {
  tiny_index_t idx;
  idx.build({{"chr1", random_dna(500, 3)}}, 12, 0);
  EXPECT_TRUE(keys_of(idx, "ACGTACGTACG").empty());
  EXPECT_EQ(keys_of(idx, "ACGTACGTACGT").size(), 1u);
}

// Buckets of 4 low bits: keys 0x11 and 0x13 share bucket 1, key 0x23 (same
// low bits as 0x13) starts bucket 2, key 0x44 has a position 0.
class SeedingLookup : public ::testing::Test {
protected:
  tiny_index_t idx;
  void SetUp() override {
    idx.p.NUM_SHIFT = 4;
    idx.p.HASH_MASK = 15;
    idx.p.MINI_HASH_LENGTH = 16;
    idx.entries = {{0x11, 5},  {0x13, 10}, {0x13, 11}, {0x23, 30},
                   {0x23, 31}, {0x23, 32}, {0x44, 0}};
    idx.load_table();
  }
  kmer_idx_t4 look(uint64_t key) {
    kmer_idx_t4 k;
    k.kmer_num = key;
    hash_search(&idx.p, k);
    return k;
  }
};

TEST_F(SeedingLookup, CountsEqualEntriesInsideTheBucketOnly) {
  kmer_idx_t4 k = look(0x13);
  EXPECT_EQ(k.idx_length, 2);
  EXPECT_EQ(k.chrdict_start_loc, 1u);
  k = look(0x23);
  EXPECT_EQ(k.idx_length, 3);
  EXPECT_EQ(k.chrdict_start_loc, 3u);
  k = look(0x11); // first entry of a bucket
  EXPECT_EQ(k.idx_length, 1);
  EXPECT_EQ(k.chrdict_start_loc, 0u);
}

TEST_F(SeedingLookup, AbsentKeys) {
  EXPECT_EQ(look(0x12).idx_length, kmer_len::NOT_FOUND);  // bucket, no key
  EXPECT_EQ(look(0x1f).idx_length, kmer_len::NOT_FOUND);  // past last
  EXPECT_EQ(look(0x33).idx_length, kmer_len::NOT_FOUND);  // empty bucket
  EXPECT_EQ(look(0x100).idx_length, kmer_len::NOT_FOUND); // no such bucket
}

TEST_F(SeedingLookup, PositionZeroMeansNoUsablePositions) {
  EXPECT_EQ(look(0x44).idx_length, 0);
}

// The visit of one frequent k-mer follows the draw order: the survival
// draw when its count lies between the two limits, then the limit draw
// when it is above the limit; a deferred k-mer meets both again in the
// next pass, whose limit has grown.
TEST(SeedingWalk, FrequentKmerDrawOrder) {
  tiny_index_t idx;
  idx.p.NUM_SHIFT = 4;
  idx.p.HASH_MASK = 15;
  idx.p.MINI_HASH_LENGTH = 16;
  for (uint32_t i = 0; i < 5; ++i)
    idx.entries.push_back({0x13, 100 + i});
  idx.load_table();
  idx.p.PHASE_1_LENGTH = 1;
  idx.p.MAX_NUM_HASH = 10;
  idx.p.kmer_size = 12;

  MT_random gen, replay;
  mate_search_t s;
  s.nk = 8;
  int taken = 0, given_up = 0;
  for (int trial = 0; trial < 200; ++trial) {
    s.kmers[0].assign(1, kmer_idx_t4());
    s.kmers[0][0].kmer_num = 0x13;
    s.kmers[0][0].start_loc = 1;
    s.too_frequent[0].clear();
    start_walks(s, 1);
    visit_strand(&idx.p, gen, s, 0);

    // Expected walk: 5 positions, survive when 5/10 < x, take when
    // limit/5 >= y; a deferral leads to a pass with limit 1*3 < 5, raised
    // to 5 + 1, where 5 <= 6 takes it after its survival draw.
    bool expect_taken = false;
    if (0.5 < replay.genrand64_real2()) {
      if (0.2 >= replay.genrand64_real2())
        expect_taken = true;
      else
        expect_taken = 0.5 < replay.genrand64_real2();
    }
    const kmer_walk_t &w = s.walk[0];
    if (expect_taken) {
      ++taken;
      EXPECT_TRUE(w.took && !w.finished);
      EXPECT_EQ(w.cursor, 0u);
      EXPECT_DOUBLE_EQ(w.coverage, 1.0);
      EXPECT_TRUE(s.too_frequent[0].empty());
    } else {
      ++given_up;
      EXPECT_TRUE(w.finished);
      EXPECT_EQ(s.too_frequent[0], std::vector<int>{1});
    }
    EXPECT_EQ(s.kmers[0][0].searched, kmer_state::USED);
  }
  EXPECT_GT(taken, 0);
  EXPECT_GT(given_up, 0);
  // Both generators made the same number of draws.
  EXPECT_EQ(gen.genrand64_int64(), replay.genrand64_int64());
}

TEST(SeedingWalk, CoverageSkipShrinksAsCoverageGrows) {
  mate_search_t s;
  for (int i = 1; i <= 40; ++i) {
    kmer_idx_t4 k;
    k.start_loc = i;
    s.kmers[0].push_back(k);
  }
  kmer_walk_t w;
  skip_covered(w, s.kmers[0], 1, 12, 0.0, 8); // reach 1 + 12
  EXPECT_EQ(w.cursor, 13u);
  w.cursor = 0;
  skip_covered(w, s.kmers[0], 1, 12, 8.0, 8); // reach 1 + 6
  EXPECT_EQ(w.cursor, 7u);
}

// The look-ahead grows with the best alignment's edits times the penalty
// factor; option values near the int limit must make the walk go on, not
// wrap around and stop it at once.
TEST(SeedingWalk, LookAheadFromLargeOptionValuesKeepsWalking) {
  tolve_params_t p;
  mate_search_t s;
  s.walk[0].coverage = 5.0;
  s.walk[1].coverage = 7.0;
  s.best_edit.num_mm = 6;
  s.best_edit.num_gap_open = 1;
  p.LOOK_AHEAD_NUM = 2;
  p.NUM_VAL = 0;
  EXPECT_FALSE(need_more_coverage(&p, s)); // 2 < 5
  p.NUM_VAL = 1;
  EXPECT_TRUE(need_more_coverage(&p, s)); // 2 + 7 > 5
  s.walk[0].coverage = 9.0;
  s.walk[1].coverage = 9.5;
  EXPECT_FALSE(need_more_coverage(&p, s)); // 9 > 9 fails
  p.NUM_VAL = 306783379;                   // 7 x this passes INT_MAX
  EXPECT_TRUE(need_more_coverage(&p, s));
  p.NUM_VAL = 400000000;
  EXPECT_TRUE(need_more_coverage(&p, s));
  p.NUM_VAL = 2147483647;
  p.LOOK_AHEAD_NUM = 2147483647;
  EXPECT_TRUE(need_more_coverage(&p, s));
  p.NUM_VAL = 1;
  p.LOOK_AHEAD_NUM = 2147483641;
  EXPECT_TRUE(need_more_coverage(&p, s));
}

class SeedingSearch : public ::testing::Test {
protected:
  tiny_index_t idx;
  std::string g = random_dna(3000, 21);
};

TEST_F(SeedingSearch, ReadWithNoIndexedKmerIsUnmapped) {
  idx.build({{"chr1", g}}, 12, 0);
  search_run_t run(default_pen());
  test_read_t read(random_dna(100, 99), idx);
  run.run(idx, read);
  EXPECT_FALSE(run.found);
  EXPECT_FALSE(run.too_short);
  EXPECT_EQ(run.store.get_main_size(), 0);
  for (int st = 0; st < 2; ++st) {
    EXPECT_TRUE(run.s.taken[st].empty());
    EXPECT_TRUE(run.s.cands[st].empty());
    // Either walked to the end twice or enough absent windows were seen.
    EXPECT_TRUE(run.s.walk[st].finished || run.s.walk[st].coverage >= 9.0);
  }
}

TEST_F(SeedingSearch, TooFrequentKmerIsNeverExtended) {
  // The read's first 12 bases occur at five more places.
  const std::string first = g.substr(1000, 12);
  for (size_t at : {100, 400, 1600, 2000, 2500})
    g.replace(at, 12, first);
  idx.build({{"chr1", g}}, 12, 0);
  idx.p.MAX_NUM_HASH = 3;
  search_run_t run(default_pen());
  test_read_t read(g.substr(1000, 100), idx);
  run.run(idx, read);
  ASSERT_TRUE(run.found);
  const std::vector<int> &tf = run.s.too_frequent[0];
  EXPECT_NE(std::find(tf.begin(), tf.end(), 1), tf.end());
  const std::vector<int> &taken = run.s.taken[0];
  EXPECT_EQ(std::find(taken.begin(), taken.end(), 1), taken.end());
  EXPECT_EQ(run.s.cands[0].size(), 1u); // only the true start was tried
}

TEST_F(SeedingSearch, UndeterminedLettersBeyondTheBoundMarkTooShort) {
  idx.build({{"chr1", g}}, 12, 0);
  // 100 bases allow 7 mismatches: 7 * 20 = 140 is the ungapped bound.
  std::string text = g.substr(1000, 100);
  for (int i = 0; i < 7; ++i)
    text[10 * i + 5] = i % 2 ? 'N' : '.';
  search_run_t run(default_pen());
  test_read_t ok(text, idx);
  run.run(idx, ok);
  EXPECT_FALSE(run.too_short);

  text[95] = 'X';
  test_read_t bad(text, idx);
  run.run(idx, bad);
  EXPECT_TRUE(run.too_short);
  EXPECT_FALSE(run.found);
  EXPECT_TRUE(run.s.kmers[0].empty()); // nothing was looked up

  idx.p.paired = true; // the pairing prior widens the bound by 80
  run.run(idx, bad);
  EXPECT_FALSE(run.too_short);
}

TEST_F(SeedingSearch, ShortReadIsNotSearched) {
  idx.build({{"chr1", g}}, 12, 0);
  search_run_t run(default_pen());
  test_read_t read(g.substr(1000, 49), idx); // below read_min_length 50
  run.run(idx, read);
  EXPECT_TRUE(run.too_short);
  idx.p.read_min_length = 20;
  run.run(idx, read);
  EXPECT_FALSE(run.too_short);
  EXPECT_TRUE(run.found);
}
