// The threaded selection and sort of the index build against a plain
// enumeration of the text, on a genome of several pieces.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "common/mt_random.h"
#include "index/index_file.h"
#include "index/kmer_collect.h"
#include "index/kmer_select.h"

namespace {

struct genome_text_t {
  std::vector<std::pair<std::string, std::string>> chroms; // file order
  std::string fasta;
};

// Chromosomes of uneven sizes, so that pieces of the genome start inside
// them and some hold several; a few runs of N.
genome_text_t make_genome(MT_random &gen) {
  genome_text_t t;
  const size_t sizes[] = {700000, 5, 0, 900123, 31, 400000};
  for (size_t c = 0; c < sizeof sizes / sizeof sizes[0]; ++c) {
    std::string s(sizes[c], 'A');
    for (char &ch : s)
      ch = "ACGT"[gen.genrand_int_range(0, 3)];
    for (size_t at = 1000; at + 50 < s.size(); at += 150001)
      s.replace(at, 50, 50, 'N');
    // Repeats: groups of more than one position.
    if (s.size() > 20000)
      s.replace(10000, 5000, s.substr(0, 5000));
    const std::string name = "c" + std::to_string(9 - c);
    t.chroms.push_back({name, s});
    t.fasta += ">" + name + "\n" + s + "\n";
  }
  return t;
}

std::vector<twoint3_hash> expected_records(const genome_text_t &t, int k,
                                           int mode) {
  std::vector<twoint3_hash> out;
  uint64_t start = 1;
  for (const auto &c : t.chroms) {
    select_windows(c.second, k, mode, [&](uint64_t key, uint64_t off) {
      out.push_back(twoint3_hash{key, uint32_t(start + off)});
    });
    start += c.second.size();
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::vector<twoint3_hash> threaded_records(const index_genome_t &g, int k,
                                           int mode, int threads,
                                           kmer_plan_t &plan) {
  count_windows(g, k, mode, threads, plan);
  std::vector<twoint3_hash> recs(plan.total);
  collect_windows(g, plan, threads, recs.data());
  sort_ranges(plan, threads, recs.data());
  return recs;
}

bool same(const std::vector<twoint3_hash> &a,
          const std::vector<twoint3_hash> &b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](const twoint3_hash &x, const twoint3_hash &y) {
                      return x.a == y.a && x.b == y.b;
                    });
}

TEST(KmerCollect, SameSortedListAsTheTextForAnyThreadCount) {
  MT_random gen;
  const genome_text_t t = make_genome(gen);
  char tmpl[] = "/tmp/venkari_kcol_XXXXXX";
  const int fd = mkstemp(tmpl);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(write(fd, t.fasta.data(), t.fasta.size()), ssize_t(t.fasta.size()));
  ASSERT_EQ(lseek(fd, 0, SEEK_SET), 0);
  index_genome_t g;
  testing::internal::CaptureStderr();
  ASSERT_EQ(read_index_genome(fd, "genome.fa", t.fasta.size(), g), 0);
  testing::internal::GetCapturedStderr();
  close(fd);
  unlink(tmpl);

  const struct { int k, mode; } cases[] = {{22, 1}, {12, 0}, {14, 3}, {16, 4}};
  for (const auto &c : cases) {
    const std::vector<twoint3_hash> want = expected_records(t, c.k, c.mode);
    for (int threads : {1, 5}) {
      kmer_plan_t plan;
      const std::vector<twoint3_hash> got =
          threaded_records(g, c.k, c.mode, threads, plan);
      EXPECT_TRUE(same(got, want))
          << "k " << c.k << " mode " << c.mode << " threads " << threads;
      // The key ranges split no group, so the histogram can be counted by
      // ranges.
      const group_stats_t whole = group_histogram(got.data(), got.size());
      const group_stats_t split =
          group_histogram(got.data(), plan.range_start, threads);
      EXPECT_EQ(split.groups, whole.groups);
      EXPECT_EQ(split.bins, whole.bins);
    }
  }
}

} // namespace
