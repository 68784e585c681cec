// File units: line ends, reading positions, committing written units, the real file system.
#include "recio/units.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "recio/layout.h"
#include "support/test_support.h"

namespace {

using recio::Outcome;
using recio::Status;
using recio::Units;
using testing_support::MemoryFileSystem;

TEST(SplitRecords, EveryLineEndEndsARecord) {
  struct {
    const char* content;
    std::vector<std::string> records;
  } cases[] = {
      {"", {}},
      {"\n", {""}},
      {"a", {"a"}},
      {"a\nb\n", {"a", "b"}},
      {"a\nb", {"a", "b"}},  // last line without a line end
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},  // old Macintosh
      {"a\r\r\nb\r\r\n", {"a", "b"}},
      {"a\n\nb", {"a", "", "b"}},
      {"a\r\rb", {"a", "", "b"}},  // two lone CRs: an empty line between
      {"a\r\n\r\nb", {"a", "", "b"}},
      {"\r", {""}},
      {"x\r\r", {"x", ""}},
  };
  for (const auto& c : cases) EXPECT_EQ(recio::split_records(c.content), c.records) << c.content;
}

TEST(SplitRecords, RealFileWithCrCrLfHasNoCr) {
  std::string dir = testing_support::shared_dir();
  if (dir.empty()) GTEST_SKIP() << "no shared data";
  std::string path = dir + "/data/real/TTHH_raw.txt";
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "no " << path;
  std::string content = testing_support::slurp(path);
  size_t lf = std::count(content.begin(), content.end(), '\n');
  Units units;
  ASSERT_TRUE(units.open(10, path, Status::old));
  std::string rec;
  size_t n = 0;
  while (units.read_line(10, rec) == Outcome::ok) {
    EXPECT_EQ(rec.find('\r'), std::string::npos) << "record " << n + 1;
    ++n;
  }
  bool ends_with_line_end = !content.empty() && (content.back() == '\n' || content.back() == '\r');
  EXPECT_EQ(n, lf + (ends_with_line_end ? 0 : 1));
}

class UnitsTest : public ::testing::Test {
 protected:
  MemoryFileSystem fs;
  Units units{fs};
};

TEST_F(UnitsTest, OldFailsWhenMissing) {
  EXPECT_FALSE(units.open(10, "missing", Status::old));
  EXPECT_FALSE(units.is_open(10));
  std::string rec;
  EXPECT_EQ(units.read_line(10, rec), Outcome::error);
}

TEST_F(UnitsTest, ReadBackspaceRewindEof) {
  fs.files["f"] = "one\ntwo\r\nthree";
  ASSERT_TRUE(units.open(10, "f", Status::old));
  EXPECT_EQ(units.name(10), "f");
  std::string rec;
  ASSERT_EQ(units.read_line(10, rec), Outcome::ok);
  EXPECT_EQ(rec, "one");
  ASSERT_EQ(units.read_line(10, rec), Outcome::ok);
  EXPECT_EQ(rec, "two");
  units.backspace(10);
  ASSERT_EQ(units.read_line(10, rec), Outcome::ok);
  EXPECT_EQ(rec, "two");
  ASSERT_EQ(units.read_line(10, rec), Outcome::ok);
  EXPECT_EQ(rec, "three");
  EXPECT_EQ(units.read_line(10, rec), Outcome::eof);
  EXPECT_EQ(units.read_line(10, rec), Outcome::eof);  // stays at the end
  units.backspace(10);                                // after the end: back to the last record
  ASSERT_EQ(units.read_line(10, rec), Outcome::ok);
  EXPECT_EQ(rec, "three");
  units.rewind(10);
  ASSERT_EQ(units.read_line(10, rec), Outcome::ok);
  EXPECT_EQ(rec, "one");
  units.rewind(10);
  units.backspace(10);  // at the start: stays there
  ASSERT_EQ(units.read_line(10, rec), Outcome::ok);
  EXPECT_EQ(rec, "one");
}

TEST_F(UnitsTest, StepsBackMoreThanOnceInARow) {
  fs.files["f"] = "one\r\ntwo\rthree\r\r\nfour";
  ASSERT_TRUE(units.open(10, "f", Status::old));
  std::string rec;
  for (int k = 0; k < 4; ++k) ASSERT_EQ(units.read_line(10, rec), Outcome::ok);
  EXPECT_EQ(rec, "four");
  for (const char* want : {"four", "three", "two", "one"}) {
    units.backspace(10);
    ASSERT_EQ(units.read_line(10, rec), Outcome::ok);
    EXPECT_EQ(rec, want);
    units.backspace(10);
  }
  units.backspace(10);  // at the start: stays there
  ASSERT_EQ(units.read_line(10, rec), Outcome::ok);
  EXPECT_EQ(rec, "one");
  // Three steps back after the end of the file land on the second record.
  while (units.read_line(10, rec) == Outcome::ok) {
  }
  for (int k = 0; k < 3; ++k) units.backspace(10);
  ASSERT_EQ(units.read_line(10, rec), Outcome::ok);
  EXPECT_EQ(rec, "two");
}

