// Runs the built random_genome and checks its three outputs against each
// other and against the input.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "../common/text_source.h"
#include "common/genome.h"
#include "common/strings.h"
#include "simulate/coord_map.h"

namespace {

std::string scratch_dir() {
  char tmpl[] = "/tmp/venkari_rg_XXXXXX";
  const char *dir = mkdtemp(tmpl);
  return dir ? dir : "";
}

std::string slurp(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

int run_random_genome(const std::string &dir, const std::string &input,
                      const std::string &rates, const std::string &prefix) {
  const std::string cmd = std::string(VENKARI_BIN) + " random_genome " + dir +
                          "/" + input + " " + rates + " " + dir + "/" + prefix +
                          " 2>" + dir + "/" + prefix + ".log";
  const int st = std::system(cmd.c_str());
  return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

// A reproducible genome with lower case, N runs and an IUPAC letter; listed
// out of name order, with an empty sequence and a one-base one.
std::string make_genome() {
  uint32_t x = 12345;
  auto next = [&x]() {
    x = x * 1103515245u + 12345u;
    return (x >> 16) & 0x7fff;
  };
  std::string fa;
  for (const char *name : {"chrB", "chrA"}) {
    fa += std::string(">") + name + " description\n";
    const int len = name[3] == 'B' ? 3000 : 1700;
    std::string seq;
    for (int i = 0; i < len; ++i)
      seq += "ACGTacgt"[next() % 8];
    seq.replace(500, 40, std::string(40, 'N'));
    seq[900] = 'R';
    for (size_t i = 0; i < seq.size(); i += 60)
      fa += seq.substr(i, 60) + "\n";
  }
  fa += ">chrC\n>chrD\ng\n";
  return fa;
}

std::string wrap50(const std::string &s) {
  std::string out;
  for (size_t i = 0; i < s.size(); i += 50)
    out += s.substr(i, 50) + "\n";
  return out;
}

struct edit_line_t {
  std::string type, a, b;
};

// Applies the edits to one reference sequence: the mutated text and the
// coordinate map entries it implies.
void apply_edits(
    const std::string &name, const std::string &ref,
    const std::map<std::pair<std::string, uint64_t>, edit_line_t> &edits,
    std::string &mutated, std::vector<uint32_t> &entries) {
  uint64_t skip = 0;
  for (uint64_t r = 1; r <= ref.size(); ++r) {
    if (skip > 0) {
      --skip;
      entries.push_back(0);
      continue;
    }
    char base = static_cast<char>(std::toupper(ref[r - 1]));
    const auto it = edits.find({name, r});
    if (it != edits.end() && it->second.type == "DEL") {
      const uint64_t gap = strTo<unsigned long>(it->second.b);
      EXPECT_EQ(it->second.a, ref.substr(r - 1, gap)) << name << ":" << r;
      skip = gap - 1;
      entries.push_back(0);
      continue;
    }
    if (it != edits.end() && it->second.type == "SNP") {
      EXPECT_EQ(it->second.a, std::string(1, base));
      EXPECT_NE(it->second.b, it->second.a);
      base = it->second.b[0];
    }
    mutated += base;
    if (it != edits.end() && it->second.type == "INS") {
      EXPECT_EQ(strTo<unsigned long>(it->second.a), it->second.b.size());
      mutated += it->second.b;
    }
    entries.push_back(static_cast<uint32_t>(mutated.size() + 1));
  }
}

class RandomGenome : public ::testing::Test {
protected:
  void SetUp() override {
    dir = scratch_dir();
    ASSERT_FALSE(dir.empty());
    std::ofstream(dir + "/in.fa") << make_genome();
  }
  void TearDown() override { std::system(("rm -rf " + dir).c_str()); }
  std::string dir;
};

TEST_F(RandomGenome, EditsAndMapReproduceTheMutatedGenome) {
  ASSERT_EQ(run_random_genome(dir, "in.fa", "4 6 1", "mut"), 0)
      << slurp(dir + "/mut.log");

  line_reader_t ref_in;
  ASSERT_TRUE(line_reader_open(ref_in, dir + "/in.fa"));
  std::map<std::string, std::string> ref;
  std::map<std::string, uint64_t> starts;
  long len = 0;
  ASSERT_EQ(read_genome(ref_in, ref, starts, len), 0);

  std::map<std::pair<std::string, uint64_t>, edit_line_t> edits;
  std::map<std::string, int> per_type;
  std::ifstream edits_in(dir + "/mut.edits");
  std::string line;
  std::string prev_name;
  uint64_t prev_pos = 0;
  while (std::getline(edits_in, line)) {
    const std::vector<std::string> f = split(line, '\t');
    ASSERT_EQ(f.size(), 5u) << line;
    const uint64_t pos = strTo<unsigned long>(f[1]);
    // Sequences in name order, events in ascending position.
    ASSERT_TRUE(f[0] > prev_name || (f[0] == prev_name && pos > prev_pos))
        << line;
    prev_name = f[0];
    prev_pos = pos;
    edits[{f[0], pos}] = {f[2], f[3], f[4]};
    ++per_type[f[2]];
  }
  ASSERT_GT(per_type["SNP"], 10);
  ASSERT_GT(per_type["DEL"], 10);
  ASSERT_GT(per_type["INS"], 10);

  line_reader_t map_in;
  map_in.nul_ok = true;
  ASSERT_TRUE(line_reader_open(map_in, dir + "/mut.fa.map"));
  ref_map_t ref_map;
  std::ostringstream log;
  ASSERT_TRUE(load_coord_map(map_in, ref_map, false, log));
  ASSERT_EQ(ref_map.size(), ref.size());

  std::string expected_fa;
  for (const auto &seq : ref) {
    std::string mutated;
    std::vector<uint32_t> entries;
    apply_edits(seq.first, seq.second, edits, mutated, entries);
    expected_fa += ">" + seq.first + "\n" + wrap50(mutated);
    EXPECT_EQ(ref_map[seq.first], entries) << seq.first;
    // Each kept base lands on its own letter; a kept base's entry is one
    // above its mutated position plus the bases inserted after it.
    for (uint64_t r = 1; r <= entries.size(); ++r) {
      if (entries[r - 1] == 0)
        continue;
      const auto it = edits.find({seq.first, r});
      const uint64_t ins = it != edits.end() && it->second.type == "INS"
                               ? it->second.b.size()
                               : 0;
      const uint64_t mut_pos = entries[r - 1] - 1 - ins;
      const char want =
          it != edits.end() && it->second.type == "SNP"
              ? it->second.b[0]
              : static_cast<char>(std::toupper(seq.second[r - 1]));
      ASSERT_EQ(mutated[mut_pos - 1], want) << seq.first << ":" << r;
    }
  }
  EXPECT_EQ(slurp(dir + "/mut.fa"), expected_fa);

  const std::string log_text = slurp(dir + "/mut.log");
  EXPECT_NE(log_text.find("Number SNPs: " + toStr(per_type["SNP"]) + "\n"),
            std::string::npos);
  EXPECT_NE(log_text.find("Number DELs: " + toStr(per_type["DEL"]) + "\n"),
            std::string::npos);
  EXPECT_NE(log_text.find("Number INSs: " + toStr(per_type["INS"]) + "\n"),
            std::string::npos);

  // A second run writes the same bytes.
  ASSERT_EQ(run_random_genome(dir, "in.fa", "4 6 1", "again"), 0);
  EXPECT_EQ(slurp(dir + "/again.fa"), slurp(dir + "/mut.fa"));
  EXPECT_EQ(slurp(dir + "/again.edits"), slurp(dir + "/mut.edits"));
  EXPECT_EQ(slurp(dir + "/again.fa.map"), slurp(dir + "/mut.fa.map"));
}

TEST_F(RandomGenome, ZeroRatesCopyTheGenome) {
  ASSERT_EQ(run_random_genome(dir, "in.fa", "0 0 1", "copy"), 0);
  line_reader_t ref_in;
  ASSERT_TRUE(line_reader_open(ref_in, dir + "/in.fa"));
  std::map<std::string, std::string> ref;
  std::map<std::string, uint64_t> starts;
  long len = 0;
  ASSERT_EQ(read_genome(ref_in, ref, starts, len), 0);
  std::string expected_fa;
  for (const auto &seq : ref)
    expected_fa += ">" + seq.first + "\n" + wrap50(str_toupper(seq.second));
  EXPECT_EQ(slurp(dir + "/copy.fa"), expected_fa);
  EXPECT_EQ(slurp(dir + "/copy.edits"), "");
  // Header, then per sequence: name, M and the two end pairs (one pair for
  // a single base, none for an empty sequence).
  const std::string map = slurp(dir + "/copy.fa.map");
  EXPECT_EQ(map.size(), 8u + (16 + 4 + 16) * 2 + (16 + 4 + 8) + (16 + 4));
  line_reader_t map_in;
  map_in.nul_ok = true;
  read_text(map_in, map);
  ref_map_t ref_map;
  std::ostringstream log;
  ASSERT_TRUE(load_coord_map(map_in, ref_map, true, log));
  EXPECT_EQ(log.str(), "Number of Chromosomes: 4\nchrA Length: 1700\n"
                       "chrB Length: 3000\nchrC Length: 0\nchrD Length: 1\n");
  EXPECT_EQ(ref_map["chrA"][1699], 1701u);
  EXPECT_EQ(ref_map["chrD"], std::vector<uint32_t>{2});
  EXPECT_NE(slurp(dir + "/copy.log")
                .find("Number SNPs: 0\nNumber DELs: 0\nNumber INSs: 0\n"),
            std::string::npos);
}

} // namespace
