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

#include "core/parallel.h"

#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

namespace ringdate {

namespace {

constexpr int32_t iper = 20;

// The label of the value axis, as a blank-padded 20-character field.
std::string field20(std::string_view text) {
  std::string s(text.substr(0, 20));
  s.resize(20, ' ');
  return s;
}

// A series of the store to detrend: its number and its rows first + 1..first + n.
struct Span {
  int32_t i;
  std::size_t first;
  int32_t n;
};

// index[k] = value[k] / curve[k], rmiss where the curve is zero or the ratio is beyond the
// reals: four at a time where the processor has SSE2 (the same division, r - r == 0 being
// the finite test).
void indices(std::span<const float> value, std::span<const float> curve, std::span<float> index) {
  std::size_t k = 0;
#if defined(__SSE2__)
  const __m128 zero = _mm_setzero_ps(), missing = _mm_set1_ps(rmiss);
  for (; k + 4 <= index.size(); k += 4) {
    const __m128 g = _mm_loadu_ps(curve.data() + k);
    const __m128 r = _mm_div_ps(_mm_loadu_ps(value.data() + k), g);
    const __m128 ok = _mm_andnot_ps(_mm_cmpeq_ps(g, zero), _mm_cmpeq_ps(_mm_sub_ps(r, r), zero));
    _mm_storeu_ps(index.data() + k, _mm_or_ps(_mm_and_ps(ok, r), _mm_andnot_ps(ok, missing)));
  }
#endif
  for (; k < index.size(); ++k) {
    const float g = curve[k];
    const float r = value[k] / g;
    index[k] = (g == 0.0f || !std::isfinite(r)) ? rmiss : r;
  }
}

// The series go to the spline a few at a time (it fits them side by side), each with its
// values and spline curve as long as the store's axis; then each in turn becomes indices. A
// fitter belongs to one thread: the store's columns it writes are those of its series.
class Fitter {
 public:
  explicit Fitter(std::size_t rows) {
    for (std::size_t s = 0; s < batch; ++s) {
      values_.emplace_back(rows);
      fitted_.emplace_back(rows);
    }
  }
  static constexpr std::size_t batch = Spline::kBatch;
  // Fits the series of `spans` (at most `batch`, every one within what `spline` has
  // prepared or longer than the spline holds) and makes each fitted one indices, in order up
  // to the first too long for the spline; their outcomes go to `status`.
  void run(const Spline& spline, Store& store, std::span<const Span> spans,
           std::span<SplineStatus> status);

