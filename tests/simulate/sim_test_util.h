#pragma once
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../common/text_source.h"
#include "common/strings.h"
#include "simulate/sim_genome.h"

struct fq_rec_t {
  std::string name, seq, plus, qual;
};

// Splits FASTQ text into records; every record must have four lines.
inline std::vector<fq_rec_t> parse_fastq(const std::string &text) {
  std::vector<fq_rec_t> recs;
  std::istringstream in(text);
  std::string head;
  while (std::getline(in, head)) {
    fq_rec_t r;
    EXPECT_EQ(head[0], '@');
    r.name = head.substr(1);
    EXPECT_TRUE(std::getline(in, r.seq) && std::getline(in, r.plus) &&
                std::getline(in, r.qual));
    recs.push_back(r);
  }
  return recs;
}

inline sim_genome_t load_test_genome(const std::string &fasta_text) {
  sim_genome_t g;
  line_reader_t in;
  read_text(in, fasta_text);
  EXPECT_EQ(load_sim_genome(in, g), 0);
  return g;
}

inline std::string test_data_file(const std::string &name) {
  std::ifstream in(std::string(VENKARI_SOURCE_DIR) + "/tests/data/simulate/" +
                   name);
  std::ostringstream os;
  os << in.rdbuf();
  return os.str();
}

// Upper-cased genome text at a 1-based position, cut at the sequence end.
inline std::string genome_text(const sim_genome_t &g, const std::string &chr,
                               int64_t pos, int64_t len) {
  const std::string &seq = g.seqs.at(chr);
  if (pos < 1 || pos - 1 > static_cast<int64_t>(seq.size()))
    return "<off sequence>";
  return str_toupper(seq.substr(pos - 1, len));
}

inline int hamming(const std::string &a, const std::string &b) {
  if (a.size() != b.size())
    return -1;
  int d = 0;
  for (size_t i = 0; i < a.size(); ++i)
    d += a[i] != b[i];
  return d;
}

inline bool only_acgt(const std::string &s) {
  return s.find_first_not_of("ACGT") == std::string::npos;
}

// True when `read` is `text` with some bases deleted.
inline bool is_subsequence(const std::string &read, const std::string &text) {
  size_t j = 0;
  for (size_t i = 0; i < text.size() && j < read.size(); ++i)
    if (text[i] == read[j])
      ++j;
  return j == read.size();
}
