// A series with two dating errors: the check names both edits, and typing them in the
// comparison, in their order and as worded, gives back the series as it was before the
// errors (the missing ring as a zero ring, the false ring as its outer part).
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "core/store.h"
#include "formats/datafile.h"
#include "harness.h"
#include "support/test_support.h"
#include "xdate/check.h"
#include "xdate/store_input.h"

namespace {

using namespace session;
using namespace ringdate;

std::vector<xdate::SeriesInput> series_of_file(const std::string& path) {
  auto store = std::make_unique<Store>();
  if (read_data_file(path, "", *store).result != DataFileResult::read) return {};
  return xdate::series_of_store(*store);
}

// The widths in thousandths of a millimetre, as the example file holds them.
std::vector<int> thousandths(const std::vector<double>& mm) {
  std::vector<int> out;
  for (double v : mm) out.push_back(static_cast<int>(std::lround(v * 1000.0)));
  return out;
}

TEST(Sequence, TypingTheListedEditsInOrderRestoresTheSeries) {
  const std::string example = testing_support::source_dir() + "/examples/pine.rwl";
  const std::vector<xdate::SeriesInput> clean = series_of_file(example);
  ASSERT_EQ(clean.size(), 6u);
  const std::size_t k = 2;  // PIN02A, 1781-1994, third in the listing
  ASSERT_EQ(clean[k].id, "PIN02A");

  // The ring of 1863 lost (the narrowest of PIN02A in 1826-1880: rings go missing in narrow
  // years); the ring of 1920 split in two (its inner part dated 1919 and every earlier ring
  // one year earlier), so the loss shows at 1862 as read. (A missing ring is placed only as
  // well as the rings near it tell: here exactly.)
  constexpr int32_t missing = 1863, split = 1920;
  std::vector<int> bad = thousandths(clean[k].values);
  const auto at = [&](int32_t year) { return static_cast<std::size_t>(year - clean[k].first); };
  const int whole = bad[at(split)];
  bad[at(split)] = whole - whole / 2;
  bad.insert(bad.begin() + static_cast<std::ptrdiff_t>(at(split)), whole / 2);
  bad.erase(bad.begin() + static_cast<std::ptrdiff_t>(at(missing)));
  // Every ring before the split moved one year earlier, every one before the loss one later.
  const int32_t bad_first = clean[k].first;

  const std::string text = testing_support::slurp(example);
  std::string file = text.substr(0, text.find('\n') + 1);
  for (std::size_t i = 0; i < clean.size(); ++i) {
    file += i == k ? testing_support::tucson_series(clean[i].id, bad_first, bad, -9999)
                   : testing_support::tucson_series(clean[i].id, clean[i].first,
                                                    thousandths(clean[i].values), -9999);
  }
  Workspace w;
  w.write("two.rwl", file);

  const xdate::CheckResult r = xdate::run_check(series_of_file(w.path("two.rwl")), {});
  const xdate::Suggestion* s = nullptr;
  for (const xdate::Suggestion& g : r.suggestions) {
    if (g.series == static_cast<int32_t>(k)) s = &g;
  }
  ASSERT_NE(s, nullptr);
  ASSERT_EQ(s->edits.size(), 2u);
  // Earliest first, in the years of the file as read.
  EXPECT_EQ(s->edits[0].kind, xdate::EditKind::insert);
  EXPECT_EQ(s->edits[0].year, missing - 1);
  EXPECT_EQ(s->edits[1].kind, xdate::EditKind::remove);
  EXPECT_EQ(s->edits[1].year, split - 1);

  // Each edit in its own comparison of PIN02A, typed as the report words it.
  std::vector<std::string> answers{"two.rwl", "", "N"};
  for (const xdate::Edit& e : s->edits) {
    const std::string op = e.kind == xdate::EditKind::insert ? "I" : "D";
    for (const std::string& a :
         {std::string("3"), std::string(""), std::string(""), std::string(""), op, std::string("1"),
          std::to_string(e.type_year()), std::string(1, s->side), std::string("")})
      answers.push_back(a);
  }
  answers.push_back("");
  const Result run = w.run(answers);
  ASSERT_EQ(run.status, 0) << run.out;

  const std::vector<xdate::SeriesInput> corrected = series_of_file(w.path("two.rwl_COR"));
  ASSERT_EQ(corrected.size(), 6u);
  const xdate::SeriesInput& got = corrected[k];
  EXPECT_EQ(got.first, clean[k].first);
  ASSERT_EQ(got.values.size(), clean[k].values.size());
  for (int32_t y = clean[k].first; y <= clean[k].last(); ++y) {
    const double want = y == missing ? 0.0
                        : y == split ? (whole - whole / 2) / 1000.0
                                     : clean[k].values[at(y)];
    EXPECT_NEAR(got.values[at(y)], want, 1e-9) << y;
  }
  // The other series are as they were.
  for (std::size_t i = 0; i < clean.size(); ++i) {
    if (i == k) continue;
    EXPECT_EQ(corrected[i].first, clean[i].first);
    EXPECT_EQ(corrected[i].values, clean[i].values);
  }
}

}  // namespace
