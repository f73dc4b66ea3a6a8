// Builds index files with the program and checks their decompressed bytes.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>
#include <zlib.h>

#include <gtest/gtest.h>

namespace {

std::string make_temp_dir() {
  char tmpl[] = "/tmp/venkari_index_XXXXXX";
  const char *dir = mkdtemp(tmpl);
  return dir ? dir : "";
}

void write_file(const std::string &path, const std::string &text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string read_file(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream os;
  os << in.rdbuf();
  return os.str();
}

std::string gunzip(const std::string &path) {
  std::string out;
  gzFile f = gzopen(path.c_str(), "rb");
  if (f == nullptr)
    return out;
  char buf[1 << 16];
  int got;
  while ((got = gzread(f, buf, sizeof buf)) > 0)
    out.append(buf, size_t(got));
  gzclose(f);
  return out;
}

int run_index(const std::string &args) {
  const std::string cmd =
      std::string("\"") + VENKARI_BIN + "\" index " + args + " 2>/dev/null";
  const int rc = std::system(cmd.c_str());
  return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

// Little-endian field builders for the expected stream.
struct bytes_t {
  std::string s;
  bytes_t &i32(int32_t v) { return raw(&v, 4); }
  bytes_t &u32(uint32_t v) { return raw(&v, 4); }
  bytes_t &i64(int64_t v) { return raw(&v, 8); }
  bytes_t &u64(uint64_t v) { return raw(&v, 8); }
  bytes_t &text(const std::string &t) {
    return u64(t.size()).raw(t.data(), t.size());
  }
  bytes_t &raw(const void *p, size_t n) {
    s.append(static_cast<const char *>(p), n);
    return *this;
  }
  bytes_t &group(uint64_t key, std::vector<uint32_t> pos) {
    u64(key).u32(uint32_t(pos.size()));
    for (uint32_t p : pos)
      u32(p);
    return *this;
  }
};

// zeta (file order first, name order last) has 16 bases starting at 1; empty
// has none and is not in the table, so it cannot take the bases of alpha,
// which starts at 17 and whose two N become the first two draws of the
// generator seeded 0 (codes 0 and 3).
const char *const TINY_GENOME = ">zeta first chromosome\n"
                                "ACGTACGTAC\n"
                                "GTACGT\n"
                                ">empty\n"
                                ">alpha\n"
                                "tNgcaNacgtacgtacgtac\n";

std::string tiny_head(int32_t mode) {
  const unsigned char packed[9] = {0xE4, 0xE4, 0xE4, 0xE4, // ACGT x 4
                                   0x63,                   // t A g c
                                   0x4C,                   // a T a c
                                   0x4E, 0x4E, 0x4E};      // g t a c x 3
  bytes_t b;
  b.i32(314).i32(6).i32(1).i32(mode).i64(36);
  b.u64(72).u64(9).raw(packed, 9);
  b.u64(2).text("alpha").i64(17).text("zeta").i64(1);
  return b.s;
}

// Continuous 10-mer keys: zeta offers its windows at offsets 0-5 (the one at
// 6 ends on its last base), alpha those at 6-9 after its second N.
const uint64_t KEY_TACGTACGTA = 234387;
const uint64_t KEY_ACGTACGTAC = 320740;
const uint64_t KEY_CGTACGTACG = 604473;
const uint64_t KEY_GTACGTACGT = 937550; // the only one the sampling keeps
// Spaced keys (k 10, span 14): zeta offers offsets 0 and 1, alpha its only
// complete window, which ends on its last base but is its first.
const uint64_t SKEY_ACGTA_CGTAC = 1369316;
const uint64_t SKEY_CGTAC_GTACG = 1653049;

class TinyIndex : public ::testing::Test {
protected:
  void SetUp() override {
    dir = make_temp_dir();
    ASSERT_FALSE(dir.empty());
    write_file(dir + "/tiny.fa", TINY_GENOME);
  }
  void TearDown() override { std::system(("rm -rf \"" + dir + "\"").c_str()); }
  std::string build(int mode) {
    const std::string out = dir + "/tiny" + std::to_string(mode) + ".tidx";
    EXPECT_EQ(run_index("-I " + std::to_string(mode) + " " + dir +
                        "/tiny.fa 10 " + out),
              0);
    return gunzip(out);
  }
  std::string dir;
};

TEST_F(TinyIndex, AllContinuousKmers) {
  bytes_t tail;
  tail.u64(10).u64(4).i32(10).i32(4).i32(26);
  tail.group(KEY_TACGTACGTA, {4, 26});
  tail.group(KEY_ACGTACGTAC, {1, 5, 23});
  tail.group(KEY_CGTACGTACG, {2, 6, 24});
  tail.group(KEY_GTACGTACGT, {3, 25});
  EXPECT_EQ(build(0), tiny_head(0) + tail.s);
}

TEST_F(TinyIndex, SampledContinuousKmers) {
  bytes_t tail;
  tail.u64(2).u64(1).i32(10).i32(4).i32(26);
  tail.group(KEY_GTACGTACGT, {3, 25});
  EXPECT_EQ(build(1), tiny_head(1) + tail.s);
}

TEST_F(TinyIndex, AllSpacedKmers) {
  bytes_t tail;
  tail.u64(3).u64(2).i32(14).i32(4).i32(26);
  tail.group(SKEY_ACGTA_CGTAC, {1, 23});
  tail.group(SKEY_CGTAC_GTACG, {2});
  EXPECT_EQ(build(4), tiny_head(4) + tail.s);
}

TEST_F(TinyIndex, SampledSpacedKmersCanBeNone) {
  bytes_t tail;
  tail.u64(0).u64(0).i32(14).i32(4).i32(26);
  EXPECT_EQ(build(2), tiny_head(2) + tail.s);
}

TEST_F(TinyIndex, BothKindsSampledKeepSpacedSpan) {
  bytes_t tail;
  tail.u64(2).u64(1).i32(14).i32(4).i32(26);
  tail.group(KEY_GTACGTACGT, {3, 25});
  EXPECT_EQ(build(3), tiny_head(3) + tail.s);
}

TEST_F(TinyIndex, RepeatedRunsGiveIdenticalFiles) {
  const std::string a = dir + "/a.tidx", b = dir + "/b.tidx";
  ASSERT_EQ(run_index(dir + "/tiny.fa 10 " + a), 0);
  ASSERT_EQ(run_index(dir + "/tiny.fa 10 " + b), 0);
  const std::string fa = read_file(a);
  EXPECT_FALSE(fa.empty());
  EXPECT_EQ(fa, read_file(b));
}

// ---- Whole-genome checks against a plain window-by-window enumeration ----

struct index_file_t {
  int32_t magic = 0, version = 0, params = 0, mode = -1;
  int64_t genome_len = 0;
  uint64_t bits = 0;
  std::string packed;
  std::vector<std::pair<std::string, int64_t>> chroms;
  uint64_t entries = 0, groups = 0;
  int32_t span = 0, gap = 0, bucket_bits = 0;
  std::vector<std::pair<uint64_t, uint32_t>> records; // in file order
  std::vector<uint32_t> group_sizes;
  bool complete = false; // the stream held exactly these fields
};

struct reader_t {
  const std::string &s;
  size_t at = 0;
  bool ok = true;
  template <typename T> T get() {
    T v{};
    if (at + sizeof v > s.size()) {
      ok = false;
      return v;
    }
    std::memcpy(&v, s.data() + at, sizeof v);
    at += sizeof v;
    return v;
  }
  std::string bytes(uint64_t n) {
    if (n > s.size() - at) {
      ok = false;
      return "";
    }
    at += n;
    return s.substr(at - n, n);
  }
};

index_file_t parse_index(const std::string &data) {
  index_file_t f;
  reader_t r{data};
  f.magic = r.get<int32_t>();
  f.version = r.get<int32_t>();
  f.params = r.get<int32_t>();
  f.mode = r.get<int32_t>();
  f.genome_len = r.get<int64_t>();
  f.bits = r.get<uint64_t>();
  f.packed = r.bytes(r.get<uint64_t>());
  const uint64_t nchrom = r.get<uint64_t>();
  for (uint64_t c = 0; c < nchrom && r.ok; ++c) {
    std::string name = r.bytes(r.get<uint64_t>());
    f.chroms.emplace_back(name, r.get<int64_t>());
  }
  f.entries = r.get<uint64_t>();
  f.groups = r.get<uint64_t>();
  f.span = r.get<int32_t>();
  f.gap = r.get<int32_t>();
  f.bucket_bits = r.get<int32_t>();
  for (uint64_t g = 0; g < f.groups && r.ok; ++g) {
    const uint64_t key = r.get<uint64_t>();
    const uint32_t count = r.get<uint32_t>();
    f.group_sizes.push_back(count);
    for (uint32_t i = 0; i < count && r.ok; ++i)
      f.records.emplace_back(key, r.get<uint32_t>());
  }
  f.complete = r.ok && r.at == data.size();
  return f;
}

int code_of(char c) {
  switch (c) {
  case 'A':
  case 'a':
    return 0;
  case 'C':
  case 'c':
    return 1;
  case 'G':
  case 'g':
    return 2;
  case 'T':
  case 't':
    return 3;
  default:
    return -1;
  }
}

bool keeps(uint64_t key, int mode) {
  if (mode == 0 || mode == 4)
    return true;
  return key % 7 == 5 || key % 17 == 7 || key % 19 == 13 || key % 53 == 31 ||
         key % 71 == 47;
}

// Every complete window of valid bases, except one that ends on the last
// base and is not the chromosome's first complete window.
void enumerate(const std::string &s, uint32_t start, int k, int mode,
               bool spaced, std::vector<std::pair<uint64_t, uint32_t>> &out) {
  const size_t m = spaced ? k + 4 : k;
  long first = -1;
  for (size_t o = 0; o + m <= s.size(); ++o) {
    bool valid = true;
    for (size_t j = 0; j < m; ++j)
      valid = valid && code_of(s[o + j]) >= 0;
    if (!valid)
      continue;
    if (first < 0)
      first = long(o);
    if (o + m == s.size() && long(o) != first)
      continue;
    uint64_t key = 0;
    if (!spaced) {
      for (int j = 0; j < k; ++j)
        key |= uint64_t(code_of(s[o + j])) << (2 * j);
    } else {
      for (int j = 0; j < k / 2; ++j) {
        key |= uint64_t(code_of(s[o + j])) << (2 * j);
        key |= uint64_t(code_of(s[o + k / 2 + 4 + j])) << (k + 2 * j);
      }
      key |= uint64_t(1) << (2 * k);
    }
    if (keeps(key, mode))
      out.emplace_back(key, uint32_t(start + o));
  }
}

class LambdaIndex : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    dir = make_temp_dir();
    const std::string raw =
        gunzip(std::string(VENKARI_DATA_DIR) + "/lambda.fa.gz");
    std::istringstream in(raw);
    std::string line, name;
    std::getline(in, line);
    name = line.substr(1, line.find_first_of(" \t") - 1);
    while (std::getline(in, line))
      lambda += line;
    // A second chromosome, first in name order but second in the file,
    // repeating part of the first with undetermined bases in it.
    copy = lambda.substr(1000, 5000);
    copy[100] = 'N';
    copy[2000] = 'n';
    copy[2001] = 'R';
    std::string fa = ">" + name + " lambda\n";
    for (size_t i = 0; i < lambda.size(); i += 70)
      fa += lambda.substr(i, 70) + "\n";
    fa += ">a_copy\n" + copy + "\n";
    write_file(dir + "/lambda.fa", fa);
    lambda_name = name;
  }
  static void TearDownTestSuite() {
    std::system(("rm -rf \"" + dir + "\"").c_str());
  }
  static std::string dir, lambda, copy, lambda_name;

  void check_mode(int mode, int k) {
    const std::string out = dir + "/l" + std::to_string(mode) + ".tidx";
    ASSERT_EQ(run_index("-I " + std::to_string(mode) + " " + dir +
                        "/lambda.fa " + std::to_string(k) + " " + out),
              0);
    const index_file_t f = parse_index(gunzip(out));
    ASSERT_TRUE(f.complete);
    EXPECT_EQ(f.magic, 314);
    EXPECT_EQ(f.version, 6);
    EXPECT_EQ(f.params, 1);
    EXPECT_EQ(f.mode, mode);
    const uint64_t g = lambda.size() + copy.size();
    EXPECT_EQ(uint64_t(f.genome_len), g);
    EXPECT_EQ(f.bits, 2 * g);
    ASSERT_EQ(f.packed.size(), (g + 3) / 4);
    const std::string text = lambda + copy;
    for (uint64_t j = 0; j < g; ++j) {
      const int c = code_of(text[j]);
      const int got = (uint8_t(f.packed[j / 4]) >> (2 * (j % 4))) & 3;
      if (c >= 0) {
        ASSERT_EQ(got, c) << j;
      }
    }
    ASSERT_EQ(f.chroms.size(), 2u);
    EXPECT_EQ(f.chroms[0], std::make_pair(std::string("a_copy"),
                                          int64_t(lambda.size() + 1)));
    EXPECT_EQ(f.chroms[1], std::make_pair(lambda_name, int64_t(1)));
    EXPECT_EQ(f.span, mode >= 2 ? k + 4 : k);
    EXPECT_EQ(f.gap, 4);
    EXPECT_EQ(f.bucket_bits, 26);

    std::vector<std::pair<uint64_t, uint32_t>> want;
    for (bool spaced : {false, true}) {
      if (spaced ? mode == 0 || mode == 1 : mode == 2 || mode == 4)
        continue;
      enumerate(lambda, 1, k, mode, spaced, want);
      enumerate(copy, uint32_t(lambda.size() + 1), k, mode, spaced, want);
    }
    std::sort(want.begin(), want.end());
    EXPECT_EQ(f.entries, want.size());
    EXPECT_EQ(f.records, want); // file order is sorted by key, then position
    uint64_t distinct = 0;
    for (size_t i = 0; i < want.size(); ++i)
      distinct += i == 0 || want[i].first != want[i - 1].first;
    EXPECT_EQ(f.groups, distinct);
    EXPECT_EQ(f.group_sizes.size(), distinct);
  }
};
std::string LambdaIndex::dir, LambdaIndex::lambda, LambdaIndex::copy,
    LambdaIndex::lambda_name;

TEST_F(LambdaIndex, Mode0) { check_mode(0, 22); }
TEST_F(LambdaIndex, Mode1) { check_mode(1, 22); }
TEST_F(LambdaIndex, Mode2) { check_mode(2, 22); }
TEST_F(LambdaIndex, Mode3) { check_mode(3, 22); }
TEST_F(LambdaIndex, Mode4) { check_mode(4, 22); }
TEST_F(LambdaIndex, SmallestAndLargestK) {
  check_mode(1, 10);
  check_mode(3, 28);
}

} // namespace
