// The plot settings record and the style questions of the plot options menu.
#pragma once

#include <cstdint>
#include <string>

#include "core/matrix.h"
#include "core/store.h"
#include "recio/session.h"

namespace ringdate {

// The renderer's settings, kept for the whole run. Colours are indexes into colour map 0.
struct Pltset {
  Vec<int32_t> colr{20};  // 1: line colour (later series), 2: curve colour (first series)
  Vec<int32_t> sty{20};   // 1: line style of the first series, 2: its line width
  Vec<float> xpt{mxyr};   // points of the series being drawn
  Vec<float> ypt{mxyr};
  std::string dev = std::string(8, ' ');
  int32_t opt = 0;
  int32_t bgr = 0, bgg = 0, bgb = 0;
  int32_t txtcol = 0, frmcol = 0;
  int32_t nxsub = 0, nysub = 0, nzsub = 0;
  float xtick = 0, ytick = 0, ztick = 0;
  float xmax = 0, xmin = 0, ymax = 0, ymin = 0, zmax = 0, zmin = 0;
  int32_t npt = 0;
  float ldisp = 0, lpos = 0;
  std::string ans = std::string(2, ' ');
};

// The device name kept in `dev` for the screen.
inline const std::string screen_dev = "Mac1    ";

// Asks the question of plot option `opt` (1 to 17) and stores the answer in its field of
// `pltset`; option 99 sets the default style without asking. Other options do nothing.
void pltsty(recio::Session& session, Pltset& pltset, int32_t opt);

}  // namespace ringdate
