// Compact format reader: one series per call (header with count, first year, name,
// exponent and the layout of the data lines; then the scaled integers). Besides headers in
// the fixed columns, a line marked "~" in column 80 whose fixed columns do not read is read
// by the positions of its "=" signs (headers written from column 1 by other tools). A blank
// line where a header is expected is skipped.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "formats/refusal.h"
#include "recio/session.h"

namespace ringdate {

class Cdf {
 public:
  explicit Cdf(recio::Session& session) : s_(&session) {}
  // Reads one series, or refuses the file.
  [[nodiscard]] Refused operator()(std::string& id, std::span<float> vals, int32_t& ifyr,
                                   int32_t& nval, int32_t& nread, int iunit, int32_t maxlen,
                                   std::string& title);

 private:
  recio::Session* s_;
  // Work area kept for the whole run.
  std::string line_ = std::string(80, ' ');
  std::string fmt_ = std::string(8, ' ');
  int32_t e_ = 0;
  std::vector<recio::In> items_;
  float sink_ = 0.0f;  // receives values beyond the caller's array

  std::string record_;
  Refusal fail(RefusalKind kind, const recio::Layout& layout, const std::string& id, int32_t ifyr,
               int32_t nval);
  Refused find_header(std::string& id, int32_t& ifyr, int32_t& nval, int iunit, std::string& title,
                      bool& found);
  bool header_line(std::string& id, int32_t& ifyr, int32_t& nval);
  Refused read_values(const std::string& id, std::span<float> vals, int32_t ifyr, int32_t nval,
                      int iunit);
};

}  // namespace ringdate
