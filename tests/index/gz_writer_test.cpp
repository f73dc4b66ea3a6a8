#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <libdeflate.h>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>
#include <zlib.h>

#include <gtest/gtest.h>

#include "common/bit_dna.h"
#include "common/mt_random.h"
#include "index/gz_member.h"
#include "index/gz_writer.h"
#include "temp_file.h"

namespace {

std::string gunzip(const std::string &path) {
  std::string out;
  gzFile f = gzopen(path.c_str(), "rb");
  char buf[4096];
  int got;
  while (f != nullptr && (got = gzread(f, buf, sizeof buf)) > 0)
    out.append(buf, size_t(got));
  if (f != nullptr)
    gzclose(f);
  return out;
}

int open_out(const std::string &path) {
  return open(path.c_str(), O_WRONLY | O_TRUNC);
}

TEST(GzWriter, SmallBufferKeepsByteOrder) {
  const std::string path = temp_path("venkari_gzw");
  const int fd = open_out(path);
  ASSERT_GE(fd, 0);
  gz_writer_t w;
  gz_writer_init(w, fd, 8, 3);
  std::string block(1000, 'x');
  for (size_t i = 0; i < block.size(); ++i)
    block[i] = char(i * 7);
  gz_put<int32_t>(w, 314);
  gz_put<uint64_t>(w, 0x0102030405060708ULL);  // does not fit: flush first
  gz_put_bytes(w, block.data(), block.size()); // larger than the buffer
  gz_put<uint32_t>(w, 0xA1B2C3D4u);
  EXPECT_TRUE(gz_writer_finish(w));
  EXPECT_EQ(close(fd), 0);

  std::string want("\x3a\x01\x00\x00", 4);
  want += std::string("\x08\x07\x06\x05\x04\x03\x02\x01", 8);
  want += block;
  want += std::string("\xd4\xc3\xb2\xa1", 4);
  EXPECT_EQ(gunzip(path), want);
  unlink(path.c_str());
}

TEST(GzWriter, GenomeRecordMatchesPackedSerialisation) {
  MT_random gen;
  std::unique_ptr<uint8_t[]> table(gen_mm_table());
  bit_DNA_t dna("ACGTNNacgtGGCATTA", gen, table.get());

  const std::string a = temp_path("venkari_gzw"), b = temp_path("venkari_gzw");
  gzFile fa = gzopen(a.c_str(), "wb");
  ASSERT_TRUE(dna.write_serialised(fa));
  gzclose(fa);
  const int fb = open_out(b);
  gz_writer_t w;
  gz_writer_init(w, fb, 1 << 10, 2);
  gz_put<uint64_t>(w, dna.curr_loc);
  gz_put<uint64_t>(w, dna.data.size());
  gz_put_bytes(w, dna.data.data(), dna.data.size());
  ASSERT_TRUE(gz_writer_finish(w));
  close(fb);
  EXPECT_EQ(gunzip(a), gunzip(b));
  unlink(a.c_str());
  unlink(b.c_str());
}

std::string read_all(const std::string &path) {
  std::string out;
  FILE *f = fopen(path.c_str(), "rb");
  char buf[4096];
  size_t got;
  while (f != nullptr && (got = fread(buf, 1, sizeof buf, f)) > 0)
    out.append(buf, got);
  if (f != nullptr)
    fclose(f);
  return out;
}

// Writes `data` in blocks of `block` bytes with `threads` threads; returns
// the file's bytes.
std::string write_blocks(const std::string &data, size_t block, int threads) {
  const std::string path = temp_path("venkari_gzw");
  const int fd = open_out(path);
  gz_writer_t w;
  gz_writer_init(w, fd, block, threads);
  for (size_t at = 0; at < data.size(); at += 7)
    gz_put_bytes(w, data.data() + at, std::min<size_t>(7, data.size() - at));
  EXPECT_TRUE(gz_writer_finish(w));
  close(fd);
  const std::string file = read_all(path);
  unlink(path.c_str());
  return file;
}

TEST(GzWriter, MembersCarryTheirSizeAndOneBlockEach) {
  std::string data(10000, 'x');
  for (size_t i = 0; i < data.size(); ++i)
    data[i] = char(i * i % 251);
  const std::string file = write_blocks(data, 1024, 3);
  std::vector<uint32_t> lengths;
  size_t at = 0;
  while (at < file.size()) {
    ASSERT_LE(at + MEMBER_HEADER_BYTES, file.size());
    const uint8_t *m = reinterpret_cast<const uint8_t *>(file.data() + at);
    const uint32_t size = member_size_of(m);
    ASSERT_GT(size, 0u) << "member at " << at;
    ASSERT_LE(at + size, file.size());
    lengths.push_back(get_u32_le(m + size - 4));
    at += size;
  }
  EXPECT_EQ(lengths, (std::vector<uint32_t>{1024, 1024, 1024, 1024, 1024, 1024,
                                            1024, 1024, 1024, 784}));
  // Every gzip reader sees one stream.
  const std::string path = temp_path("venkari_gzw");
  FILE *f = fopen(path.c_str(), "wb");
  fwrite(file.data(), 1, file.size(), f);
  fclose(f);
  EXPECT_EQ(gunzip(path), data);
  unlink(path.c_str());
}

// The reader takes a member larger than MAX_MEMBER_BYTES for another
// writer's: whatever deflate makes of one block must fit.
TEST(GzWriter, AnyBlockFitsTheLargestMemberOfOurs) {
  libdeflate_compressor *c = libdeflate_alloc_compressor(1);
  ASSERT_NE(c, nullptr);
  EXPECT_LE(MEMBER_HEADER_BYTES +
                libdeflate_deflate_compress_bound(c, INDEX_BLOCK_BYTES) +
                MEMBER_TRAILER_BYTES,
            MAX_MEMBER_BYTES);
  libdeflate_free_compressor(c);
}

TEST(GzWriter, SameBytesForAnyThreadCount) {
  MT_random gen;
  std::string data(300000, ' ');
  for (char &c : data)
    c = char("ACGT0123"[gen.genrand_int_range(0, 7)]);
  const std::string alone = write_blocks(data, 4096, 0);
  EXPECT_EQ(write_blocks(data, 4096, 1), alone);
  EXPECT_EQ(write_blocks(data, 4096, 6), alone);
  // A stream of whole blocks ends without an empty member.
  EXPECT_EQ(write_blocks(data.substr(0, 8192), 4096, 2).size(),
            write_blocks(data.substr(0, 4096), 4096, 2).size() +
                write_blocks(data.substr(4096, 4096), 4096, 2).size());
}

TEST(GzWriter, FailedWriteSticks) {
  const int fd = open("/dev/full", O_WRONLY);
  ASSERT_GE(fd, 0);
  gz_writer_t w;
  gz_writer_init(w, fd, 64, 2);
  const std::string data(1000, 'a');
  gz_put_bytes(w, data.data(), data.size());
  EXPECT_FALSE(gz_writer_finish(w));
  EXPECT_TRUE(w.failed);
  close(fd);
}

} // namespace
