#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <unistd.h>

#include "../tiny_index.h"
#include "aligner/setup/3_index_load.h"
#include "index/gz_input.h"

namespace {

// Index files written by the index command and read by the align loader:
// the keys of reads must meet the keys of the genome in every mode.
class SearchOnWrittenIndex : public ::testing::TestWithParam<int> {
protected:
  std::string dir;
  std::string c1 = random_dna(4000, 41), c2 = random_dna(3000, 42);
  tolve_params_t p;
  MT_random gen;

  void SetUp() override {
    char tmpl[] = "/tmp/venkari_seed_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir = tmpl;
    std::ofstream(dir + "/g.fa") << ">chr1\n"
                                 << c1 << "\n>chr2\n"
                                 << c2 << "\n";
    const std::string cmd = std::string(VENKARI_BIN) + " index -I " +
                            std::to_string(GetParam()) + " " + dir +
                            "/g.fa 12 " + dir + "/g.tidx >/dev/null 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    p.mm_table = gen_mm_table();
    p.pen = new pen_tester(0.05f, -1, 0.005f, -1, 50, 5, 15, 40, 2);
    gz_input_t in;
    ASSERT_TRUE(gz_input_open(in, (dir + "/g.tidx").c_str()));
    testing::internal::CaptureStderr();
    int s = load_index_genome(in, &p);
    if (!s)
      s = load_index_table(in, &p, 0);
    testing::internal::GetCapturedStderr();
    gz_input_close(in);
    ASSERT_EQ(s, 0);
    build_refs(&p);
  }
  void TearDown() override {
    delete p.refs;
    p.refs = nullptr;
    release_params(&p);
    std::system(("rm -rf " + dir).c_str());
  }

  // Searches `text` and returns the stored best hits.
  std::vector<align_loc_t> search(const std::string &text) {
    search_run_t run(*p.pen);
    bit_DNA_t fwd(text, gen, p.mm_table), rev(compleseq(text), gen, p.mm_table);
    mate_input_t in;
    in.packed[0] = &fwd;
    in.packed[1] = &rev;
    in.seq0 = &text;
    in.read_len = int(text.size());
    run.pen.set_length(in.read_len, 0);
    search_mate(&p, 0, in, run.pen, run.store, run.gen, run.s, run.found,
                run.too_short);
    std::vector<align_loc_t> hits;
    if (run.found)
      hits.assign(run.store.main_store.begin(), run.store.main_store.end());
    return hits;
  }
};

TEST_P(SearchOnWrittenIndex, ReadsOfBothStrandsAndSequences) {
  std::vector<align_loc_t> h = search(c1.substr(1234, 100));
  ASSERT_EQ(h.size(), 1u);
  EXPECT_EQ(h[0].loc, 1235u);
  EXPECT_TRUE(h[0].direction);
  EXPECT_EQ(h[0].penalty, 0);

  std::string text = c2.substr(2000, 100);
  text[40] = text[40] == 'G' ? 'T' : 'G';
  text[70] = text[70] == 'G' ? 'T' : 'G';
  h = search(compleseq(text));
  ASSERT_EQ(h.size(), 1u);
  EXPECT_EQ(h[0].loc, 4000u + 2001u);
  EXPECT_FALSE(h[0].direction);
  EXPECT_EQ(h[0].mm_gap.num_mm, 2);

  EXPECT_TRUE(search(c1.substr(3950) + c2.substr(0, 50)).empty());
}

INSTANTIATE_TEST_SUITE_P(AllModes, SearchOnWrittenIndex,
                         ::testing::Values(0, 1, 2, 3, 4));

} // namespace
