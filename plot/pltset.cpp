#include "plot/pltset.h"

namespace ringdate {

void default_style(Pltset& p) {
  p.colr(1) = 15;
  p.colr(2) = 1;
  p.sty(1) = 1;
  p.sty(2) = 2;
  p.frmcol = 15;
  p.txtcol = 15;
  p.bgr = 254, p.bgg = 254, p.bgb = 254;
}

}  // namespace ringdate
