#include <gtest/gtest.h>

#include <cstdlib>

#include "common/bit_dna.h"
#include "common/mt_random.h"
#include "sim_test_util.h"
#include "simulate/pair_reads.h"
#include "simulate/truth_name.h"

static pair_reads_params_t pair_params(int rl1, int rl2, long n, double mm,
                                       double avg, double sd, double unm) {
  pair_reads_params_t p;
  p.read_len1 = rl1;
  p.read_len2 = rl2;
  p.num_reads = n;
  p.mismatch_rate = mm;
  p.avg_template_len = avg;
  p.sd_template_len = sd;
  p.percent_unmappble = unm;
  return p;
}

struct pair_run_t {
  std::vector<fq_rec_t> mate1, mate2;
};

// The normal draw runs on the C library generator; reseeding it with its
// default seed makes every run in this process start alike.
static pair_run_t run_pair(const pair_reads_params_t &p,
                           const sim_genome_t &g) {
  std::srand(1);
  MT_random gen;
  std::ostringstream out1, out2;
  EXPECT_TRUE(simulate_pair_reads(p, g, gen, out1, out2));
  pair_run_t run{parse_fastq(out1.str()), parse_fastq(out2.str())};
  EXPECT_EQ(run.mate1.size(), static_cast<size_t>(p.num_reads));
  EXPECT_EQ(run.mate2.size(), static_cast<size_t>(p.num_reads));
  return run;
}

struct pair_truth_t {
  truth_name_t t;
  int64_t tlen = 0;
  int dir = 0;
};

// Both mates carry the same name but for the mate number.
static pair_truth_t check_pair_names(const fq_rec_t &r1, const fq_rec_t &r2,
                                     size_t index) {
  EXPECT_EQ(r1.name.substr(r1.name.size() - 2), "/1");
  EXPECT_EQ(r2.name.substr(r2.name.size() - 2), "/2");
  std::string cut = cut_pair_read_name(r1.name);
  EXPECT_EQ(cut, cut_pair_read_name(r2.name));
  pair_truth_t p;
  p.t = parse_pair_truth_name(cut);
  EXPECT_TRUE(p.t.sim);
  EXPECT_EQ(p.t.fields.size(), 5u);
  EXPECT_EQ(p.t.fields[0], std::to_string(index + 1));
  p.tlen = std::stol(p.t.fields[3]);
  p.dir = std::stoi(p.t.fields[4]);
  for (const fq_rec_t *r : {&r1, &r2}) {
    EXPECT_EQ(r->plus, "+");
    EXPECT_EQ(r->qual, std::string(r->seq.size(), 'I'));
    EXPECT_TRUE(only_acgt(r->seq));
  }
  return p;
}

// Mates sit where their names say: read 1 forward at pos1 and read 2
// reverse at pos2 for a forward template; read 2 forward at pos1 and read 1
// reverse at the template's end when the template was reversed.
TEST(PairReads, MatesSitAtTheirNamedGeometry) {
  sim_genome_t g = load_test_genome(test_data_file("three_chr.fa"));
  const int rl1 = 35, rl2 = 25;
  pair_run_t run = run_pair(pair_params(rl1, rl2, 300, 0, 120, 25, 0.1), g);
  int random = 0, reversed = 0;
  int64_t min_tlen = 1 << 30, max_tlen = 0;
  for (size_t i = 0; i < run.mate1.size(); ++i) {
    const fq_rec_t &r1 = run.mate1[i], &r2 = run.mate2[i];
    pair_truth_t p = check_pair_names(r1, r2, i);
    EXPECT_EQ(r1.seq.size(), size_t(rl1));
    EXPECT_EQ(r2.seq.size(), size_t(rl2));
    EXPECT_GE(p.tlen, rl1);
    min_tlen = std::min(min_tlen, p.tlen);
    max_tlen = std::max(max_tlen, p.tlen);
    reversed += p.dir;
    if (p.t.random) {
      ++random;
      continue;
    }
    int64_t pos1 = p.t.pos;
    EXPECT_EQ(p.t.pos_next, pos1 + p.tlen - rl2);
    EXPECT_LE(pos1 + p.tlen - 1, int64_t(g.seqs.at(p.t.chr).size()));
    if (p.dir == 0) {
      EXPECT_EQ(r1.seq, genome_text(g, p.t.chr, pos1, rl1)) << r1.name;
      EXPECT_EQ(compleseq(r2.seq), genome_text(g, p.t.chr, p.t.pos_next, rl2))
          << r2.name;
    } else {
      EXPECT_EQ(r2.seq, genome_text(g, p.t.chr, pos1, rl2)) << r2.name;
      EXPECT_EQ(compleseq(r1.seq),
                genome_text(g, p.t.chr, pos1 + p.tlen - rl1, rl1))
          << r1.name;
    }
  }
  EXPECT_GT(random, 10);
  EXPECT_GT(reversed, 100);
  EXPECT_LT(reversed, 200);
  EXPECT_LT(min_tlen, 100);
  EXPECT_GT(max_tlen, 140);
}

