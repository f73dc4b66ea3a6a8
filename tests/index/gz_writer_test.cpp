#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>
#include <zlib.h>

#include <gtest/gtest.h>

#include "common/bit_dna.h"
#include "common/mt_random.h"
#include "index/gz_writer.h"

namespace {

std::string temp_path() {
  char tmpl[] = "/tmp/venkari_gzw_XXXXXX";
  const int fd = mkstemp(tmpl);
  if (fd >= 0)
    close(fd);
  return tmpl;
}

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

TEST(GzWriter, SmallBufferKeepsByteOrder) {
  const std::string path = temp_path();
  gzFile f = gzopen(path.c_str(), "wb1");
  ASSERT_NE(f, nullptr);
  gz_writer_t w;
  gz_writer_init(w, f, 8);
  std::string block(1000, 'x');
  for (size_t i = 0; i < block.size(); ++i)
    block[i] = char(i * 7);
  gz_put<int32_t>(w, 314);
  gz_put<uint64_t>(w, 0x0102030405060708ULL);  // does not fit: flush first
  gz_put_bytes(w, block.data(), block.size()); // larger than the buffer
  gz_put<uint32_t>(w, 0xA1B2C3D4u);
  EXPECT_TRUE(gz_writer_flush(w));
  EXPECT_EQ(gzclose(f), Z_OK);

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

  const std::string a = temp_path(), b = temp_path();
  gzFile fa = gzopen(a.c_str(), "wb");
  ASSERT_TRUE(dna.write_serialised(fa));
  gzclose(fa);
  gzFile fb = gzopen(b.c_str(), "wb");
  gz_writer_t w;
  gz_writer_init(w, fb, 1 << 10);
  gz_put<uint64_t>(w, dna.curr_loc);
  gz_put<uint64_t>(w, dna.data.size());
  gz_put_bytes(w, dna.data.data(), dna.data.size());
  ASSERT_TRUE(gz_writer_flush(w));
  gzclose(fb);
  EXPECT_EQ(gunzip(a), gunzip(b));
  unlink(a.c_str());
  unlink(b.c_str());
}

} // namespace
