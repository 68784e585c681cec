// Hostile inputs against the whole program: each case names the file it is given, the
// answers typed and the expected reaction (a refusal, or normal reading with the corrected
// file written), and checks that no file but the corrected one is created or changed and
// that an existing corrected file is replaced whole or kept whole.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "main/driver.h"
#include "recio/units.h"
#include "support/test_support.h"

namespace {

using testing_support::Exited;
using testing_support::MemoryFileSystem;
using testing_support::ScriptConsole;

using testing_support::tucson_line;

// Two short measurement series, hundredths and thousandths.
std::string small_rwl() {
  return tucson_line("AB01", 1655, {120, 130, 140, 150, 160}) +
         tucson_line("AB01", 1660, {101, 102, 103, 999}) +
         tucson_line("AB02", 1650, {1200, 1300, 1400, 1500, 1600, 1700, 1800, 1900, 2000, 2100}) +
         tucson_line("AB02", 1660, {2200, -9999});
}

// Answers that reach the format menu whatever the guess (an "N" is refused by the menu and
// declines a Tucson question), choose Tucson measurements, decline the spline, pick nothing
// and acknowledge the goodbye.
const std::vector<std::string> read_and_leave = {"N", "1", "N", "", "", ""};

struct Result {
  bool ended = false;
  int status = -1;
  std::string output, errors;
};

Result run(recio::FileSystem& fs, const std::string& name, std::vector<std::string> answers) {
  answers.insert(answers.begin(), name);
  ScriptConsole console(answers);
  Result r;
  try {
    auto program = std::make_unique<ringdate::Program>(console, fs);
    program->run();
  } catch (const Exited& e) {
    r.ended = true;
    r.status = e.status;
  }
  r.output = console.output;
  r.errors = console.errors;
  return r;
}

bool listed(const Result& r) {
  return r.output.find("TREE-RING SERIES READ IN FOR EXAMINATION") != std::string::npos;
}

// The corrected file is whole: its first line names it and every series ends with its
// end marker on the last line.
void expect_whole_corrected(const std::string& content, const std::string& name, int nseries) {
  ASSERT_EQ(content.rfind("CORRECTED RING-WIDTH DATA: " + name, 0), 0u) << content.substr(0, 80);
  ASSERT_FALSE(content.empty());
  EXPECT_EQ(content.back(), '\n');
  int ends = 0;
  for (std::size_t p = content.find("-9999"); p != std::string::npos;
       p = content.find("-9999", p + 1))
    ++ends;
  EXPECT_EQ(ends, nseries) << content;
}

enum class Reaction { refused, read };

struct HostileCase {
  const char* what;
  std::function<std::string()> content;
  std::vector<std::string> answers;
  Reaction reaction;
  const char* message;  // expected on the console or the error stream ("" for none)
  int nseries;          // series in the corrected file when read
};

std::string binary_bytes() {
  std::string s;
  for (int i = 0; i < 4096; ++i) s += static_cast<char>((i * 7 + i / 256) & 0xff);
  return s;
}

TEST(HostileInput, EachFileGetsItsReactionAndTouchesNoOtherFile) {
  const std::vector<HostileCase> cases = {
      {"empty file", [] { return std::string(); }, {"1", ""}, Reaction::refused, "NC .LE. 0", 0},
      {"binary file", binary_bytes, read_and_leave, Reaction::refused, "", 0},
      {"10 MB single line without a line end", [] { return std::string(10u << 20, 'x'); },
       read_and_leave, Reaction::refused, "NC .LE. 0", 0},
      {"10 MB header line before the series",
       [] { return std::string(10u << 20, 'H') + "\r\n" + small_rwl(); }, read_and_leave,
       Reaction::read, "", 2},
      {"10 MB of blanks closing the last line",
       [] { return small_rwl() + std::string(10u << 20, ' '); }, read_and_leave, Reaction::read, "",
       2},
      {"NUL bytes inside the data lines",
       [] {
         std::string s = small_rwl();
         s[2] = '\0';
         return s;
       },
       read_and_leave, Reaction::read, "", 2},
      {"CR-only line ends",
       [] {
         std::string s = small_rwl();
         for (char& c : s)
           if (c == '\n') c = '\r';
         return s;
       },
       read_and_leave, Reaction::read, "", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    MemoryFileSystem fs;
    const std::string data = c.content();
    fs.files["d.rwl"] = data;
    fs.files["other.rwl"] = "left alone\n";
    const Result r = run(fs, "d.rwl", c.answers);
    EXPECT_TRUE(r.ended);
    if (*c.message) {
      EXPECT_NE((r.output + r.errors).find(c.message), std::string::npos) << r.output << r.errors;
    }
    EXPECT_EQ(fs.files["d.rwl"], data);
    EXPECT_EQ(fs.files["other.rwl"], "left alone\n");
    if (c.reaction == Reaction::refused) {
      EXPECT_FALSE(listed(r));
      EXPECT_EQ(fs.files.size(), 2u);
    } else {
      EXPECT_TRUE(listed(r)) << r.output;
      EXPECT_EQ(r.status, 0);
      ASSERT_EQ(fs.files.size(), 3u);
      ASSERT_TRUE(fs.files.count("d.rwl_COR"));
      expect_whole_corrected(fs.files["d.rwl_COR"], "d.rwl_COR", c.nseries);
    }
  }
}

// A file of tab-separated decade lines below three header lines: the header lines are
// text, the decade lines are read by their fields, and the corrected file has them in the
// fixed columns.
TEST(HostileInput, TabSeparatedFileIsReadByItsFields) {
  const std::string dir = testing_support::shared_dir();
  if (dir.empty()) GTEST_SKIP() << "no shared data";
  const std::string data = testing_support::slurp(dir + "/data/real/test1.txt");
  if (data.empty()) GTEST_SKIP() << "test1.txt missing";
  MemoryFileSystem fs;
  fs.files["test1.txt"] = data;
  const Result r = run(fs, "test1.txt", read_and_leave);
  EXPECT_TRUE(r.ended);
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(listed(r)) << r.output;
  EXPECT_NE(r.output.find("     2 series from   1491 to   1944     454 years"), std::string::npos)
      << r.output;
  EXPECT_EQ(fs.files["test1.txt"], data);
  ASSERT_EQ(fs.files.size(), 2u);
  const std::string cor = fs.files["test1.txt_COR"];
  expect_whole_corrected(cor, "test1.txt_COR", 2);
  EXPECT_EQ(cor.find('\t'), std::string::npos);
  EXPECT_NE(cor.find("\n107011  1923   910   920   380   100   230   430   120\n"),
            std::string::npos)
      << cor;
  EXPECT_NE(cor.find("\n107012  1510   220   450   120   340 -9999\n"), std::string::npos) << cor;
}

// A file system whose data file vanishes once it has been read (deleted, or its disk
// unplugged, after the open) or cannot be read at all.
class VanishingFileSystem : public MemoryFileSystem {
 public:
  std::optional<std::string> read_file(const std::string& name) override {
    if (name == unreadable) return std::nullopt;
    auto got = MemoryFileSystem::read_file(name);
    if (got) files.erase(name);
    return got;
  }
  std::string unreadable;
};

TEST(HostileInput, FileThatVanishesAfterTheOpenIsReadAsOpened) {
  VanishingFileSystem fs;
  fs.files["v.rwl"] = small_rwl();
  const Result r = run(fs, "v.rwl", read_and_leave);
  EXPECT_TRUE(r.ended);
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(listed(r));
  EXPECT_FALSE(fs.files.count("v.rwl"));
  ASSERT_TRUE(fs.files.count("v.rwl_COR"));
  expect_whole_corrected(fs.files["v.rwl_COR"], "v.rwl_COR", 2);
}

TEST(HostileInput, UnreadableFileIsReportedAndAskedAgain) {
  VanishingFileSystem fs;
  fs.files["u.rwl"] = small_rwl();
  fs.unreadable = "u.rwl";
  const Result r = run(fs, "u.rwl", {"/", ""});
  EXPECT_TRUE(r.ended);
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.output.find("FILE NOT FOUND: u.rwl"), std::string::npos);
  EXPECT_EQ(fs.files.size(), 1u);
}

// The corrected file cannot be written (a read-only folder, a full disk): the program says
// so and ends with a failure status, and an earlier corrected file stays as it was.
TEST(HostileInput, UnwritableCorrectedFileIsReportedAndTheOldOneKept) {
  {
    MemoryFileSystem fs;
    fs.files["a.rwl"] = small_rwl();
    fs.fail_writes = true;
    const Result r = run(fs, "a.rwl", read_and_leave);
    EXPECT_TRUE(r.ended);
    EXPECT_NE(r.status, 0);
    EXPECT_NE((r.output + r.errors).find("Could not write the corrected file: a.rwl_COR"),
              std::string::npos)
        << r.output << r.errors;
    EXPECT_EQ(fs.files["a.rwl"], small_rwl());
    EXPECT_EQ(fs.files.size(), 1u);
  }
  // An earlier corrected file is not replaced by a session without corrections, so nothing
  // is written and nothing fails.
  MemoryFileSystem fs;
  fs.files["a.rwl"] = small_rwl();
  fs.files["a.rwl_COR"] = "EARLIER CORRECTED FILE\n";
  fs.fail_writes = true;
  const Result r = run(fs, "a.rwl", read_and_leave);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(fs.files["a.rwl_COR"], "EARLIER CORRECTED FILE\n");
  EXPECT_EQ(fs.files.size(), 2u);
}

TEST(HostileInput, EndOfInputAfterReadingStillWritesOrReports) {
  for (bool full : {false, true}) {
    SCOPED_TRACE(full ? "disk full" : "disk fine");
    MemoryFileSystem fs;
    fs.files["a.rwl"] = small_rwl();
    fs.fail_writes = full;
    const Result r = run(fs, "a.rwl", {"N", "1"});  // input ends at the spline question
    EXPECT_TRUE(r.ended);
    EXPECT_NE(r.status, 0);
    if (full) {
      EXPECT_NE((r.output + r.errors).find("Could not write the corrected file"),
                std::string::npos);
      EXPECT_EQ(fs.files.size(), 1u);
    } else {
      ASSERT_TRUE(fs.files.count("a.rwl_COR"));
      expect_whole_corrected(fs.files["a.rwl_COR"], "a.rwl_COR", 2);
    }
  }
}

TEST(HostileInput, EarlierCorrectedFileIsKeptBySessionWithoutCorrections) {
  MemoryFileSystem fs;
  fs.files["a.rwl"] = small_rwl();
  fs.files["a.rwl_COR"] = std::string(100000, 'Z') + "\n";
  const Result r = run(fs, "a.rwl", read_and_leave);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(fs.files["a.rwl_COR"], std::string(100000, 'Z') + "\n");
}

// The real file system, through the built program.

namespace fs = std::filesystem;

class ProgramInFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(testing_support::program_path())) GTEST_SKIP() << "program not built";
    dir_ = fs::temp_directory_path() /
           ("ringdate_hostile_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    if (!dir_.empty()) fs::remove_all(dir_);
  }
  void put(const std::string& name, const std::string& content) {
    std::ofstream(dir_ / name, std::ios::binary) << content;
  }
  // Runs the program in the folder; its exit status.
  int run_program(const std::vector<std::string>& answers) {
    std::string in;
    for (const auto& a : answers) in += a + "\n";
    std::ofstream((dir_.parent_path() / (dir_.filename().string() + ".in")), std::ios::binary)
        << in;
    const std::string cmd = "cd '" + dir_.string() + "' && '" + testing_support::program_path() +
                            "' < '" + dir_.string() + ".in' > '" + dir_.string() + ".out' 2>&1";
    const int rc = std::system(cmd.c_str());
    output_ = testing_support::slurp(dir_.string() + ".out");
    fs::remove(dir_.string() + ".in");
    fs::remove(dir_.string() + ".out");
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  }
  std::vector<std::string> entries() const {
    std::vector<std::string> v;
    for (const auto& e : fs::directory_iterator(dir_)) v.push_back(e.path().filename().string());
    std::sort(v.begin(), v.end());
    return v;
  }
  fs::path dir_;
  std::string output_;
};

