// Accuracy of the location of dating errors: real files with injected errors, in series
// without a flagged segment. Seeded, so that every run injects the same errors.
//
//   xdate_locate_eval [--seed N] [--per-file K] [--half odd|even|all] [--single] [--verbose]
//                     [--narrow local|site] [--narrow-share S] [--set NAME VALUE]...
//                     [--bound prior|width|both] [--bound-weight W] [DIR...]
//
// One error per series (a ring removed, or a ring split in two), at least 60 years from either
// end; half of the removed rings among the 10% narrowest rings of their series. Prints the
// share of injected errors for which the suggestion is of the right kind, at the exact year,
// within 2 and within 5 years (a series without a suggestion counts as wrong; of a sequence,
// the edit of the right kind nearest the error), over every injected error and over those
// that left a flagged segment (only a flagged series gets a suggestion), and the number of
// suggestions for the series without a flagged segment as read (must be 0). The right edit
// for a removed ring of year Y is an insert at Y (typed I, Y + 1, B); for a ring of year Y
// split in two (its inner part then dated Y - 1, every earlier ring one year earlier) a
// delete of Y - 1 (typed D, Y - 1, B); deleting the outer part instead would restore the
// dating as well and counts as one year off.
//
// Two or three errors per series (unless --single; every clean series, its own seeded
// stream): mixed kinds, at least 40 years apart and 50 from either end, missing rings chosen
// as above. An error is found when an edit of the right kind names its year (as read: a later
// error moves the rings before it) within 2 years, a false ring by either of its parts; a
// series is restored when every error is found and no other edit is listed.
//
// --bound prior|width|both measures how far better knowledge of the missing rings could take
// the location: the locator is told the years among which a narrow missing ring was drawn
// (the log prior (1 - share) / N anywhere plus share / M among those M years, times
// --bound-weight, in place of its own prior), and, for one error per series, the removed
// ring's width (every candidate filled in with it). No method that only estimates these does
// better; what it leaves is the alignment evidence of the rings themselves.
//
// --half odd|even keeps every other file (for tuning on one half and checking on the other);
// --set changes a setting of the location (see the code) for trying values; --verbose prints
// one line per injected series. Default folders: ../shared/data/real and its study/ beside
// the checkout.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <limits>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "core/store.h"
#include "formats/datafile.h"
#include "xdate/dataset.h"
#include "xdate/location.h"
#include "xdate/store_input.h"

