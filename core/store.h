// The series store of one run and the shared record tsi1 through which the driver hands
// picked series to the comparison loop and gets posted ring edits back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/limits.h"
#include "core/matrix.h"

namespace ringdate {

// The picked series and the posted edit.
struct Tsi1 {
  Matrix<float> sel{mxyr, mxser, rmiss};
  Vec<float> vec{mxyr};
  Matrix<int32_t> syr{mxser + 1, 2};
  std::vector<std::string> sid = std::vector<std::string>(mxser, std::string(8, ' '));
  int32_t nsel = 0;
  std::string edid = std::string(8, ' ');
  int32_t edyr = 0;
  char edside = ' ';
  char edop = ' ';
  // Position in the selection (1..nsel) of the series last chosen for adjustment, so that
  // a posted edit reaches the series the user picked even when identifiers repeat (the
  // driver maps it through the store's iseq); 0 when none was chosen.
  int32_t edsel = 0;
  // The earlier of the two years of a posted merge (edyr holds the year the side chose).
  int32_t edmrg = no_edit;
};

// The driver-side store.
struct Store {
  Matrix<float> wrk{mxyr, mxser, rmiss};
  Matrix<float> raw{mxyr, mxser, rmiss};
  int32_t nser = 0;
  Matrix<int32_t> iyr{mxser + 1, 2};
  std::vector<std::string> ids = std::vector<std::string>(mxser, std::string(8, ' '));
  std::string mode = "  ";
  std::string units = std::string(20, ' ');
  std::string fname = std::string(40, ' ');  // as typed; longer names are kept whole
  Vec<float> curve{mxyr};
  Vec<int32_t> iseq{mxser};
  std::string title = std::string(80, ' ');

  int32_t iyrmin() const { return iyr(nser + 1, 1); }
  int32_t iyrmax() const { return iyr(nser + 1, 2); }
};

}  // namespace ringdate
