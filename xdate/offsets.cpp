#include "xdate/offsets.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ringdate::xdate {

namespace {

constexpr double none = -std::numeric_limits<double>::infinity();

// A track scaled to mean 0 and variance 1 over the years from..to (absent years 0, so that
// they add nothing to a score).
std::vector<double> standardised(const Track& t, int32_t from, int32_t to) {
  std::vector<double> out(static_cast<std::size_t>(to - from + 1), 0.0);
  double n = 0.0, s = 0.0, ss = 0.0;
  for (int32_t y = from; y <= to; ++y) {
    const double x = t.at(y);
    if (!present(x)) continue;
    n += 1.0;
    s += x;
    ss += x * x;
  }
  if (n < 3.0) return out;
  const double mean = s / n, var = ss / n - mean * mean;
  if (!(var > 0.0)) return out;
  const double sd = std::sqrt(var);
  for (int32_t y = from; y <= to; ++y) {
    const double x = t.at(y);
    if (present(x)) out[static_cast<std::size_t>(y - from)] = (x - mean) / sd;
  }
  return out;
}

// The slope of standardised x on standardised m: the highest mean product at any offset
// -D..D (x[i] pairs m[i + d + D]), kept within 0.2..1.
double slope(const std::vector<double>& x, const std::vector<double>& m, int32_t D) {
  double best = 0.2;
  for (int32_t d = -D; d <= D; ++d) {
    double s = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) s += x[i] * m[i + static_cast<std::size_t>(d + D)];
    best = std::max(best, s / static_cast<double>(x.size()));
  }
  return std::min(best, 1.0);
}

// How the best path reached a cell.
enum Step : uint8_t { start, keep, insert, remove };

}  // namespace

std::vector<OffsetPath> best_offset_paths(const Track& f, const Track& master, const Track& b,
                                          const Track& master_b, const OffsetSettings& settings,
                                          int64_t* work) {
  const int32_t K = std::max(settings.max_edits, 0);
  std::vector<OffsetPath> out(static_cast<std::size_t>(K) + 1);
  const auto n = static_cast<int32_t>(f.v.size());
  const int32_t D = std::clamp(settings.max_offset, 0, 50);
  if (n < 4) return out;
  const int32_t first = f.first, last = f.last();
  // The series' values by ring, the masters by year over the reach of every offset.
  const std::vector<double> zf = standardised(f, first, last);
  const std::vector<double> zb = standardised(b, first, last);
  const std::vector<double> zm = standardised(master, first - D, last + D);
  const std::vector<double> zmb = standardised(master_b, first - D, last + D);
  // A ring scores the log-likelihood of its value under the regression on the master (up to
  // terms that are the same at every offset): x m - b m^2 / 2 for standardised x and m, b
  // the slope, taken as the best correlation at any offset. A product alone would favour
  // pairing with the master's extreme years.
  const double bf = slope(zf, zm, D), bb = slope(zb, zmb, D);
  auto score = [&](int32_t i, int32_t d) {
    const auto r = static_cast<std::size_t>(i);
    const auto y = static_cast<std::size_t>(i + d + D);
    return zf[r] * zm[y] - 0.5 * bf * zm[y] * zm[y] +
           settings.bp_weight * (zb[r] * zmb[y] - 0.5 * bb * zmb[y] * zmb[y]);
  };
  // The master year skipped by a missing ring: a narrow year makes it likelier.
  auto narrow = [&](int32_t year) {
    const int64_t k = static_cast<int64_t>(year) - (first - D);
    if (k < 0 || k >= static_cast<int64_t>(zmb.size())) return 0.0;
    return -settings.narrow_weight * std::clamp(zmb[static_cast<std::size_t>(k)], -3.0, 3.0);
  };

  const int32_t W = 2 * D + 1;
  const auto cells = static_cast<std::size_t>(W * (K + 1));
  auto cell = [&](int32_t d, int32_t k) { return static_cast<std::size_t>((d + D) * (K + 1) + k); };
  // Scores of the rings i + 2, i + 1 and i (rolling) and the step into every cell.
  std::vector<double> v2(cells, none), v1(cells, none), v0(cells, none);
  std::vector<uint8_t> step(static_cast<std::size_t>(n) * cells, start);
  auto at = [&](int32_t i, std::size_t c) -> uint8_t& {
    return step[static_cast<std::size_t>(i) * cells + c];
  };
  v1[cell(0, 0)] = score(n - 1, 0);
  for (int32_t i = n - 2; i >= 0; --i) {
    std::fill(v0.begin(), v0.end(), none);
    // Edits leave at least one ring before them and two after (as the scored versions do).
    const bool edit_here = i >= 1 && i + 3 <= n;
    for (int32_t d = -D; d <= D; ++d) {
      for (int32_t k = 0; k <= K; ++k) {
        const std::size_t c = cell(d, k);
        double best = v1[c] == none ? none : v1[c] + score(i, d);
        uint8_t how = keep;
        if (edit_here && k > 0) {
          // Missing ring between rings i and i + 1: ring i + 1 at offset d + 1.
          if (d + 1 <= D && v1[cell(d + 1, k - 1)] != none) {
            const double s = v1[cell(d + 1, k - 1)] + score(i, d) + narrow(first + i + d + 1);
            if (s > best) best = s, how = insert;
          }
        }
        // False ring i + 1 left out: ring i + 2 at offset d - 1.
        if (k > 0 && d - 1 >= -D && i + 1 >= 1 && i + 4 <= n && v2[cell(d - 1, k - 1)] != none) {
          const double s = v2[cell(d - 1, k - 1)] + score(i, d);
          if (s > best) best = s, how = remove;
        }
        v0[c] = best;
        at(i, c) = best == none ? uint8_t{start} : how;
      }
    }
    std::swap(v2, v1);
    std::swap(v1, v0);
  }
  if (work) *work += static_cast<int64_t>(n) * static_cast<int64_t>(cells);
  for (int32_t k = 0; k <= K; ++k) {
    int32_t d_best = 0;
    double best = none;
    for (int32_t d = -D; d <= D; ++d) {
      if (v1[cell(d, k)] > best) best = v1[cell(d, k)], d_best = d;
    }
    if (best == none) continue;
    OffsetPath& p = out[static_cast<std::size_t>(k)];
    p.found = true;
    p.score = best;
    // Back from the inner end: each step names the edit between its ring and the next.
    int32_t i = 0, d = d_best, kk = k;
    while (i < n - 1) {
      const uint8_t how = at(i, cell(d, kk));
      if (how == insert) {
        p.edits.push_back(Edit{EditKind::insert, first + i});
        ++d, --kk, ++i;
      } else if (how == remove) {
        p.edits.push_back(Edit{EditKind::remove, first + i + 1});
        --d, --kk, i += 2;
      } else {
        ++i;
      }
    }
  }
  return out;
}

}  // namespace ringdate::xdate
