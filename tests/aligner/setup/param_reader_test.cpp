#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "aligner/setup/1_align_options.h"
#include "aligner/setup/2_pen_tester.h"
#include "aligner/setup/param_reader.h"
#include "aligner/setup/params.h"
#include "common/fast.h"

namespace {

param_reader align_reader() {
  return param_reader(
      "ufas", {"pg", "phase_seq_trim", "assemble", "all_hits", "novo"},
      "12ufapnroehbimsygldc", {"max_occ", "pg", "trim", "novo", "rg"});
}

struct parsed {
  int stop;
  std::string err;
  param_reader r;
};

parsed parse(const std::vector<std::string> &words) {
  parsed p{0, "", align_reader()};
  testing::internal::CaptureStderr();
  p.stop = p.r.add_params(words);
  p.err = testing::internal::GetCapturedStderr();
  return p;
}

TEST(ParamReader, CombinedLetters) {
  parsed p = parse({"-up", "4"});
  EXPECT_EQ(p.stop, 0);
  EXPECT_EQ(p.r.get_val("u"), "\n");
  EXPECT_EQ(p.r.get_val("p"), "4");
  p = parse({"-pu", "4"});
  EXPECT_EQ(p.stop, 1);
  EXPECT_EQ(p.err, "Option needs Argument: p\n");
  p = parse({"-x"});
  EXPECT_EQ(p.stop, 1);
  EXPECT_EQ(p.err, "Option doesn't exist: x\n");
}

TEST(ParamReader, LongOptions) {
  parsed p = parse({"-p", "2", "--max_occ"});
  EXPECT_EQ(p.stop, 3);
  EXPECT_EQ(p.err, "Option needs Argument: max_occ\n");
  p = parse({"--cigar14"});
  EXPECT_EQ(p.stop, 1);
  EXPECT_EQ(p.err, "Option doesn't exist: cigar14\n");
  p = parse({"--pg", "-p", "2"});
  EXPECT_EQ(p.stop, 0);
  EXPECT_EQ(p.r.get_val("pg"), std::string(1, param_reader::BLANK));
  EXPECT_EQ(p.r.get_val("p"), "2");
  EXPECT_EQ(p.r.get_val("max_occ"), "");
}

TEST(ParamReader, FirstValueWinsAndValuesMayStartWithDash) {
  parsed p = parse({"-n", "5", "-n", "7", "-p", "-3"});
  EXPECT_EQ(p.stop, 0);
  EXPECT_EQ(p.r.get_val("n"), "5");
  EXPECT_EQ(p.r.get_val("p"), "-3");
}

TEST(ParamReader, StrayWordsStopWithoutMessage) {
  parsed p = parse({"-1", "reads.fq", "extra"});
  EXPECT_EQ(p.stop, 3);
  EXPECT_EQ(p.err, "");
  p = parse({"-"});
  EXPECT_EQ(p.stop, 1);
  EXPECT_EQ(p.err, "");
  EXPECT_EQ(parse({}).stop, 0);
}

// An empty word given as a value is given: only an option that is absent
// reads back as absent.
TEST(ParamReader, EmptyValueIsGiven) {
  parsed p = parse({"-p", "", "--max_occ", ""});
  EXPECT_EQ(p.stop, 0);
  std::string v = "x";
  EXPECT_TRUE(p.r.find_val("p", v));
  EXPECT_EQ(v, "");
  EXPECT_TRUE(p.r.find_val("max_occ", v));
  EXPECT_EQ(v, "");
  EXPECT_FALSE(p.r.find_val("n", v));
  p = parse({"-up", "4"});
  EXPECT_TRUE(p.r.find_val("p", v));
  EXPECT_EQ(v, "4");
  EXPECT_TRUE(p.r.find_val("u", v));
  EXPECT_EQ(v, std::string(1, param_reader::BLANK));
}

// The align options after "-1 /dev/null" read into p; returns the status.
// The mismatch and gap allowances read land in `pen` when given.
int align_options(tolve_params_t &p, std::vector<std::string> words,
                  std::string *err = nullptr, pen_tester *pen = nullptr) {
  words.insert(words.begin(), {"-1", "/dev/null"});
  std::string files[2];
  testing::internal::CaptureStderr();
  int status = read_align_options(&p, "idx", words, files);
  std::string said = testing::internal::GetCapturedStderr();
  if (err)
    *err = said;
  if (pen && p.pen)
    *pen = *p.pen;
  delete p.pen;
  delete p.reads_file[0];
  return status;
}

// An empty word is no number, for every option that takes one: the option's
// number-word line and the usage status, as for any other word that is none.
TEST(AlignOptions, EmptyWordIsNoNumber) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"p", "a whole number from 1 to 255"},
      {"n", "a whole number of at least 1"},
      {"r", "a count from 0 to 100000 or a rate from 0 to below 1"},
      {"o", "a count from 0 to 100000 or a rate from 0 to below 1"},
      {"e", "a whole number from 0 to 10000"},
      {"nw_mat", "a whole number from 0 to 1000"},
      {"nw_sub", "a whole number from 0 to 1000"},
      {"nw_gap", "a whole number from 0 to 1000"},
      {"nw_ext", "a whole number from 0 to 1000"},
      {"h", "a whole number of at least 0"},
      {"b", "a whole number of at least 0"},
      {"i", "a whole number of at least 1"},
      {"m", "a whole number of at least 1"},
      {"sec_num", "a whole number of at least 0"},
      {"l", "a whole number of at least 0"},
      {"d", "a whole number from 0 to 100000"},
      {"c", "a whole number from 0 to 100"},
      {"g", "a whole number of at least 0"},
      {"sw_mat", "a whole number from 0 to 1000"},
      {"sw_sub", "a whole number from 0 to 1000"},
      {"sw_gap", "a whole number from 0 to 1000"},
      {"sw_ext", "a whole number from 0 to 1000"},
      {"max_occ", "a whole number of at least 0"},
      {"max_occ_nw", "a whole number of at least 0"},
      {"look_ahead", "a whole number of at least 0"},
      {"kmer_pen", "a whole number of at least 0"},
      {"look_ahead_nw", "a whole number of at least 0"},
      {"kmer_pen_nw", "a whole number of at least 0"},
      {"trim", "a whole number of at least 0"}};
  for (const auto &[name, what] : cases) {
    const std::string dash = name.size() == 1 ? "-" : "--";
    tolve_params_t p;
    std::string err;
    EXPECT_EQ(align_options(p, {dash + name, ""}, &err), 3) << name;
    EXPECT_EQ(err, "[" + dash + name + "] Must be " + what + ", not \"\"\n")
        << name;
  }
}

