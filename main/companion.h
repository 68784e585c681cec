// A view that accompanies the comparison plot: the plot options menu tells it every drawing
// and save of the plot, with the picks, the loop's changes to them and the x range drawn,
// and the end of the comparison. The view draws on its own (another window, other files)
// and writes nothing to the console.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/store.h"
#include "main/records.h"
#include "plot/pltset.h"

namespace ringdate {

// What the comparison plot shows at one drawing.
struct ComparedView {
  const Tsi1* tsi1 = nullptr;  // sel and syr as they stand, the names in sid
  int32_t nsel = 0;
  // The loop's changes to the compared series so far, in order (none when null).
  const std::vector<LoopEdit>* edits = nullptr;
  int32_t winfst = 0, winlst = 0;  // years of the comparison window
  float xmin = 0, xmax = 0;        // x range drawn
  int32_t curve_colour = 1;        // first series
  int32_t line_colour = 15;        // every later series
  int32_t frame_colour = 15, text_colour = 15;
  int32_t bgr = 254, bgg = 254, bgb = 254;
  std::string stem;  // the data file's name: files of the view are named after it
};

// The view of a drawing made from the loop's records and the menu's settings.
ComparedView compared_view(const PlotRecords& rec, const Tsi1& tsi1, const Pltset& pltset);

class Companion {
 public:
  virtual ~Companion() = default;
  // The comparison plot was drawn (on the screen, or into its picture file without one).
  virtual void drawn(const ComparedView& view) = 0;
  // The comparison plot was saved: the view saves itself beside it.
  virtual void saved(const ComparedView& view) = 0;
  // Why the last save of the view failed (one line), or empty when it was written.
  virtual std::string save_error() const { return {}; }
  // The comparison is over: its window closes.
  virtual void finish() = 0;
};

}  // namespace ringdate