 private:
  std::vector<Vec<float>> values_, fitted_;
  Spline::Work work_;
};

void Fitter::run(const Spline& spline, Store& store, std::span<const Span> spans,
                 std::span<SplineStatus> status) {
  std::array<Spline::Fit, batch> fits{};
  std::array<std::span<float>, batch> rows{}, vecs{};
  std::array<bool, batch> every_year{};  // every year of the series has a ring width
  const std::size_t n = std::min(spans.size(), batch);
  for (std::size_t s = 0; s < n; ++s) {
    const Span& x = spans[s];
    const auto len = static_cast<std::size_t>(std::max(x.n, 0));
    const auto w = store.wrk.column(static_cast<std::size_t>(x.i)).subspan(x.first, len);
    // The spline runs over the years with a value: a negative value (a year the file skips,
    // a gap code) is no ring width.
    Vec<float>& v = values_[s];
    const std::span<float> vec = v.span().first(std::min(len, v.size()));
    std::size_t m = 0;
    for (std::size_t k = 0; k < vec.size(); ++k)
      if (!(w[k] < 0.0f)) vec[m++] = w[k];
    every_year[s] = m == vec.size();
    const auto kept = every_year[s] ? x.n : static_cast<int32_t>(m);
    fits[s] = Spline::Fit{kept, v.span(), fitted_[s].span()};
    rows[s] = w.first(vec.size());
    vecs[s] = vec;
  }
  spline.fit(std::span<Spline::Fit>(fits.data(), n), iper, work_);
  for (std::size_t s = 0; s < n; ++s) {
    status[s] = fits[s].status;
    if (fits[s].status == SplineStatus::too_long) return;
    if (fits[s].status != SplineStatus::ok) continue;
    const std::span<float> w = rows[s];
    const std::span<const float> curve = fitted_[s].span();
    if (every_year[s]) {
      indices(vecs[s], curve.first(w.size()), w);
      continue;
    }
    for (std::size_t k = 0, j = 0; k < w.size(); ++k) {
      if (w[k] < 0.0f) {  // no ring width, no index
        w[k] = rmiss;
        continue;
      }
      const float g = curve[j];
      const float r = vecs[s][j++] / g;
      // A zero curve or a ratio beyond the reals has no index: the year holds rmiss.
      w[k] = (g == 0.0f || !std::isfinite(r)) ? rmiss : r;
    }
  }
}

// Tells of a series the spline did not fit; false when it stops everything.
bool tell(recio::Session& session, const Store& store, SplineStatus fit, int32_t i) {
  // A series the spline cannot fit keeps its measurements; the console says which one.
  static const recio::Layout short_msg =
      recio::Layout::fixed("(1X,'*** Series ',A,' not detrended (too short for the spline)')");
  static const recio::Layout pd_msg =
      recio::Layout::fixed("(1X,'*** Series ',A,' not detrended (matrix not positive definite)')");
  static const recio::Layout too_long = recio::Layout::fixed(
      "(/T2,'*** SERIES TOO LONG FOR SPLINE SUBROUTINE ***'/T2,' *** ENLARGE MXY PARAMETER IN "
      "SUBROUTINE ***'/)");
  if (fit == SplineStatus::too_long) {
    session.write(too_long);
    return false;
  }
  if (fit == SplineStatus::not_positive_definite)
    session.line(">> Sbr SPLINE: Matrix not positive definite");
  session.write(fit == SplineStatus::not_positive_definite ? pd_msg : short_msg,
                {store.ids[static_cast<std::size_t>(i - 1)]});
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
  std::vector<Span> spans;
  for (int32_t i = 1; i <= nser; ++i) {
    const int32_t n = store.iyr(i, 2) - store.iyr(i, 1) + 1;
    const int32_t d = store.iyr(i, 1) - iyrmin;
    // The alignment keeps every span inside the store; a span that is not stays untouched.
    if (d < 0 || static_cast<int64_t>(d) + std::max(n, 0) > rows) continue;
    spans.push_back(Span{i, static_cast<std::size_t>(d), n});
  }
  std::vector<SplineStatus> status(spans.size(), SplineStatus::ok);
  const std::size_t batch = Fitter::batch;
  // A series too long for the spline stops everything: nothing after it is touched. The
  // series before the first that may be too long are fitted on the machine's threads, a
  // few at a time each, then told about in order; the rest go one batch at a time.
  std::size_t together = 0;
  int32_t longest = 0;
  for (; together < spans.size() && spans[together].n <= Spline::MXY; ++together)
    longest = std::max(longest, spans[together].n);
  spline.prepare(longest, iper);
  const std::size_t batches = (together + batch - 1) / batch;
  std::vector<Fitter> fitters;
  for (std::size_t w = 0; w < std::max<std::size_t>(workers_for(batches), 1); ++w)
    fitters.emplace_back(store.wrk.rows());
  const std::span<const Span> first_spans(spans.data(), together);
  parallel_for(batches, [&](std::size_t b, std::size_t w) {
    const std::size_t from = b * batch;
    fitters[w].run(spline, store, first_spans.subspan(from, std::min(batch, together - from)),
                   std::span<SplineStatus>(status).subspan(from));
  });
  for (std::size_t k = 0; k < together; ++k)
    if (status[k] != SplineStatus::ok) tell(session, store, status[k], spans[k].i);
  for (std::size_t from = together; from < spans.size(); from += batch) {
    const std::span<const Span> some =
        std::span<const Span>(spans).subspan(from, std::min(batch, spans.size() - from));
    int32_t most = 0;
    for (const Span& x : some)
      if (x.n <= Spline::MXY) most = std::max(most, x.n);
    spline.prepare(most, iper);
    fitters[0].run(spline, store, some, std::span<SplineStatus>(status).subspan(from));
    for (std::size_t s = 0; s < some.size(); ++s) {
      if (status[from + s] == SplineStatus::ok) continue;
      if (!tell(session, store, status[from + s], some[s].i)) return false;
    }
  }
  return true;
}

}  // namespace ringdate