// -r and -o: a word that writes a whole number is a count, any other number
// a rate, whatever float the word rounds to.
TEST(AlignOptions, CountOrRateFromTheWord) {
  for (const auto &[word, count] : {std::pair<const char *, int>{"3", 3},
                                    {"1e1", 10},
                                    {"1.0", 1},
                                    {"30e-1", 3},
                                    {"0", 0},
                                    {"+2.", 2}}) {
    tolve_params_t p;
    pen_tester r(0, 0, 0, 0, 0, 0, 0, 0, 0), o = r;
    ASSERT_EQ(align_options(p, {"-r", word}, nullptr, &r), 0) << word;
    EXPECT_EQ(r.max_mm, count) << word;
    EXPECT_FLOAT_EQ(r.mm_prob, 0.05f) << word;
    tolve_params_t q;
    ASSERT_EQ(align_options(q, {"-o", word}, nullptr, &o), 0) << word;
    EXPECT_EQ(o.max_gap, count) << word;
    EXPECT_FLOAT_EQ(o.gap_rate, 0.005f) << word;
  }
  tolve_params_t p;
  pen_tester r(0, 0, 0, 0, 0, 0, 0, 0, 0);
  ASSERT_EQ(align_options(p, {"-r", "1e-1"}, nullptr, &r), 0);
  EXPECT_EQ(r.max_mm, -1);
  EXPECT_FLOAT_EQ(r.mm_prob, 0.1f);
  for (const char *word : {"0.99999999", "2.0000001", "1.5"}) {
    std::string err;
    tolve_params_t a, b;
    EXPECT_EQ(align_options(a, {"-r", word}, &err), 3) << word;
    EXPECT_EQ(err, "[-r] Error prob must be less than 1\n") << word;
    EXPECT_EQ(align_options(b, {"-o", word}, &err), 3) << word;
    EXPECT_EQ(err, "[-o] Gap rate must be less than 1\n") << word;
  }
}

// --kmer_pen_nw sets the look-ahead factor that seeding and the gapped phase
// both stop on, the one --kmer_pen sets, and not the gapped copy that no
// step reads; given with --kmer_pen, it wins.
TEST(AlignOptions, KmerPenNwSetsTheSharedFactor) {
  tolve_params_t pen, pen_nw, both;
  ASSERT_EQ(align_options(pen, {"--kmer_pen", "7"}), 0);
  ASSERT_EQ(align_options(pen_nw, {"--kmer_pen_nw", "7"}), 0);
  ASSERT_EQ(align_options(both, {"--kmer_pen_nw", "3", "--kmer_pen", "7"}), 0);
  EXPECT_EQ(pen.NUM_VAL, 7);
  EXPECT_EQ(pen_nw.NUM_VAL, 7);
  EXPECT_EQ(pen_nw.NUM_VAL_SW, 1);
  EXPECT_EQ(pen_nw.DENUM_VAL, pen.DENUM_VAL);
  EXPECT_EQ(both.NUM_VAL, 3);
  EXPECT_EQ(both.NUM_VAL_SW, 1);
}

} // namespace