TEST_F(UnitsTest, EmptyFileHasNoRecords) {
  fs.files["e"] = "";
  ASSERT_TRUE(units.open(10, "e", Status::old));
  std::string rec;
  EXPECT_EQ(units.read_line(10, rec), Outcome::eof);
}

TEST_F(UnitsTest, LayoutReadsContinueOnFollowingRecords) {
  fs.files["f"] = "   1   2\n   3\nnext\n";
  ASSERT_TRUE(units.open(10, "f", Status::old));
  int32_t a, b, c;
  static const recio::Layout l = recio::Layout::fixed("(2I4)");
  ASSERT_EQ(recio::read(l, units.source(10), {a, b, c}), Outcome::ok);
  EXPECT_EQ(a + b * 10 + c * 100, 321);
  std::string rec;
  ASSERT_EQ(units.read_line(10, rec), Outcome::ok);
  EXPECT_EQ(rec, "next");
  // A read error leaves the unit after the bad record; one step back reads it again.
  fs.files["g"] = "  12\n  x1\n";
  ASSERT_TRUE(units.open(11, "g", Status::old));
  static const recio::Layout i4 = recio::Layout::fixed("(I4)");
  ASSERT_EQ(recio::read(i4, units.source(11), {a}), Outcome::ok);
  EXPECT_EQ(recio::read(i4, units.source(11), {a}), Outcome::error);
  EXPECT_EQ(a, 12);
  units.backspace(11);
  ASSERT_EQ(units.read_line(11, rec), Outcome::ok);
  EXPECT_EQ(rec, "  x1");
}

TEST_F(UnitsTest, WrittenUnitCommitsOnClose) {
  fs.files["out"] = "old content\n";
  ASSERT_TRUE(units.open(12, "out", Status::unknown));
  units.write_line(12, "CORRECTED RING-WIDTH DATA: x");
  units.write_line(12, "");
  units.write_line(12, "ABC01   1900   100");
  EXPECT_EQ(fs.files["out"], "old content\n");  // nothing until closed
  std::string rec;
  EXPECT_EQ(units.read_line(12, rec), Outcome::error);  // not open for reading
  EXPECT_TRUE(units.close(12));
  EXPECT_FALSE(units.is_open(12));
  EXPECT_EQ(fs.files["out"], "CORRECTED RING-WIDTH DATA: x\n\nABC01   1900   100\n");
  EXPECT_TRUE(units.close(12));  // not open: nothing happens
}

TEST_F(UnitsTest, WritersAppendRecordsToTheOutputInPlace) {
  EXPECT_EQ(units.output(12), nullptr);  // not open
  fs.files["in"] = "a\n";
  ASSERT_TRUE(units.open(10, "in", Status::old));
  EXPECT_EQ(units.output(10), nullptr);  // open for reading
  ASSERT_TRUE(units.open(12, "out", Status::unknown));
  units.write_line(12, "first");
  recio::Text* out = units.output(12);
  ASSERT_NE(out, nullptr);
  *out += "second\n";
  units.write_line(12, "third");
  EXPECT_TRUE(units.close(12));
  EXPECT_EQ(fs.files["out"], "first\nsecond\nthird\n");
}

TEST_F(UnitsTest, EmptyWrittenUnitMakesEmptyFile) {
  ASSERT_TRUE(units.open(12, "out", Status::unknown));
  EXPECT_TRUE(units.close(12));
  EXPECT_EQ(fs.files.at("out"), "");
}

TEST_F(UnitsTest, FailedCommitIsReportedAndLeavesFile) {
  fs.files["out"] = "keep\n";
  fs.fail_writes = true;
  ASSERT_TRUE(units.open(12, "out", Status::unknown));
  units.write_line(12, "new");
  EXPECT_FALSE(units.close(12));
  EXPECT_EQ(fs.files["out"], "keep\n");
}

