#include "formats/trread.h"

#include <algorithm>
#include <cstdint>

#include "core/limits.h"

namespace ringdate {

namespace {

bool tucson(std::string_view m) { return m == "MR" || m == "mr" || m == "IR" || m == "ir"; }

}  // namespace

Trread::Trread(recio::Session& session)
    : s_(&session), trrw_(session), rinfrn_(session), cdf_(session) {}

Refused Trread::operator()(Matrix<float>& wrk, std::span<float> curve, const std::string& mode,
                           int32_t& nser, Matrix<int32_t>& iyr, std::vector<std::string>& ids,
                           int32_t max_years, int32_t max_series) {
  static const recio::Layout summary =
      recio::Layout::fixed("(/,1X,I6,' series from',I7,' to',I7,I8,' years')");

  // A series may not be longer than the caller's buffer; the store grows to what the file
  // needs within the limits given.
  lyr_ = static_cast<int32_t>(std::clamp<int64_t>(
      std::min<int64_t>(max_years, static_cast<int64_t>(curve.size())), 0, max_span_years));
  lser_ = std::max(max_series, 0);

  // Steps 1 and 2.
  wrk.fill(rmiss);
  iyrmin_ = INT32_MAX;
  iyrmax_ = INT32_MIN;
  nread_ = 0;
  nser = 0;

  // Step 3: one reader call per series.
  for (;;) {
    id_.assign(8, ' ');
    ltag_.assign(3, ' ');
    bool got = false;
    if (Refused r = read_series(mode, curve, got)) return r;
    if (!got && nval_ == 0 && nread_ > 0 && tucson(mode)) {
      // A Tucson series without values (its first line holds the end marker): the
      // reading goes on with the next.
      std::string id = id_.substr(0, 8);
      id.erase(id.find_last_not_of(' ') + 1);
      s_->line(" *** Series " + id + " has no values: left out");
      continue;
    }
    if (!got) break;
    id_.resize(8, ' ');
    if (Refused r = check_limits()) return r;
    file_series(wrk, curve, nser, iyr, ids);
  }

  // Step 4.
  if (nser <= 0)
    return Refusal{RefusalKind::no_series, {}, " *** NC .LE. 0 AFTER READING TREE-RING DATA", {}};

  // Steps 5 and 6: the store gets the shape of what was read.
  fit_store(wrk, nser, iyr, ids);
  iyr(nser + 1, 1) = iyrmin_;
  iyr(nser + 1, 2) = iyrmax_;
  const int32_t span = iyrmax_ - iyrmin_ + 1;
  s_->write(summary,
            {recio::Out(nser), recio::Out(iyrmin_), recio::Out(iyrmax_), recio::Out(span)});
  return std::nullopt;
}

// One call of the reader the mode names. `got`: a series was read (false at the end of the
// file, and for a mode that names no reader).
Refused Trread::read_series(const std::string& mode, std::span<float> curve, bool& got) {
  const std::string_view m(mode);
  std::span<float> buf = curve.first(static_cast<std::size_t>(std::max(lyr_, 0)));
  Refused r;
  if (m == "MR" || m == "mr" || m == "IR" || m == "ir") {
    const bool index = m == "IR" || m == "ir";
    std::string rmode = index ? "IR" : "MR";  // a fresh copy for every series
    if (index) id_.assign(8, '*');
    r = trrw_(id_, ifyr_, nval_, buf, icnt_, nread_, 10, 0, rmode, title_, ltag_, lyr_, hdr_);
    got = nval_ > 0;
  } else if (m == "CR" || m == "cr") {
    r = rinfrn_(id_, ifyr_, nval_, buf, icnt_, nread_, 10, title_, lyr_);
    got = nval_ > 0;
  } else if (m == "CD" || m == "cd") {
    r = cdf_(id_, buf, ifyr_, nval_, nread_, 10, lyr_, title_);
    got = nval_ >= 0;  // a count of 0 is a series without values
  } else {
    got = false;
  }
  if (r) got = false;
  return r;
}

// The limits of the store, tested before anything of the series is filed: its length, the
// number of series, and the span of the common calendar axis.
Refused Trread::check_limits() {
  static const recio::Layout too_long = recio::Layout::fixed(
      "(/1X,'*** Series read in exceeds maximum allowable ','length: ',A8,2X,I5,' > ',I5,"
      "' MAX ***')");
  static const recio::Layout too_many =
      recio::Layout::fixed("(/1X,'*** Number of series exceeds maximum allowed: ',I3,' MAX ***')");
  static const recio::Layout too_wide = recio::Layout::fixed(
      "(/1X,'*** Series read in span more than the maximum allowable ','number of years: ',"
      "A8,2X,I9,' > ',I5,' MAX ***')");
  if (nval_ > lyr_)
    return refusal(RefusalKind::series_too_long, too_long,
                   {recio::Out(id_), recio::Out(nval_), recio::Out(lyr_)});
  if (nread_ > lser_) return refusal(RefusalKind::too_many_series, too_many, {recio::Out(lser_)});
  const int64_t span =
      std::max<int64_t>(iyrmax_, last_year()) - std::min<int64_t>(iyrmin_, ifyr_) + 1;
  if (span > lyr_) {
    const auto shown = static_cast<int32_t>(std::min<int64_t>(span, INT32_MAX));
    return refusal(RefusalKind::span_too_wide, too_wide,
                   {recio::Out(id_), recio::Out(shown), recio::Out(lyr_)});
  }
  // The store's values: one column of the axis per series, twice (as examined and as
  // measured), within what a run may take.
  const int64_t cells = int64_t{axis_rows(span)} * store_columns(nread_);
  if (cells > max_store_cells) {
    const int64_t mb = cells * static_cast<int64_t>(sizeof(float)) >> 20;
    return Refusal{RefusalKind::too_many_series,
                   {"", " *** The series read in need " + std::to_string(mb) +
                            " MB of memory for each copy of the store: more than the " +
                            std::to_string((max_store_cells * int64_t{sizeof(float)}) >> 20) +
                            " MB it may take"},
                   " ",
                   {}};
  }
  return std::nullopt;
}

// Shapes the store for the series read so far: rows of the axis of their span and a column
// for each, with the shapes of mxyr and mxser at least. Growing copies only the columns
// written; columns grow by half again so that a long file is copied a few times only.
void Trread::grow_store(Matrix<float>& wrk, int32_t nser, Matrix<int32_t>& iyr,
                        std::vector<std::string>& ids) {
  const int64_t span = int64_t{iyrmax_} - iyrmin_ + 1;
  const auto rows = std::max<std::size_t>(wrk.rows(), static_cast<std::size_t>(axis_rows(span)));
  std::size_t cols = wrk.cols();
  if (static_cast<std::size_t>(nser) > cols) cols = std::max<std::size_t>(nser, cols + cols / 2);
  wrk.resize(rows, cols);
  if (iyr.rows() < cols + 1) iyr.resize(cols + 1, 2);
  if (ids.size() < cols) ids.resize(cols, std::string(8, ' '));
}

void Trread::fit_store(Matrix<float>& wrk, int32_t nser, Matrix<int32_t>& iyr,
                       std::vector<std::string>& ids) {
  const auto rows = static_cast<std::size_t>(axis_rows(int64_t{iyrmax_} - iyrmin_ + 1));
  const auto cols = static_cast<std::size_t>(store_columns(nser));
  wrk.resize(rows, cols);
  iyr.resize(cols + 1, 2);
  ids.resize(cols, std::string(8, ' '));
}

// Files the series just read as series nser + 1: identifier, years, values from row 1.
void Trread::file_series(Matrix<float>& wrk, std::span<const float> curve, int32_t& nser,
                         Matrix<int32_t>& iyr, std::vector<std::string>& ids) {
  ++nser;
  iyrmin_ = std::min(iyrmin_, ifyr_);
  iyrmax_ = std::max(iyrmax_, static_cast<int32_t>(last_year()));
  if (static_cast<std::size_t>(nser) > std::min(wrk.cols(), ids.size()) ||
      static_cast<std::size_t>(nser) >= iyr.rows() ||
      static_cast<int64_t>(wrk.rows()) < int64_t{iyrmax_} - iyrmin_ + 1)
    grow_store(wrk, nser, iyr, ids);
  ids[static_cast<std::size_t>(nser - 1)].assign(id_, 0, 8);
  iyr(nser, 1) = ifyr_;
  iyr(nser, 2) = static_cast<int32_t>(last_year());
  const auto values = curve.first(static_cast<std::size_t>(std::max(nval_, 0)));
  std::copy(values.begin(), values.end(), wrk.column(static_cast<std::size_t>(nser)).begin());
}

}  // namespace ringdate
