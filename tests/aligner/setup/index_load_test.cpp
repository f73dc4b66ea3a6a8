#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "../test_index.h"
#include "aligner/setup/2_pen_tester.h"
#include "aligner/setup/3_index_load.h"
#include "aligner/setup/index_types.h"
#include "aligner/setup/mini_hash.h"
#include "aligner/setup/params.h"
#include "common/bit_dna.h"
#include "index/gz_input.h"
#include "index/gz_member.h"
#include "index/gz_writer.h"

namespace {

std::string make_temp_dir() {
  char tmpl[] = "/tmp/venkari_idx_XXXXXX";
  return mkdtemp(tmpl);
}

// chrB (30 bases) comes first in the genome, chrA (20) second; the records
// are in name order.
test_index_t two_sequences() {
  test_index_t t;
  t.genome = std::string("ACGTACGTACGTACGTACGTACGTACGTAC") +
             std::string("GGGGCCCCTTTTAAAAGGGG");
  t.sequences = {{"chrA", 31}, {"chrB", 1}};
  t.groups = {{5, {3, 9}}, {70, {1}}, {127, {2, 4, 40}}, {1000, {7}}};
  return t;
}

struct loaded {
  int status = 0;
  std::string err;
  tolve_params_t p;
  ~loaded() { release_params(&p); }
};

// Our gzip members of `block` bytes, as the index command writes them.
void write_members(const std::string &path, const std::string &bytes,
                   size_t block) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  gz_writer_t w;
  gz_writer_init(w, fd, block, 3);
  gz_put_bytes(w, bytes.data(), bytes.size());
  gz_writer_finish(w);
  close(fd);
}

// How the test writes the index: one zlib stream, plain, or in members of
// `block` bytes read on `threads` threads.
struct file_form_t {
  bool compress = true;
  size_t block = 0;
  int threads = 1;
};

void load(const std::string &bytes, loaded &l, file_form_t form) {
  std::string dir = make_temp_dir();
  std::string path = dir + "/x.tidx";
  if (form.block > 0)
    write_members(path, bytes, form.block);
  else if (form.compress)
    write_gz(path, bytes);
  else
    write_plain(path, bytes);
  l.p.mm_table = gen_mm_table();
  l.p.pen = new pen_tester(0.05f, -1, 0.005f, -1, 50, 5, 15, 40, 2);
  gz_input_t in;
  ASSERT_TRUE(gz_input_open(in, path.c_str(), form.threads));
  testing::internal::CaptureStderr();
  l.status = load_index_genome(in, &l.p);
  if (!l.status)
    l.status = load_index_table(in, &l.p, read_text(path).size());
  l.err = testing::internal::GetCapturedStderr();
  gz_input_close(in);
  unlink(path.c_str());
  rmdir(dir.c_str());
}

void load(const std::string &bytes, loaded &l, bool compress = true) {
  file_form_t form;
  form.compress = compress;
  load(bytes, l, form);
}