TEST_F(UnitsTest, CloseWithDeleteRemoves) {
  fs.files["out"] = "x\n";
  ASSERT_TRUE(units.open(12, "out", Status::unknown));
  units.write_line(12, "y");
  EXPECT_TRUE(units.close(12, true));
  EXPECT_EQ(fs.files.count("out"), 0u);
  ASSERT_TRUE(units.open(12, "never-written", Status::unknown));
  EXPECT_TRUE(units.close(12, true));  // nothing there to remove is fine
}

TEST_F(UnitsTest, CloseAllCommitsAndNamesFailures) {
  fs.files["in"] = "a\n";
  ASSERT_TRUE(units.open(10, "in", Status::old));
  ASSERT_TRUE(units.open(12, "out", Status::unknown));
  units.write_line(12, "z");
  EXPECT_TRUE(units.close_all().empty());
  EXPECT_EQ(fs.files["out"], "z\n");
  EXPECT_FALSE(units.is_open(10));
  ASSERT_TRUE(units.open(12, "out2", Status::unknown));
  fs.fail_writes = true;
  EXPECT_EQ(units.close_all(), std::vector<std::string>{"out2"});
}

// Records sent on before the unit is closed reach the file in order with those written
// around them, and only at the close; a failed commit or a unit dropped or removed leaves
// the file as it was.
TEST_F(UnitsTest, SentRecordsReplaceTheFileOnlyAtTheClose) {
  fs.files["out"] = "old\n";
  ASSERT_TRUE(units.open(12, "out", Status::unknown));
  units.write_line(12, "title");
  units.send(12, "a\nb\n");
  EXPECT_TRUE(units.output(12)->empty());  // what it held went with the piece
  units.write_line(12, "c");
  units.send(12, "d\n");
  units.write_line(12, "e");
  EXPECT_EQ(fs.files["out"], "old\n");
  EXPECT_TRUE(units.close(12));
  EXPECT_EQ(fs.files["out"], "title\na\nb\nc\nd\ne\n");

  fs.fail_writes = true;
  ASSERT_TRUE(units.open(12, "out", Status::unknown));
  units.send(12, "lost\n");
  EXPECT_FALSE(units.close(12));
  fs.fail_writes = false;
  ASSERT_TRUE(units.open(12, "out", Status::unknown));
  units.send(12, "removed\n");
  EXPECT_TRUE(units.close(12, true));
  EXPECT_EQ(fs.files.count("out"), 0u);
  fs.files["out"] = "old\n";
  {
    recio::Units dropped(fs);
    ASSERT_TRUE(dropped.open(12, "out", Status::unknown));
    dropped.send(12, "dropped\n");
  }
  EXPECT_EQ(fs.files["out"], "old\n");
  units.send(12, "x\n");  // not open: nothing happens
  units.send(10, "x\n");
  EXPECT_EQ(fs.files.count("x"), 0u);
}

TEST_F(UnitsTest, ReopeningClosesFirst) {
  ASSERT_TRUE(units.open(12, "a", Status::unknown));
  units.write_line(12, "first");
  ASSERT_TRUE(units.open(12, "b", Status::unknown));
  EXPECT_EQ(fs.files["a"], "first\n");
  EXPECT_EQ(units.name(12), "b");
}

// Reading stays linear in the size of the file: the bytes examined to find the records
// stay a small multiple of the bytes read, for every line-end convention and every way of
// reading. A scanner made anew for every record searches a file without CR to its end for
// every record, and counting the records again from the start after a step back costs the
// whole file read so far.
class LinearReading : public ::testing::Test {
 protected:
  MemoryFileSystem fs;

  // A file of many records of varying length (some empty) with the given line ends, taken
  // in turn; without a final line end when `final_end` is false.
  static std::string many_records(const std::vector<std::string>& ends, bool final_end) {
    std::string content;
    for (int k = 0; k < 3000; ++k) {
      if (k % 11 != 5) content += "REC" + std::to_string(k) + std::string(k % 37, 'x');
      if (k < 2999 || final_end) content += ends[static_cast<size_t>(k) % ends.size()];
    }
    return content;
  }

  // Reads the next record and checks it against the record it must be.
  static void expect_record(Units& units, const std::vector<std::string>& want, size_t& next) {
    std::string rec;
    ASSERT_LT(next, want.size());
    ASSERT_EQ(units.read_line(10, rec), Outcome::ok) << "record " << next + 1;
    ASSERT_EQ(rec, want[next]) << "record " << next + 1;
    ++next;
  }
};

