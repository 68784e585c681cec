#include "main/xdwindow.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <exception>
#include <optional>

#include "core/ringedit.h"
#include "recio/fields.h"
#include "xdate/cells.h"
#include "xdate/report.h"
#include "xdate/store_input.h"

namespace ringdate {

namespace {

using recio::trimmed;

// A number with its decimals, or "-" when there is none.
std::string number(bool valid, double x, int decimals) {
  if (!valid || !std::isfinite(x)) return "-";
  return xdate::formatted("%.*f", decimals, x);
}

const char* note_text(xdate::LiveNote n) {
  switch (n) {
    case xdate::LiveNote::none:
      return "";
    case xdate::LiveNote::single_series:
      return "crossdating needs at least two series";
    case xdate::LiveNote::too_short:
      return "too short for the crossdating filter";
    case xdate::LiveNote::invalid:
      return "a negative or invalid value: no crossdating statistics";
    case xdate::LiveNote::no_overlap:
      return "no years in common with the master";
  }
  return "";
}

// The statistics line of compared series k (1-based), or its note.
std::string stats_line(int32_t k, const std::string& name, const xdate::LiveSeries& s) {
  const std::string head = xdate::formatted("%d %-8s", k, name.c_str());
  if (s.note != xdate::LiveNote::none) return head + "  " + note_text(s.note);
  const xdate::SeriesResult& r = s.stats;
  return head + "  r " + number(r.r.valid, r.r.r, 3) + "  tBP " +
         number(r.bp.t_defined(), r.bp.t(), 1) + "  tHo " + number(r.ho.t_defined(), r.ho.t(), 1) +
         "  GLK " + number(r.glk.valid(), r.glk.value, 3) +
         xdate::formatted("  flagged %d", r.flagged);
}

// The edits of a suggestion from the `made`-th on (all of them when 0) in the series' lines
// of text, with the suggestion's figures, and as marks (numbered in a sequence).
void add_suggestion(XdateCurve& c, const xdate::Suggestion& g, std::size_t made) {
  xdate::Suggestion rest = g;
  if (made > 0) {
    rest.edits.erase(rest.edits.begin(), rest.edits.begin() + static_cast<std::ptrdiff_t>(made));
    c.text.push_back(
        xdate::formatted("   %zu of the %zu edits made; the rest:", made, g.edits.size()));
  }
  for (const std::string& line : xdate::suggestion_lines(rest)) c.text.push_back("   " + line);
  c.text.push_back(xdate::formatted("   (r %.2f -> %.2f, flagged segments %d -> %d%s)", g.r_before,
                                    g.r_after, g.flagged_before, g.flagged_after,
                                    made > 0 ? ", every edit made" : ""));
  for (std::size_t k = made; k < g.edits.size(); ++k) {
    const xdate::Edit& e = g.edits[k];
    std::string label = xdate::formatted("%c %d %c", e.kind == xdate::EditKind::insert ? 'I' : 'D',
                                         e.type_year(), g.side);
    if (g.edits.size() > 1) label = xdate::formatted("%zu: ", k + 1) + label;
    c.marks.push_back({static_cast<float>(e.year), label});
  }
}

// A series as the window takes it: its years, its measured values, and 0 for a ring the
// loop inserted (1 for one as measured; a merge adds the two marks).
struct Rings {
  int32_t first = 0;
  std::vector<float> raw;
  std::vector<float> marks;