TEST_F(ProgramInFolder, CorrectedNameTakenByAFolderIsReportedAndNothingLeftBehind) {
  put("a.rwl", small_rwl());
  fs::create_directory(dir_ / "a.rwl_COR");
  const std::vector<std::string> answers = {"a.rwl", "N", "1", "N", "", ""};
  EXPECT_NE(run_program(answers), 0) << output_;
  EXPECT_NE(output_.find("Could not write the corrected file: a.rwl_COR"), std::string::npos)
      << output_;
  EXPECT_TRUE(fs::is_directory(dir_ / "a.rwl_COR"));
  EXPECT_TRUE(fs::is_empty(dir_ / "a.rwl_COR"));
  EXPECT_EQ(entries(), (std::vector<std::string>{"a.rwl", "a.rwl_COR"}));  // no temporary file left
  EXPECT_EQ(testing_support::slurp((dir_ / "a.rwl").string()), small_rwl());
}

TEST_F(ProgramInFolder, EarlierCorrectedFileIsReplacedWholeAndNoTemporaryRemains) {
  put("pine.rwl", testing_support::slurp(testing_support::source_dir() + "/examples/pine.rwl"));
  put("pine.rwl_COR", std::string(50000, 'Z') + "\n");
  // The insert that mends PIN04A, then the normal way out.
  EXPECT_EQ(run_program({"pine.rwl", "", "N", "5", "1", "", "", "", "I", "1", "1904", "B", "", ""}),
            0)
      << output_;
  for (const std::string& e : entries()) EXPECT_EQ(e.find(".tmp"), std::string::npos) << e;
  const std::string cor = testing_support::slurp((dir_ / "pine.rwl_COR").string());
  EXPECT_EQ(cor.find('Z'), std::string::npos);
  expect_whole_corrected(cor, "pine.rwl_COR", 6);
}

TEST_F(ProgramInFolder, SystemReplaceFailsCleanlyWhereItCannotWrite) {
  recio::FileSystem& sys = recio::system_file_system();
  EXPECT_FALSE(sys.replace_file((dir_ / "missing_folder" / "x_COR").string(), "data\n"));
  EXPECT_FALSE(fs::exists(dir_ / "missing_folder"));
  fs::create_directory(dir_ / "taken");
  EXPECT_FALSE(sys.replace_file((dir_ / "taken").string(), "data\n"));
  EXPECT_TRUE(fs::is_directory(dir_ / "taken"));
  EXPECT_EQ(entries(), (std::vector<std::string>{"taken"}));
}

}  // namespace
