// The comparison plot: the compared series drawn through the plotter seam from a picture
// description that the plot options menu makes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plot/plotter.h"
#include "plot/pltset.h"

namespace ringdate {

// One compared series as drawn.
struct ComparisonCurve {
  bool first_series = false;  // the first pick: drawn in the curve colour, style and width
  std::vector<float> years;   // the years drawn, in order
  std::vector<float> values;  // the value of each year (missing-value marks included)
};

// Everything one drawing of the comparison plot shows.
struct ComparisonPicture {
  Pltset style;                         // colours, ticks, axis limits
  std::string xlab, ylab, title;        // axis labels and the title, as drawn
  std::vector<ComparisonCurve> curves;  // in drawing order
  std::vector<std::string> names;       // under the plot, six to a row; the first in the
                                        // curve colour
};

// Draws the picture on `device` (the screen device, or the file device with the file name
// already set on the plotter).
void cmpdrw(Plotter& plotter, const ComparisonPicture& picture, const std::string& device);

}  // namespace ringdate
