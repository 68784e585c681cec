// The segment chart of a crossdating check: one page, one row per series, one bar per tested
// segment coloured by its correlation with the master, flagged segments marked A and/or B,
// the untested years of a series grey, and the year of a suggested edit marked. The chart
// is drawn from plain numbers through the plotter seam.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plot/plotter.h"

namespace ringdate {

struct ChartSegment {
  int32_t start = 0, end = 0;
  float r = 0;
  bool valid = false;  // r was computed
  bool flag_a = false, flag_b = false;
};

struct ChartEdit {
  int32_t year = 0;   // where the edit acts on the series
  std::string label;  // what to type, e.g. "I 1904 B"
};

struct ChartRow {
  std::string id;
  int32_t first = 0, last = 0;
  std::string note;  // e.g. "too short": the row shows only its grey span and the note
  std::vector<ChartSegment> segments;
  std::vector<ChartEdit> edits;
};

struct SegmentChart {
  std::string title, subtitle;
  int32_t first_year = 0, last_year = 0;
  float critical_r = 0.3281f;
  std::vector<ChartRow> rows;
};

// Colours of the bars (colour map 0): below the critical r, up to 0.5, and above.
inline constexpr int32_t chart_low_colour = 1;   // red
inline constexpr int32_t chart_mid_colour = 9;   // blue
inline constexpr int32_t chart_high_colour = 3;  // green
inline constexpr int32_t chart_grey = 7;
inline constexpr int32_t chart_edit_colour = 13;  // magenta

int32_t chart_colour(const ChartSegment& s, float critical_r);

// Draws the chart as one page on `device` (after plsfnam for a file device).
void draw_segment_chart(Plotter& p, const SegmentChart& chart, const std::string& device);

// Writes the chart as a PostScript colour file; the library's error when that failed, "" if
// it did not.
std::string write_segment_chart(Plotter& p, const SegmentChart& chart, const std::string& file);

}  // namespace ringdate
