#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "common/path_utils.h"
#include "scratch_dir.h"

namespace {

using words = std::vector<std::string>;

// PATH replaced for one test.
struct path_env_t {
  std::string old;
  bool had = false;
  explicit path_env_t(const std::string &value) {
    if (const char *v = std::getenv("PATH")) {
      old = v;
      had = true;
    }
    setenv("PATH", value.c_str(), 1);
  }
  ~path_env_t() {
    if (had)
      setenv("PATH", old.c_str(), 1);
    else
      unsetenv("PATH");
  }
};

bool is_dir(const std::string &p) {
  struct stat st;
  return stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

TEST(PathUtils, ProgramExistsSearchesPath) {
  EXPECT_TRUE(program_exists("sh"));
  EXPECT_FALSE(program_exists("no-such-program-xyz-123"));
  EXPECT_FALSE(program_exists(""));
  scratch_t s;
  s.touch("tool", 0755);
  s.touch("plain", 0644);
  mkdir((s.dir + "/subdir").c_str(), 0755);
  path_env_t env("/nonexistent:" + s.dir);
  EXPECT_TRUE(program_exists("tool"));
  EXPECT_FALSE(program_exists("plain"));  // not executable
  EXPECT_FALSE(program_exists("subdir")); // a directory
  // Shell words are names, not commands.
  EXPECT_FALSE(program_exists("tool; true"));
  EXPECT_FALSE(program_exists("$(echo tool)"));
}

TEST(PathUtils, ProgramExistsWithASlashTakesThePath) {
  scratch_t s;
  const std::string tool = s.touch("my tool", 0755);
  EXPECT_TRUE(program_exists(tool));
  EXPECT_FALSE(program_exists(s.touch("data", 0644)));
  EXPECT_FALSE(program_exists(s.dir));
  path_env_t env("");
  EXPECT_FALSE(program_exists("sh")); // nothing to search
}

TEST(PathUtils, MkdirMakesExactlyTheNamedDirectory) {
  scratch_t s;
  const std::string odd = s.dir + "/a b;touch x";
  EXPECT_TRUE(mkdir(odd));
  EXPECT_TRUE(is_dir(odd));
  EXPECT_FALSE(is_dir(s.dir + "/a"));
  EXPECT_EQ(access((s.dir + "/x").c_str(), F_OK), -1);
  EXPECT_FALSE(mkdir(odd)); // exists already
  EXPECT_FALSE(mkdir(s.dir + "/missing/child"));
  EXPECT_FALSE(mkdir(""));
}

TEST(PathUtils, ListDirSortedWithoutHiddenEntries) {
  scratch_t s;
  s.touch("b");
  s.touch("a file");
  s.touch(".hidden");
  s.touch("A");
  mkdir(s.dir + "/sub");
  EXPECT_EQ(list_dir(s.dir), (words{"A", "a file", "b", "sub"}));
  EXPECT_EQ(list_dir(s.dir + "/sub"), words{});
  EXPECT_EQ(list_dir(s.dir + "/missing"), words{});
  const std::string file = s.dir + "/b";
  EXPECT_EQ(list_dir(file), words{file});
  EXPECT_EQ(list_dir(s.dir + "/*"), words{}); // no pattern expansion
}

TEST(PathUtils, SameFileThroughLinksAndOtherNames) {
  scratch_t s;
  const std::string in = s.touch("in.fq"), other = s.touch("other.fq");
  const std::string hard = s.dir + "/hard.fq", soft = s.dir + "/soft.fq";
  ASSERT_EQ(link(in.c_str(), hard.c_str()), 0);
  ASSERT_EQ(symlink("in.fq", soft.c_str()), 0);
  EXPECT_TRUE(same_file(in, s.dir + "/./in.fq"));
  EXPECT_TRUE(same_file(hard, soft));
  EXPECT_FALSE(same_file(in, other)); // equal contents are not enough
  EXPECT_FALSE(same_file(in, s.dir + "/missing"));
  EXPECT_FALSE(same_file(s.dir + "/missing", s.dir + "/missing"));
  // The first output that is an input is named; absent files never are.
  EXPECT_EQ(output_over_input({s.dir + "/new.fq", other, soft}, {in, other}),
            other);
  EXPECT_EQ(output_over_input({s.dir + "/new.fq", hard}, {"", in}), hard);
  EXPECT_EQ(output_over_input({s.dir + "/new.fq", ""}, {in, ""}), "");
}
