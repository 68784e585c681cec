// The series store of one run, and the picks of one comparison (tsi1), which the driver
// hands to the comparison loop.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/limits.h"
#include "core/matrix.h"

namespace ringdate {

// The series picked for one comparison, on the axis of the earliest pick.
struct Tsi1 {
  // Column k (1..nsel) holds pick k; row 1 is the year syr(nsel + 1, 1), rmiss outside.
  Matrix<float> sel{mxyr, mxser, rmiss};
  // Row k (1..nsel): first and last year of pick k; row nsel + 1: the picks' whole span.
  Matrix<int32_t> syr{mxser + 1, 2};
  // Identifier of pick k (sid[k - 1]), eight characters.
  std::vector<std::string> sid = std::vector<std::string>(mxser, std::string(8, ' '));
  // Number of picks.
  int32_t nsel = 0;
};

// The series of the data file as the dialogue examines and corrects them.
struct Store {
  // Column i (1..nser): series i as examined (indices after the spline), row 1 = iyrmin().
  Matrix<float> wrk{mxyr, mxser, rmiss};
  // Column i: series i as measured (the corrected file is written from these).
  Matrix<float> raw{mxyr, mxser, rmiss};
  // Number of series.
  int32_t nser = 0;
  // Row i (1..nser): first and last year of series i; row nser + 1: the whole span.
  Matrix<int32_t> iyr{mxser + 1, 2};
  // Identifier of series i (ids[i - 1]), eight characters.
  std::vector<std::string> ids = std::vector<std::string>(mxser, std::string(8, ' '));
  // The data format: "MR", "IR", "CR" or "CD" (blank before it is settled).
  std::string mode = "  ";
  // The label of the value axis: "MILLIMETERS" or "INDICES", blank-padded to 20.
  std::string units = std::string(20, ' ');
  // The data file's name as typed; longer names are kept whole.
  std::string fname = std::string(40, ' ');
  // Position k (1..nsel) of the current pass: the store series picked k-th.
  Vec<int32_t> iseq{mxser};
  // The title line of the Tucson corrected file (its name), blank-padded to 80.
  std::string title = std::string(80, ' ');
  // Raised by every change of the series (wrk, raw, nser, iyr, ids: reading, detrending, a
  // carried edit): whoever keeps something made from them compares it to notice a change.
  // The picks (iseq) and the settings (mode, units, fname, title) do not count.
  uint64_t revision = 0;

  // To be called by every function that changes the series.
  void changed() { ++revision; }

  int32_t iyrmin() const { return iyr(nser + 1, 1); }
  int32_t iyrmax() const { return iyr(nser + 1, 2); }
};

}  // namespace ringdate
