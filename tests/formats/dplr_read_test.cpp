// Every real file read as an independent reader reads it: the table dplr-read.csv beside
// the real files holds, per series, its first and last year with a value, and the sum and
// MD5 of its values in whole thousandths over those years joined by commas (a year without
// a value, or with a negative value, counts as 0). The program's reading of each file
// (Tucson measurements, as the dialogue's menu choice 1 reads it) is reduced the same way.
#include <gtest/gtest.h>
#include <md5.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <vector>

#include "formats/datafile.h"
#include "support/test_support.h"

namespace ringdate {
namespace {

struct SeriesSum {
  std::string id;
  int32_t first = 0, last = 0;
  int64_t sum = 0;
  std::string md5;
  bool operator==(const SeriesSum&) const = default;
};

std::ostream& operator<<(std::ostream& os, const SeriesSum& s) {
  return os << s.id << " " << s.first << ".." << s.last << " sum " << s.sum << " " << s.md5;
}

// The table, by file.
std::map<std::string, std::vector<SeriesSum>> dplr_table(const std::string& path) {
  std::map<std::string, std::vector<SeriesSum>> out;
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);  // the header
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> f;
    std::stringstream row(line);
    std::string cell;
    while (std::getline(row, cell, ',')) f.push_back(cell);
    if (f.size() != 7) continue;
    out[f[0]].push_back({f[1], std::stoi(f[2]), std::stoi(f[3]), std::stoll(f[5]), f[6]});
  }
  return out;
}

// The series of a store reduced as the table is: pieces of one identifier joined on the
// calendar (the later piece's value where two overlap), negative values as 0, first and
// last year those with a value that is not negative.
std::vector<SeriesSum> store_sums(const Store& s) {
  std::vector<std::string> order;
  std::map<std::string, std::map<int32_t, int64_t>> rings;
  for (int32_t i = 1; i <= s.nser; ++i) {
    std::string id = s.ids[static_cast<std::size_t>(i - 1)];
    while (!id.empty() && id.back() == ' ') id.pop_back();
    id.erase(0, id.find_first_not_of(' '));
    if (!rings.count(id)) order.push_back(id);
    auto& r = rings[id];
    for (int32_t y = s.iyr(i, 1); y <= s.iyr(i, 2); ++y) {
      const float v =
          s.raw(static_cast<std::size_t>(y - s.iyrmin() + 1), static_cast<std::size_t>(i));
      r[y] = v < 0.0f ? -1 : std::lround(static_cast<double>(v) * 1000.0);
    }
  }
  std::vector<SeriesSum> out;
  for (const std::string& id : order) {
    const auto& r = rings[id];
    SeriesSum sum{id, 0, 0, 0, {}};
    auto first = std::find_if(r.begin(), r.end(), [](const auto& p) { return p.second >= 0; });
    if (first == r.end()) continue;
    auto last = std::find_if(r.rbegin(), r.rend(), [](const auto& p) { return p.second >= 0; });
    sum.first = first->first;
    sum.last = last->first;
    std::string text;
    for (int32_t y = sum.first; y <= sum.last; ++y) {
      const auto it = r.find(y);
      const int64_t v = it == r.end() ? 0 : std::max<int64_t>(it->second, 0);
      sum.sum += v;
      if (y > sum.first) text += ',';
      text += std::to_string(v);
    }
    char hex[33];
    MD5Data(reinterpret_cast<const uint8_t*>(text.data()), text.size(), hex);
    sum.md5 = hex;
    out.push_back(std::move(sum));
  }
  return out;
}

