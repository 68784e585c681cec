// Accuracy of the location of dating errors: real files with one injected error per series
// (a ring removed, or a ring split in two), in series without a flagged segment, at least 60
// years from either end; half of the removed rings among the 10% narrowest rings of their
// series. Seeded, so that every run injects the same errors.
//
//   xdate_locate_eval [--seed N] [--per-file K] [--half odd|even|all] [--verbose] [DIR...]
//
// Prints the share of injected errors for which the suggestion is of the right kind, at the
// exact year, within 2 and within 5 years (a series without a suggestion counts as wrong),
// over every injected error and over those that left a flagged segment (only a flagged
// series gets a suggestion), and the number of suggestions for the series without a flagged
// segment as read (must be 0). The right edit for a removed ring of year Y is an insert at Y
// (typed I, Y + 1, B); for a ring of year Y split in two (its inner part then dated Y - 1,
// every earlier ring one year earlier) a delete of Y - 1 (typed D, Y - 1, B); deleting the
// outer part instead would restore the dating as well and counts as one year off.
// --half odd|even keeps every other file (for tuning on one half and checking on the other);
// --verbose prints one line per injected error. Default folders: ../shared/data/real and its
// study/ beside the checkout.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "core/store.h"
#include "main/datafile.h"
#include "xdate/dataset.h"
#include "xdate/location.h"
#include "xdate/store_input.h"

namespace {

using namespace ringdate::xdate;

struct Tally {
  int injected = 0, suggested = 0, kind = 0, exact = 0, within2 = 0, within5 = 0, unflagged = 0;
  void add(const Tally& o) {
    injected += o.injected;
    suggested += o.suggested;
    kind += o.kind;
    exact += o.exact;
    within2 += o.within2;
    within5 += o.within5;
    unflagged += o.unflagged;
  }
  // The four figures over every injected error, and over those that left a flagged segment
  // (the only series for which a suggestion may be made).
  void print(const char* label) const {
    const int flagged = injected - unflagged;
    auto pc = [](int x, int of) { return of ? 100.0 * x / of : 0.0; };
    std::printf("%-14s %5d injected, %5d flagged, %5d suggested\n", label, injected, flagged,
                suggested);
    std::printf(
        "  of injected:  right kind %5.1f%%  exact %5.1f%%  within 2 %5.1f%%  within 5 %5.1f%%\n",
        pc(kind, injected), pc(exact, injected), pc(within2, injected), pc(within5, injected));
    std::printf(
        "  of flagged:   right kind %5.1f%%  exact %5.1f%%  within 2 %5.1f%%  within 5 %5.1f%%\n",
        pc(kind, flagged), pc(exact, flagged), pc(within2, flagged), pc(within5, flagged));
  }
};

struct Options {
  unsigned seed = 12;
  int per_file = 1000;  // every eligible series
  std::string half = "all";
  bool verbose = false;
  std::vector<std::string> dirs;
};

std::vector<std::string> files_in(const std::vector<std::string>& dirs) {
  std::vector<std::string> out;
  for (const std::string& d : dirs) {
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(d, ec)) {
      if (!e.is_regular_file()) continue;
      const std::string ext = e.path().extension().string();
      if (ext == ".md" || ext == ".csv") continue;
      out.push_back(e.path().string());
    }
  }
  std::sort(out.begin(), out.end());
  return out;
}

// The series with ring `year` removed (the outer year stays: earlier rings one year later).
SeriesInput remove_ring(const SeriesInput& s, int32_t year) {
  SeriesInput out = s;
  out.values.erase(out.values.begin() + (year - s.first));
  out.first = s.first + 1;
  return out;
}

