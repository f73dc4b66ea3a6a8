#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
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

// Writes `text` through a staged output's descriptor and closes it.
void write_fd(int fd, const std::string &text) {
  ASSERT_GE(fd, 0);
  EXPECT_EQ(write(fd, text.data(), text.size()), ssize_t(text.size()));
  close(fd);
}

struct stat stat_of(const std::string &path) {
  struct stat st {};
  stat(path.c_str(), &st);
  return st;
}

TEST(StagedOutput, CommitMovesEveryOutputIntoPlace) {
  scratch_t s;
  const std::string old_file = s.touch("old.txt", 0640);
  const std::string new_file = s.dir + "/new.txt";
  staged_outputs_t run;
  const int fd1 = stage_output(run, old_file);
  const int fd2 = stage_output(run, new_file);
  const std::string pid = std::to_string(getpid());
  ASSERT_EQ(run.files.size(), 2u);
  EXPECT_EQ(run.files[0].temp, s.dir + "/.old.txt." + pid + ".tmp");
  EXPECT_EQ(run.files[1].temp, s.dir + "/.new.txt." + pid + ".tmp");
  write_fd(fd1, "one\n");
  write_fd(fd2, "two\n");
  EXPECT_EQ(text_of(old_file), "x\n");
  EXPECT_EQ(commit_outputs(run), "");
  EXPECT_EQ(text_of(old_file), "one\n");
  EXPECT_EQ(text_of(new_file), "two\n");
  EXPECT_EQ(stat_of(old_file).st_mode & 07777, 0640u);
  EXPECT_EQ(entries(s.dir), (names{"new.txt", "old.txt"}));
}

TEST(StagedOutput, DiscardLeavesTheTargetsAsTheyWere) {
  scratch_t s;
  const std::string old_file = s.touch("old.txt");
  {
    staged_outputs_t run;
    staged_stream_t a, b;
    ASSERT_TRUE(open_staged(run, old_file, a));
    ASSERT_TRUE(open_staged(run, s.dir + "/new.txt", b));
    a.os << "partial";
    b.os << "partial";
    EXPECT_TRUE(close_staged(a));
    EXPECT_EQ(entries(s.dir).size(), 3u);
  }
  EXPECT_EQ(text_of(old_file), "x\n");
  EXPECT_EQ(entries(s.dir), names{"old.txt"});
}

// A temporary file is given the mode of the file it replaces only after it
// was made private; a new file keeps the mode its open always gave it.
TEST(StagedOutput, TemporaryFilesGetTheTargetsMode) {
  scratch_t s;
  const std::string old_file = s.touch("old.txt", 0604);
  const mode_t mask = umask(027);
  staged_outputs_t run;
  const int fd1 = stage_output(run, old_file);
  const int fd2 = stage_output(run, s.dir + "/new.txt");
  umask(mask);
  EXPECT_EQ(stat_of(run.files[0].temp).st_mode & 07777, 0604u);
  EXPECT_EQ(stat_of(run.files[1].temp).st_mode & 07777, 0640u);
  write_fd(fd1, "");
  write_fd(fd2, "");
}

// A name so long that `.<name>.<pid>.tmp` would pass the longest name the
// directory allows gets a short temporary name beside it.
TEST(StagedOutput, LongNameGetsAShortTemporaryName) {
  scratch_t s;
  const std::string target = s.dir + "/" + std::string(250, 'n');
  staged_outputs_t run;
  const int fd = stage_output(run, target);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(run.files[0].temp,
            s.dir + "/.venkari." + std::to_string(getpid()) + ".tmp");
  write_fd(fd, "long\n");
  EXPECT_EQ(commit_outputs(run), "");
  EXPECT_EQ(text_of(target), "long\n");
}

// `name` is `stem` followed by six letters or digits.
bool random_after(const std::string &name, const std::string &stem) {
  if (name.size() != stem.size() + 6 || name.compare(0, stem.size(), stem))
    return false;
  for (size_t i = stem.size(); i < name.size(); ++i)
    if (!isalnum(static_cast<unsigned char>(name[i])))
      return false;
  return true;
}

// Once the first temporary name is taken, the next one cannot be guessed;
// near the longest name it is the short one, so that it still fits.
TEST(StagedOutput, TakenFirstNameIsFollowedByARandomOne) {
  scratch_t s;
  const std::string pid = std::to_string(getpid());
  const std::string old_file = s.touch("old.txt");
  const std::string taken = s.touch(".old.txt." + pid + ".tmp");
  const std::string near = std::string(253 - 6 - pid.size(), 'n');
  const std::string near_taken = s.touch("." + near + "." + pid + ".tmp");
  staged_outputs_t run;
  const int fd1 = stage_output(run, old_file);
  const int fd2 = stage_output(run, s.dir + "/" + near);
  ASSERT_EQ(run.files.size(), 2u);
  EXPECT_TRUE(random_after(run.files[0].temp, taken)) << run.files[0].temp;
  EXPECT_TRUE(
      random_after(run.files[1].temp, s.dir + "/.venkari." + pid + ".tmp"))
      << run.files[1].temp;
  write_fd(fd1, "one\n");
  write_fd(fd2, "two\n");
  EXPECT_EQ(commit_outputs(run), "");
  EXPECT_EQ(text_of(old_file), "one\n");
  EXPECT_EQ(text_of(s.dir + "/" + near), "two\n");
  EXPECT_EQ(text_of(taken), "x\n");
  EXPECT_EQ(entries(s.dir).size(), 4u);
}