TEST(PairReads, SubstitutionsStayWithinReads) {
  sim_genome_t g = load_test_genome(test_data_file("three_chr.fa"));
  pair_run_t run = run_pair(pair_params(30, 30, 200, 0.05, 100, 10, 0), g);
  int total = 0;
  for (size_t i = 0; i < run.mate1.size(); ++i) {
    pair_truth_t p = check_pair_names(run.mate1[i], run.mate2[i], i);
    std::string fwd1 = p.dir ? run.mate2[i].seq : run.mate1[i].seq;
    std::string rev2 = p.dir ? run.mate1[i].seq : run.mate2[i].seq;
    int d1 = hamming(fwd1, genome_text(g, p.t.chr, p.t.pos, 30));
    int d2 =
        hamming(compleseq(rev2), genome_text(g, p.t.chr, p.t.pos_next, 30));
    EXPECT_GE(d1, 0);
    EXPECT_GE(d2, 0);
    total += d1 + d2;
  }
  EXPECT_GT(total, 300); // about 5% of 12000 bases
  EXPECT_LT(total, 900);
}

// With the template as long as the only sequence there is no position draw:
// per candidate the unmappable draw, the direction and one draw per base.
TEST(PairReads, DrawOrder) {
  std::string text = "ACGTTGCAACGGTCATGCAATTGG";
  sim_genome_t g = load_test_genome(">s\n" + text + "\n");
  pair_run_t run = run_pair(pair_params(10, 8, 30, 0.1, 24, 0, 0), g);
  MT_random gen;
  for (size_t i = 0; i < run.mate1.size(); ++i) {
    EXPECT_FALSE(gen.genrand_bern(0.0));
    int dir = int(gen.genrand_int_range(0, 1));
    std::string tmpl = dir ? compleseq(text) : text;
    std::string read[2] = {tmpl.substr(0, 10), tmpl.substr(16)};
    for (std::string &r : read)
      for (char &b : r)
        if (gen.genrand_bern(0.1))
          b = get_int_base(
              (get_base_val(b) + int(gen.genrand_int_range(1, 3))) % 4);
    std::string name =
        std::to_string(i + 1) + ";s:1;17;24;" + std::to_string(dir);
    EXPECT_EQ(run.mate1[i].name, name + "/1");
    EXPECT_EQ(run.mate2[i].name, name + "/2");
    EXPECT_EQ(run.mate1[i].seq, read[0]);
    EXPECT_EQ(run.mate2[i].seq, compleseq(read[1]));
  }
}

TEST(PairReads, TemplateOfMaximumReadLength) {
  sim_genome_t g = load_test_genome(test_data_file("three_chr.fa"));
  pair_run_t run = run_pair(pair_params(40, 40, 50, 0, 40, 0, 0), g);
  for (size_t i = 0; i < run.mate1.size(); ++i) {
    pair_truth_t p = check_pair_names(run.mate1[i], run.mate2[i], i);
    EXPECT_EQ(p.tlen, 40);
    EXPECT_EQ(p.t.pos_next, p.t.pos);
    EXPECT_EQ(run.mate1[i].seq, compleseq(run.mate2[i].seq));
  }
}

TEST(PairReads, RoundedTemplateLength) {
  sim_genome_t g = load_test_genome(test_data_file("three_chr.fa"));
  for (auto avg_len :
       {std::make_pair(250.5, 251L), std::make_pair(250.4, 250L)}) {
    pair_run_t run =
        run_pair(pair_params(20, 20, 5, 0, avg_len.first, 0, 0), g);
    for (size_t i = 0; i < run.mate1.size(); ++i)
      EXPECT_EQ(check_pair_names(run.mate1[i], run.mate2[i], i).tlen,
                avg_len.second);
  }
}

TEST(PairReads, AllRandomPairs) {
  sim_genome_t g = load_test_genome(test_data_file("three_chr.fa"));
  pair_run_t run = run_pair(pair_params(20, 15, 20, 0, 60, 5, 1.0), g);
  for (size_t i = 0; i < run.mate1.size(); ++i) {
    pair_truth_t p = check_pair_names(run.mate1[i], run.mate2[i], i);
    EXPECT_TRUE(p.t.random);
    EXPECT_EQ(cut_pair_read_name(run.mate1[i].name),
              std::to_string(i + 1) + ";*:*;*;" + std::to_string(p.tlen) + ";" +
                  std::to_string(p.dir));
  }
}

// Templates that practically never fit end the run instead of spinning.
TEST(PairReads, GivesUpOnTemplatesOutOfReach) {
  sim_genome_t g = load_test_genome(">s\nACGTTGCAACGGTCATGCAATTGG\n");
  std::srand(1);
  MT_random gen;
  std::ostringstream out1, out2;
  // Lengths up to 24 fit, but need a draw 9 standard deviations low.
  pair_reads_params_t p = pair_params(10, 10, 1, 0, 114, 10, 0);
  EXPECT_FALSE(simulate_pair_reads(p, g, gen, out1, out2, 5000));
  EXPECT_EQ(out1.str(), "");
}
