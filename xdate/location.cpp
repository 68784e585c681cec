#include "xdate/location.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <span>

#include "xdate/correlation.h"
#include "xdate/least_squares.h"
#include "xdate/missing_ring.h"
#include "xdate/transforms.h"

namespace ringdate::xdate {

namespace {

// The lag at which the rings before an edit pair with the master: an insert moves them one
// year earlier (the series dated t meets the master at t - 1), a delete one year later.
int32_t shift_of(EditKind kind) { return kind == EditKind::insert ? -1 : +1; }

// Segments flagged after the edit that were tested and not flagged before.
bool adds_flag(const SeriesResult& before, const SeriesResult& after) {
  for (const SegmentResult& a : after.segments) {
    if (!a.flagged()) continue;
    const auto was = std::find_if(before.segments.begin(), before.segments.end(),
                                  [&](const SegmentResult& b) { return b.start == a.start; });
    if (was == before.segments.end() || !was->flagged()) return true;
  }
  return false;
}

// The widths of the series as scored for an edit: an inserted ring at the mean width of its
// neighbours, a deleted ring merged with the next one. False when the edit does not leave
// at least one ring on either side.
bool scored_widths(const SeriesInput& s, const Edit& e, SeriesInput& v) {
  return apply_edits(s, std::span<const Edit>(&e, 1), Filling::merged, v);
}

// The inserted ring stays out of the pairs.
void leave_out_inserted(Track& t, const Edit& e) {
  if (e.kind != EditKind::insert) return;
  const int64_t at = static_cast<int64_t>(e.year) - t.first;
  if (at >= 0 && at < static_cast<int64_t>(t.v.size())) t.v[static_cast<std::size_t>(at)] = absent;
}

// Regression of a track on its master: t = a + b m + e, e with scale s2 (squared), normal, or
// Student's t with nu degrees of freedom when nu > 0 (a few pairs far off the line, such as a
// year of extreme growth in one tree, then weigh less against many that fit).
struct Regression {
  double a = 0.0, b = 0.0, s2 = 1.0, nu = 0.0;
  bool ok = false;

  static Regression of(const Track& t, const Track& m, double nu) {
    PairSums ps;
    for (int32_t y = t.first; y <= t.last(); ++y) {
      const double x = m.at(y), v = t.at(y);
      if (present(x) && present(v)) ps.add(x, v);
    }
    Regression g;
    g.nu = nu;
    if (ps.n < 10) return g;
    const double sxx = ps.sxx - ps.sx * ps.sx / ps.n;
    const double sxy = ps.sxy - ps.sx * ps.sy / ps.n;
    const double syy = ps.syy - ps.sy * ps.sy / ps.n;
    if (!(sxx > 0.0)) return g;
    g.b = sxy / sxx;
    g.a = (ps.sy - g.b * ps.sx) / ps.n;
    g.s2 = (syy - g.b * sxy) / (ps.n - 2);
    g.ok = g.s2 > 0.0 && std::isfinite(g.s2);
    return g;
  }

  // Log-likelihood (up to a constant) of the pairs of the years from..to.
  double loglik(const Track& t, const Track& m, int32_t from, int32_t to) const {
    double ll = 0.0;
    for (int32_t y = from; y <= to; ++y) {
      const double x = m.at(y), v = t.at(y);
      if (!present(x) || !present(v)) continue;
      const double e = v - a - b * x;
      ll -= nu > 0.0 ? (nu + 1.0) / 2.0 * std::log1p(e * e / (nu * s2)) : e * e / (2.0 * s2);
    }
    return ll;
  }
};

// The regression of a track on its master and on the few other series that agree best with
// it (their filtered values): a series whose own tree, or a close neighbour, is among the
// others is predicted far better by that series than by the mean of all of them, and a
// candidate's rings are then judged by the better prediction. Years where a chosen series
// has no value fall back to the master alone.
struct Personal {
  Regression base;
  std::vector<const Track*> refs;
  std::vector<double> beta;  // intercept, master, each chosen series
  double s2 = 1.0;
  bool ok = false;