TEST_F(LinearReading, EveryLineEndAndEveryWayOfReading) {
  const struct {
    const char* name;
    std::vector<std::string> ends;
    bool final_end;
  } conventions[] = {
      {"LF", {"\n"}, true},
      {"CR", {"\r"}, true},
      {"CR LF", {"\r\n"}, true},
      {"CR CR LF", {"\r\r\n"}, true},
      {"mixed", {"\n", "\r\n", "\r", "\r\r\n", "\n"}, true},
      {"LF, no final line end", {"\n"}, false},
      {"CR, no final line end", {"\r"}, false},
  };
  enum Way { sequential, backspace, rewind, reopen };
  for (const auto& c : conventions) {
    const std::string content = many_records(c.ends, c.final_end);
    const std::vector<std::string> want = recio::split_records(content);
    ASSERT_GE(want.size(), 3000u) << c.name;
    fs.files["f"] = content;
    for (Way way : {sequential, backspace, rewind, reopen}) {
      static const char* const way_names[] = {"sequential", "backspace", "rewind", "reopen"};
      SCOPED_TRACE(std::string(c.name) + ", " + way_names[way]);
      Units units{fs};
      ASSERT_TRUE(units.open(10, "f", Status::old));
      size_t next = 0;
      double passes = 1;  // how many times the file's records are read, about
      switch (way) {
        case sequential:
          while (next < want.size()) expect_record(units, want, next);
          break;
        case backspace:
          // Every record read twice; every tenth time three records back as well.
          passes = 2.4;
          for (int step = 1; next < want.size(); ++step) {
            expect_record(units, want, next);
            units.backspace(10);
            --next;
            expect_record(units, want, next);
            if (step % 10 == 0 && next >= 3) {
              for (int k = 0; k < 3; ++k) units.backspace(10);
              next -= 3;
            }
          }
          break;
        case rewind:
          passes = 2.5;
          while (next < want.size()) expect_record(units, want, next);
          units.rewind(10);
          next = 0;
          while (next < want.size() / 2) expect_record(units, want, next);
          units.rewind(10);
          next = 0;
          while (next < want.size()) expect_record(units, want, next);
          break;
        case reopen:
          passes = 1.5;
          while (next < want.size() / 2) expect_record(units, want, next);
          ASSERT_TRUE(units.open(10, "f", Status::old));
          next = 0;
          while (next < want.size()) expect_record(units, want, next);
          break;
      }
      if (::testing::Test::HasFatalFailure()) return;
      std::string rec;
      EXPECT_EQ(units.read_line(10, rec), Outcome::eof);
      EXPECT_LE(static_cast<double>(units.bytes_scanned()),
                3.0 * passes * static_cast<double>(content.size()));
      EXPECT_GT(units.bytes_scanned(), 0u);
    }
  }
}

// Writing stays linear too: the text of a written unit grows by doubling, so the records
// already written are copied a bounded number of times (a growth by a fixed amount would
// copy the whole text again for every few records).
TEST_F(UnitsTest, WrittenTextGrowsGeometrically) {
  ASSERT_TRUE(units.open(12, "out", Status::unknown));
  const std::string record(70, 'x');
  size_t capacity = units.output(12)->capacity(), growths = 0;
  for (int k = 0; k < 100000; ++k) {
    if (k % 2)
      units.write_line(12, record);
    else
      units.output(12)->append(record).push_back('\n');  // as the fast writers do
    if (units.output(12)->capacity() != capacity) ++growths;
    capacity = units.output(12)->capacity();
  }
  EXPECT_EQ(units.output(12)->size(), 100000u * 71u);
  EXPECT_LE(growths, 40u);
}

class SystemFileSystemTest : public ::testing::Test {
 protected:
  std::filesystem::path dir;
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() / ("recio_units_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::permissions(dir, std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(dir, ec);
  }
};

TEST_F(SystemFileSystemTest, ReplaceReadRemove) {
  recio::FileSystem& fs = recio::system_file_system();
  std::string name = (dir / "f_COR").string();
  EXPECT_FALSE(fs.read_file(name).has_value());
  ASSERT_TRUE(fs.replace_file(name, "a\nb\n"));
  EXPECT_EQ(fs.read_file(name).value(), "a\nb\n");
  ASSERT_TRUE(fs.replace_file(name, "c\n"));
  EXPECT_EQ(fs.read_file(name).value(), "c\n");
  // No temporary file is left behind.
  size_t files = 0;
  for (auto& e : std::filesystem::directory_iterator(dir)) files += e.is_regular_file();
  EXPECT_EQ(files, 1u);
  EXPECT_TRUE(fs.remove_file(name));
  EXPECT_FALSE(fs.remove_file(name));
}

