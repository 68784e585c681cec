// The records the comparison loop fills for the renderer: the plot window and value range,
// the drawn spans, and the labels and names.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/matrix.h"
#include "core/store.h"

namespace ringdate {

struct TheData {
  float xfrom = 0, xto = 0, yfrom = 0, yto = 0;
  int32_t ndraw = 0;
  int32_t yr0 = 0;
};

struct TheInput {
  Vec<int32_t> drwfst{mxser};
  Vec<int32_t> drwlst{mxser};
  int32_t winfst = 0, winlst = 0;
};

struct TheNames {
  std::string toplab = std::string(80, ' ');
  std::string datnam = std::string(60, ' ');
  std::string pltnam = std::string(60, ' ');
  std::string xlab = std::string(60, ' ');
  std::string ylab = std::string(60, ' ');
  std::vector<std::string> cmpnam = std::vector<std::string>(mxser, std::string(8, ' '));
};

// Everything the renderer reads: the loop's records and the compared values.
struct PlotRecords {
  TheData thedata;
  TheInput theinput;
  TheNames thenames;
};

// The comparison loop draws through this interface: draw the plot from the records and
// tsi1, run the plot options menu, return when the user continues.
class Drawer {
 public:
  virtual ~Drawer() = default;
  virtual void cmpdrw(const PlotRecords& rec, const Tsi1& tsi1) = 0;
  // The comparison loop is over: close the plot window.
  virtual void finish() {}
};

// Stand-in that draws nothing and continues at once.
class NullDrawer final : public Drawer {
 public:
  void cmpdrw(const PlotRecords&, const Tsi1&) override {}
};

}  // namespace ringdate
