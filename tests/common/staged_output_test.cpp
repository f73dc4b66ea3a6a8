#include <gtest/gtest.h>

#include <algorithm>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "common/staged_output.h"
#include "scratch_dir.h"

namespace {

using names = std::vector<std::string>;

std::string text_of(const std::string &path) {
  std::ifstream in(path);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Every entry of `dir`, hidden ones too, in byte order.
names entries(const std::string &dir) {
  names out;
  DIR *d = opendir(dir.c_str());
  while (const dirent *e = readdir(d))
    if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
      out.emplace_back(e->d_name);
  closedir(d);
  std::sort(out.begin(), out.end());
  return out;
}

} // namespace

TEST(StagedOutput, CommitMovesEveryOutputIntoPlace) {
  scratch_t s;
  const std::string old_file = s.touch("old.txt", 0640);
  const std::string new_file = s.dir + "/new.txt";
  staged_outputs_t run;
  std::string name1, name2;
  ASSERT_TRUE(stage_output(run, old_file, name1));
  ASSERT_TRUE(stage_output(run, new_file, name2));
  const std::string pid = std::to_string(getpid());
  EXPECT_EQ(name1, s.dir + "/.old.txt." + pid + ".tmp");
  EXPECT_EQ(name2, s.dir + "/.new.txt." + pid + ".tmp");
  std::ofstream(name1) << "one\n";
  std::ofstream(name2) << "two\n";
  EXPECT_EQ(text_of(old_file), "x\n");
  EXPECT_EQ(commit_outputs(run), "");
  EXPECT_EQ(text_of(old_file), "one\n");
  EXPECT_EQ(text_of(new_file), "two\n");
  struct stat st;
  ASSERT_EQ(stat(old_file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(entries(s.dir), (names{"new.txt", "old.txt"}));
}

TEST(StagedOutput, DiscardLeavesTheTargetsAsTheyWere) {
  scratch_t s;
  const std::string old_file = s.touch("old.txt");
  {
    staged_outputs_t run;
    std::ofstream a, b;
    ASSERT_TRUE(open_staged(run, old_file, a));
    ASSERT_TRUE(open_staged(run, s.dir + "/new.txt", b));
    a << "partial";
    b << "partial";
    EXPECT_EQ(entries(s.dir).size(), 3u);
  }
  EXPECT_EQ(text_of(old_file), "x\n");
  EXPECT_EQ(entries(s.dir), names{"old.txt"});
}

// An existing file that is not a regular one, and one in a directory that
// allows no new entry (as /proc), is written in place.
TEST(StagedOutput, WritesInPlaceWhatCannotBeReplaced) {
  staged_outputs_t run;
  std::string name;
  ASSERT_TRUE(stage_output(run, "/dev/null", name));
  EXPECT_EQ(name, "/dev/null");
  ASSERT_TRUE(stage_output(run, "/proc/self/comm", name));
  EXPECT_EQ(name, "/proc/self/comm");
  EXPECT_EQ(commit_outputs(run), "");
}

TEST(StagedOutput, RefusesWhatCannotBeWritten) {
  scratch_t s;
  staged_outputs_t run;
  std::string name;
  EXPECT_FALSE(stage_output(run, "", name));
  EXPECT_FALSE(stage_output(run, s.dir, name));
  EXPECT_FALSE(stage_output(run, s.dir + "/none/out.txt", name));
  EXPECT_FALSE(stage_output(run, "/proc/self/out.txt", name));
  EXPECT_TRUE(run.files.empty());
  EXPECT_TRUE(entries(s.dir).empty());
}