TEST_F(SystemFileSystemTest, ANameAtTheOldTemporaryNameIsNeitherUsedNorInTheWay) {
  recio::FileSystem& fs = recio::system_file_system();
  std::string name = (dir / "keep").string();
  ASSERT_TRUE(fs.replace_file(name, "precious\n"));
  // The temporary file is made with a name no one can plant beforehand; a folder at the
  // name the temporary file once had ("<name>.tmp<pid>") changes nothing.
  const std::string planted = name + ".tmp" + std::to_string(::getpid());
  std::filesystem::create_directory(planted);
  EXPECT_TRUE(fs.replace_file(name, "new\n"));
  EXPECT_EQ(fs.read_file(name).value(), "new\n");
  EXPECT_TRUE(std::filesystem::is_empty(planted));
}

TEST_F(SystemFileSystemTest, FailedRenameLeavesNoTemporary) {
  recio::FileSystem& fs = recio::system_file_system();
  std::filesystem::path target = dir / "target";
  std::filesystem::create_directories(target / "inside");  // rename over a folder fails
  EXPECT_FALSE(fs.replace_file(target.string(), "x\n"));
  auto entries = std::distance(std::filesystem::directory_iterator(dir),
                               std::filesystem::directory_iterator());
  EXPECT_EQ(entries, 1);
  EXPECT_TRUE(std::filesystem::is_directory(target / "inside"));
}

// The real file system writes sent records as they come: the file is replaced at the
// close, complete; a unit dropped with records sent (a run that ended before the close)
// leaves the file as it was and no temporary file behind.
TEST_F(SystemFileSystemTest, SentRecordsGoToATemporaryFileThatReplacesTheFileAtTheClose) {
  const std::string name = (dir / "out_COR").string();
  std::string big;
  for (int k = 0; big.size() < 3000000; ++k) big += "line " + std::to_string(k) + "\n";
  auto entries = [&] {
    return std::distance(std::filesystem::directory_iterator(dir),
                         std::filesystem::directory_iterator());
  };
  recio::FileSystem& fs = recio::system_file_system();
  ASSERT_TRUE(fs.replace_file(name, "old\n"));
  {
    recio::Units units;
    ASSERT_TRUE(units.open(12, name, Status::unknown));
    units.write_line(12, "title");
    units.send(12, big);
    EXPECT_EQ(entries(), 2);  // the file and the temporary one
    EXPECT_EQ(fs.read_file(name).value(), "old\n");
  }
  EXPECT_EQ(entries(), 1);
  EXPECT_EQ(fs.read_file(name).value(), "old\n");

  recio::Units units;
  ASSERT_TRUE(units.open(12, name, Status::unknown));
  units.write_line(12, "title");
  units.send(12, big);
  units.send(12, big);
  units.write_line(12, "end");
  EXPECT_TRUE(units.close(12));
  EXPECT_EQ(fs.read_file(name).value(), "title\n" + big + big + "end\n");
  EXPECT_EQ(entries(), 1);
}

TEST_F(SystemFileSystemTest, ReplaceIntoMissingFolderFails) {
  recio::FileSystem& fs = recio::system_file_system();
  EXPECT_FALSE(fs.replace_file((dir / "no" / "such" / "file").string(), "x\n"));
}

TEST_F(SystemFileSystemTest, ReadsWholeFilesOfAnySize) {
  recio::FileSystem& fs = recio::system_file_system();
  std::string big;
  for (int k = 0; big.size() < 300000; ++k) big += "line " + std::to_string(k) + "\r\n";
  const std::string name = (dir / "big").string();
  ASSERT_TRUE(fs.replace_file(name, big));
  EXPECT_EQ(fs.read_file(name).value(), big);
  ASSERT_TRUE(fs.replace_file(name, ""));
  EXPECT_EQ(fs.read_file(name).value(), "");
  // A file whose size the system does not know beforehand is read to its end as well.
  const std::optional<std::string> status = fs.read_file("/proc/self/status");
  ASSERT_TRUE(status.has_value());
  EXPECT_NE(status->find("Name:"), std::string::npos);
  EXPECT_FALSE(fs.read_file(dir.string()).has_value());  // a folder is no file
}

TEST_F(SystemFileSystemTest, UnitCommitReachesDisk) {
  recio::FileSystem& fs = recio::system_file_system();
  Units units(fs);
  std::string name = (dir / "out").string();
  ASSERT_TRUE(units.open(12, name, Status::unknown));
  units.write_line(12, "rec");
  EXPECT_TRUE(units.close(12));
  EXPECT_EQ(testing_support::slurp(name), "rec\n");
}

}  // namespace
