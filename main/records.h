// The records the comparison loop fills at every drawing for the plot options menu: the
// plot window and value range, the series drawn, the labels and names, and the changes the
// loop made to the compared series.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/limits.h"
#include "core/ringedit.h"
#include "core/store.h"

namespace ringdate {

struct TheData {
  float xfrom = 0, xto = 0;  // x range: the window's first and last year
  float yfrom = 0, yto = 0;  // y range: the values inside the window (yfrom not below 0)
  int32_t ndraw = 0;         // series the window took at the last drawing
  int32_t yr0 = 0;           // the year of row 1 of the compared values (sel)
};

// One compared series as the plot draws it.
struct DrawnSeries {
  int32_t pick = 0;             // its position among the picks: column `pick` of sel
  int32_t first = 0, last = 0;  // the years drawn
};

struct TheInput {
  std::vector<DrawnSeries> drawn;  // in drawing order
  int32_t winfst = 0, winlst = 0;  // the window: first and last year (reversed when so typed)
};

struct TheNames {
  std::string toplab = std::string(80, ' ');  // the title: the file name and "DATA FILE"
  std::string xlab = std::string(60, ' ');    // "YEARS", indented
  std::string ylab = std::string(60, ' ');    // the units of the values
  std::string stem;                           // the data file's name without trailing blanks
  // Identifier of pick k (cmpnam[k - 1]), eight characters.
  std::vector<std::string> cmpnam = std::vector<std::string>(mxser, std::string(8, ' '));
};

// One change the comparison loop made to compared series `series` (1..nsel), as it made it
// in sel and syr: a shift by `shift` years, a rescale, or the ring edit `ring`.
struct LoopEdit {
  enum class Kind { shift, rescale, ring };
  Kind kind = Kind::shift;
  int32_t series = 0;
  int32_t shift = 0;
  RingEdit ring{RingOp::insert, 0, Side::keep};
};

// Everything the loop hands to the plot options menu besides the compared values.
struct PlotRecords {
  TheData thedata;
  TheInput theinput;
  TheNames thenames;
  // Every change the loop has made to the compared series since the comparison began, in
  // order: the picks' series in the store with these made are the series compared (the
  // store gets the posted edit only when the caller carries it).
  std::vector<LoopEdit> edits;
};

// The comparison loop draws through this interface: draw the plot from the records and
// the picks, run the plot options menu, return when the user continues.
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
