#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

#include "../test_index.h"

namespace {

// Runs align in a scratch directory holding a two-sequence index and one
// read file, so that the option words (and so the @PG line) stay short.
class AlignRun : public testing::Test {
protected:
  std::string dir;
  std::string out, err;
  int status = 0;

  void SetUp() override {
    char tmpl[] = "/tmp/venkari_align_XXXXXX";
    dir = mkdtemp(tmpl);
    write_plain(dir + "/r.fq", "@r1\nACGTACGTACGTACGT\n+\nIIIIIIIIIIIIIIII\n");
  }
  void TearDown() override {
    std::string cmd = "rm -rf " + dir;
    EXPECT_EQ(std::system(cmd.c_str()), 0);
  }

  static test_index_t two_sequences() {
    test_index_t t;
    t.genome = std::string(1000, 'A') + std::string(500, 'C');
    t.sequences = {{"chr1", 1}, {"chr2", 1001}};
    t.groups = {{17, {5, 1200}}, {900, {33}}};
    return t;
  }

  void run_in_dir(const std::string &args) {
    std::string cmd = "cd " + dir + " && " + std::string(VENKARI_BIN) +
                      " align " + args + " >out 2>err";
    int s = std::system(cmd.c_str());
    status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
    out = read_text(dir + "/out");
    err = err_body(dir + "/err");
  }
  std::string last_err_line() const {
    size_t end = err.size() - 1;
    size_t at = err.rfind('\n', end - 1);
    return err.substr(at == std::string::npos ? 0 : at + 1, end - at - 1);
  }
};

const std::string UNMAPPED_R1 =
    "r1\t4\t*\t0\t0\t*\t*\t0\t0\tACGTACGTACGTACGT\tIIIIIIIIIIIIIIII";

const char *const PG_LINE = "@PG\tID:venkari-basic\tPN:venkari-basic\t"
                            "CL:tolvenard align -1 r.fq \tVN:0.5-r123\n";

TEST_F(AlignRun, HeaderOfTwoSequences) {
  write_gz(dir + "/g.tidx", index_bytes(two_sequences()));
  run_in_dir("g.tidx -1 r.fq");
  ASSERT_EQ(status, 0) << err;
  // The read is shorter than the minimum length: unmapped.
  EXPECT_EQ(out, std::string("@HD\tVN:1.4\n@SQ\tSN:chr1\tLN:1000\n"
                             "@SQ\tSN:chr2\tLN:500\n") +
                     PG_LINE + UNMAPPED_R1 + "\n");
  EXPECT_NE(err.find("Loading genome...\nRecord size: 8 bytes\nk-mer size: "
                     "12\n12bp - 21bp reads: max mismatch = 2\n"),
            std::string::npos);
  EXPECT_NE(err.find("480bp - 500bp reads: max mismatch = 27\nLoading "
                     "index...\nTotal index loading time: "),
            std::string::npos);
  EXPECT_NE(err.find("\nNumber of NW and SW   0\nAlignment complete! \n"),
            std::string::npos);
  if (std::system("command -v samtools >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "samtools not installed: SAM validity not checked";
  std::string cmd =
      "samtools view -H " + dir + "/out >/dev/null 2>" + dir + "/samtools.err";
  EXPECT_EQ(std::system(cmd.c_str()), 0) << read_text(dir + "/samtools.err");
}

TEST_F(AlignRun, ReadGroupEmptySequencesAndOptionWords) {
  test_index_t t = two_sequences();
  // An empty sequence sharing chr2's start and one at the genome end.
  t.sequences = {{"chr1", 1}, {"chr2", 1001}, {"chr2_e", 1001}, {"z", 1501}};
  write_gz(dir + "/g.tidx", index_bytes(t));
  run_in_dir("g.tidx -1 r.fq --rg G1 --pl ILLUMINA --lb L1 --ds x -p 2");
  ASSERT_EQ(status, 0) << err;
  EXPECT_EQ(out, "@HD\tVN:1.4\n@SQ\tSN:chr1\tLN:1000\n@SQ\tSN:chr2\tLN:500\n"
                 "@RG\tID:G1\tPL:ILLUMINA\tLB:L1\tDS:x\n"
                 "@PG\tID:venkari-basic\tPN:venkari-basic\tCL:tolvenard align "
                 "-1 r.fq --rg G1 --pl ILLUMINA --lb L1 --ds x -p 2 "
                 "\tVN:0.5-r123\n" +
                     UNMAPPED_R1 + "\tRG:Z:G1\tLB:Z:L1\n");
  run_in_dir("g.tidx -1 r.fq --pl ILLUMINA --novo");
  ASSERT_EQ(status, 0) << err;
  EXPECT_EQ(out, "r1\tS\tACGTACGTACGTACGT\tIIIIIIIIIIIIIIII\tNM\n");
  EXPECT_NE(err.find("Outputting in Novoalign format\n"), std::string::npos);
}

TEST_F(AlignRun, SmallKmerIsRefusedAfterTheHeader) {
  test_index_t t = two_sequences();
  t.span = 11;
  write_gz(dir + "/g.tidx", index_bytes(t));
  run_in_dir("g.tidx -1 r.fq");
  EXPECT_EQ(status, 3);
  EXPECT_EQ(out.substr(0, 11), "@HD\tVN:1.4\n");
  EXPECT_EQ(last_err_line(),
            "ERROR: k-mer size too small, should be at least: 12");
  t.mode = 2;
  t.span = 14; // spaced k = 10
  write_gz(dir + "/g.tidx", index_bytes(t));
  run_in_dir("g.tidx -1 r.fq");
  EXPECT_EQ(status, 0) << err;
}

TEST_F(AlignRun, DamagedIndexFiles) {
  std::string bytes = index_bytes(two_sequences());
  struct damaged {
    std::string content;
    std::string message;
  };
  test_index_t wrong_version = two_sequences();
  wrong_version.version = 7;
  const damaged cases[] = {
      {bytes.substr(0, bytes.size() - 6), "Hash file is of the wrong format"},
      {bytes.substr(0, 60), "Hash file is of the wrong format"},
      {std::string("\x3b\x01\x00\x00", 4) + bytes.substr(4),
       "Hash file is of the wrong format"},
      {index_bytes(wrong_version), "Hash file is of the wrong version"},
      {bytes.substr(0, 12) + std::string(500, '\x5a'),
       "Hash file is of the wrong format"},
      {bytes + "trailing", "Hash file is of the wrong format"},
      {"", "Hash file is of the wrong format"},
  };
  for (const damaged &c : cases) {
    write_gz(dir + "/bad.tidx", c.content);
    run_in_dir("bad.tidx -1 r.fq");
    EXPECT_EQ(status, 1) << c.message;
    EXPECT_EQ(last_err_line(), c.message) << err;
    EXPECT_EQ(err.find("Alignment complete!"), std::string::npos);
  }
  run_in_dir("missing.tidx -1 r.fq");
  EXPECT_EQ(status, 1);
  EXPECT_EQ(last_err_line(), "Could not open hash file: missing.tidx");
  write_gz(dir + "/g.tidx", bytes);
  run_in_dir("g.tidx -1 r.fq -2 r.fq");
  EXPECT_EQ(status, 0) << err;
}

TEST_F(AlignRun, PlainIndexFileIsRead) {
  write_plain(dir + "/g.tidx", index_bytes(two_sequences()));
  run_in_dir("g.tidx -1 r.fq");
  EXPECT_EQ(status, 0) << err;
  EXPECT_EQ(out.substr(0, 11), "@HD\tVN:1.4\n");
}

} // namespace