// Where the table is wrong, the program's own reading of the series (first and last year):
// dplR takes TTHH_raw's two data lines after the title for header lines, dates DWV03A's line
// typed "910" in the year 910 and RNT03A's first line, whose identifier and year are
// separated by a tab, in the year 1; it drops the first line of a series glued to the end
// of the line before (PM317N, WFS09a, RLL19b, SO10a) and one whose identifier does not
// start in column 1 (PM309N's line of 1898), names FCT10A after the spelling
// of its later lines (FCT10a), and drops BCS05B's line of 1370, the first data line after
// the three header lines of nm580, nm580e and nm580l.
struct Known {
  std::string file, id;
  int32_t first, last;
};
const Known known_wrong[] = {
    {"TTHH_raw.txt", "NR21E", 1900, 1999},
    {"study/IN_DonaldsonWoods_QUVE.txt", "DWV03A", 1907, 1993},
    {"study/OH_RiddleNaturePreserve_LITU.txt", "RNT03A", 1894, 2016},
    {"study/PM1_BEALok.rwl", "PM317N", 1902, 2011},
    {"study/PM1_BEALok.rwl", "PM309N", 1898, 2011},
    {"study/FiddlersGreenShagAll.rwl", "WFS09a", 1880, 2002},
    {"study/MontPlaceQURUfinal.rwl", "RLL19b", 1834, 2002},
    {"study/ProspectMtnQURU.rwl", "SO10a", 1871, 2001},
    {"study/TN_ForgeCreek_LITU.txt", "FCT10A", 1763, 2018},
    {"nm580.rwl", "BCS05B", 1370, 1990},
    {"nm580e.rwl", "BCS05B", 1370, 1990},
    {"nm580l.rwl", "BCS05B", 1370, 1925},
};

TEST(DplrRead, EveryRealFileTheTableHoldsIsReadToTheSameSeriesAndValues) {
  const std::string dir = testing_support::shared_dir();
  if (dir.empty()) GTEST_SKIP() << "no shared data";
  const std::string real = dir + "/data/real/";
  const auto table = dplr_table(real + "dplr-read.csv");
  ASSERT_GT(table.size(), 200u);
  int agree = 0;
  for (const auto& [file, want] : table) {
    auto store = std::make_unique<Store>();
    const DataFileReading got = read_data_file(real + file, "MR", *store);
    if (got.result != DataFileResult::read) {
      ADD_FAILURE() << file << " refused: " << (got.refusal ? got.refusal->text() : "");
      continue;
    }
    const std::vector<SeriesSum> mine = store_sums(*store);
    bool same = mine.size() == want.size();
    for (std::size_t k = 0; k < std::min(mine.size(), want.size()); ++k) {
      if (mine[k] == want[k]) continue;
      const auto known =
          std::find_if(std::begin(known_wrong), std::end(known_wrong),
                       [&](const Known& w) { return w.file == file && w.id == mine[k].id; });
      if (known != std::end(known_wrong) && known->first == mine[k].first &&
          known->last == mine[k].last)
        continue;
      same = false;
      ADD_FAILURE() << file << ": read " << mine[k] << "\n  table " << want[k];
      break;
    }
    if (mine.size() != want.size())
      ADD_FAILURE() << file << ": " << mine.size() << " series read, the table has " << want.size();
    agree += same;
  }
  EXPECT_EQ(agree, static_cast<int>(table.size()));
}

// Every file beside them is read or refused with a message: none ends the reading
// without a word or reads nothing.
TEST(DplrRead, EveryRealFileIsReadOrRefusedWithAMessage) {
  const std::string dir = testing_support::shared_dir();
  if (dir.empty()) GTEST_SKIP() << "no shared data";
  int files = 0;
  for (const char* sub : {"/data/real", "/data/real/study"}) {
    for (const auto& e : std::filesystem::directory_iterator(dir + sub)) {
      if (!e.is_regular_file() || e.path().extension() == ".md") continue;
      ++files;
      auto store = std::make_unique<Store>();
      const DataFileReading got = read_data_file(e.path().string(), "MR", *store);
      if (got.result == DataFileResult::read) {
        EXPECT_GT(store->nser, 0) << e.path();
      } else {
        ASSERT_TRUE(got.refusal) << e.path();
        EXPECT_FALSE(got.refusal->text().empty()) << e.path();
      }
    }
  }
  EXPECT_GE(files, 224);
}

}  // namespace
}  // namespace ringdate
