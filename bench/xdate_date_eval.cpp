// Accuracy of the dating of undated series: seeded cases made from the real files.
//
//   xdate_date_eval [--seed N] [--per-file K] [--stretch-share F] [--sweep] [--by-file]
//                   [--tail] [--verbose] [DIR...]
//
// True samples: series without a flagged segment in the check (all its rings), or a stretch
// of 60 to 200 of its rings (with probability --stretch-share, 0.5 by default), renumbered
// from 1, dated against the rest of their file (every other series, as a file of series)
// and against a chronology of the rest (each series divided by its 32-year spline, the
// biweight mean of the indices in every year, rounded to thousandths as an index file holds
// them). A true sample is right when it is dated at its own years, wrong when dated
// anywhere else.
// Negatives: the same samples with their rings shuffled, dated against the rest of their
// file and against its chronology; and every sample of a file dated against the whole file
// of a far-apart site (the pairs below). A negative must never be dated.
// Prints the counts and shares, and the true samples by length; --by-file also by file;
// --sweep the figures the decision would give at other thresholds of p and of the margin;
// --tail how often the z of any position of a negative reaches a few levels, against the
// Student tail the decision takes (and a normal tail);
// --verbose one line per case. Default folder: ../shared/data/real beside the checkout (its
// .rwl files; the far-apart pairs name files there).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "core/store.h"
#include "detrend/spline.h"
#include "formats/datafile.h"
#include "xdate/dataset.h"
#include "xdate/dating.h"
#include "xdate/master.h"
#include "xdate/store_input.h"

namespace {

using namespace ringdate::xdate;

struct Options {
  unsigned seed = 21;
  int per_file = 12;
  double stretch_share = 0.5;
  bool verbose = false;
  bool sweep = false;
  bool by_file = false;
  bool tail = false;
  std::vector<std::string> dirs;
};

// Sites far apart (other continents, or opposite sides of North America): a sample of the
// first file against the second file.
const char* const far_pairs[][2] = {
    {"th001", "co021"},   {"co021", "th001"},   {"viet001", "ca533"},   {"ca533", "viet001"},
    {"th001", "wa082"},   {"wa082", "nc004"},   {"nc004", "wa082"},     {"viet001", "nm580"},
    {"tx042", "cana209"}, {"cana209", "tx042"}, {"nm580", "th001"},     {"ca667", "nc004"},
    {"nc004", "ca667"},   {"wwr", "viet001"},   {"xDateRtest", "th001"}};

struct Tally {
  int cases = 0, dated = 0, right = 0, wrong = 0, first = 0;

