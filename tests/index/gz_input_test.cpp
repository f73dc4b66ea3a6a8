// Reading index files: members of ours on several threads, other gzip
// streams and plain files on one, and damaged files.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>
#include <zlib.h>

#include <gtest/gtest.h>

#include "common/mt_random.h"
#include "index/gz_input.h"
#include "index/gz_member.h"
#include "index/gz_source.h"
#include "index/gz_writer.h"
#include "temp_file.h"

namespace {

void write_file(const std::string &path, const std::string &bytes) {
  FILE *f = fopen(path.c_str(), "wb");
  fwrite(bytes.data(), 1, bytes.size(), f);
  fclose(f);
}

std::string read_file(const std::string &path) {
  std::string out;
  FILE *f = fopen(path.c_str(), "rb");
  char buf[4096];
  size_t got;
  while ((got = fread(buf, 1, sizeof buf, f)) > 0)
    out.append(buf, got);
  fclose(f);
  return out;
}

std::string sample_data(size_t n) {
  MT_random gen;
  std::string s(n, ' ');
  for (char &c : s)
    c = char(gen.genrand_int_range(0, 15) * 17);
  return s;
}

// Our members, `block` bytes each.
std::string members(const std::string &data, size_t block) {
  const std::string path = temp_path("venkari_gzin");
  const int fd = open(path.c_str(), O_WRONLY | O_TRUNC);
  gz_writer_t w;
  gz_writer_init(w, fd, block, 2);
  gz_put_bytes(w, data.data(), data.size());
  gz_writer_finish(w);
  close(fd);
  const std::string file = read_file(path);
  unlink(path.c_str());
  return file;
}

// One gzip stream from zlib, as the index was written before.
std::string zlib_stream(const std::string &data) {
  const std::string path = temp_path("venkari_gzin");
  gzFile f = gzopen(path.c_str(), "wb");
  gzwrite(f, data.data(), unsigned(data.size()));
  gzclose(f);
  const std::string file = read_file(path);
  unlink(path.c_str());
  return file;
}

struct read_result_t {
  bool opened = false;
  std::string bytes;
  bool failed = false;
  bool at_end = false;
};

// Reads everything, in reads of varying sizes and in place where it can,
// and asks for the end when nothing more comes.
read_result_t read_back(const std::string &path, int threads) {
  read_result_t r;
  gz_input_t in;
  r.opened = gz_input_open(in, path.c_str(), threads);
  if (!r.opened)
    return r;
  std::vector<char> buf(70000);
  for (size_t step = 1;; step = step * 3 % 65521 + 1) {
    if (const uint8_t *p = step % 5 == 0 ? gz_input_take(in, step) : nullptr) {
      r.bytes.append(reinterpret_cast<const char *>(p), step);
      continue;
    }
    if (!gz_input_read(in, buf.data(), step))
      break;
    r.bytes.append(buf.data(), step);
  }
  r.failed = in.failed;
  gz_input_close(in);
  // The read that failed took what was left: read again up to there and
  // byte by byte after it.
  gz_input_t again;
  gz_input_open(again, path.c_str(), threads);
  std::string head(r.bytes.size(), ' ');
  if (gz_input_read(again, &head[0], head.size())) {
    char c;
    while (gz_input_read(again, &c, 1))
      r.bytes += c;
    gz_input_t end;
    gz_input_open(end, path.c_str(), threads);
    std::string all(r.bytes.size(), ' ');
    r.at_end = gz_input_read(end, &all[0], all.size()) && gz_input_at_end(end);
    gz_input_close(end);
  }
  r.failed = again.failed;
  gz_input_close(again);
  return r;
}

class GzInput : public ::testing::Test {
protected:
  void TearDown() override { unlink(path.c_str()); }
  read_result_t load(const std::string &file, int threads = 3) {
    write_file(path, file);
    return read_back(path, threads);
  }
  void expect_reads(const std::string &file, const std::string &data) {
    for (int threads : {1, 4}) {
      const read_result_t r = load(file, threads);
      ASSERT_TRUE(r.opened);
      EXPECT_EQ(r.bytes.size(), data.size()) << threads << " threads";
      EXPECT_TRUE(r.bytes == data) << threads << " threads";
      EXPECT_TRUE(r.at_end) << threads << " threads";
    }
  }
  // Never the whole data with a clean end.
  void expect_fails(const std::string &file, const std::string &data,
                    const char *what) {
    for (int threads : {1, 4}) {
      const read_result_t r = load(file, threads);
      EXPECT_TRUE(r.failed || r.bytes.size() < data.size()) << what;
      EXPECT_FALSE(r.at_end && r.bytes == data) << what;
    }
  }
  std::string path = temp_path("venkari_gzin");
};

TEST_F(GzInput, OurMembersOnAnyThreadCount) {
  const std::string data = sample_data(100000);
  expect_reads(members(data, 4096), data);
  expect_reads(members(data.substr(0, 5000), 7), data.substr(0, 5000));
  expect_reads(members("", 4096), "");
}

TEST_F(GzInput, OtherGzipStreamsAndPlainFiles) {
  const std::string data = sample_data(3000000);
  expect_reads(zlib_stream(data), data);
  // Members of another writer, one after the other.
  expect_reads(
      zlib_stream(data.substr(0, 1000)) + zlib_stream(data.substr(1000)), data);
  // Ours, then another writer's, then ours again.
  expect_reads(members(data.substr(0, 50000), 4096) +
                   zlib_stream(data.substr(50000, 10)) +
                   members(data.substr(50010), 4096),
               data);
  expect_reads(data, data); // plain
  expect_reads("", "");
  expect_reads("\x1f", "\x1f"); // one byte cannot start a gzip stream
}

TEST_F(GzInput, BytesAfterTheLastMemberAreIgnored) {
  const std::string data = sample_data(20000);
  expect_reads(members(data, 4096) + "trailing text", data);
  expect_reads(zlib_stream(data) + "x", data);
}

// A member whose size field lies is read as part of a plain gzip stream:
// its data is sound, so the result is the same.
TEST_F(GzInput, MemberSizeThatLies) {
  const std::string data = sample_data(20000);
  const std::string good = members(data, 4096);
  const uint8_t *first = reinterpret_cast<const uint8_t *>(good.data());
  const uint32_t size = member_size_of(first);
  ASSERT_GT(size, 0u);
  for (int64_t delta : {-1, 1, 8, 1000000}) {
    std::string bad = good;
    // Second member, so that the first is read in blocks before it.
    uint8_t *second = reinterpret_cast<uint8_t *>(&bad[size]);
    put_u32_le(second + 16, uint32_t(member_size_of(second) + delta));
    expect_reads(bad, data);
  }
}

// However large a member says it or its data is, no buffer grows past what
// one member of ours can hold.
TEST_F(GzInput, SizeFieldsThatLieSizeNoBuffer) {
  const std::string data = sample_data(3 << 20);
  const std::string good = members(data, INDEX_BLOCK_BYTES);
  std::string long_blocks = good, long_member = good;
  for (size_t at = 0; at < good.size();) {
    const uint32_t size =
        member_size_of(reinterpret_cast<const uint8_t *>(&good[at]));
    ASSERT_GT(size, 0u);
    at += size;
    put_u32_le(reinterpret_cast<uint8_t *>(&long_blocks[at - 4]), 64 << 20);
  }
  put_u32_le(reinterpret_cast<uint8_t *>(&long_member[16]),
             uint32_t(good.size()));
  for (const std::string *file : {&long_blocks, &long_member}) {
    write_file(path, *file);
    gz_input_t in;
    ASSERT_TRUE(gz_input_open(in, path.c_str(), 4));
    std::string got(data.size(), ' ');
    // The claimed lengths fail the gzip check; the data of the member that
    // claims the whole file is sound.
    const bool read = gz_input_read(in, &got[0], got.size());
    EXPECT_EQ(read && got == data, file == &long_member);
    stop_producers(*in.src);
    for (const piece_t &p : in.src->ring) {
      EXPECT_LE(p.out.capacity(), MAX_MEMBER_BYTES);
      EXPECT_LE(p.packed.capacity(), MAX_MEMBER_BYTES);
    }
    gz_input_close(in);
  }
}

TEST_F(GzInput, DamagedFilesFail) {
  const std::string data = sample_data(20000);
  const std::string good = members(data, 4096);
  const uint32_t size =
      member_size_of(reinterpret_cast<const uint8_t *>(good.data()));
  expect_fails(good.substr(0, good.size() - 100), data, "cut in a member");
  expect_fails(good.substr(0, good.size() - 3), data, "cut in a trailer");
  expect_fails(good.substr(0, size + 10), data, "cut in a header");
  std::string bad = good;
  bad[size + MEMBER_HEADER_BYTES + 5] ^= 0x55;
  expect_fails(bad, data, "damaged deflate data");
  bad = good;
  bad[2 * size - 8] ^= 1;
  expect_fails(bad, data, "wrong CRC");
  bad = good;
  put_u32_le(reinterpret_cast<uint8_t *>(&bad[size + 16]), size + 4);
  bad[size + MEMBER_HEADER_BYTES + 5] ^= 0x55;
  expect_fails(bad, data, "lying size and damaged data");
  const std::string z = zlib_stream(data);
  expect_fails(z.substr(0, z.size() - 4), data, "another writer's, cut");
  // A member that starts like neither ours nor gzip ends the data as
  // bytes after the last member do: what came before is all there is.
  bad = good;
  bad[size] = 'X';
  const read_result_t r = load(bad);
  EXPECT_EQ(r.bytes.size(), 4096u);
  EXPECT_TRUE(r.at_end);
}

TEST_F(GzInput, NotSeekable) {
  const std::string data = sample_data(50000);
  write_file(path, members(data, 4096));
  FILE *pipe = popen(("cat " + path).c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  const std::string name = "/proc/self/fd/" + std::to_string(fileno(pipe));
  gz_input_t in;
  ASSERT_TRUE(gz_input_open(in, name.c_str(), 3));
  std::string got(data.size(), ' ');
  EXPECT_TRUE(gz_input_read(in, &got[0], got.size()));
  EXPECT_TRUE(got == data);
  EXPECT_TRUE(gz_input_at_end(in));
  gz_input_close(in);
  pclose(pipe);
}

TEST_F(GzInput, MissingFile) {
  gz_input_t in;
  EXPECT_FALSE(gz_input_open(in, "/nonexistent/index.tidx", 2));
}

} // namespace
