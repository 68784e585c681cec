#include "formats/trread.h"

#include <algorithm>
#include <cstdint>

#include "core/store.h"

namespace ringdate {

Trread::Trread(recio::Session& session)
    : s_(&session), trrw_(session), rinfrn_(session), cdf_(session) {}

void Trread::operator()(Matrix<float>& wrk, Vec<float>& curve, const std::string& mode,
                        int32_t& nser, Matrix<int32_t>& iyr, std::vector<std::string>& ids,
                        int32_t max_years, int32_t max_series) {
  static const recio::Layout too_long = recio::Layout::fixed(
      "(/1X,'*** Series read in exceeds maximum allowable ','length: ',A8,2X,I5,' > ',I5,"
      "' MAX ***')");
  static const recio::Layout too_many = recio::Layout::fixed(
      "(/1X,'*** Number of series exceeds maximum allowed: ',I3,' MAX ***')");
  static const recio::Layout too_wide = recio::Layout::fixed(
      "(/1X,'*** Series read in span more than the maximum allowable ','number of years: ',"
      "A8,2X,I9,' > ',I5,' MAX ***')");
  static const recio::Layout summary =
      recio::Layout::fixed("(/,1X,I6,' series from',I7,' to',I7,I8,' years')");

  // The limits may not exceed what the caller's arrays hold.
  const int32_t lyr = std::min<int64_t>({max_years, static_cast<int64_t>(wrk.rows()),
                                         static_cast<int64_t>(curve.size())});
  const int32_t lser = std::min<int64_t>({max_series, static_cast<int64_t>(wrk.cols()),
                                          static_cast<int64_t>(ids.size()),
                                          static_cast<int64_t>(iyr.rows()) - 1});
  const std::string_view m(mode);

  // Steps 1 and 2.
  wrk.fill(rmiss);
  int32_t iyrmin = 9999, iyrmax = -9999;
  nread_ = 0;
  nser = 0;

  // Step 3: one reader call per series.
  for (;;) {
    id_.assign(8, ' ');
    ltag_.assign(3, ' ');
    std::span<float> buf = curve.span().first(static_cast<std::size_t>(std::max(lyr, 0)));
    if (m == "MR" || m == "mr" || m == "IR" || m == "ir") {
      const bool index = m == "IR" || m == "ir";
      std::string rmode = index ? "IR" : "MR";  // a fresh copy for every series
      if (index) id_.assign(8, '*');
      trrw_(id_, ifyr_, nval_, buf, icnt_, nread_, 10, 0, rmode, title_, ltag_, lyr, hdr_);
      if (nval_ <= 0) break;
    } else if (m == "CR" || m == "cr") {
      rinfrn_(id_, ifyr_, nval_, buf, icnt_, nread_, 10, title_, lyr);
      if (nval_ <= 0) break;
    } else if (m == "CD" || m == "cd") {
      cdf_(id_, buf, ifyr_, nval_, nread_, 10, lyr, title_);
      if (nval_ < 0) break;
    } else {
      break;
    }
    id_.resize(8, ' ');

    if (nval_ > lyr) {
      s_->write(too_long, {recio::Out(id_), recio::Out(nval_), recio::Out(lyr)});
      s_->pause(" ");
      s_->stop();
    }
    if (nread_ > lser) {
      s_->write(too_many, {recio::Out(lser)});
      s_->pause(" ");
      s_->stop();
    }
    // The store's calendar axis holds lyr years for all series together.
    const int64_t last = static_cast<int64_t>(ifyr_) + nval_ - 1;
    const int64_t lo = std::min<int64_t>(iyrmin, ifyr_);
    const int64_t hi = std::max<int64_t>(iyrmax, last);
    if (hi - lo + 1 > lyr) {
      s_->write(too_wide, {recio::Out(id_), recio::Out(static_cast<int32_t>(
                                                std::min<int64_t>(hi - lo + 1, INT32_MAX))),
                           recio::Out(lyr)});
      s_->pause(" ");
      s_->stop();
    }

    ++nser;
    ids[nser - 1].assign(id_, 0, 8);
    iyr(nser, 1) = ifyr_;
    iyr(nser, 2) = static_cast<int32_t>(last);
    iyrmin = static_cast<int32_t>(lo);
    iyrmax = static_cast<int32_t>(hi);
    const auto values = curve.span().first(static_cast<std::size_t>(std::max(nval_, 0)));
    std::copy(values.begin(), values.end(), wrk.column(static_cast<std::size_t>(nser)).begin());
  }

  // Step 4.
  if (nser <= 0) {
    s_->pause(" *** NC .LE. 0 AFTER READING TREE-RING DATA");
    s_->stop();
  }

  // Steps 5 and 6.
  iyr(nser + 1, 1) = iyrmin;
  iyr(nser + 1, 2) = iyrmax;
  const int32_t span = iyrmax - iyrmin + 1;
  s_->write(summary, {recio::Out(nser), recio::Out(iyrmin), recio::Out(iyrmax), recio::Out(span)});
}

}  // namespace ringdate
