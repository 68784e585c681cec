// The comparison plot's style settings: colours, line style, ticks and axis limits, as the
// plot options menu keeps them for the renderer.
#pragma once

#include <cstdint>

#include "core/matrix.h"

namespace ringdate {

// Colours are indexes into colour map 0 (15 black, 1 red, ...).
struct Pltset {
  Vec<int32_t> colr{20};  // 1: line colour (later series), 2: curve colour (first series)
  Vec<int32_t> sty{20};   // 1: line style of the first series, 2: its line width
  int32_t bgr = 0, bgg = 0, bgb = 0;        // background colour (red, green, blue 0..255)
  int32_t txtcol = 0, frmcol = 0;           // colour of the labels and of the frame
  int32_t nxsub = 0, nysub = 0, nzsub = 0;  // minor ticks per major tick (x, y, z)
  float xtick = 0, ytick = 0, ztick = 0;    // major tick spacing (x, y, z)
  float xmax = 0, xmin = 0, ymax = 0, ymin = 0, zmax = 0, zmin = 0;  // axis limits
};

// The default style: line colour black, curve colour red, solid curve of width 2, black
// frame and text, white background. Ticks and axis limits are left as they are.
void default_style(Pltset& pltset);

}  // namespace ringdate