TEST(IndexLoad, GenomeSequencesPositionsAndBuckets) {
  test_index_t t = two_sequences();
  t.mode = 0;
  t.span = 16; // bucket shift 6, 6 low key bits kept
  loaded l;
  load(index_bytes(t), l);
  ASSERT_EQ(l.status, 0) << l.err;
  EXPECT_EQ(l.p.INDEX_MODE, 0);
  EXPECT_EQ(l.p.genome_length, 50);
  ASSERT_EQ(l.p.genome_str->size(), 50u);
  EXPECT_EQ((*l.p.genome_str)[1], 0);
  EXPECT_EQ((*l.p.genome_str)[4], 3);
  EXPECT_EQ((*l.p.genome_str)[31], 2);
  EXPECT_EQ((*l.p.genome_str)[39], 3);
  EXPECT_EQ(l.p.genome_str->mm_table, l.p.mm_table);
  EXPECT_EQ(l.p.genome_start->at("chrA"), 31);
  EXPECT_EQ(l.p.start_genome->at(1), "chrB");
  EXPECT_EQ(l.p.NUM_SHIFT, 6);
  EXPECT_EQ(l.p.HASH_MASK, 63u);
  EXPECT_EQ(l.p.MINI_HASH_LENGTH, 1u << 26);
  std::vector<std::pair<uint32_t, uint32_t>> entries;
  for (const twoint3_search &e : *l.p.chrdict)
    entries.push_back({e.a, e.b});
  std::vector<std::pair<uint32_t, uint32_t>> expected = {
      {5, 3}, {5, 9}, {6, 1}, {63, 2}, {63, 4}, {63, 40}, {40, 7}};
  EXPECT_EQ(entries, expected);
  EXPECT_EQ(mini_hash_get(*l.p.mini_hash, 0).a, 1u);
  EXPECT_EQ(mini_hash_get(*l.p.mini_hash, 0).b, 3u);
  EXPECT_EQ(mini_hash_get(*l.p.mini_hash, 1).a, 3u);
  EXPECT_EQ(mini_hash_get(*l.p.mini_hash, 1).b, 7u);
  EXPECT_EQ(mini_hash_get(*l.p.mini_hash, 15).a, 7u);
  EXPECT_EQ(mini_hash_get(*l.p.mini_hash, 15).b, 8u);
  EXPECT_EQ(mini_hash_get(*l.p.mini_hash, 2).a, 0u);
  EXPECT_NE(l.err.find("Loading genome...\nRecord size: 8 bytes\nk-mer size: "
                       "16\n16bp - 21bp reads: max mismatch = 2\n"),
            std::string::npos);
  EXPECT_EQ(l.err.substr(l.err.size() - 17), "Loading index...\n");
}

TEST(IndexLoad, BucketShiftPerMode) {
  test_index_t t = two_sequences();
  loaded k12; // k = 12, mode 1: every key is its own bucket
  load(index_bytes(t), k12);
  ASSERT_EQ(k12.status, 0) << k12.err;
  EXPECT_EQ(k12.p.NUM_SHIFT, 0);
  EXPECT_EQ(k12.p.HASH_MASK, 0u);
  EXPECT_EQ(k12.p.chrdict->at(2).a, 0u);
  EXPECT_EQ(mini_hash_get(*k12.p.mini_hash, 127).a, 4u);
  EXPECT_EQ(mini_hash_get(*k12.p.mini_hash, 127).b, 7u);
  t.mode = 2;
  t.span = 20;
  loaded spaced;
  load(index_bytes(t), spaced, false);
  ASSERT_EQ(spaced.status, 0) << spaced.err;
  EXPECT_EQ(spaced.p.NUM_SHIFT, 8);
  EXPECT_EQ(mini_hash_get(*spaced.p.mini_hash, 0).b, 7u);
  EXPECT_EQ(mini_hash_get(*spaced.p.mini_hash, 3).a, 7u);
}

