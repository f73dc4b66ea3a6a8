#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "common/line_reader.h"
#include "text_source.h"

namespace {

std::vector<std::string> lines_of(line_reader_t &r) {
  std::vector<std::string> lines;
  std::string line;
  while (next_line(r, line))
    lines.push_back(line);
  return lines;
}

std::vector<std::string> reader_lines(const std::string &text) {
  line_reader_t r;
  read_text(r, text);
  std::vector<std::string> lines = lines_of(r);
  EXPECT_FALSE(input_failed(r)) << text;
  return lines;
}

std::vector<std::string> getline_lines(const std::string &text) {
  std::istringstream in(text);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line))
    lines.push_back(line);
  return lines;
}

std::string reported(const line_reader_t &r) {
  testing::internal::CaptureStderr();
  EXPECT_TRUE(report_input_failure(r));
  return testing::internal::GetCapturedStderr();
}

} // namespace

TEST(LineReader, LinesAsGetlineGivesThem) {
  const std::string block_line(200 << 10, 'C'); // longer than a block
  for (const std::string &text :
       {std::string(""), std::string("\n"), std::string("a"),
        std::string("a\nb"), std::string("a\nb\n"), std::string("\n\nx\n\n"),
        std::string("a\r\nb\r\n\r\n"), ">one\n" + block_line + "\nAC",
        block_line + block_line})
    EXPECT_EQ(reader_lines(text), getline_lines(text)) << text.substr(0, 20);
}

TEST(LineReader, NulStopsAtTheBlockThatHoldsIt) {
  line_reader_t first;
  read_text(first, std::string("@HD\tVN:1.4\nBAM\1\0\0", 17), "x.bam");
  EXPECT_TRUE(lines_of(first).empty());
  EXPECT_TRUE(first.nul);
  EXPECT_EQ(reported(first),
            "ERROR: x.bam is not text (it holds a NUL byte)\n");

  // Lines of earlier blocks are handed out, none of the block with the NUL.
  std::string text;
  while (text.size() < (300 << 10))
    text += "ACGTACGTACGTACGTACGTACGTACGTACGTACGTACGTACGTACGTACGTACGTACGTAC\n";
  line_reader_t later;
  read_text(later, text + std::string(1, '\0') + "\nTT\n");
  const size_t got = lines_of(later).size();
  EXPECT_GT(got, 0u);
  EXPECT_LT(got, text.size() / 64);
  EXPECT_TRUE(later.nul);

  // Bytes without a newline are refused after one block, not held whole.
  line_reader_t zero;
  ASSERT_TRUE(line_reader_open(zero, "/dev/zero"));
  EXPECT_TRUE(lines_of(zero).empty());
  EXPECT_TRUE(zero.nul);
  EXPECT_LE(zero.buf.size(), size_t(1) << 20);

  // A binary input takes the NUL as data.
  line_reader_t binary;
  binary.nul_ok = true;
  read_text(binary, std::string("\0\1\2", 3));
  char b[3] = {1, 1, 1};
  ASSERT_TRUE(read_bytes(binary, b, 3));
  EXPECT_EQ(b[0], 0);
  EXPECT_EQ(b[2], 2);
  EXPECT_TRUE(at_input_end(binary));
  EXPECT_FALSE(read_bytes(binary, b, 1));
}

TEST(LineReader, ReadErrorIsNotTheEnd) {
  line_reader_t dir;
  ASSERT_TRUE(line_reader_open(dir, "/"));
  EXPECT_TRUE(lines_of(dir).empty());
  EXPECT_TRUE(input_failed(dir));
  EXPECT_EQ(reported(dir), "ERROR: /: read error (Is a directory)\n");

  // After lines that were read, and with an unfinished line: that line is
  // dropped, and the input is neither at its end nor skippable.
  line_reader_t disk;
  read_then_fail(disk, "a\nb\nc", "sam");
  EXPECT_EQ(lines_of(disk), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(disk.error, EISDIR);
  EXPECT_EQ(reported(disk), "ERROR: sam: read error (Is a directory)\n");
  line_reader_t rest;
  read_then_fail(rest, "x");
  EXPECT_FALSE(skip_rest(rest));
  EXPECT_FALSE(at_input_end(rest));

  line_reader_t whole;
  read_text(whole, "a\n");
  EXPECT_TRUE(skip_rest(whole));
  testing::internal::CaptureStderr();
  EXPECT_FALSE(report_input_failure(whole));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// The first block is read before any line is asked for, and the lines are
// still all handed out; what is left of a regular file counts what was read
// but not handed out.
TEST(LineReader, FirstBlockAndBytesLeft) {
  line_reader_t text;
  read_text(text, "a\nbc\n");
  EXPECT_EQ(bytes_left(text), 5u);
  EXPECT_TRUE(read_first_block(text));
  EXPECT_EQ(bytes_left(text), 5u);
  std::string line;
  ASSERT_TRUE(next_line(text, line));
  EXPECT_EQ(bytes_left(text), 3u);
  EXPECT_EQ(lines_of(text), (std::vector<std::string>{"bc"}));
  EXPECT_EQ(bytes_left(text), 0u);

  line_reader_t binary;
  read_text(binary, std::string("x\0", 2), "x.bam");
  EXPECT_FALSE(read_first_block(binary));
  EXPECT_TRUE(binary.nul);
  line_reader_t dir;
  ASSERT_TRUE(line_reader_open(dir, "/"));
  EXPECT_FALSE(read_first_block(dir));
  EXPECT_EQ(dir.error, EISDIR);
  line_reader_t empty;
  read_text(empty, "");
  EXPECT_TRUE(read_first_block(empty));
  EXPECT_TRUE(lines_of(empty).empty());

  line_reader_t device;
  ASSERT_TRUE(line_reader_open(device, "/dev/zero"));
  EXPECT_EQ(bytes_left(device), UNKNOWN_SIZE);
}