// The series with ring `year` split in two: the inner part dated year - 1, the outer part
// keeping the year, every earlier ring one year earlier.
SeriesInput split_ring(const SeriesInput& s, int32_t year, double inner) {
  SeriesInput out = s;
  const auto k = static_cast<std::size_t>(year - s.first);
  const double w = out.values[k];
  out.values[k] = w * (1.0 - inner);
  out.values.insert(out.values.begin() + static_cast<std::ptrdiff_t>(k), w * inner);
  out.first = s.first - 1;
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  for (int a = 1; a < argc; ++a) {
    const std::string arg = argv[a];
    if (arg == "--seed" && a + 1 < argc)
      o.seed = static_cast<unsigned>(std::atoi(argv[++a]));
    else if (arg == "--per-file" && a + 1 < argc)
      o.per_file = std::atoi(argv[++a]);
    else if (arg == "--half" && a + 1 < argc)
      o.half = argv[++a];
    else if (arg == "--verbose")
      o.verbose = true;
    else
      o.dirs.push_back(arg);
  }
  if (o.dirs.empty()) {
    const std::string shared = RINGDATE_SHARED_DIR;
    o.dirs = {shared + "/data/real", shared + "/data/real/study"};
  }
  const Settings settings;
  Locator locate;
  std::mt19937 rng(o.seed);
  Tally ins, del, all;
  int files = 0, clean_suggestions = 0, clean_series = 0;
  const std::vector<std::string> paths = files_in(o.dirs);
  for (std::size_t fi = 0; fi < paths.size(); ++fi) {
    if (o.half == "odd" && fi % 2 == 0) continue;
    if (o.half == "even" && fi % 2 == 1) continue;
    auto store = std::make_unique<ringdate::Store>();
    if (ringdate::read_data_file(paths[fi], "", *store).result != ringdate::DataFileResult::read)
      continue;
    Dataset data(series_of_store(*store), settings);
    if (data.usable() < 3) continue;
    ++files;
    std::vector<int32_t> all_idx(data.size());
    std::iota(all_idx.begin(), all_idx.end(), 0);
    std::vector<Master> masters = data.masters(all_idx);
    std::vector<int32_t> clean;
    for (std::size_t i = 0; i < data.size(); ++i) {
      const SeriesResult r = data.analyse(i, masters[i]);
      if (!r.usable() || r.flagged > 0 || r.segments.empty()) continue;
      ++clean_series;
      if (locate(data.filter(), data.input(i), data.filtered(i), masters[i], r, data.grid(),
                 settings))
        ++clean_suggestions;
      if (r.n >= 121) clean.push_back(static_cast<int32_t>(i));
    }
    std::shuffle(clean.begin(), clean.end(), rng);
    if (static_cast<int>(clean.size()) > o.per_file)
      clean.resize(static_cast<std::size_t>(o.per_file));
    for (int32_t i : clean) {
      const SeriesInput& s = data.input(static_cast<std::size_t>(i));
      const int32_t lo = s.first + 60, hi = s.last() - 60;
      const bool remove = std::uniform_int_distribution<int>(0, 1)(rng) == 0;
      const bool narrow = remove && std::uniform_int_distribution<int>(0, 1)(rng) == 0;
      int32_t year = std::uniform_int_distribution<int32_t>(lo, hi)(rng);
      if (narrow) {
        std::vector<double> sorted = s.values;
        std::sort(sorted.begin(), sorted.end());
        const double limit = sorted[sorted.size() / 10];
        std::vector<int32_t> years;
        for (int32_t y = lo; y <= hi; ++y) {
          if (s.values[static_cast<std::size_t>(y - s.first)] <= limit) years.push_back(y);
        }
        if (!years.empty())
          year = years[std::uniform_int_distribution<std::size_t>(0, years.size() - 1)(rng)];
      }
      const double inner = std::uniform_real_distribution<double>(0.3, 0.7)(rng);
      const SeriesInput bad = remove ? remove_ring(s, year) : split_ring(s, year, inner);
      const EditKind want_kind = remove ? EditKind::insert : EditKind::remove;
      const int32_t want_year = remove ? year : year - 1;
      Tally t;
      t.injected = 1;
      const Filtered f = data.filter()(bad.first, bad.values);
      const SeriesResult before =
          analyse(bad.id, bad.first, bad.values, f, masters[static_cast<std::size_t>(i)],
                  data.grid(), settings);
      std::optional<Suggestion> got;
      if (before.flagged == 0) {
        t.unflagged = 1;
      } else {
        got = locate(data.filter(), bad, f, masters[static_cast<std::size_t>(i)], before,
                     data.grid(), settings);
      }
      if (got) {
        t.suggested = 1;
        const int d = std::abs(got->edit.year - want_year);
        if (got->edit.kind == want_kind) {
          t.kind = 1;
          t.exact = d == 0;
          t.within2 = d <= 2;
          t.within5 = d <= 5;
        }
      }
      if (o.verbose) {
        const std::optional<Suggestion> seen = before.flagged ? locate.considered() : std::nullopt;
        std::printf(
            "%-40s %-8s %s %5d%s -> %s %5d  r %.3f -> %.3f  flags %d -> %d %s\n",
            std::filesystem::path(paths[fi]).filename().string().c_str(), s.id.c_str(),
            remove ? "missing" : "false  ", want_year, narrow ? "n" : " ",
            seen ? (seen->edit.kind == EditKind::insert ? (got ? "I" : "i") : (got ? "D" : "d"))
                 : "-",
            seen ? seen->edit.year : 0, before.r.r, seen ? seen->r_after : 0.0, before.flagged,
            seen ? seen->flagged_after : 0, before.flagged ? "" : "not flagged");
      }
      (remove ? ins : del).add(t);
      all.add(t);
    }
  }
  std::printf("files %d, series without a flagged segment %d, suggestions for them %d\n", files,
              clean_series, clean_suggestions);
  ins.print("missing rings");
  del.print("false rings");
  all.print("all");
  return 0;
}
