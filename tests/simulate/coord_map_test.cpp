#include <gtest/gtest.h>

#include <sstream>

#include "../common/text_source.h"
#include "common/genome.h"
#include "simulate/coord_map.h"

namespace {

using pairs_t = std::vector<std::pair<uint32_t, uint32_t>>;

std::string u64(uint64_t v) {
  std::string s;
  for (int i = 0; i < 8; ++i)
    s += static_cast<char>((v >> (8 * i)) & 0xff);
  return s;
}

std::string u32(uint32_t v) {
  std::string s;
  for (int i = 0; i < 4; ++i)
    s += static_cast<char>((v >> (8 * i)) & 0xff);
  return s;
}

// One sequence's block as it stands in the file.
std::string block(const std::string &name, uint64_t m, const pairs_t &pairs) {
  std::string s = u64(name.size()) + name + u64(m);
  for (const auto &p : pairs)
    s += u32(p.first) + u32(p.second);
  return s;
}

std::string write_entries(const std::vector<uint32_t> &entries) {
  std::ostringstream os;
  write_map_entries(os, entries);
  return os.str();
}

bool load(const std::string &bytes, ref_map_t &ref_map, std::string &log,
          bool show_lengths = true) {
  line_reader_t in;
  in.nul_ok = true;
  read_text(in, bytes);
  std::ostringstream err;
  const bool ok = load_coord_map(in, ref_map, show_lengths, err);
  log = err.str();
  return ok;
}

TEST(CoordMap, WriterCompressesRuns) {
  // Unchanged sequences keep only their two ends.
  std::vector<uint32_t> plain;
  for (uint32_t r = 1; r <= 7; ++r)
    plain.push_back(r + 1);
  EXPECT_EQ(write_entries(plain), u64(7) + u32(1) + u32(2) + u32(7) + u32(8));
  EXPECT_EQ(write_entries({2}), u64(1) + u32(1) + u32(2));
  EXPECT_EQ(write_entries({}), u64(0));
  // Two bases inserted after base 3.
  EXPECT_EQ(write_entries({2, 3, 6, 7, 8}), u64(5) + u32(1) + u32(2) + u32(2) +
                                                u32(3) + u32(3) + u32(6) +
                                                u32(5) + u32(8));
  // Bases 2 and 3 deleted: each deleted base is a pair of its own.
  EXPECT_EQ(write_entries({2, 0, 0, 3, 4}),
            u64(5) + u32(1) + u32(2) + u32(2) + u32(0) + u32(3) + u32(0) +
                u32(4) + u32(3) + u32(5) + u32(4));
}

TEST(CoordMap, RoundTripThroughLoader) {
  const std::vector<std::vector<uint32_t>> cases = {
      {2, 3, 6, 7, 8}, {2, 0, 0, 3, 4}, {0, 0, 2}, {2}, {0}, {5, 6, 7, 0}, {}};
  for (const auto &entries : cases) {
    std::ostringstream os;
    write_map_count(os, 1);
    write_map_name(os, "chrA");
    write_map_entries(os, entries);
    ref_map_t ref_map;
    std::string log;
    ASSERT_TRUE(load(os.str(), ref_map, log));
    EXPECT_EQ(ref_map["chrA"], entries);
  }
}

TEST(CoordMap, LoaderProgressLines) {
  const std::string bytes =
      u64(2) + block("chr1", 3, {{1, 2}, {3, 4}}) + block("chr2", 0, {});
  ref_map_t ref_map;
  std::string log;
  ASSERT_TRUE(load(bytes, ref_map, log));
  EXPECT_EQ(log, "Number of Chromosomes: 2\nchr1 Length: 3\nchr2 Length: 0\n");
  EXPECT_EQ(ref_map["chr1"], (std::vector<uint32_t>{2, 3, 4}));
  EXPECT_TRUE(ref_map["chr2"].empty());
  ASSERT_TRUE(load(bytes, ref_map, log, false));
  EXPECT_EQ(log, "Number of Chromosomes: 2\n");

  ref_map_t empty;
  ASSERT_TRUE(load(u64(0), empty, log));
  EXPECT_EQ(log, "Number of Chromosomes: 0\n");
  EXPECT_TRUE(empty.empty());
}

TEST(CoordMap, NameStopsAtNul) {
  ref_map_t ref_map;
  std::string log;
  ASSERT_TRUE(load(u64(1) + block(std::string("ab\0cd", 5), 1, {{1, 2}}),
                   ref_map, log));
  ASSERT_EQ(ref_map.count("ab"), 1u);
}

TEST(CoordMap, DamagedFilesAreRefused) {
  const std::string good = u64(1) + block("c", 4, {{1, 2}, {4, 5}});
  ref_map_t ref_map;
  std::string log;
  ASSERT_TRUE(load(good, ref_map, log));
  // Every cut of the file is damaged, and so is anything appended to it.
  for (size_t len = 0; len < good.size(); ++len) {
    ref_map_t m;
    EXPECT_FALSE(load(good.substr(0, len), m, log)) << "cut at " << len;
  }
  EXPECT_FALSE(load(good + "x", ref_map, log));

  const std::vector<std::string> bad = {
      // more sequences promised than stored
      u64(2) + block("c", 1, {{1, 2}}),
      // a name longer than the file
      u64(1) + u64(1ull << 40) + "c",
      // a run reaching past M
      u64(1) + block("c", 3, {{1, 2}, {5, 6}}),
      // positions that do not follow each other
      u64(1) + block("c", 3, {{1, 2}, {3, 4}, {2, 3}}),
      u64(1) + block("c", 2, {{2, 2}, {3, 3}}),
      // a pair repeated (a zero-length run)
      u64(1) + block("c", 2, {{1, 2}, {1, 2}}),
      // more positions than 32 bits can number
      u64(1) + block("c", 1ull << 32, {{1, 2}}),
      // more sequences, or pairs, than the file can hold
      u64(1ull << 62) + block("c", 1, {{1, 2}}),
      u64(1) + u64(1) + "c" + u64(3) + u32(1) + u32(2),
      // a name longer than any sequence's, though the file holds it
      u64(1) +
          block(std::string(MAX_SEQUENCE_NAME_BYTES + 1, 'c'), 1, {{1, 2}}),
  };
  for (size_t i = 0; i < bad.size(); ++i) {
    ref_map_t m;
    EXPECT_FALSE(load(bad[i], m, log)) << "case " << i;
  }
}

// A pipe has no size to check counts against: there a length field past
// any name stops the reading, so that random or endless input is refused
// after its first bytes, while a genuine map loads as from a file.
TEST(CoordMap, PipedMapIsBounded) {
  const std::string good = u64(1) + block("c", 4, {{1, 2}, {4, 5}});
  const std::string random_head =
      u64(0x9a3b71c2d4e5f607ull) + u64(0x0123456789abcdefull) + "c";
  const std::string long_name =
      u64(1) + block(std::string(MAX_SEQUENCE_NAME_BYTES, 'c'), 1, {{1, 2}});
  ref_map_t ref_map;
  std::string log;
  ASSERT_TRUE(load(long_name, ref_map, log, false));
  for (const std::string &bytes : {good, random_head}) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    ASSERT_EQ(write(fds[1], bytes.data(), bytes.size()), ssize_t(bytes.size()));
    close(fds[1]);
    line_reader_t in;
    in.nul_ok = true;
    line_reader_attach(in, fds[0], "pipe");
    EXPECT_EQ(bytes_left(in), UNKNOWN_SIZE);
    ref_map_t m;
    std::ostringstream err;
    EXPECT_EQ(load_coord_map(in, m, true, err), bytes == good);
    if (bytes == good) {
      EXPECT_EQ(m["c"], (std::vector<uint32_t>{2, 3, 4, 5}));
    }
  }
}

} // namespace
