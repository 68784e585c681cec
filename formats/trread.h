// Reads every series of the open data file (unit 10) into the store's value matrix, one
// reader call per series, checks the limits and prints the summary line. Its work area
// (the readers and their buffers) lives in this object for the whole run.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/matrix.h"
#include "formats/cdf.h"
#include "formats/refusal.h"
#include "formats/rinfrn.h"
#include "formats/trrw.h"
#include "recio/session.h"

namespace ringdate {

class Trread {
 public:
  explicit Trread(recio::Session& session);
  // Reads every series of the file open on unit 10 in the format `mode` ("MR", "IR", "CR"
  // or "CD", either case) and prints the summary line; or refuses the file (a reader's
  // refusal, a limit exceeded, no series at all) without printing it. The limits: a series
  // of at most min(max_years, curve.size()) values (curve is the buffer of one series), a
  // span of as many years, at most max_series series, and at most max_store_cells cells.
  // wrk, iyr and ids grow as the series come; once read, wrk has axis_rows(span) rows and
  // store_columns(nser) columns, iyr one row and ids one identifier more or as many.
  [[nodiscard]] Refused operator()(Matrix<float>& wrk, std::span<float> curve,
                                   const std::string& mode, int32_t& nser, Matrix<int32_t>& iyr,
                                   std::vector<std::string>& ids, int32_t max_years,
                                   int32_t max_series);
  [[nodiscard]] Refused operator()(Matrix<float>& wrk, Vec<float>& curve, const std::string& mode,
                                   int32_t& nser, Matrix<int32_t>& iyr,
                                   std::vector<std::string>& ids, int32_t max_years,
                                   int32_t max_series) {
    return (*this)(wrk, curve.span(), mode, nser, iyr, ids, max_years, max_series);
  }

  Trrw& trrw() { return trrw_; }

 private:
  recio::Session* s_;
  Trrw trrw_;
  Rinfrn rinfrn_;
  Cdf cdf_;
  std::string id_ = std::string(8, ' ');
  int32_t ifyr_ = 0, nval_ = 0, nread_ = 0;
  std::string title_ = std::string(80, ' ');
  std::array<std::string, 3> hdr_{std::string(85, ' '), std::string(85, ' '), std::string(85, ' ')};
  std::string ltag_ = "   ";
  std::vector<int32_t> icnt_ = std::vector<int32_t>(10000, 0);
  int32_t lyr_ = 0, lser_ = 0;       // the limits of this reading
  int32_t iyrmin_ = 0, iyrmax_ = 0;  // overall first and last year so far

  Refused read_series(const std::string& mode, std::span<float> curve, bool& got);
  Refused check_limits();
  void file_series(Matrix<float>& wrk, std::span<const float> curve, int32_t& nser,
                   Matrix<int32_t>& iyr, std::vector<std::string>& ids);
  void grow_store(Matrix<float>& wrk, int32_t nser, Matrix<int32_t>& iyr,
                  std::vector<std::string>& ids);
  void fit_store(Matrix<float>& wrk, int32_t nser, Matrix<int32_t>& iyr,
                 std::vector<std::string>& ids);
  int64_t last_year() const { return static_cast<int64_t>(ifyr_) + nval_ - 1; }
};

}  // namespace ringdate