  int32_t last() const { return first + static_cast<int32_t>(raw.size()) - 1; }
};

// Makes one change of the loop, through the ring edit module on an axis of the series' own
// with a free year before and after it; a change that does not fit changes nothing.
void make(Rings& s, const LoopEdit& e) {
  if (e.kind == LoopEdit::Kind::shift) s.first += e.shift;
  if (e.kind != LoopEdit::Kind::ring || s.raw.empty()) return;
  const auto n = static_cast<int32_t>(s.raw.size());
  const auto rows = static_cast<std::size_t>(n) + 2;
  Matrix<float> raw(rows, 1, rmiss), marks(rows, 1, rmiss);
  Vec<float> raw_work(rows), marks_work(rows);
  for (int32_t k = 0; k < n; ++k) {
    raw(static_cast<std::size_t>(k) + 2, 1) = s.raw[static_cast<std::size_t>(k)];
    marks(static_cast<std::size_t>(k) + 2, 1) = s.marks[static_cast<std::size_t>(k)];
  }
  const std::array<Matrix<float>*, 2> planes{&raw, &marks};
  const std::array<Vec<float>*, 2> work{&raw_work, &marks_work};
  SeriesAxis axis{planes, work, s.first - 1, n + 1, 1};
  const std::optional<YearSpan> to = apply_ring_edit(e.ring, {s.first, s.last()}, 1, axis);
  if (!to) return;
  s.first = to->first;
  s.raw.clear();
  s.marks.clear();
  for (int32_t y = to->first; y <= to->last; ++y) {
    const auto row = static_cast<std::size_t>(y - axis.origin + 1);
    s.raw.push_back(raw(row, 1));
    s.marks.push_back(marks(row, 1));
  }
}

// The same series: the same years and values (whether a ring was inserted in a comparison
// or carried into the store as a zero ring).
bool same_series(const xdate::Version& a, const xdate::Version& b) {
  return a.first == b.first && a.values == b.values;
}

// A change of the loop to the values or years of compared series `pick`.
bool changes(const LoopEdit& e, int32_t pick) {
  return e.series == pick && e.kind != LoopEdit::Kind::rescale;
}

}  // namespace

xdate::Version edited_version(const Store& store, int32_t series, std::span<const LoopEdit> edits,
                              int32_t pick) {
  xdate::Version v;
  if (series < 1 || series > store.nser || static_cast<std::size_t>(series) > store.raw.cols())
    return v;
  Rings s;
  s.first = store.iyr(series, 1);
  for (int32_t y = s.first; y <= store.iyr(series, 2); ++y) {
    const int64_t row = int64_t{y} - store.iyrmin() + 1;
    if (row < 1 || row > static_cast<int64_t>(store.raw.rows())) break;
    s.raw.push_back(store.raw(static_cast<std::size_t>(row), static_cast<std::size_t>(series)));
  }
  s.marks.assign(s.raw.size(), 1.0f);
  for (const LoopEdit& e : edits) {
    if (e.series == pick) make(s, e);
  }
  v.first = s.first;
  v.values.reserve(s.raw.size());
  v.inserted.reserve(s.raw.size());
  for (std::size_t k = 0; k < s.raw.size(); ++k) {
    v.values.push_back(xdate::decimal_value(s.raw[k]));
    v.inserted.push_back(s.marks[k] == 0.0f);
  }
  return v;
}

CrossdatingWindow::CrossdatingWindow(const Store& store, Plotter& plotter)
    : store_(&store), window_(plotter) {}

CrossdatingWindow::~CrossdatingWindow() = default;

// The file's data are built again when the store changed, the masters of the compared
// series when the picks changed too; a comparison of the same series in an unchanged store
// keeps what it had.
void CrossdatingWindow::prepare(const std::vector<int32_t>& picks) {
  if (prepared_ && prepared_->first == store_->revision && prepared_->second == picks) return;
  prepared_.emplace(store_->revision, picks);
  failure_.clear();
  live_.reset();
  try {
    if (!data_ || data_revision_ != store_->revision) {
      data_.reset();
      data_ = std::make_unique<xdate::Dataset>(xdate::series_of_store(*store_), xdate::Settings{});
      data_revision_ = store_->revision;
    }
    std::vector<int32_t> which;
    for (const int32_t s : picks)
      which.push_back(s >= 1 && static_cast<std::size_t>(s) <= data_->size() ? s - 1 : -1);
    live_ = std::make_unique<xdate::LiveComparison>(*data_, std::move(which));
  } catch (const std::exception& e) {
    failure_ = e.what();
    live_.reset();
    data_.reset();
  }
}

void CrossdatingWindow::add_edits(XdateCurve& c, int32_t series, bool changed,
                                  const xdate::Version& v, const xdate::LiveSeries& s) {
  const std::string& id = store_->ids[static_cast<std::size_t>(series - 1)];
  if (const auto it = sequences_.find(series); it != sequences_.end() && it->second.id == id) {
    const Sequence& q = it->second;
    for (std::size_t j = 1; j < q.steps.size(); ++j) {
      if (same_series(q.steps[j], v)) {
        add_suggestion(c, q.named, j);
        return;
      }
    }
  }
  // A sequence named for the series as the store holds it is remembered with the series
  // after each of its first edits, made as the loop would make them.
  if (!changed) {
    sequences_.erase(series);
    if (s.suggestion && s.suggestion->edits.size() > 1) {
      Sequence q{id, *s.suggestion, {v}};
      std::vector<LoopEdit> made;
      for (std::size_t j = 1; j < q.named.edits.size(); ++j) {
        made.push_back({LoopEdit::Kind::ring, 1, 0, q.named.edits[j - 1].ring_edit()});
        q.steps.push_back(edited_version(*store_, series, made, 1));
      }
      sequences_.emplace(series, std::move(q));
    }
  }
  if (s.suggestion) add_suggestion(c, *s.suggestion, 0);
}

XdateCurve CrossdatingWindow::curve(const ComparedView& view, std::size_t k, int32_t series) {
  const auto pick = static_cast<int32_t>(k + 1);
  const std::span<const LoopEdit> edits =
      view.edits != nullptr ? std::span<const LoopEdit>(*view.edits) : std::span<const LoopEdit>();
  const xdate::Version v = edited_version(*store_, series, edits, pick);
  const xdate::LiveSeries& s = live_->update(k, v, view.winfst, view.winlst);
  XdateCurve c;
  c.colour = k == 0 ? view.curve_colour : view.line_colour;
  for (const auto& [x, r] : s.moving) {
    c.moving_x.push_back(static_cast<float>(x));
    c.moving_r.push_back(static_cast<float>(r));
  }
  for (int32_t lag = -xdate::LiveSeries::max_lag; lag <= xdate::LiveSeries::max_lag; ++lag) {
    const xdate::Correlation& r =
        s.lags[static_cast<std::size_t>(lag + xdate::LiveSeries::max_lag)];
    if (!r.valid) continue;
    c.lag_x.push_back(static_cast<float>(lag));
    c.lag_r.push_back(static_cast<float>(r.r));
  }
  const std::string name =
      view.tsi1 != nullptr && k < view.tsi1->sid.size() ? trimmed(view.tsi1->sid[k]) : "";
  c.text.push_back(stats_line(pick, name, s));
  if (s.note != xdate::LiveNote::none || series < 1 ||
      static_cast<std::size_t>(series) > store_->ids.size())
    return c;
  const bool changed =
      std::any_of(edits.begin(), edits.end(), [&](const LoopEdit& e) { return changes(e, pick); });
  add_edits(c, series, changed, v, s);
  return c;
}

XdatePicture CrossdatingWindow::picture(const ComparedView& view) {
  XdatePicture pic;
  pic.title = view.stem + ": crossdating with the master of the other series";
  pic.xmin = view.xmin;
  pic.xmax = view.xmax;
  pic.frame_colour = view.frame_colour;
  pic.text_colour = view.text_colour;
  pic.bgr = view.bgr, pic.bgg = view.bgg, pic.bgb = view.bgb;
  // The store series of the picks (0 for a pick the store does not hold).
  const auto nsel = static_cast<std::size_t>(
      std::clamp<int64_t>(view.nsel, 0, static_cast<int64_t>(store_->iseq.size())));
  std::vector<int32_t> picks;
  for (std::size_t k = 1; k <= nsel; ++k) {
    const int32_t s = store_->iseq(k);
    picks.push_back(s >= 1 && s <= store_->nser ? s : 0);
  }
  prepare(picks);
  if (!failure_.empty()) {
    pic.note = "The crossdating statistics could not be prepared: " + failure_;
    return pic;
  }
  if (!live_ || !data_) {
    pic.note = "No series to crossdate.";
    return pic;
  }
  if (data_->size() < 2) {
    pic.note = "Crossdating needs at least two series: this file has one.";
    return pic;
  }
  pic.critical_r = static_cast<float>(live_->critical_r());
  pic.max_lag = xdate::LiveSeries::max_lag;
  for (std::size_t k = 0; k < std::min(picks.size(), live_->size()); ++k)
    pic.series.push_back(curve(view, k, picks[k]));
  pic.footer.push_back(xdate::formatted(
      "Dashed: critical r %.4f of %d years (p %g); lag 0, the dated", live_->critical_r(),
      xdate::LiveSeries::moving_length, data_->settings().pcrit));
  pic.footer.push_back("position. Each series against the master of all other series of the file.");
  return pic;
}

XdatePicture CrossdatingWindow::picture_or_note(const ComparedView& view) {
  try {
    return picture(view);
  } catch (const std::exception& e) {
    XdatePicture pic;
    pic.title = view.stem;
    pic.note = std::string("The crossdating statistics could not be computed: ") + e.what();
    return pic;
  }
}

void CrossdatingWindow::drawn(const ComparedView& view) {
  window_.show(picture_or_note(view), view.stem);
}

void CrossdatingWindow::saved(const ComparedView& view) {
  window_.save(picture_or_note(view), view.stem);
  save_error_ = window_.error();
}

void CrossdatingWindow::finish() { window_.close(); }

}  // namespace ringdate
