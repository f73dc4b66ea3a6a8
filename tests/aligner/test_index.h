#pragma once
// A small writer of index files for tests, independent of the index command,
// with every field exposed so that damaged files can be made too.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <utility>
#include <vector>
#include <zlib.h>

struct test_index_t {
  int32_t magic = 314;
  int32_t version = 6;
  int32_t param_count = 1;
  int32_t mode = 1;
  std::string genome; // A, C, G, T only
  // (name, 1-based start), written in the given order.
  std::vector<std::pair<std::string, int64_t>> sequences;
  int32_t span = 12;
  int32_t spaced_gap = 4;
  int32_t bucket_bits = 26;
  std::vector<std::pair<uint64_t, std::vector<uint32_t>>> groups;
};

template <typename T> void put(std::string &s, T v) {
  s.append(reinterpret_cast<const char *>(&v), sizeof v);
}

inline int base_code(char c) {
  switch (c) {
  case 'C':
    return 1;
  case 'G':
    return 2;
  case 'T':
    return 3;
  default:
    return 0;
  }
}

// The uncompressed content of the file.
inline std::string index_bytes(const test_index_t &t) {
  std::string s;
  put(s, t.magic);
  put(s, t.version);
  put(s, t.param_count);
  put(s, t.mode);
  int64_t length = static_cast<int64_t>(t.genome.size());
  put(s, length);
  put(s, static_cast<uint64_t>(2 * length));
  std::string packed((t.genome.size() + 3) / 4, '\0');
  for (size_t j = 0; j < t.genome.size(); j++)
    packed[j / 4] = static_cast<char>(
        packed[j / 4] | (base_code(t.genome[j]) << (2 * (j % 4))));
  put(s, static_cast<uint64_t>(packed.size()));
  s += packed;
  put(s, static_cast<uint64_t>(t.sequences.size()));
  for (const auto &seq : t.sequences) {
    put(s, static_cast<uint64_t>(seq.first.size()));
    s += seq.first;
    put(s, seq.second);
  }
  uint64_t entries = 0;
  for (const auto &g : t.groups)
    entries += g.second.size();
  put(s, entries);
  put(s, static_cast<uint64_t>(t.groups.size()));
  put(s, t.span);
  put(s, t.spaced_gap);
  put(s, t.bucket_bits);
  for (const auto &g : t.groups) {
    put(s, g.first);
    put(s, static_cast<uint32_t>(g.second.size()));
    for (uint32_t pos : g.second)
      put(s, pos);
  }
  return s;
}

inline void write_gz(const std::string &path, const std::string &bytes) {
  gzFile f = gzopen(path.c_str(), "wb");
  gzwrite(f, bytes.data(), static_cast<unsigned>(bytes.size()));
  gzclose(f);
}

inline void write_plain(const std::string &path, const std::string &bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string read_text(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream os;
  os << in.rdbuf();
  return os.str();
}

// Runs the built program; its outputs land in the two files.
inline int run_program(const std::string &args, const std::string &out,
                       const std::string &err) {
  std::string cmd =
      std::string(VENKARI_BIN) + " " + args + " >" + out + " 2>" + err;
  int status = std::system(cmd.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Standard error without the five banner lines.
inline std::string err_body(const std::string &path) {
  std::string text = read_text(path);
  size_t at = 0;
  for (int i = 0; i < 5 && at != std::string::npos; i++) {
    at = text.find('\n', at);
    if (at != std::string::npos)
      at++;
  }
  return at == std::string::npos ? "" : text.substr(at);
}