// Groups larger than a piece of the decompressed stream, and groups cut by
// piece ends at every offset, give the same tables in every file form.
TEST(IndexLoad, GroupsAcrossPiecesInEveryFileForm) {
  test_index_t t;
  t.genome = std::string(200000, 'A') + std::string(200000, 'G');
  t.sequences = {{"chrA", 1}};
  t.mode = 0;
  t.span = 16;
  std::vector<uint32_t> many;
  for (uint32_t pos = 2; pos <= 400000; pos += 2)
    many.push_back(pos); // 800 KB of positions
  t.groups.push_back({3, many});
  for (uint64_t key = 100; key < 30000; key += 3)
    t.groups.push_back({key, {uint32_t(key), uint32_t(key + 5)}});
  t.groups.push_back({1ULL << 30, {7}});
  const std::string bytes = index_bytes(t);
  loaded want;
  load(bytes, want, false);
  ASSERT_EQ(want.status, 0) << want.err;
  ASSERT_EQ(want.p.chrdict->size(), many.size() + 2 * 9967 + 1);
  EXPECT_EQ(want.p.chrdict->at(199999).b, 400000u);
  EXPECT_EQ(want.p.chrdict->back().b, 7u);
  file_form_t forms[4];
  forms[0].compress = true; // one stream, inflated ahead of the loader
  forms[1].block = 4093;    // members on one thread and on four
  forms[2].block = 4093;
  forms[2].threads = 4;
  forms[3].block = INDEX_BLOCK_BYTES; // as the index command writes
  forms[3].threads = 2;
  for (const file_form_t &form : forms) {
    loaded got;
    load(bytes, got, form);
    ASSERT_EQ(got.status, 0) << got.err;
    ASSERT_EQ(got.p.chrdict->size(), want.p.chrdict->size());
    EXPECT_TRUE(std::equal(
        got.p.chrdict->begin(), got.p.chrdict->end(), want.p.chrdict->begin(),
        [](const twoint3_search &x, const twoint3_search &y) {
          return x.a == y.a && x.b == y.b;
        }));
    for (uint64_t bucket :
         {uint64_t(0), uint64_t(1), uint64_t(468), uint64_t(1) << 24})
      EXPECT_EQ(mini_hash_get(*got.p.mini_hash, uint32_t(bucket)).b,
                mini_hash_get(*want.p.mini_hash, uint32_t(bucket)).b)
          << "bucket " << bucket << " block " << form.block;
  }
}

TEST(IndexLoad, EmptyTableAndEmptySequences) {
  test_index_t t = two_sequences();
  t.groups.clear();
  // chrB_empty shares chrB's start; chrZ is an empty last sequence.
  t.genome = std::string(20, 'A') + std::string(30, 'C');
  t.sequences = {{"chrA", 1}, {"chrB", 21}, {"chrB_empty", 21}, {"chrZ", 51}};
  loaded l;
  load(index_bytes(t), l);
  ASSERT_EQ(l.status, 0) << l.err;
  EXPECT_TRUE(l.p.chrdict->empty());
  EXPECT_EQ(l.p.genome_start->size(), 4u);
  ASSERT_EQ(l.p.start_genome->size(), 2u);
  EXPECT_EQ(l.p.start_genome->at(21), "chrB");
}

// Every damaged variant ends with the format message and status 1.
void expect_wrong_format(const std::string &bytes, const std::string &what,
                         bool compress = true) {
  loaded l;
  load(bytes, l, compress);
  EXPECT_EQ(l.status, 1) << what;
  EXPECT_NE(l.err.find("Hash file is of the wrong format\n"), std::string::npos)
      << what << ": " << l.err;
}

TEST(IndexLoad, HeaderChecks) {
  test_index_t t = two_sequences();
  t.magic = 315;
  expect_wrong_format(index_bytes(t), "magic");
  expect_wrong_format("", "empty file");
  t = two_sequences();
  t.version = 5;
  loaded v;
  load(index_bytes(t), v);
  EXPECT_EQ(v.status, 1);
  EXPECT_EQ(v.err, "Hash file is of the wrong version\n");
  t = two_sequences();
  t.param_count = 2;
  loaded c;
  load(index_bytes(t), c);
  EXPECT_EQ(c.status, 1);
  EXPECT_EQ(c.err, "Incorrect number of parameters in index: 2\nPlease check "
                   "that index file is correct or re-build it\n");
}

TEST(IndexLoad, EveryTruncationIsRefused) {
  test_index_t t = two_sequences();
  t.bucket_bits = 10; // a small bucket table keeps the many loads quick
  std::string bytes = index_bytes(t);
  for (size_t cut = 0; cut < bytes.size(); cut++)
    expect_wrong_format(bytes.substr(0, cut), "cut at " + std::to_string(cut));
  std::string dir = make_temp_dir();
  write_gz(dir + "/full", bytes);
  std::string packed = read_text(dir + "/full");
  unlink((dir + "/full").c_str());
  rmdir(dir.c_str());
  for (size_t cut = 10; cut < packed.size(); cut += 7)
    expect_wrong_format(packed.substr(0, cut),
                        "compressed cut at " + std::to_string(cut), false);
}

