// Detrending of the store: every series becomes value / curve, the curve being its
// cubic smoothing spline with a 50% response at 20 years.
#include "main/detrend.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <span>
#include <string_view>

namespace ringdate {

namespace {

constexpr int32_t iper = 20;

// The label of the value axis, as a blank-padded 20-character field.
std::string field20(std::string_view text) {
  std::string s(text.substr(0, 20));
  s.resize(20, ' ');
  return s;
}

}  // namespace

bool detrend_store(recio::Session& session, Store& store, Spline& spline) {
  // A series the spline cannot fit keeps its measurements; the console says which one.
  static const recio::Layout short_msg =
      recio::Layout::fixed("(1X,'*** Series ',A,' not detrended (too short for the spline)')");
  static const recio::Layout pd_msg =
      recio::Layout::fixed("(1X,'*** Series ',A,' not detrended (matrix not positive definite)')");

  store.units = field20("INDICES");
  const int32_t nser = static_cast<int32_t>(
      std::clamp<int64_t>(store.nser, 0, static_cast<int64_t>(store.wrk.cols())));
  if (nser == 0) return true;
  const int32_t iyrmin = store.iyrmin();
  const auto rows = static_cast<int64_t>(store.wrk.rows());
  float p = 0.0f;
  // One series' values and its spline curve, as long as the store's axis.
  Vec<float> values{store.wrk.rows()}, fitted{store.wrk.rows()};

  for (int32_t i = 1; i <= nser; ++i) {
    const int32_t n = store.iyr(i, 2) - store.iyr(i, 1) + 1;
    const int32_t d = store.iyr(i, 1) - iyrmin;
    // The alignment keeps every span inside the store; a span that is not stays untouched.
    if (d < 0 || static_cast<int64_t>(d) + std::max(n, 0) > rows) continue;

    // Rows d+1..d+n of column i (bounds checked above; n <= 0 copies nothing).
    const auto len = static_cast<std::size_t>(std::max(n, 0));
    const auto w =
        store.wrk.column(static_cast<std::size_t>(i)).subspan(static_cast<std::size_t>(d), len);
    // The spline runs over the years with a value: a negative value (a year the file skips,
    // a gap code) is no ring width.
    const std::span<float> vec = values.span().first(std::min(len, values.size()));
    std::size_t m = 0;
    for (std::size_t k = 0; k < vec.size(); ++k)
      if (!(w[k] < 0.0f)) vec[m++] = w[k];
    const auto kept = m == vec.size() ? n : static_cast<int32_t>(m);
    const SplineStatus fit = spline(kept, values.span(), fitted.span(), p, iper);
    if (fit == SplineStatus::too_long) {
      static const recio::Layout too_long = recio::Layout::fixed(
          "(/T2,'*** SERIES TOO LONG FOR SPLINE SUBROUTINE ***'/T2,' *** ENLARGE MXY PARAMETER IN "
          "SUBROUTINE ***'/)");
      session.write(too_long);
      return false;
    }
    if (fit == SplineStatus::not_positive_definite)
      session.line(">> Sbr SPLINE: Matrix not positive definite");

    if (fit != SplineStatus::ok) {
      session.write(fit == SplineStatus::not_positive_definite ? pd_msg : short_msg,
                    {store.ids[i - 1]});
      continue;
    }
    const std::span<const float> curve = fitted.span();
    for (std::size_t k = 0, j = 0; k < vec.size(); ++k) {
      if (w[k] < 0.0f) {  // no ring width, no index
        w[k] = rmiss;
        continue;
      }
      const float g = curve[j];
      const float r = vec[j++] / g;
      // A zero curve or a ratio beyond the reals has no index: the year holds rmiss.
      w[k] = (g == 0.0f || !std::isfinite(r)) ? rmiss : r;
    }
  }
  return true;
}

}  // namespace ringdate
