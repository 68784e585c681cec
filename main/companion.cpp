#include "main/companion.h"

#include <algorithm>

namespace ringdate {

ComparedView compared_view(const PlotRecords& rec, const Tsi1& tsi1, const Pltset& pltset) {
  ComparedView v;
  v.tsi1 = &tsi1;
  v.nsel = static_cast<int32_t>(
      std::clamp<int64_t>(tsi1.nsel, 0, static_cast<int64_t>(tsi1.sel.cols())));
  v.edits = &rec.edits;
  v.winfst = rec.theinput.winfst;
  v.winlst = rec.theinput.winlst;
  v.xmin = pltset.xmin;
  v.xmax = pltset.xmax;
  v.curve_colour = pltset.colr(2);
  v.line_colour = pltset.colr(1);
  v.frame_colour = pltset.frmcol;
  v.text_colour = pltset.txtcol;
  v.bgr = pltset.bgr, v.bgg = pltset.bgg, v.bgb = pltset.bgb;
  v.stem = rec.thenames.stem;
  return v;
}

}  // namespace ringdate