  static Personal of(const Track& t, const Track& m, std::span<const Track* const> others,
                     int32_t from, int32_t to, int32_t around, int32_t count, double nu) {
    Personal p;
    p.base = Regression::of(t, m, nu);
    if (count <= 0 || !p.base.ok) return p;
    // The `count` series covering the compared years that agree best with the track around
    // them (the agreement of two series changes along them, as trees age and stands change).
    std::vector<std::pair<double, const Track*>> best;
    for (const Track* o : others) {
      if (o->first > from || o->last() < to) continue;
      const Correlation c = correlate(t, *o, from - around, to + around);
      if (c.valid && c.n >= 50 && c.r > 0.0) best.push_back({c.r, o});
    }
    const auto kept = std::min(best.size(), static_cast<std::size_t>(count));
    std::partial_sort(best.begin(), best.begin() + static_cast<std::ptrdiff_t>(kept), best.end(),
                      [](const auto& a, const auto& b) { return a.first > b.first; });
    for (std::size_t k = 0; k < kept; ++k) p.refs.push_back(best[k].second);
    if (p.refs.empty()) return p;
    // Least squares of t on 1, m and the chosen series.
    const std::size_t q = 2 + p.refs.size();
    std::vector<double> x(q);
    auto row = [&](int32_t y) {
      x[0] = 1.0;
      x[1] = m.at(y);
      if (!present(x[1])) return false;
      for (std::size_t k = 0; k < p.refs.size(); ++k) {
        x[2 + k] = p.refs[k]->at(y);
        if (!present(x[2 + k])) return false;
      }
      return true;
    };
    LeastSquares ls(q);
    for (int32_t y = t.first; y <= t.last(); ++y) {
      const double v = t.at(y);
      if (present(v) && row(y)) ls.add(x, v);
    }
    const auto n = static_cast<double>(ls.rows());
    if (n < 30.0 + static_cast<double>(q)) return p;
    std::optional<std::vector<double>> beta = ls.solve();
    if (!beta) return p;
    p.beta = std::move(*beta);
    double rss = 0.0;
    for (int32_t y = t.first; y <= t.last(); ++y) {
      const double v = t.at(y);
      if (!present(v) || !row(y)) continue;
      double e = v;
      for (std::size_t i = 0; i < q; ++i) e -= p.beta[i] * x[i];
      rss += e * e;
    }
    p.s2 = rss / (n - static_cast<double>(q));
    p.ok = p.s2 > 0.0 && std::isfinite(p.s2);
    return p;
  }

