#include "main/xdwindow.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <exception>
#include <optional>

#include "core/ringedit.h"
#include "xdate/report.h"
#include "xdate/store_input.h"

namespace ringdate {

namespace {

template <class... A>
std::string fmt(const char* f, A... a) {
  char buf[256];
  const int n = std::snprintf(buf, sizeof buf, f, a...);
  return std::string(buf,
                     static_cast<std::size_t>(std::clamp(n, 0, static_cast<int>(sizeof buf) - 1)));
}

// A number with its decimals, or "-" when there is none.
std::string number(bool valid, double x, int decimals) {
  if (!valid || !std::isfinite(x)) return "-";
  return fmt("%.*f", decimals, x);
}

std::string trimmed(std::string s) {
  s.erase(s.find_last_not_of(' ') + 1);
  return s;
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

// The lines of compared series k (1-based) in the text block.
std::vector<std::string> series_text(int32_t k, const std::string& name,
                                     const xdate::LiveSeries& s) {
  const std::string head = fmt("%d %-8s", k, name.c_str());
  if (s.note != xdate::LiveNote::none) return {head + "  " + note_text(s.note)};
  const xdate::SeriesResult& r = s.stats;
  std::vector<std::string> out;
  out.push_back(head + "  r " + number(r.r.valid, r.r.r, 3) + "  tBP " +
                number(r.bp.t_defined(), r.bp.t(), 1) + "  tHo " +
                number(r.ho.t_defined(), r.ho.t(), 1) + "  GLK " +
                number(r.glk.valid(), r.glk.value, 3) + fmt("  flagged %d", r.flagged));
  if (s.suggestion) {
    const xdate::Suggestion& g = *s.suggestion;
    for (const std::string& line : xdate::suggestion_lines(g)) out.push_back("   " + line);
    out.push_back(fmt("   (r %.2f -> %.2f, flagged segments %d -> %d)", g.r_before, g.r_after,
                      g.flagged_before, g.flagged_after));
  }
  return out;
}

}  // namespace

xdate::Version MirroredSeries::version() const {
  xdate::Version v;
  v.first = first;
  v.values.reserve(raw.size());
  v.inserted.reserve(raw.size());
  for (std::size_t k = 0; k < raw.size(); ++k) {
    v.values.push_back(xdate::decimal_value(raw[k]));
    v.inserted.push_back(k < marks.size() && marks[k] == 0.0f);
  }
  return v;
}

void mirror_edit(MirroredSeries& s, const LoopEdit& e) {
  if (e.kind == LoopEdit::Kind::shift) s.first += e.shift;
  if (e.kind != LoopEdit::Kind::ring || s.raw.empty() || s.marks.size() != s.raw.size()) return;
  // The series on an axis of its own, a free year before it and one after it.
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

CrossdatingWindow::CrossdatingWindow(const Store& store, Plotter& plotter)
    : store_(&store), window_(plotter) {}

CrossdatingWindow::~CrossdatingWindow() = default;

void CrossdatingWindow::prepare(const Tsi1& tsi1) {
  if (!data_ || store_->revision != seen_) {
    live_.reset();
    data_.reset();
    data_ = std::make_unique<xdate::Dataset>(xdate::series_of_store(*store_), xdate::Settings{});
    seen_ = store_->revision;
  }
  const auto nsel = static_cast<int32_t>(std::clamp<int64_t>(
      tsi1.nsel, 0, static_cast<int64_t>(std::min(tsi1.sel.cols(), store_->iseq.size()))));
  std::vector<int32_t> which;
  for (int32_t k = 1; k <= nsel; ++k) {
    const int32_t s = store_->iseq(static_cast<std::size_t>(k));
    const bool known = s >= 1 && static_cast<std::size_t>(s) <= data_->size();
    which.push_back(known ? s - 1 : -1);
    MirroredSeries m;
    if (known) {
      m.first = store_->iyr(s, 1);
      for (int32_t y = m.first; y <= store_->iyr(s, 2); ++y) {
        const int64_t row = int64_t{y} - store_->iyrmin() + 1;
        if (row < 1 || row > static_cast<int64_t>(store_->raw.rows())) break;
        m.raw.push_back(store_->raw(static_cast<std::size_t>(row), static_cast<std::size_t>(s)));
      }
      m.marks.assign(m.raw.size(), 1.0f);
    }
    versions_.push_back(m.version());
    mirrored_.push_back(std::move(m));
    names_.push_back(trimmed(tsi1.sid[static_cast<std::size_t>(k - 1)]));
  }
  live_ = std::make_unique<xdate::LiveComparison>(*data_, std::move(which));
}

void CrossdatingWindow::begin(const Tsi1& tsi1) {
  mirrored_.clear();
  versions_.clear();
  names_.clear();
  failure_.clear();
  live_.reset();
  try {
    prepare(tsi1);
  } catch (const std::exception& e) {
    failure_ = e.what();
    live_.reset();
    data_.reset();
  }
}

void CrossdatingWindow::edited(const LoopEdit& edit) {
  if (edit.series < 1 || static_cast<std::size_t>(edit.series) > mirrored_.size()) return;
  const auto k = static_cast<std::size_t>(edit.series - 1);
  mirror_edit(mirrored_[k], edit);
  versions_[k] = mirrored_[k].version();
}

XdatePicture CrossdatingWindow::picture(const ComparedView& view) {
  XdatePicture pic;
  pic.title = view.stem + ": crossdating with the master of the other series";
  pic.xmin = view.xmin;
  pic.xmax = view.xmax;
  pic.frame_colour = view.frame_colour;
  pic.text_colour = view.text_colour;
  pic.bgr = view.bgr, pic.bgg = view.bgg, pic.bgb = view.bgb;
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
  const std::size_t n =
      std::min<std::size_t>(versions_.size(), static_cast<std::size_t>(std::max(view.nsel, 0)));
  for (std::size_t k = 0; k < n; ++k) {
    const xdate::LiveSeries& s = live_->update(k, versions_[k], view.winfst, view.winlst);
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
    c.text = series_text(static_cast<int32_t>(k + 1), names_[k], s);
    pic.series.push_back(std::move(c));
  }
  pic.footer.push_back(fmt("Dashed: critical r %.4f of %d years (p %g); lag 0, the dated",
                           live_->critical_r(), xdate::LiveSeries::moving_length,
                           data_->settings().pcrit));
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
