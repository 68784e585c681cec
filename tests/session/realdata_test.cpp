// Scripted sessions on the real data files beside the project.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <sstream>

#include "session/harness.h"
#include "support/test_support.h"

namespace {

using namespace session;
namespace fs = std::filesystem;

// Values of the reference table: (series, year) -> thousandths of a millimetre.
std::map<std::pair<std::string, int>, long> csv_rings(const std::string& text) {
  std::map<std::pair<std::string, int>, long> out;
  const auto lines = lines_of(text);
  std::vector<std::string> names;
  {
    std::stringstream head(lines.at(0));
    std::string cell;
    while (std::getline(head, cell, ',')) names.push_back(cell.substr(1, cell.size() - 2));
  }
  for (std::size_t i = 1; i < lines.size(); ++i) {
    std::stringstream row(lines[i]);
    std::string cell;
    std::getline(row, cell, ',');
    const int year = std::stoi(cell);
    for (std::size_t c = 1; std::getline(row, cell, ','); ++c) {
      if (cell == "NA" || cell.empty()) continue;
      out[{names.at(c), year}] = std::lround(std::stod(cell) * 1000.0);
    }
  }
  return out;
}

TEST(RealData, Ca533IsListedAndWrittenWithTheSameValues) {
  const std::string dir = testing_support::shared_dir();
  if (dir.empty()) GTEST_SKIP() << "no shared data";
  Workspace w;
  w.link("ca533.rwl", dir + "/data/real/ca533.rwl");
  const Result r = w.run({"ca533.rwl", "", "N", ""});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find(summary(34, 626, 1983)), std::string::npos);
  EXPECT_NE(r.out.find(list_row(1, "CAM011", 1530, 1983)), std::string::npos);
  EXPECT_NE(r.out.find(list_row(34, "CAM211", 626, 1968)), std::string::npos);

  const std::string cor = w.read("ca533.rwl_COR");
  EXPECT_EQ(lines_of(cor)[0], pad("CORRECTED RING-WIDTH DATA: ca533.rwl_COR", 67));
  // Hundredths read, thousandths written: every ring of the reference table, nothing else.
  const auto ref = csv_rings(testing_support::slurp(dir + "/data/real/csv/ca533.csv"));
  std::map<std::pair<std::string, int>, long> got;
  for (const Ring& ring : tucson_rings(cor)) got[{ring.id, ring.year}] = ring.value;
  EXPECT_EQ(got.size(), ref.size());
  EXPECT_TRUE(got == ref);
  // And the same as the input read by the same rules.
  EXPECT_EQ(tucson_rings(cor), tucson_rings(testing_support::slurp(dir + "/data/real/ca533.rwl")));
}

// Every file opens, gets a guess and a preview without a CR in any shown line; "N" then
// leaves a yes/no question for the menu (or is no choice there), and "/" in the menu
// ends the run at once.
TEST(RealData, EveryFileOpensAndIsPreviewed) {
  const std::string dir = testing_support::shared_dir();
  if (dir.empty()) GTEST_SKIP() << "no shared data";
  std::vector<fs::path> files;
  for (const char* sub : {"/data/real", "/data/real/study"}) {
    for (const auto& e : fs::directory_iterator(dir + sub))
      if (e.is_regular_file()) files.push_back(e.path());
  }
  ASSERT_GT(files.size(), 10u);
  Workspace w;
  for (const fs::path& f : files) {
    // Typed by its own name (blanks and all) in the session's folder.
    const std::string name = f.filename().string();
    w.link(name, f.string());
    const Result r = w.run({name, "N", "/"});
    ASSERT_EQ(r.status, 0) << f;
    EXPECT_EQ(r.out.find('\r'), std::string::npos) << f;
    const auto want = lines_of(testing_support::slurp(f.string()));
    const std::string head = file_prompt() + preview(want);
    EXPECT_EQ(r.out.substr(0, head.size()), head) << f;
    EXPECT_EQ(r.out.find("FILE NOT FOUND"), std::string::npos) << f;
    EXPECT_FALSE(w.exists(name + "_COR"));
    EXPECT_NE(r.out.find("Enter your data format type"), std::string::npos) << f;
    fs::remove(w.path(name));
  }
}

}  // namespace
