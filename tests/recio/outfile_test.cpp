// Whole-file writes: complete or not at all, never through a planted file or link, failures
// said in one line; and the inputs that are refused before reading.
#include "recio/outfile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "recio/units.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

class WholeFile : public ::testing::Test {
 protected:
  fs::path dir;
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("ringdate_outfile_" + std::to_string(::getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  std::string at(const std::string& name) const { return (dir / name).string(); }
  std::vector<std::string> entries() const {
    std::vector<std::string> v;
    for (const auto& e : fs::directory_iterator(dir)) v.push_back(e.path().filename().string());
    std::sort(v.begin(), v.end());
    return v;
  }
};

// The file-size limit stands in for a full disk while `fn` runs.
template <class F>
void with_file_size_limit(rlim_t bytes, F fn) {
  struct rlimit old_limit {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old_limit;
  small.rlim_cur = bytes;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  fn();
  ::setrlimit(RLIMIT_FSIZE, &old_limit);
  std::signal(SIGXFSZ, old_handler);
}

TEST_F(WholeFile, WritesNewAndReplacesExistingWithTheUsualPermissions) {
  const mode_t old_mask = ::umask(022);
  EXPECT_TRUE(recio::write_whole_file(at("a.txt"), "first\n"));
  EXPECT_EQ(testing_support::slurp(at("a.txt")), "first\n");
  EXPECT_TRUE(recio::write_whole_file(at("a.txt"), "second, longer\n"));
  EXPECT_EQ(testing_support::slurp(at("a.txt")), "second, longer\n");
  EXPECT_TRUE(recio::write_whole_file(at("empty"), ""));
  EXPECT_EQ(fs::file_size(at("empty")), 0u);
  struct stat st {};
  ASSERT_EQ(::stat(at("a.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
  ::umask(old_mask);
  EXPECT_EQ(entries(), (std::vector<std::string>{"a.txt", "empty"}));  // no temporary left
}

TEST_F(WholeFile, ALinkAtThePredictableTemporaryNameIsNeverFollowed) {
  // The old temporary name was the target's name with ".tmp" and the process id.
  std::ofstream(at("victim")) << "precious\n";
  fs::create_symlink(at("victim"), at("out_COR.tmp" + std::to_string(::getpid())));
  EXPECT_TRUE(recio::write_whole_file(at("out_COR"), "data\n"));
  EXPECT_EQ(testing_support::slurp(at("victim")), "precious\n");
  EXPECT_EQ(testing_support::slurp(at("out_COR")), "data\n");
  // A link at the target itself is replaced as a name, its target left alone.
  fs::create_symlink(at("victim"), at("link"));
  EXPECT_TRUE(recio::write_whole_file(at("link"), "new\n"));
  EXPECT_FALSE(fs::is_symlink(at("link")));
  EXPECT_EQ(testing_support::slurp(at("victim")), "precious\n");
}

TEST_F(WholeFile, FailuresLeaveTheTargetAsItWasAndSayWhy) {
  std::ofstream(at("kept")) << "old content\n";
  // A write cut short (as on a full disk).
  recio::WriteResult cut;
  with_file_size_limit(1000,
                       [&] { cut = recio::write_whole_file(at("kept"), std::string(5000, 'x')); });
  EXPECT_FALSE(cut);
  EXPECT_EQ(cut.message, "cannot write the file " + at("kept") + ": File too large");
  EXPECT_EQ(testing_support::slurp(at("kept")), "old content\n");

  const recio::WriteResult nowhere = recio::write_whole_file(at("no/such/folder/x"), "x");
  EXPECT_FALSE(nowhere);
  EXPECT_EQ(nowhere.message,
            "cannot write the file " + at("no/such/folder/x") + ": No such file or directory");
  fs::create_directory(at("folder"));
  EXPECT_FALSE(recio::write_whole_file(at("folder"), "x"));
  EXPECT_TRUE(fs::is_directory(at("folder")));
  EXPECT_EQ(nowhere.message.find('\n'), std::string::npos);
  EXPECT_EQ(entries(), (std::vector<std::string>{"folder", "kept"}));
}

// A file written in pieces takes the target's place only when committed whole: until then
// the target is as it was, and a replacement dropped or cut short by a failed write leaves
// it so, with no temporary file behind.
TEST_F(WholeFile, AFileWrittenInPiecesReplacesTheTargetOnlyWhenCommittedWhole) {
  std::ofstream(at("out")) << "old\n";
  const std::string piece(700000, 'p');  // several steps of the writeback between them
  {
    recio::FileReplacement file(at("out"));
    file.append("first\n");
    file.append(piece);
    file.append(piece);
    EXPECT_EQ(testing_support::slurp(at("out")), "old\n");
    EXPECT_EQ(entries().size(), 2u);  // the target and the temporary file
    const recio::WriteResult done = file.commit();
    EXPECT_TRUE(done) << done.message;
    EXPECT_FALSE(file.commit());  // once only
  }
  EXPECT_EQ(testing_support::slurp(at("out")), "first\n" + piece + piece);
  EXPECT_EQ(entries(), std::vector<std::string>{"out"});

  {
    recio::FileReplacement dropped(at("out"));
    dropped.append("never\n");
  }
  EXPECT_EQ(testing_support::slurp(at("out")), "first\n" + piece + piece);
  EXPECT_EQ(entries(), std::vector<std::string>{"out"});

  std::ofstream(at("out")) << "old\n";
  recio::WriteResult cut;
  with_file_size_limit(1000000, [&] {
    recio::FileReplacement file(at("out"));
    file.append(piece);
    file.append(piece);  // passes the limit
    file.append("x\n");  // not written after the failure
    cut = file.commit();
  });
  EXPECT_FALSE(cut);
  EXPECT_EQ(cut.message, "cannot write the file " + at("out") + ": File too large");
  EXPECT_EQ(testing_support::slurp(at("out")), "old\n");
  EXPECT_EQ(entries(), std::vector<std::string>{"out"});

  recio::FileReplacement nameless("");
  nameless.append("x");
  EXPECT_EQ(nameless.commit().message, "cannot write a file without a name");
}

TEST_F(WholeFile, InputsThatAreNoRegularFileOrTooLargeAreRefused) {
  std::ofstream(at("small.rwl")) << "data\n";
  EXPECT_EQ(recio::input_file_problem(at("small.rwl")), "");
  EXPECT_EQ(recio::input_file_problem("/dev/zero"), "/dev/zero is not a regular file");
  EXPECT_EQ(recio::input_file_problem(at("missing")), "cannot open " + at("missing"));
  // A sparse file just over the limit costs no disk.
  {
    const int fd = ::open(at("huge.rwl").c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, recio::max_input_bytes + 1), 0);
    ::close(fd);
  }
  EXPECT_EQ(recio::input_file_problem(at("huge.rwl")), at("huge.rwl") + " is larger than 1 GB");
  // The file system's view: a missing file or a folder is left to the reading ("not found").
  recio::FileSystem& sys = recio::system_file_system();
  EXPECT_EQ(sys.reading_problem(at("missing")), "");
  EXPECT_EQ(sys.reading_problem(dir.string()), "");
  EXPECT_EQ(sys.reading_problem("/dev/zero"), "/dev/zero is not a regular file");
  EXPECT_FALSE(sys.read_bytes(at("huge.rwl")).has_value());
}

}  // namespace