TEST(IndexLoad, GarbageIsRefused) {
  std::string bytes = index_bytes(two_sequences());
  std::string garbage(300, '\xab');
  expect_wrong_format(bytes.substr(0, 12) + garbage, "garbage after header");
  expect_wrong_format(bytes + "x", "trailing byte");
  std::string corrupt = bytes;
  corrupt[20] = '\x7f'; // genome length
  expect_wrong_format(corrupt, "genome length");
}

TEST(IndexLoad, StructureIsChecked) {
  struct variant {
    const char *what;
    void (*damage)(test_index_t &);
  };
  const variant variants[] = {
      {"mode 5", [](test_index_t &t) { t.mode = 5; }},
      {"no sequence", [](test_index_t &t) { t.sequences.clear(); }},
      {"names out of order",
       [](test_index_t &t) { std::swap(t.sequences[0], t.sequences[1]); }},
      {"duplicate name",
       [](test_index_t &t) { t.sequences[1].first = "chrA"; }},
      {"first start not 1", [](test_index_t &t) { t.sequences[1].second = 2; }},
      {"start past end", [](test_index_t &t) { t.sequences[0].second = 52; }},
      {"spaced gap", [](test_index_t &t) { t.spaced_gap = 5; }},
      {"bucket bits", [](test_index_t &t) { t.bucket_bits = 27; }},
      {"span", [](test_index_t &t) { t.span = 33; }},
      {"bucket out of range",
       [](test_index_t &t) {
         t.groups.push_back({1ULL << 40, {1}});
       }},
      {"keys descend", [](test_index_t &t) { t.groups[1].first = 4; }},
      {"key repeated", [](test_index_t &t) { t.groups[1].first = 5; }},
      {"empty group", [](test_index_t &t) { t.groups[1].second.clear(); }},
      {"position 0", [](test_index_t &t) { t.groups[0].second[0] = 0; }},
      {"position past end", [](test_index_t &t) { t.groups[3].second = {51}; }},
      {"positions descend",
       [](test_index_t &t) {
         t.groups[2].second = {4, 2};
       }},
  };
  for (const variant &v : variants) {
    test_index_t t = two_sequences();
    v.damage(t);
    expect_wrong_format(index_bytes(t), v.what);
  }
}

TEST(IndexLoad, DamagedSizeFieldsDoNotAllocateTheirValue) {
  std::string bytes = index_bytes(two_sequences());
  std::string big = bytes;
  int64_t length = 4000000000LL;
  uint64_t bits = 8000000000ULL, n = 1000000000ULL;
  big.replace(16, 8, reinterpret_cast<const char *>(&length), 8);
  big.replace(24, 8, reinterpret_cast<const char *>(&bits), 8);
  big.replace(32, 8, reinterpret_cast<const char *>(&n), 8);
  expect_wrong_format(big, "genome byte count");
  // Entry count of the table: the first field after the sequence table.
  size_t table = bytes.size() - (8 + 8 + 4 + 4 + 4) - (12 + 8) - (12 + 4) -
                 (12 + 12) - (12 + 4);
  std::string many = bytes;
  uint64_t entries = 4000000000ULL;
  many.replace(table, 8, reinterpret_cast<const char *>(&entries), 8);
  expect_wrong_format(many, "entry count");
  std::string name = bytes;
  uint64_t name_len = 1ULL << 40;
  name.replace(40 + 13 + 8, 8, reinterpret_cast<const char *>(&name_len), 8);
  expect_wrong_format(name, "name length");
}

} // namespace