  double loglik(const Track& t, const Track& m, int32_t from, int32_t to) const {
    if (!ok) return base.loglik(t, m, from, to);
    const double nu = base.nu;
    double ll = 0.0;
    for (int32_t y = from; y <= to; ++y) {
      const double mv = m.at(y), v = t.at(y);
      if (!present(mv) || !present(v)) continue;
      double e = v - beta[0] - beta[1] * mv, s2y = s2;
      for (std::size_t k = 0; k < refs.size(); ++k) {
        const double r = refs[k]->at(y);
        if (!present(r)) {
          e = v - base.a - base.b * mv, s2y = base.s2;
          break;
        }
        e -= beta[2 + k] * r;
      }
      ll -= nu > 0.0 ? (nu + 1.0) / 2.0 * std::log1p(e * e / (nu * s2y)) : e * e / (2.0 * s2y);
    }
    return ll;
  }
};

// How low the master is in a year among the years from..to, in standard deviations.
double standardised(const Track& m, int32_t year, int32_t from, int32_t to) {
  PairSums ps;
  for (int32_t y = from; y <= to; ++y) {
    if (present(m.at(y))) ps.add(m.at(y), m.at(y));
  }
  if (ps.n < 5 || !present(m.at(year))) return 0.0;
  const double mean = ps.sx / ps.n;
  const double var = ps.sxx / ps.n - mean * mean;
  if (!(var > 0.0)) return 0.0;
  return std::clamp((m.at(year) - mean) / std::sqrt(var), -3.0, 3.0);
}

}  // namespace

void Locator::add_missing_prior(double& ll, const NarrowPrior& prior, const SeriesInput& v,
                                int32_t year, int32_t from, int32_t to,
                                const Track& master_bp) const {
  if (settings_.known_prior) {
    ll += settings_.known_weight * settings_.known_prior(year);
    return;
  }
  ll -= settings_.narrow_prior * standardised(master_bp, year, from, to);
  ll += settings_.prior_weight * prior(v, year);
}

void Locator::fill_missing(SeriesInput& v, int32_t year, const Track& master_bp) const {
  fill_inserted(v, year, master_bp);
  if (!settings_.known_width) return;
  const double w = settings_.known_width(year);
  const int64_t at = static_cast<int64_t>(year) - v.first;
  if (present(w) && at >= 0 && at < static_cast<int64_t>(v.values.size()))
    v.values[static_cast<std::size_t>(at)] = w;
}

std::vector<double> Locator::cheap_scores(const Track& t, const Track& master, EditKind kind) {
  const std::size_t n = t.v.size();
  std::vector<double> out(n, absent);
  if (n < 4) return out;
  const int32_t lag = shift_of(kind);
  // Running sums of the pairs up to each year: at the shifted lag (before the edit) and at
  // lag 0 (after it, as the whole less what lies before).
  struct Sums {
    double n, sx, sy, sxx, syy, sxy;
  };
  std::vector<Sums> shifted(n + 1), level(n + 1);
  Sums a{}, b{};
  shifted[0] = a;
  level[0] = b;
  for (std::size_t k = 0; k < n; ++k) {
    const int32_t y = t.first + static_cast<int32_t>(k);
    const double x = t.v[k];
    if (present(x)) {
      const double ms = master.at(y + lag), m0 = master.at(y);
      if (present(ms))
        a = Sums{a.n + 1, a.sx + x, a.sy + ms, a.sxx + x * x, a.syy + ms * ms, a.sxy + x * ms};
      if (present(m0))
        b = Sums{b.n + 1, b.sx + x, b.sy + m0, b.sxx + x * x, b.syy + m0 * m0, b.sxy + x * m0};
    }
    shifted[k + 1] = a;
    level[k + 1] = b;
  }
  const Sums& all = level[n];
  for (std::size_t k = 1; k + 2 < n; ++k) {
    // insert at k: rings up to k shifted, the zero ring at k left out, k + 1 on at lag 0;
    // delete at k: rings before k shifted, ring k merged into k + 1 (left out), k + 2 on.
    const Sums& pre = kind == EditKind::insert ? shifted[k + 1] : shifted[k];
    const Sums& cut = kind == EditKind::insert ? level[k + 1] : level[k + 2];
    PairSums s;
    s.n = pre.n + all.n - cut.n;
    s.sx = pre.sx + all.sx - cut.sx;
    s.sy = pre.sy + all.sy - cut.sy;
    s.sxx = pre.sxx + all.sxx - cut.sxx;
    s.syy = pre.syy + all.syy - cut.syy;
    s.sxy = pre.sxy + all.sxy - cut.sxy;
    const Correlation c = s.result();
    if (c.valid) out[k] = c.r;
  }
  return out;
}

// The flagged segments the series would keep after an edit at `year`, estimated from the
// segment tests as they stand: segments before the year take their correlation one year
// off, segments after it keep their flags, segments across it are taken as mended.
int32_t Locator::flags_left(const SeriesResult& before, EditKind kind, int32_t year, double rcrit) {
  const int32_t lag = shift_of(kind);
  int32_t left = 0;
  for (const SegmentResult& g : before.segments) {
    if (g.end < year) {
      const double r = g.at_lag(lag);
      left += !(present(r) && r > rcrit) || g.best_lag != lag;
    } else if (g.start > year + 1) {
      left += g.flagged();
    }
  }
  return left;
}

std::optional<Locator::Candidate> Locator::best_of_kind(Filter& filter, const SeriesInput& s,
                                                        const Filtered& f, const Master& m,
                                                        EditKind kind, const SeriesResult& before,
                                                        double rcrit) {
  // An edit mends a segment before it only where the segment correlates best, and
  // significantly, one year off; beside those, at most the two segments across the edit.
  // Without enough of them no year can mend half of the flags.
  const int32_t lag = shift_of(kind);
  int32_t mendable = 2;
  for (const SegmentResult& g : before.segments) {
    const double r = g.at_lag(lag);
    mendable += g.flagged() && g.best_lag == lag && present(r) && r > rcrit;
  }
  if (2 * (before.flagged - mendable) > before.flagged) return std::nullopt;

  // Refiltering is for edits that could pass: judged at the best year of the cheap scores of
  // the filtered values, r must rise and most flags be mended.
  const std::vector<double> cheap = cheap_scores(f.values, m.filtered, kind);
  const auto top = std::max_element(cheap.begin(), cheap.end(), [](double a, double b) {
    return present(a) ? present(b) && a < b : present(b);
  });
  if (top == cheap.end() || !present(*top) || *top < before.r.r + settings_.min_gain / 2.0)
    return std::nullopt;
  const int32_t left =
      flags_left(before, kind, f.values.first + static_cast<int32_t>(top - cheap.begin()), rcrit);
  if (left >= before.flagged || 2 * left > before.flagged) return std::nullopt;

  // The centre of the search: the best year of the cheap scores of the filtered and the
  // Baillie-Pilcher values together.
  const std::vector<double> cheap_bp =
      cheap_scores(baillie_pilcher(widths_of(s.first, s.values)), m.bp, kind);
  double best_cheap = -2.0;
  int32_t centre = 0;
  for (std::size_t k = 0; k < cheap.size(); ++k) {
    if (!present(cheap[k]) || k >= cheap_bp.size() || !present(cheap_bp[k])) continue;
    if (cheap[k] + cheap_bp[k] > best_cheap) {
      best_cheap = cheap[k] + cheap_bp[k];
      centre = f.values.first + static_cast<int32_t>(k);
    }
  }
  if (best_cheap < -1.0) return std::nullopt;

  // The candidates are compared on a stretch of the series around them: with the
  // prewhitening model kept, versions differ only near the edit.
  const int32_t from = centre - settings_.reach - settings_.window;
  const int32_t to = centre + settings_.reach + settings_.window;
  SeriesInput part;
  part.id = s.id;
  part.first = std::max(s.first, from - margin);
  const int32_t part_last = std::min(s.last(), to + margin);
  part.values.assign(s.values.begin() + (part.first - s.first),
                     s.values.begin() + (part_last - s.first) + 1);

  SeriesInput v;
  Track fv, bpv;
  const NarrowPrior prior(s, m.bp, settings_.missing_share);
  auto score = [&](const Edit& e) {
    if (!scored_widths(part, e, v)) return false;
    if (e.kind == EditKind::insert) fill_missing(v, e.year, m.bp);
    ++refilters_;
    Filtered g = filter(v.first, v.values, f.model);
    if (g.status != FilterStatus::ok) return false;
    fv = std::move(g.values);
    leave_out_inserted(fv, e);
    bpv = baillie_pilcher(widths_of(v.first, v.values));
    leave_out_inserted(bpv, e);
    return true;
  };
  if (!score(Edit{kind, centre})) return std::nullopt;
  const Personal rf = Personal::of(fv, m.filtered, refs_, from, to, settings_.around,
                                   settings_.references, settings_.robust_nu);
  const Personal rb = Personal::of(bpv, m.bp, refs_bp_, from, to, settings_.around,
                                   settings_.bp_references, settings_.robust_nu);
  if (!rf.base.ok) return std::nullopt;

  std::vector<YearScore> lls;
  for (int32_t y = centre - settings_.reach; y <= centre + settings_.reach; ++y) {
    const Edit e{kind, y};
    if (!score(e)) continue;
    double ll = rf.loglik(fv, m.filtered, from, to);
    if (rb.base.ok) ll += settings_.bp_weight * rb.loglik(bpv, m.bp, from, to);
    if (kind == EditKind::insert) add_missing_prior(ll, prior, v, y, from, to, m.bp);
    lls.push_back({y, ll});
  }
  const bool spread = kind == EditKind::insert && settings_.single_spread > 0;
  const std::optional<int32_t> chosen =
      choose_year(lls, spread ? settings_.single_spread : 0, spread ? settings_.spread_scale : 1.0);
  if (!chosen) return std::nullopt;
  const std::optional<Edit> best = Edit{kind, *chosen};
  // The overall r of the best version, for the choice between the kinds.
  if (!scored_widths(s, *best, v)) return std::nullopt;
  ++refilters_;
  Filtered whole = filter(v.first, v.values, f.model);
  if (whole.status != FilterStatus::ok) return std::nullopt;
  leave_out_inserted(whole.values, *best);
  const Correlation r = correlate(whole.values, m.filtered);
  if (!r.valid) return std::nullopt;
  return Candidate{*best, r.r};
}

std::optional<Suggestion> Locator::single(Filter& filter, const SeriesInput& s, const Filtered& f,
                                          const Master& m, const SeriesResult& before,
                                          const SegmentGrid& grid, const Settings& settings,
                                          double rcrit) {
  std::optional<Candidate> best;
  for (EditKind kind : {EditKind::insert, EditKind::remove}) {
    const std::optional<Candidate> c = best_of_kind(filter, s, f, m, kind, before, rcrit);
    if (c && (!best || c->r > best->r)) best = c;
  }
  if (!best) return std::nullopt;
  Suggestion out;
  out.id = s.id;
  out.edits = {best->edit};
  out.r_before = before.r.r;
  out.r_after = best->r;
  out.flagged_before = before.flagged;
  out.flagged_after = before.flagged;
  considered_ = out;
  if (out.gain() < settings_.min_gain) return std::nullopt;

  // The statistics with the edit made, filtered afresh as the check filters a series.
  const std::optional<SeriesResult> made = with_edits(filter, s, out.edits, m, grid, settings);
  if (!made) return std::nullopt;
  const SeriesResult& after = *made;
  out.r_after = after.r.r;
  out.flagged_after = after.flagged;
  considered_ = out;
  // A clear rise of r to a significant level, at least half of the flags mended, none added.
  if (out.gain() < settings_.min_gain || !(after.r.p() < settings.pcrit)) return std::nullopt;
  if (out.flagged_after >= out.flagged_before || 2 * out.flagged_after > out.flagged_before)
    return std::nullopt;
  if (adds_flag(before, after)) return std::nullopt;
  return out;
}

std::optional<SeriesResult> Locator::with_edits(Filter& filter, const SeriesInput& s,
                                                std::span<const Edit> edits, const Master& m,
                                                const SegmentGrid& grid, const Settings& settings) {
  SeriesInput edited;
  if (!apply_edits(s, edits, Filling::estimated, edited)) return std::nullopt;
  ++refilters_;
  const Filtered fe = filter(edited.first, edited.values);
  SeriesResult after = analyse(s.id, edited.first, edited.values, fe, m, grid, settings);
  if (!after.usable() || !after.r.valid) return std::nullopt;
  return after;
}

std::vector<Edit> Locator::placed(Filter& filter, const SeriesInput& s, const Filtered& f,
                                  const Master& m, std::vector<Edit> edits) {
  SeriesInput v;
  std::vector<int32_t> inserted;
  Track fv, bpv;
  const NarrowPrior prior(s, m.bp, settings_.missing_share);
  // The version with the edits as they stand, filtered with the series' own model so that
  // versions differ only near the edit that moves.
  auto score = [&](const std::vector<Edit>& e) {
    if (!apply_edits(s, e, Filling::merged, v, &inserted)) return false;
    for (int32_t y : inserted) fill_missing(v, y, m.bp);
    ++refilters_;
    Filtered g = filter(v.first, v.values, f.model);
    if (g.status != FilterStatus::ok) return false;
    fv = std::move(g.values);
    bpv = baillie_pilcher(widths_of(v.first, v.values));
    for (int32_t y : inserted) {
      leave_out_inserted(fv, Edit{EditKind::insert, y});
      leave_out_inserted(bpv, Edit{EditKind::insert, y});
    }
    return true;
  };
  // Twice over the edits: first among the years within sequence_reach of where the dynamic
  // program put them (a path can be several years off), then within reach of the places found.
  for (int32_t pass = 0; pass < 2; ++pass) {
    for (std::size_t j = 0; j < edits.size(); ++j) {
      const int32_t reach = pass == 0 ? settings_.sequence_reach : settings_.reach;
      // The later edits move this one's neighbourhood: its years once every edit is made.
      int32_t moved = 0;
      for (std::size_t i = j + 1; i < edits.size(); ++i) moved += edits[i].shift();
      const int32_t centre = edits[j].year + moved;
      const int32_t from = centre - reach - settings_.window;
      const int32_t to = centre + reach + settings_.window;
      if (!score(edits)) continue;
      const Personal rf = Personal::of(fv, m.filtered, refs_, from, to, settings_.around,
                                       settings_.references, settings_.robust_nu);
      const Personal rb = Personal::of(bpv, m.bp, refs_bp_, from, to, settings_.around,
                                       settings_.bp_references, settings_.robust_nu);
      if (!rf.base.ok) continue;
      // Years between the neighbouring edits only, so that the order stays.
      const int32_t lo =
          std::max(edits[j].year - reach,
                   j > 0 ? edits[j - 1].year + 2 : std::numeric_limits<int32_t>::min());
      const int32_t hi = std::min(edits[j].year + reach, j + 1 < edits.size()
                                                             ? edits[j + 1].year - 2
                                                             : std::numeric_limits<int32_t>::max());
      std::vector<Edit> trial = edits;
      std::vector<YearScore> lls;
      for (int32_t y = lo; y <= hi; ++y) {
        trial[j].year = y;
        if (!score(trial)) continue;
        double ll = rf.loglik(fv, m.filtered, from, to);
        if (rb.base.ok) ll += settings_.bp_weight * rb.loglik(bpv, m.bp, from, to);
        if (trial[j].kind == EditKind::insert)
          add_missing_prior(ll, prior, v, y + moved, from, to, m.bp);
        lls.push_back({y, ll});
      }
      // A missing ring leaves no trace of its own: its year is seldom settled to one.
      const bool insert = edits[j].kind == EditKind::insert;
      if (const std::optional<int32_t> best = choose_year(lls, insert ? settings_.insert_spread : 0,
                                                          insert ? settings_.spread_scale : 1.0))
        edits[j].year = *best;
    }
  }
  return edits;
}

namespace {

// The flagged segments a sequence could leave, estimated from the filtered values as they
// stand, each ring paired with the master at the offset the edits give it (a deleted ring
// left out): a segment stays flagged unless that correlation is significant and, where no
// edit falls in the segment, the segment also correlated best at that offset before.
int32_t flags_left_by(const SeriesResult& before, std::span<const Edit> edits, const Track& f,
                      const Track& master, double rcrit) {
  int32_t left = 0;
  for (const SegmentResult& g : before.segments) {
    const bool crossed = std::any_of(edits.begin(), edits.end(), [&](const Edit& e) {
      return e.year >= g.start - 1 && e.year <= g.end + 1;
    });
    const int32_t d = offset_after(edits, g.start);
    if (!crossed && d == 0) {
      left += g.flagged();
      continue;
    }
    if (!crossed && g.best_lag != d) {
      ++left;
      continue;
    }
    PairSums ps;
    for (int32_t y = g.start; y <= g.end; ++y) {
      const bool deleted = std::any_of(edits.begin(), edits.end(), [&](const Edit& e) {
        return e.kind == EditKind::remove && e.year == y;
      });
      const double x = f.at(y), w = master.at(y + offset_after(edits, y));
      if (!deleted && present(x) && present(w)) ps.add(x, w);
    }
    const Correlation c = ps.result();
    left += !(c.valid && c.r > rcrit);
  }
  return left;
}

}  // namespace

std::optional<Suggestion> Locator::sequence(Filter& filter, const SeriesInput& s, const Filtered& f,
                                            const Master& m, const SeriesResult& before,
                                            const SegmentGrid& grid, const Settings& settings,
                                            double rcrit) {
  if (settings_.max_edits < 2) return std::nullopt;
  // A sequence mends a segment without an edit in it only where the segment correlates best,
  // and significantly, at some offset; beside those, at most two segments per edit.
  const int32_t D = settings_.offsets.max_offset;
  int32_t mendable = 2 * settings_.max_edits;
  for (const SegmentResult& g : before.segments) {
    mendable += g.flagged() && g.best_lag != 0 && std::abs(g.best_lag) <= D && g.r_best > rcrit;
  }
  if (2 * (before.flagged - mendable) > before.flagged) return std::nullopt;

  OffsetSettings os = settings_.offsets;
  os.max_edits = settings_.max_edits;
  const Track bp = baillie_pilcher(widths_of(s.first, s.values));
  const std::vector<OffsetPath> paths = best_offset_paths(f.values, m.filtered, bp, m.bp, os);
  int32_t pairs = 0;
  for (int32_t y = f.values.first; y <= f.values.last(); ++y)
    pairs += present(f.values.at(y)) && present(m.filtered.at(y));
  if (pairs < 10 || !paths[0].found) return std::nullopt;

  std::optional<Suggestion> best;
  for (std::size_t k = 2; k < paths.size(); ++k) {
    const OffsetPath& p = paths[k];
    if (!p.found) continue;
    // The path's score (a log-likelihood of standardised values) as a rise of r; and every
    // edit more must add clearly to it, as chance realignments add little.
    const double rise = (p.score - paths[0].score) / ((1.0 + os.bp_weight) * pairs);
    if (rise < settings_.min_gain / 2.0) continue;
    bool beats_shorter = true;
    for (std::size_t j = 0; j < k; ++j)
      beats_shorter =
          beats_shorter && (!paths[j].found || p.score - paths[j].score >= settings_.path_step);
    if (!beats_shorter) continue;
    const int32_t left = flags_left_by(before, p.edits, f.values, m.filtered, rcrit);
    if (left >= before.flagged || 2 * left > before.flagged) continue;

    Suggestion out;
    out.id = s.id;
    out.edits = placed(filter, s, f, m, p.edits);
    out.r_before = before.r.r;
    out.flagged_before = before.flagged;
    const std::optional<SeriesResult> after = with_edits(filter, s, out.edits, m, grid, settings);
    if (!after) continue;
    out.r_after = after->r.r;
    out.flagged_after = after->flagged;
    if (!considered_ || out.r_after > considered_->r_after + settings_.needed_gain)
      considered_ = out;
    // A clear rise to a significant r; no flag left, or at most half; none added.
    if (out.gain() < settings_.min_gain || !(after->r.p() < settings.pcrit)) continue;
    if (out.flagged_after >= out.flagged_before || 2 * out.flagged_after > out.flagged_before)
      continue;
    if (adds_flag(before, *after)) continue;
    // Every edit needed: without any one of them, or any few (an insert and a delete near
    // each other leave the rest of the series where it was), r falls clearly.
    bool needed = true;
    std::vector<Edit> fewer;
    SeriesInput v;
    const uint32_t all = (1u << out.edits.size()) - 1u;
    for (uint32_t keep = 1; keep < all && needed; ++keep) {
      fewer.clear();
      for (std::size_t j = 0; j < out.edits.size(); ++j) {
        if (keep & (1u << j)) fewer.push_back(out.edits[j]);
      }
      if (!apply_edits(s, fewer, Filling::estimated, v)) continue;
      ++refilters_;
      const Filtered g = filter(v.first, v.values);
      if (g.status != FilterStatus::ok) continue;
      const Correlation r = correlate(g.values, m.filtered);
      needed = !r.valid || clearly_above(out.r_after, r.r, after->r.n);
    }
    if (!needed) continue;
    if (!best || clearly_above(out.r_after, best->r_after, after->r.n)) best = out;
  }
  return best;
}

std::optional<Suggestion> Locator::operator()(Filter& filter, const SeriesInput& s,
                                              const Filtered& f, const Master& m,
                                              const SeriesResult& before, const SegmentGrid& grid,
                                              const Settings& settings) {
  considered_.reset();
  refs_.clear();
  for (std::size_t j = 0; j < m.others.size(); ++j) {
    if (j != m.own && m.others[j] && !m.others[j]->empty()) refs_.push_back(m.others[j]);
  }
  refs_bp_.clear();
  for (std::size_t j = 0; j < m.others_bp.size(); ++j) {
    if (j != m.own && m.others_bp[j] && !m.others_bp[j]->empty())
      refs_bp_.push_back(m.others_bp[j]);
  }
  if (!before.usable() || before.flagged == 0 || !before.r.valid || f.status != FilterStatus::ok)
    return std::nullopt;
  const double rcrit = critical_r(grid.length, settings.pcrit);
  const std::optional<Suggestion> one = single(filter, s, f, m, before, grid, settings, rcrit);
  const std::optional<Suggestion> seen_one = considered_;
  const std::optional<Suggestion> many = sequence(filter, s, f, m, before, grid, settings, rcrit);
  if (many && (!one || clearly_above(many->r_after, one->r_after, before.r.n))) {
    considered_ = many;
    return many;
  }
  if (one || !considered_) considered_ = one ? one : seen_one;
  return one;
}

}  // namespace ringdate::xdate