// An existing file that is not a regular one, and one in a directory that
// allows no new entry (as /proc), is written in place.
TEST(StagedOutput, WritesInPlaceWhatCannotBeReplaced) {
  staged_outputs_t run;
  const int null_fd = stage_output(run, "/dev/null");
  const int comm_fd = stage_output(run, "/proc/self/comm");
  ASSERT_EQ(run.files.size(), 2u);
  EXPECT_EQ(run.files[0].temp, "");
  EXPECT_EQ(run.files[1].temp, "");
  write_fd(null_fd, "");
  write_fd(comm_fd, "");
  EXPECT_EQ(commit_outputs(run), "");
}

// Both names of a file with a hard link see what the run wrote: it is
// truncated when staged and written in place.
TEST(StagedOutput, HardLinkedFileIsWrittenInPlace) {
  scratch_t s;
  const std::string target = s.touch("out.txt");
  const std::string other = s.dir + "/other.txt";
  ASSERT_EQ(link(target.c_str(), other.c_str()), 0);
  staged_outputs_t run;
  const int fd = stage_output(run, target);
  EXPECT_EQ(run.files[0].temp, "");
  EXPECT_EQ(text_of(other), "");
  write_fd(fd, "new\n");
  EXPECT_EQ(commit_outputs(run), "");
  EXPECT_EQ(text_of(target), "new\n");
  EXPECT_EQ(text_of(other), "new\n");
  EXPECT_EQ(entries(s.dir), (names{"other.txt", "out.txt"}));
}

// A file of another user keeps its owner, and one of ours its group.
TEST(StagedOutput, KeepsOwnerAndGroup) {
  if (geteuid() != 0)
    GTEST_SKIP() << "needs root to give files away";
  scratch_t s;
  const std::string theirs = s.touch("theirs.txt");
  const std::string grouped = s.touch("grouped.txt");
  const uid_t nobody = 65534;
  ASSERT_EQ(chown(theirs.c_str(), nobody, nobody), 0);
  ASSERT_EQ(chown(grouped.c_str(), uid_t(-1), nobody), 0);
  staged_outputs_t run;
  const int fd1 = stage_output(run, theirs);
  const int fd2 = stage_output(run, grouped);
  EXPECT_EQ(run.files[0].temp, "");
  EXPECT_NE(run.files[1].temp, "");
  write_fd(fd1, "one\n");
  write_fd(fd2, "two\n");
  EXPECT_EQ(commit_outputs(run), "");
  EXPECT_EQ(text_of(theirs), "one\n");
  EXPECT_EQ(stat_of(theirs).st_uid, nobody);
  EXPECT_EQ(text_of(grouped), "two\n");
  EXPECT_EQ(stat_of(grouped).st_gid, nobody);
}

// What a process ending with _exit calls: every temporary file goes, the
// targets stay.
TEST(StagedOutput, RemoveStagedTempsLeavesTheTargets) {
  scratch_t s;
  const std::string old_file = s.touch("old.txt");
  staged_outputs_t run;
  write_fd(stage_output(run, old_file), "partial");
  write_fd(stage_output(run, s.dir + "/new.txt"), "partial");
  remove_staged_temps();
  EXPECT_EQ(entries(s.dir), names{"old.txt"});
  EXPECT_EQ(text_of(old_file), "x\n");
}

TEST(StagedOutput, RefusesWhatCannotBeWritten) {
  scratch_t s;
  staged_outputs_t run;
  EXPECT_EQ(stage_output(run, ""), -1);
  EXPECT_EQ(stage_output(run, s.dir), -1);
  EXPECT_EQ(stage_output(run, s.dir + "/none/out.txt"), -1);
  EXPECT_EQ(stage_output(run, "/proc/self/out.txt"), -1);
  // Found before any work, not at the rename.
  EXPECT_EQ(stage_output(run, s.dir + "/" + std::string(NAME_MAX + 1, 'n')),
            -1);
  EXPECT_EQ(errno, ENAMETOOLONG);
  EXPECT_TRUE(run.files.empty());
  EXPECT_TRUE(entries(s.dir).empty());
}