  void add(const ringdate::xdate::SampleDating& d, int32_t truth) {
    ++cases;
    dated += d.dated();
    right += d.dated() && d.dated_first() == truth;
    wrong += d.dated() && d.dated_first() != truth;
    first += !d.ranked.empty() && d.ranked.front().first == truth;
  }
  Tally& operator+=(const Tally& o) {
    cases += o.cases;
    dated += o.dated;
    right += o.right;
    wrong += o.wrong;
    first += o.first;
    return *this;
  }
};

// Length bands of the true samples: where the undated ones are.
constexpr int band_edges[] = {60, 100, 140, 200, 300};
constexpr int bands = 5;
int band_of(std::size_t n) {
  int b = 0;
  while (b + 1 < bands && static_cast<int>(n) >= band_edges[b + 1]) ++b;
  return b;
}

void print_true(const char* label, const Tally& t) {
  auto pc = [](int x, int of) { return of ? 100.0 * x / of : 0.0; };
  std::printf(
      "%-33s %5d samples: dated right %5d (%5.1f%%), wrong %d, not dated %d; "
      "true position first %5.1f%%\n",
      label, t.cases, t.right, pc(t.right, t.cases), t.wrong, t.cases - t.dated,
      pc(t.first, t.cases));
}

void print_negative(const char* label, const Tally& t) {
  std::printf("%-33s %5d negatives: dated %d\n", label, t.cases, t.dated);
}

// One case: whether it is true (and the best position is the truth), the best p and the
// margin of z to the second best.
struct Outcome {
  bool positive = false, best_right = false;
  double p = 1.0, margin = 0.0;
  double p_score = 1.0, p_member = 1.0;  // of the best position: the score's, the best series'
  int32_t n = 0;
};

Outcome outcome_of(const SampleDating& d, bool positive, int32_t truth) {
  Outcome o;
  o.positive = positive;
  o.n = d.n;
  if (d.ranked.empty()) return o;
  o.best_right = positive && d.ranked.front().first == truth;
  o.p = d.ranked.front().p;
  o.p_score = d.ranked.front().p_score;
  o.p_member = d.ranked.front().p_member;
  o.margin = d.ranked.size() > 1 ? d.ranked.front().z - d.ranked[1].z : 99.0;
  return o;
}

struct FileData {
  std::string name;  // file name without extension
  std::vector<SeriesInput> series;
  std::vector<int32_t> clean;  // series without a flagged segment
};

std::vector<std::string> files_in(const std::vector<std::string>& dirs) {
  std::vector<std::string> out;
  for (const std::string& d : dirs) {
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(d, ec)) {
      if (e.is_regular_file() && e.path().extension() == ".rwl") out.push_back(e.path().string());
    }
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::vector<SeriesInput> without(const std::vector<SeriesInput>& all, std::size_t i) {
  std::vector<SeriesInput> out;
  for (std::size_t k = 0; k < all.size(); ++k) {
    if (k != i) out.push_back(all[k]);
  }
  return out;
}

// The chronology of the series: ratios to each series' 32-year spline, the biweight mean of
// every year, rounded to thousandths.
SeriesInput chronology(const std::vector<SeriesInput>& series, ringdate::Spline& spline) {
  int32_t first = 1 << 30, last = -(1 << 30);
  for (const SeriesInput& s : series) {
    if (s.values.size() < 4) continue;
    first = std::min(first, s.first);
    last = std::max(last, s.last());
  }
  SeriesInput c{"CHRON", first, {}};
  if (last < first) return c;
  std::vector<std::vector<double>> by_year(static_cast<std::size_t>(last - first + 1));
  std::vector<float> y, g;
  for (const SeriesInput& s : series) {
    const std::size_t n = s.values.size();
    if (n < 4) continue;
    y.resize(n);
    g.resize(n);
    for (std::size_t k = 0; k < n; ++k) y[k] = static_cast<float>(std::max(s.values[k], 0.001));
    float p = 0;
    if (spline(static_cast<int32_t>(n), y, g, p, 32) != ringdate::SplineStatus::ok) continue;
    for (std::size_t k = 0; k < n; ++k) {
      if (g[k] <= 0.0f) continue;
      by_year[static_cast<std::size_t>(s.first - first) + k].push_back(static_cast<double>(y[k]) /
                                                                       g[k]);
    }
  }
  // The longest run of years with at least one series: an index file has no gaps.
  std::size_t best = 0, best_len = 0;
  for (std::size_t k = 0; k < by_year.size();) {
    std::size_t e = k;
    while (e < by_year.size() && !by_year[e].empty()) ++e;
    if (e - k > best_len) {
      best = k;
      best_len = e - k;
    }
    k = e + 1;
  }
  c.first = first + static_cast<int32_t>(best);
  for (std::size_t k = best; k < best + best_len; ++k) {
    const double m = biweight_mean(by_year[k]);
    c.values.push_back(std::round(m * 1000.0) / 1000.0);
  }
  return c;
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
    else if (arg == "--stretch-share" && a + 1 < argc)
      o.stretch_share = std::atof(argv[++a]);
    else if (arg == "--sweep")
      o.sweep = true;
    else if (arg == "--by-file")
      o.by_file = true;
    else if (arg == "--tail")
      o.tail = true;
    else if (arg == "--verbose")
      o.verbose = true;
    else
      o.dirs.push_back(arg);
  }
  if (o.dirs.empty()) o.dirs = {std::string(RINGDATE_SHARED_DIR) + "/data/real"};
  std::mt19937 rng(o.seed);
  const Settings check;
  const DatingSettings settings;
  std::vector<Outcome> outcomes;
  Filter filter;
  // The z of every position of every negative against a few levels: how many reach each,
  // and how many the Student tail of the decision and a normal tail expect.
  constexpr int levels = 6;
  constexpr double level[levels] = {3.0, 3.5, 4.0, 4.5, 5.0, 5.5};
  double reached[levels] = {}, by_student[levels] = {}, by_normal[levels] = {};
  double null_positions = 0;
  auto pool = [&](const SampleDating& d) {
    if (!o.tail) return;
    for (const Position& p : d.all) {
      null_positions += 1;
      for (int k = 0; k < levels; ++k) {
        reached[k] += p.z >= level[k];
        by_student[k] += upper_tail(level[k], std::max(p.r.n - 2, 1));
        by_normal[k] += 0.5 * std::erfc(level[k] / std::sqrt(2.0));
      }
    }
  };
  auto spline = std::make_unique<ringdate::Spline>();

  std::map<std::string, FileData> files;
  for (const std::string& path : files_in(o.dirs)) {
    auto store = std::make_unique<ringdate::Store>();
    if (ringdate::read_data_file(path, "", *store).result != ringdate::DataFileResult::read)
      continue;
    FileData fd;
    fd.name = std::filesystem::path(path).stem().string();
    fd.series = series_of_store(*store);
    Dataset data(fd.series, check);
    if (data.usable() < 3) continue;
    std::vector<int32_t> all(data.size());
    std::iota(all.begin(), all.end(), 0);
    const std::vector<Master> masters = data.masters(all);
    for (std::size_t i = 0; i < data.size(); ++i) {
      const SeriesResult r = data.analyse(i, masters[i]);
      if (r.usable() && r.flagged == 0 && !r.segments.empty() && r.n >= 60)
        fd.clean.push_back(static_cast<int32_t>(i));
    }
    files.emplace(fd.name, std::move(fd));
  }

  Tally against_file, against_chron, shuffled, shuffled_chron, far;
  Tally by_band[bands];
  std::map<std::string, Tally> by_file;
  auto verbose = [&](const char* kind, const std::string& file, const SampleDating& d,
                     int32_t truth) {
    if (!o.verbose) return;
    const Position* b = d.ranked.empty() ? nullptr : &d.ranked.front();
    const Position* s = d.ranked.size() > 1 ? &d.ranked[1] : nullptr;
    std::printf(
        "%-6s %-12s %-8s n %4d pos %5d best %6d%s z %6.2f (t %5.2f tBP %5.2f tHo %5.2f zGLK "
        "%5.2f) p %8.2g (score %8.2g, series %3d t %5.2f %8.2g) next z %6.2f sd %.2f %s\n",
        kind, file.c_str(), d.id.c_str(), d.n, d.positions, b ? b->first : 0,
        b && truth != 0 ? (b->first == truth ? "=" : "x") : " ", b ? b->z : 0.0, b ? b->r.t() : 0.0,
        b ? b->bp.t() : 0.0, b ? b->ho.t() : 0.0, b ? b->glk_z() : 0.0, b ? b->p : 1.0,
        b ? b->p_score : 1.0, b ? b->member : -1, b ? b->member_t : 0.0, b ? b->p_member : 1.0,
        s ? s->z : 0.0, d.sd, d.dated() ? "DATED" : "");
  };
  for (auto& [name, fd] : files) {
    std::vector<int32_t> pick = fd.clean;
    std::shuffle(pick.begin(), pick.end(), rng);
    if (static_cast<int>(pick.size()) > o.per_file)
      pick.resize(static_cast<std::size_t>(o.per_file));
    for (int32_t i : pick) {
      const SeriesInput& s = fd.series[static_cast<std::size_t>(i)];
      SeriesInput sample{s.id, 1, s.values};
      int32_t truth = s.first;
      const bool stretch = std::uniform_real_distribution<double>(0, 1)(rng) < o.stretch_share;
      if (stretch) {
        const int len = std::uniform_int_distribution<int>(
            60, std::min<int>(200, static_cast<int>(s.values.size())))(rng);
        const int start =
            std::uniform_int_distribution<int>(0, static_cast<int>(s.values.size()) - len)(rng);
        sample.values.assign(s.values.begin() + start, s.values.begin() + start + len);
        truth = s.first + start;
      }
      const std::vector<SeriesInput> rest = without(fd.series, static_cast<std::size_t>(i));
      const Reference ref(rest);
      const Reference chron(std::vector<SeriesInput>{chronology(rest, *spline)});
      for (int which = 0; which < 2; ++which) {
        const SampleDating d = date_sample(which == 0 ? ref : chron, sample, settings, filter);
        (which == 0 ? against_file : against_chron).add(d, truth);
        by_band[band_of(sample.values.size())].add(d, truth);
        by_file[name + (which == 0 ? " rest" : " chronology")].add(d, truth);
        verbose(which == 0 ? "file" : "chron", name, d, truth);
        outcomes.push_back(outcome_of(d, true, truth));
      }
      SeriesInput mixed = sample;
      std::shuffle(mixed.values.begin(), mixed.values.end(), rng);
      for (int which = 0; which < 2; ++which) {
        const SampleDating d = date_sample(which == 0 ? ref : chron, mixed, settings, filter);
        Tally& t = which == 0 ? shuffled : shuffled_chron;
        ++t.cases;
        t.dated += d.dated();
        verbose(which == 0 ? "shuf" : "shufc", name, d, 0);
        pool(d);
        outcomes.push_back(outcome_of(d, false, 0));
      }
    }
  }
  for (const auto& pair : far_pairs) {
    const auto a = files.find(pair[0]), b = files.find(pair[1]);
    if (a == files.end() || b == files.end()) continue;
    const Reference ref(b->second.series);
    std::vector<int32_t> pick = a->second.clean;
    std::shuffle(pick.begin(), pick.end(), rng);
    if (static_cast<int>(pick.size()) > o.per_file)
      pick.resize(static_cast<std::size_t>(o.per_file));
    for (int32_t i : pick) {
      const SeriesInput& s = a->second.series[static_cast<std::size_t>(i)];
      const SampleDating d = date_sample(ref, SeriesInput{s.id, 1, s.values}, settings, filter);
      ++far.cases;
      far.dated += d.dated();
      verbose("far", a->second.name + ":" + b->second.name, d, 0);
      pool(d);
      outcomes.push_back(outcome_of(d, false, 0));
    }
  }
  std::printf("seed %u, %zu files, up to %d samples per file\n", o.seed, files.size(), o.per_file);
  print_true("against the rest of the file", against_file);
  print_true("against a chronology of it", against_chron);
  Tally all = against_file;
  all += against_chron;
  print_true("all true samples", all);
  for (int b = 0; b < bands; ++b) {
    char label[40];
    if (b + 1 < bands)
      std::snprintf(label, sizeof label, "  of %d to %d rings", band_edges[b],
                    band_edges[b + 1] - 1);
    else
      std::snprintf(label, sizeof label, "  of %d rings or more", band_edges[b]);
    print_true(label, by_band[b]);
  }
  if (o.by_file) {
    for (const auto& [label, t] : by_file) print_true(("  " + label).c_str(), t);
  }
  print_negative("shuffled rings against the rest", shuffled);
  print_negative("shuffled against the chronology", shuffled_chron);
  print_negative("far-apart sites", far);
  Tally negatives = shuffled;
  negatives += shuffled_chron;
  negatives += far;
  print_negative("all negatives", negatives);
  if (o.tail) {
    std::printf("z of the negatives' %.0f positions: level, reached, Student tail, normal tail\n",
                null_positions);
    for (int k = 0; k < levels; ++k)
      std::printf("  %.1f %8.0f %10.1f %10.1f\n", level[k], reached[k], by_student[k],
                  by_normal[k]);
  }
  if (o.sweep) {
    int n10 = 0, n5 = 0, n1 = 0, negs = 0;
    for (const Outcome& c : outcomes) {
      if (c.positive) continue;
      ++negs;
      n10 += c.p < 0.1;
      n5 += c.p < 0.05;
      n1 += c.p < 0.01;
    }
    std::printf("negatives %d: p < 0.1 %d, < 0.05 %d, < 0.01 %d\n", negs, n10, n5, n1);
    // Each part of the decision's p alone, at the best position (the best series only
    // against a reference of two series or more).
    for (int part = 0; part < 2; ++part) {
      int c2 = 0, c3 = 0, c4 = 0;
      for (const Outcome& c : outcomes) {
        if (c.positive) continue;
        const double q = part == 0 ? c.p_score : c.p_member;
        c2 += q < 0.01;
        c3 += q < 0.001;
        c4 += q < 1e-4;
      }
      std::printf("negatives' p of the %s: < 0.01 %d, < 0.001 %d, < 1e-4 %d\n",
                  part == 0 ? "score alone" : "best series alone", c2, c3, c4);
    }
    for (int b = 0; b < bands; ++b) {
      int cnt = 0, c5 = 0, c1 = 0, c01 = 0;
      for (const Outcome& c : outcomes) {
        if (c.positive || band_of(static_cast<std::size_t>(c.n)) != b) continue;
        ++cnt;
        c5 += c.p < 0.05;
        c1 += c.p < 0.01;
        c01 += c.p < 0.001;
      }
      std::printf("negband %d: %d, p < 0.05 %d, < 0.01 %d, < 0.001 %d\n", band_edges[b], cnt, c5,
                  c1, c01);
    }
    std::printf("p_max    margin   right%%  wrong  negatives dated\n");
    for (double pm : {1e-6, 1e-5, 1e-4, 1e-3, 1e-2, 0.05}) {
      for (double mg : {0.0, 0.5, 1.0, 1.5}) {
        int pos = 0, right = 0, wrong = 0, neg = 0;
        for (const Outcome& c : outcomes) {
          const bool dated = c.p < pm && c.margin >= mg;
          if (c.positive) {
            ++pos;
            right += dated && c.best_right;
            wrong += dated && !c.best_right;
          } else {
            neg += dated;
          }
        }
        std::printf("%-8g %-6.1f %7.1f %6d %6d\n", pm, mg, 100.0 * right / std::max(pos, 1), wrong,
                    neg);
      }
    }
  }
  return 0;
}
