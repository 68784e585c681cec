#include "main/picking.h"

#include <algorithm>

namespace ringdate {

void startup_fill(Store& store, Tsi1& tsi1) {
  store.wrk.fill(rmiss);
  store.changed();
  tsi1.sel.fill(rmiss);
}

void fit_picks(const Store& store, Tsi1& tsi1) {
  const std::size_t rows = store.wrk.rows(), cols = store.wrk.cols();
  if (tsi1.sel.rows() == rows && tsi1.sel.cols() == cols) return;
  tsi1.sel = Matrix<float>(rows, cols, rmiss);
  tsi1.syr.resize(cols + 1, 2);
  tsi1.sid.resize(cols, std::string(8, ' '));
}

void begin_pass(Tsi1& tsi1, PickPass& pass) {
  tsi1.nsel = 0;
  pass.first = INT32_MAX;
  pass.last = INT32_MIN;
}

bool add_pick(Store& store, Tsi1& tsi1, PickPass& pass, int32_t s) {
  if (tsi1.nsel == 0) fit_picks(store, tsi1);
  if (static_cast<std::size_t>(tsi1.nsel) >= std::min(tsi1.sel.cols(), store.iseq.size()) ||
      s < 1 || s > store.nser)
    return false;
  tsi1.nsel += 1;
  const int32_t k = tsi1.nsel;
  store.iseq(static_cast<std::size_t>(k)) = s;
  std::string& sid = tsi1.sid[static_cast<std::size_t>(k - 1)];
  sid.assign(8, ' ');
  const std::string& id = store.ids[static_cast<std::size_t>(s - 1)];
  sid.replace(0, std::min<std::size_t>(8, id.size()), id, 0, std::min<std::size_t>(8, id.size()));
  tsi1.syr(k, 1) = store.iyr(s, 1);
  tsi1.syr(k, 2) = store.iyr(s, 2);
  pass.first = std::min(pass.first, store.iyr(s, 1));
  pass.last = std::max(pass.last, store.iyr(s, 2));
  return true;
}

void close_pass(const Store& store, Tsi1& tsi1, const PickPass& pass) {
  const int32_t nsel = tsi1.nsel;
  if (nsel < 1) return;
  tsi1.syr(nsel + 1, 1) = pass.first;
  tsi1.syr(nsel + 1, 2) = pass.last;
  const int32_t iyrmin = store.iyrmin();
  for (int32_t k = 1; k <= nsel; ++k) {
    const int32_t s = store.iseq(static_cast<std::size_t>(k));
    const int32_t n = store.iyr(s, 2) - store.iyr(s, 1) + 1;
    const int32_t d = store.iyr(s, 1) - iyrmin;
    const int32_t dk = tsi1.syr(k, 1) - pass.first;
    {
      auto col = tsi1.sel.column(static_cast<std::size_t>(k));  // nothing of an earlier pass stays
      std::fill(col.begin(), col.end(), rmiss);
    }
    // The aligned store keeps every span within its rows; a pick's rows in sel (as many)
    // lie within the picks' own span, which is no longer.
    const auto rows = static_cast<int64_t>(std::min(store.wrk.rows(), tsi1.sel.rows()));
    if (n < 1 || d < 0 || dk < 0 || int64_t{d} + n > rows || int64_t{dk} + n > rows) continue;
    for (int32_t r = 1; r <= n; ++r) tsi1.sel(r, k) = store.wrk(d + r, s);
    if (dk == 0) continue;
    for (int32_t r = n; r >= 1; --r) tsi1.sel(r + dk, k) = tsi1.sel(r, k);
    for (int32_t r = 1; r <= dk; ++r) tsi1.sel(r, k) = rmiss;
  }
}

}  // namespace ringdate
