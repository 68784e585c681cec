#include "plot/companion.h"

#include <algorithm>

namespace ringdate {

ComparedView compared_view(const PlotRecords& rec, const Tsi1& tsi1, const Pltset& pltset) {
  ComparedView v;
  v.tsi1 = &tsi1;
  v.nsel = std::clamp<int32_t>(tsi1.nsel, 0, mxser);
  v.winfst = rec.theinput.winfst;
  v.winlst = rec.theinput.winlst;
  v.xmin = pltset.xmin;
  v.xmax = pltset.xmax;
  v.curve_colour = pltset.colr(2);
  v.line_colour = pltset.colr(1);
  v.frame_colour = pltset.frmcol;
  v.text_colour = pltset.txtcol;
  v.bgr = pltset.bgr, v.bgg = pltset.bgg, v.bgb = pltset.bgb;
  std::string stem = rec.thenames.datnam;
  stem.erase(stem.find_last_not_of(' ') + 1);
  if (stem.size() >= 5 && stem.compare(stem.size() - 5, 5, "_DATA") == 0)
    stem.resize(stem.size() - 5);
  v.stem = stem;
  return v;
}

}  // namespace ringdate
