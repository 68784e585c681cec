// Reads every series of the open data file (unit 10) into the store's value matrix, one
// reader call per series, checks the limits and prints the summary line. Its work area
// (the readers and their buffers) lives in this object for the whole run.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/cdf.h"
#include "formats/rinfrn.h"
#include "formats/trrw.h"
#include "core/matrix.h"
#include "recio/session.h"

namespace ringdate {

class Trread {
 public:
  explicit Trread(recio::Session& session);
  void operator()(Matrix<float>& wrk, Vec<float>& curve, const std::string& mode,
                  int32_t& nser, Matrix<int32_t>& iyr, std::vector<std::string>& ids,
                  int32_t max_years, int32_t max_series);

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
};

}  // namespace ringdate
