#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/read_bytes.h"

// The byte sets themselves: a change to them changes what a record is.
TEST(ReadBytes, KnownSets) {
  std::string stops;
  for (int c = 0; c < 256; ++c)
    if (is_sequence_stop((unsigned char)c))
      stops += char(c);
  EXPECT_EQ(stops, "+>@");
  for (int c = 0; c < 256; ++c) {
    EXPECT_EQ(in_byte_range((unsigned char)c, SEQUENCE_BYTE_MAX),
              c >= '!' && c <= '~')
        << c;
    EXPECT_EQ(in_byte_range((unsigned char)c, QUALITY_BYTE_MAX),
              c >= '!' && c <= 127)
        << c;
  }
}

// The sixteen-byte test answers as the byte loop does: every byte value at
// every place of a run, in the vector part and in the tail, for sequence
// and quality alike.
TEST(ReadBytes, VectorTestAgreesWithTheByteLoop) {
  unsigned char buf[48];
  for (bool stops : {false, true})
    for (int hi : {SEQUENCE_BYTE_MAX, QUALITY_BYTE_MAX})
      for (size_t len : {1u, 15u, 16u, 17u, 31u, 32u, 33u, 48u})
        for (size_t at = 0; at < len; ++at)
          for (int c = 0; c < 256; ++c) {
            std::memset(buf, 'A', sizeof buf);
            buf[at] = (unsigned char)c;
            const bool byte_ok = in_byte_range((unsigned char)c, hi) &&
                                 !(stops && is_sequence_stop((unsigned char)c));
            const bool got = stops ? all_in_range<true>(buf, buf + len, hi)
                                   : all_in_range<false>(buf, buf + len, hi);
            ASSERT_EQ(got, byte_ok)
                << "stops " << stops << " hi " << hi << " len " << len << " at "
                << at << " byte " << c;
          }
}