namespace {

using namespace ringdate::xdate;

struct Tally {
  int injected = 0, suggested = 0, kind = 0, exact = 0, within2 = 0, within5 = 0, unflagged = 0;
  int extra = 0;  // suggestions of more than one edit
  void add(const Tally& o) {
    extra += o.extra;
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
    std::printf("%-14s %5d injected, %5d flagged, %5d suggested (%d of several edits)\n", label,
                injected, flagged, suggested, extra);
    std::printf(
        "  of injected:  right kind %5.1f%%  exact %5.1f%%  within 2 %5.1f%%  within 5 %5.1f%%\n",
        pc(kind, injected), pc(exact, injected), pc(within2, injected), pc(within5, injected));
    std::printf(
        "  of flagged:   right kind %5.1f%%  exact %5.1f%%  within 2 %5.1f%%  within 5 %5.1f%%\n",
        pc(kind, flagged), pc(exact, flagged), pc(within2, flagged), pc(within5, flagged));
  }
};

// Which rings count as narrow for a missing ring: the 10% lowest of the widths, or (local)
// of the widths divided by the mean of the ten rings around them, so that narrow rings are
// years of poor growth for the tree at that age rather than rings of its slow outer part;
// `share` of the missing rings are chosen among them.
// With `site`, narrow rings are those of the locally narrowest tenth in years where the
// master is among its fifth lowest over the series (years of poor growth the site shares).
struct Narrow {
  bool local = false;
  bool site = false;
  double share = 0.5;
};

// What the locator is told of the injected missing rings (--bound).
struct Bound {
  bool prior = false, width = false;
  double weight = 1.0;
};

struct Options {
  unsigned seed = 12;
  int per_file = 1000;  // every eligible series
  std::string half = "all";
  bool verbose = false;
  bool multi = true;
  LocatorSettings locator;
  Narrow narrow;
  Bound bound;
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

// Several errors in one series: the errors (years of the clean series), the series with all
// of them, and the edits that restore it (years of the series as read).
struct Injection {
  bool missing = false;
  int32_t year = 0;  // of the clean series
  bool narrow = false;
  Edit want;  // the inner part of a false ring; its outer part, want.year + 1, also counts
};

struct MultiTally {
  int series = 0, flagged = 0, suggested = 0, restored = 0, errors = 0, found = 0, extra_edits = 0;
  void add(const MultiTally& o) {
    series += o.series;
    flagged += o.flagged;
    suggested += o.suggested;
    restored += o.restored;
    errors += o.errors;
    found += o.found;
    extra_edits += o.extra_edits;
  }
  void print(const char* label) const {
    auto pc = [](int x, int of) { return of ? 100.0 * x / of : 0.0; };
    std::printf(
        "%-14s %5d series (%d flagged, %d with a suggestion): restored %5.1f%%, errors found "
        "%5.1f%% of %d, edits that match no error %d\n",
        label, series, flagged, suggested, pc(restored, series), pc(found, errors), errors,
        extra_edits);
  }
};

std::vector<double> narrowness(const SeriesInput& s, bool local, const Track* site = nullptr) {
  if (site) {
    // Locally narrow rings, kept only in the master's lowest fifth of the series' years.
    std::vector<double> out = narrowness(s, true);
    std::vector<double> m;
    for (std::size_t k = 0; k < s.values.size(); ++k) {
      const double x = site->at(s.first + static_cast<int32_t>(k));
      if (present(x)) m.push_back(x);
    }
    if (m.size() < 10) return out;
    std::sort(m.begin(), m.end());
    const double low = m[m.size() / 5];
    for (std::size_t k = 0; k < out.size(); ++k) {
      const double x = site->at(s.first + static_cast<int32_t>(k));
      if (!present(x) || x > low) out[k] = std::numeric_limits<double>::infinity();
    }
    return out;
  }
  if (!local) return s.values;
  const auto n = static_cast<int64_t>(s.values.size());
  std::vector<double> out(s.values.size());
  for (int64_t k = 0; k < n; ++k) {
    double sum = 0.0;
    int c = 0;
    for (int64_t j = std::max<int64_t>(0, k - 5); j <= std::min(n - 1, k + 5); ++j) {
      if (j == k) continue;
      sum += s.values[static_cast<std::size_t>(j)];
      ++c;
    }
    out[static_cast<std::size_t>(k)] =
        sum > 0.0 ? s.values[static_cast<std::size_t>(k)] / (sum / c) : 1.0;
  }
  return out;
}

// Whether ring k counts as narrow (a ring outside the site's poor years never does).
bool narrow_at(const std::vector<double>& nv, double limit, int32_t k) {
  const double x = nv[static_cast<std::size_t>(k)];
  return std::isfinite(x) && x <= limit;
}

// The years lo..hi of series s among which a narrow missing ring is drawn.
std::vector<int32_t> narrow_years(const SeriesInput& s, int32_t lo, int32_t hi,
                                  const Narrow& narrow, const Track& master_bp) {
  const std::vector<double> nv = narrowness(s, narrow.local, narrow.site ? &master_bp : nullptr);
  std::vector<double> sorted = nv;
  std::sort(sorted.begin(), sorted.end());
  const double limit = sorted[sorted.size() / 10];
  std::vector<int32_t> years;
  for (int32_t y = lo; y <= hi; ++y) {
    if (narrow_at(nv, limit, y - s.first)) years.push_back(y);
  }
  return years;
}

// The log prior of a missing ring by year when the injection is known: drawn among `years`
// with chance `share`, else anywhere in lo..hi.
std::function<double(int32_t)> known_prior(std::vector<int32_t> years, int32_t lo, int32_t hi,
                                           double share) {
  return [years = std::move(years), lo, hi, share](int32_t y) {
    if (y < lo || y > hi) return -30.0;
    const bool in = std::binary_search(years.begin(), years.end(), y);
    const double p = (1.0 - share) / (hi - lo + 1) +
                     (in && !years.empty() ? share / static_cast<double>(years.size()) : 0.0);
    return std::log(p);
  };
}

// Picks `k` errors in series s: mixed kinds, at least `apart` years apart and `edge` years
// from either end; half of the missing rings among the 10% narrowest rings. Empty when the
// series cannot hold them.
std::vector<Injection> pick_errors(const SeriesInput& s, int k, const Narrow& narrow,
                                   const Track& master_bp, std::mt19937& rng) {
  constexpr int32_t apart = 40, edge = 50;
  const int32_t lo = s.first + edge, hi = s.last() - edge;
  const std::vector<double> nv = narrowness(s, narrow.local, narrow.site ? &master_bp : nullptr);
  std::vector<double> sorted = nv;
  std::sort(sorted.begin(), sorted.end());
  const double limit = sorted[sorted.size() / 10];
  std::vector<Injection> out;
  for (int j = 0; j < k; ++j) {
    Injection e;
    e.missing = std::uniform_int_distribution<int>(0, 1)(rng) == 0;
    e.narrow =
        e.missing &&
        (narrow.share == 0.5 ? std::uniform_int_distribution<int>(0, 1)(rng) == 0
                             : std::uniform_real_distribution<double>(0, 1)(rng) < narrow.share);
    std::vector<int32_t> years;
    for (int32_t y = lo; y <= hi; ++y) {
      const bool free = std::all_of(out.begin(), out.end(), [&](const Injection& o) {
        return std::abs(o.year - y) >= apart;
      });
      if (free && (!e.narrow || narrow_at(nv, limit, y - s.first))) years.push_back(y);
    }
    if (years.empty() && e.narrow) {
      e.narrow = false;
      for (int32_t y = lo; y <= hi; ++y) {
        if (std::all_of(out.begin(), out.end(),
                        [&](const Injection& o) { return std::abs(o.year - y) >= apart; }))
          years.push_back(y);
      }
    }
    if (years.empty()) return {};
    e.year = years[std::uniform_int_distribution<std::size_t>(0, years.size() - 1)(rng)];
    out.push_back(e);
  }
  std::sort(out.begin(), out.end(),
            [](const Injection& a, const Injection& b) { return a.year < b.year; });
  // A later error moves the rings before it: a removed ring one year later, a split ring one
  // year earlier; the edit that restores an error is at its year as read.
  for (std::size_t j = 0; j < out.size(); ++j) {
    int32_t moved = 0;
    for (std::size_t i = j + 1; i < out.size(); ++i) moved += out[i].missing ? 1 : -1;
    out[j].want = out[j].missing ? Edit{EditKind::insert, out[j].year + moved}
                                 : Edit{EditKind::remove, out[j].year - 1 + moved};
  }
  return out;
}

// Whether edit e finds error w: the right kind within 2 years (a false ring by either part).
bool finds(const Edit& e, const Edit& w) {
  if (e.kind != w.kind) return false;
  if (std::abs(e.year - w.year) <= 2) return true;
  return w.kind == EditKind::remove && std::abs(e.year - (w.year + 1)) <= 2;
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
    else if (arg == "--narrow" && a + 1 < argc) {
      const std::string how = argv[++a];
      o.narrow.local = how == "local";
      o.narrow.site = how == "site";
    } else if (arg == "--narrow-share" && a + 1 < argc)
      o.narrow.share = std::atof(argv[++a]);
    else if (arg == "--bound" && a + 1 < argc) {
      const std::string what = argv[++a];
      o.bound.prior = what == "prior" || what == "both";
      o.bound.width = what == "width" || what == "both";
    } else if (arg == "--bound-weight" && a + 1 < argc)
      o.bound.weight = std::atof(argv[++a]);
    else if (arg == "--single")
      o.multi = false;
    else if (arg == "--set" && a + 2 < argc) {
      // A setting of the location, for trying values: --set narrow_prior 1.0
      const std::string name = argv[++a];
      const double v = std::atof(argv[++a]);
      LocatorSettings& l = o.locator;
      if (name == "narrow_prior")
        l.narrow_prior = v;
      else if (name == "bp_weight")
        l.bp_weight = v;
      else if (name == "reach")
        l.reach = static_cast<int32_t>(v);
      else if (name == "window")
        l.window = static_cast<int32_t>(v);
      else if (name == "min_gain")
        l.min_gain = v;
      else if (name == "needed_gain")
        l.needed_gain = v;
      else if (name == "needed_sum")
        l.needed_sum = v;
      else if (name == "max_edits")
        l.max_edits = static_cast<int32_t>(v);
      else if (name == "dp_bp_weight")
        l.offsets.bp_weight = v;
      else if (name == "dp_narrow")
        l.offsets.narrow_weight = v;
      else if (name == "sequence_reach")
        l.sequence_reach = static_cast<int32_t>(v);
      else if (name == "insert_spread")
        l.insert_spread = static_cast<int32_t>(v);
      else if (name == "spread_scale")
        l.spread_scale = v;
      else if (name == "missing_share")
        l.missing_share = v;
      else if (name == "prior_weight")
        l.prior_weight = v;
      else if (name == "robust_nu")
        l.robust_nu = v;
      else if (name == "references")
        l.references = static_cast<int32_t>(v);
      else if (name == "around")
        l.around = static_cast<int32_t>(v);
      else if (name == "bp_references")
        l.bp_references = static_cast<int32_t>(v);
      else if (name == "path_step")
        l.path_step = v;
      else if (name == "single_spread")
        l.single_spread = static_cast<int32_t>(v);
      else {
        std::fprintf(stderr, "unknown setting %s\n", name.c_str());
        return 2;
      }
    } else
      o.dirs.push_back(arg);
  }
  if (o.dirs.empty()) {
    const std::string shared = RINGDATE_SHARED_DIR;
    o.dirs = {shared + "/data/real", shared + "/data/real/study"};
  }
  const Settings settings;
  Locator locate(o.locator);
  std::mt19937 rng(o.seed);
  std::mt19937 multi_rng(o.seed * 7919u + 1u);
  Tally ins, del, all;
  MultiTally two, three;
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
    std::vector<int32_t> clean, clean_all;
    for (std::size_t i = 0; i < data.size(); ++i) {
      const SeriesResult r = data.analyse(i, masters[i]);
      if (!r.usable() || r.flagged > 0 || r.segments.empty()) continue;
      ++clean_series;
      if (locate(data.filter(), data.input(i), data.filtered(i), masters[i], r, data.grid(),
                 settings))
        ++clean_suggestions;
      if (r.n >= 121) clean.push_back(static_cast<int32_t>(i));
      clean_all.push_back(static_cast<int32_t>(i));
    }
    std::shuffle(clean.begin(), clean.end(), rng);
    if (static_cast<int>(clean.size()) > o.per_file)
      clean.resize(static_cast<std::size_t>(o.per_file));
    for (int32_t i : clean) {
      const SeriesInput& s = data.input(static_cast<std::size_t>(i));
      const int32_t lo = s.first + 60, hi = s.last() - 60;
      const bool remove = std::uniform_int_distribution<int>(0, 1)(rng) == 0;
      const bool narrow =
          remove && (o.narrow.share == 0.5
                         ? std::uniform_int_distribution<int>(0, 1)(rng) == 0
                         : std::uniform_real_distribution<double>(0, 1)(rng) < o.narrow.share);
      int32_t year = std::uniform_int_distribution<int32_t>(lo, hi)(rng);
      const std::vector<int32_t> years =
          narrow || o.bound.prior
              ? narrow_years(s, lo, hi, o.narrow, masters[static_cast<std::size_t>(i)].bp)
              : std::vector<int32_t>{};
      if (narrow && !years.empty())
        year = years[std::uniform_int_distribution<std::size_t>(0, years.size() - 1)(rng)];
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
      std::optional<Locator> told_locate;
      Locator* locator = &locate;
      if (before.flagged == 0) {
        t.unflagged = 1;
      } else if (remove && (o.bound.prior || o.bound.width)) {
        LocatorSettings told = o.locator;
        if (o.bound.prior) told.known_prior = known_prior(years, lo, hi, o.narrow.share);
        told.known_weight = o.bound.weight;
        const double width = s.values[static_cast<std::size_t>(year - s.first)];
        if (o.bound.width) told.known_width = [width](int32_t) { return width; };
        locator = &told_locate.emplace(told);
        got = (*locator)(data.filter(), bad, f, masters[static_cast<std::size_t>(i)], before,
                         data.grid(), settings);
      } else {
        got = locate(data.filter(), bad, f, masters[static_cast<std::size_t>(i)], before,
                     data.grid(), settings);
      }
      if (got) {
        t.suggested = 1;
        t.extra = got->edits.size() > 1;
        // The edit of the right kind nearest to the error judges it.
        int d = -1;
        for (const Edit& e : got->edits) {
          if (e.kind != want_kind) continue;
          const int de = std::abs(e.year - want_year);
          if (d < 0 || de < d) d = de;
        }
        if (d >= 0) {
          t.kind = 1;
          t.exact = d == 0;
          t.within2 = d <= 2;
          t.within5 = d <= 5;
        }
      }
      if (o.verbose) {
        const std::optional<Suggestion> seen =
            before.flagged ? locator->considered() : std::nullopt;
        std::printf(
            "%-40s %-8s %s %5d%s -> %s %5d  r %.3f -> %.3f  flags %d -> %d %s\n",
            std::filesystem::path(paths[fi]).filename().string().c_str(), s.id.c_str(),
            remove ? "missing" : "false  ", want_year, narrow ? "n" : " ",
            seen ? (seen->first().kind == EditKind::insert ? (got ? "I" : "i") : (got ? "D" : "d"))
                 : "-",
            seen ? seen->first().year : 0, before.r.r, seen ? seen->r_after : 0.0, before.flagged,
            seen ? seen->flagged_after : 0, before.flagged ? "" : "not flagged");
        for (std::size_t g = 1; seen && g < seen->edits.size(); ++g)
          std::printf("    then %c %d\n", seen->edits[g].kind == EditKind::insert ? 'I' : 'D',
                      seen->edits[g].year);
      }
      (remove ? ins : del).add(t);
      all.add(t);
    }
    if (o.multi) {
      for (std::size_t i = 0; i < data.size(); ++i) {
        if (std::find(clean_all.begin(), clean_all.end(), static_cast<int32_t>(i)) ==
            clean_all.end())
          continue;
        const SeriesInput& s = data.input(i);
        const int k = std::uniform_int_distribution<int>(2, 3)(multi_rng);
        const std::vector<Injection> errors = pick_errors(s, k, o.narrow, masters[i].bp, multi_rng);
        if (errors.empty()) continue;
        // Made from the earliest to the latest: each moves only the rings before it, so the
        // later errors keep their years.
        SeriesInput bad = s;
        for (const Injection& e : errors) {
          const double inner = std::uniform_real_distribution<double>(0.3, 0.7)(multi_rng);
          bad = e.missing ? remove_ring(bad, e.year) : split_ring(bad, e.year, inner);
        }
        MultiTally t;
        t.series = 1;
        t.errors = static_cast<int>(errors.size());
        const Filtered f = data.filter()(bad.first, bad.values);
        const SeriesResult before =
            analyse(bad.id, bad.first, bad.values, f, masters[i], data.grid(), settings);
        std::optional<Suggestion> got;
        std::optional<Locator> told_locate;
        Locator* locator = &locate;
        if (before.flagged > 0 && o.bound.prior) {
          t.flagged = 1;
          LocatorSettings told = o.locator;
          const int32_t lo = s.first + 50, hi = s.last() - 50;
          told.known_prior =
              known_prior(narrow_years(s, lo, hi, o.narrow, masters[i].bp), lo, hi, o.narrow.share);
          told.known_weight = o.bound.weight;
          locator = &told_locate.emplace(told);
          got = (*locator)(data.filter(), bad, f, masters[i], before, data.grid(), settings);
        } else if (before.flagged > 0) {
          t.flagged = 1;
          got = locate(data.filter(), bad, f, masters[i], before, data.grid(), settings);
        }
        std::vector<bool> used(got ? got->edits.size() : 0, false);
        for (const Injection& e : errors) {
          for (std::size_t g = 0; got && g < got->edits.size(); ++g) {
            if (used[g] || !finds(got->edits[g], e.want)) continue;
            used[g] = true;
            ++t.found;
            break;
          }
        }
        if (got) {
          t.suggested = 1;
          t.extra_edits = static_cast<int>(std::count(used.begin(), used.end(), false));
          t.restored = t.found == t.errors && t.extra_edits == 0;
        }
        if (o.verbose) {
          std::printf("%-40s %-8s", std::filesystem::path(paths[fi]).filename().string().c_str(),
                      s.id.c_str());
          for (const Injection& e : errors)
            std::printf(" %c%d%s", e.want.kind == EditKind::insert ? 'I' : 'D', e.want.year,
                        e.narrow ? "n" : "");
          std::printf("  ->");
          const std::optional<Suggestion>& seen = locator->considered();
          if (before.flagged && seen) {
            for (const Edit& e : seen->edits)
              std::printf(" %c%d", e.kind == EditKind::insert ? 'I' : 'D', e.year);
            std::printf("  r %.3f -> %.3f flags %d -> %d%s", before.r.r, seen->r_after,
                        before.flagged, seen->flagged_after, got ? "" : " (not suggested)");
          }
          std::printf("%s\n", t.restored ? "  restored" : "");
        }
        (errors.size() == 2 ? two : three).add(t);
      }
    }
  }
  std::printf("files %d, series without a flagged segment %d, suggestions for them %d\n", files,
              clean_series, clean_suggestions);
  std::printf("one error per series:\n");
  ins.print("missing rings");
  del.print("false rings");
  all.print("all");
  std::printf("two or three errors per series (mixed kinds, %d+ years apart, %d+ from the ends):\n",
              40, 50);
  two.print("two errors");
  three.print("three errors");
  MultiTally both = two;
  both.add(three);
  both.print("all");
  return 0;
}
