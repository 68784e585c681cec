// Detrending of the store: every series becomes value / curve, the curve being its
// cubic smoothing spline with a 50% response at 20 years.
#include "main/detrend.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

namespace ringdate {

namespace {

constexpr int32_t iper = 20;

// The label of the value axis, as a blank-padded 20-character field.
std::string field20(std::string_view text) {
  std::string s(text.substr(0, 20));
  s.resize(20, ' ');
  return s;
}

// The series go to the spline a few at a time (it fits them side by side), each with its
// values and spline curve as long as the store's axis; then each in turn becomes indices or
// is told about, as one series at a time would.
class Batches {
 public:
  Batches(recio::Session& session, Store& store, Spline& spline)
      : session_(&session), store_(&store), spline_(&spline) {
    for (std::size_t s = 0; s < batch; ++s) {
      values_.emplace_back(store.wrk.rows());
      fitted_.emplace_back(store.wrk.rows());
    }
  }
  // Queues series i of n years (its rows first + 1..first + n of the store); false when a
  // series too long for the spline has stopped everything.
  bool add(int32_t i, std::size_t first, int32_t n);
  // Fits the series queued and makes them indices; false as add.
  bool flush();

 private:
  static constexpr std::size_t batch = Spline::kBatch;
  struct Waiting {
    int32_t i;
    std::span<float> w;    // the series' rows of the store
    std::span<float> vec;  // its values with a ring width, from the front
  };
  recio::Session* session_;
  Store* store_;
  Spline* spline_;
  std::vector<Vec<float>> values_, fitted_;
  std::array<Waiting, batch> waiting_{};
  std::array<Spline::Fit, batch> fits_{};
  std::size_t nw_ = 0;

  // Tells of a series the spline did not fit; false when it stops everything.
  bool tell(SplineStatus fit, int32_t i);
};

bool Batches::add(int32_t i, std::size_t first, int32_t n) {
  const auto len = static_cast<std::size_t>(std::max(n, 0));
  const auto w = store_->wrk.column(static_cast<std::size_t>(i)).subspan(first, len);
  // The spline runs over the years with a value: a negative value (a year the file skips,
  // a gap code) is no ring width.
  Vec<float>& v = values_[nw_];
  const std::span<float> vec = v.span().first(std::min(len, v.size()));
  std::size_t m = 0;
  for (std::size_t k = 0; k < vec.size(); ++k)
    if (!(w[k] < 0.0f)) vec[m++] = w[k];
  const auto kept = m == vec.size() ? n : static_cast<int32_t>(m);
  fits_[nw_] = Spline::Fit{kept, v.span(), fitted_[nw_].span()};
  waiting_[nw_] = Waiting{i, w.first(vec.size()), vec};
  return ++nw_ < batch || flush();
}

bool Batches::tell(SplineStatus fit, int32_t i) {
  // A series the spline cannot fit keeps its measurements; the console says which one.
  static const recio::Layout short_msg =
      recio::Layout::fixed("(1X,'*** Series ',A,' not detrended (too short for the spline)')");
  static const recio::Layout pd_msg =
      recio::Layout::fixed("(1X,'*** Series ',A,' not detrended (matrix not positive definite)')");
  static const recio::Layout too_long = recio::Layout::fixed(
      "(/T2,'*** SERIES TOO LONG FOR SPLINE SUBROUTINE ***'/T2,' *** ENLARGE MXY PARAMETER IN "
      "SUBROUTINE ***'/)");
  if (fit == SplineStatus::too_long) {
    session_->write(too_long);
    return false;
  }
  if (fit == SplineStatus::not_positive_definite)
    session_->line(">> Sbr SPLINE: Matrix not positive definite");
  session_->write(fit == SplineStatus::not_positive_definite ? pd_msg : short_msg,
                  {store_->ids[static_cast<std::size_t>(i - 1)]});
  return true;
}

bool Batches::flush() {
  if (nw_ == 0) return true;
  spline_->fit(std::span<Spline::Fit>(fits_.data(), nw_), iper);
  const std::size_t n = nw_;
  nw_ = 0;
  for (std::size_t s = 0; s < n; ++s) {
    const Waiting& x = waiting_[s];
    if (fits_[s].status != SplineStatus::ok) {
      if (!tell(fits_[s].status, x.i)) return false;
      continue;
    }
    const std::span<const float> curve = fitted_[s].span();
    for (std::size_t k = 0, j = 0; k < x.w.size(); ++k) {
      if (x.w[k] < 0.0f) {  // no ring width, no index
        x.w[k] = rmiss;
        continue;
      }
      const float g = curve[j];
      const float r = x.vec[j++] / g;
      // A zero curve or a ratio beyond the reals has no index: the year holds rmiss.
      x.w[k] = (g == 0.0f || !std::isfinite(r)) ? rmiss : r;
    }
  }
  return true;
}

}  // namespace

bool detrend_store(recio::Session& session, Store& store, Spline& spline) {
  store.units = field20("INDICES");
  const int32_t nser = static_cast<int32_t>(
      std::clamp<int64_t>(store.nser, 0, static_cast<int64_t>(store.wrk.cols())));
  if (nser == 0) return true;
  store.changed();
  const int32_t iyrmin = store.iyrmin();
  const auto rows = static_cast<int64_t>(store.wrk.rows());
  // After a series too long for the spline nothing more is touched.
  Batches batches(session, store, spline);
  for (int32_t i = 1; i <= nser; ++i) {
    const int32_t n = store.iyr(i, 2) - store.iyr(i, 1) + 1;
    const int32_t d = store.iyr(i, 1) - iyrmin;
    // The alignment keeps every span inside the store; a span that is not stays untouched.
    if (d < 0 || static_cast<int64_t>(d) + std::max(n, 0) > rows) continue;
    // Rows d+1..d+n of column i (bounds checked above; n <= 0 copies nothing).
    if (!batches.add(i, static_cast<std::size_t>(d), n)) return false;
  }
  return batches.flush();
}

}  // namespace ringdate
