#include "plot/segchart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace ringdate {

namespace {

void segment_line(Plotter& p, float x0, float x1, float y) {
  const float xs[2] = {x0, x1}, ys[2] = {y, y};
  p.plline(xs, ys);
}

// Row k (0 = the first series) at the top of the page: its y.
float row_y(std::size_t k, std::size_t rows) { return static_cast<float>(rows - k); }

void legend(Plotter& p, const SegmentChart& c) {
  p.plschr(0.0f, 0.6f);
  p.plcol(chart_low_colour);
  char below[32];
  std::snprintf(below, sizeof below, "r below %.4f", static_cast<double>(c.critical_r));
  p.plmtex("b", 7.5f, 0.0f, 0.0f, below);
  p.plcol(chart_mid_colour);
  p.plmtex("b", 7.5f, 0.22f, 0.0f, "r up to 0.5");
  p.plcol(chart_high_colour);
  p.plmtex("b", 7.5f, 0.40f, 0.0f, "r above 0.5");
  p.plcol(chart_grey);
  p.plmtex("b", 7.5f, 0.58f, 0.0f, "not tested");
  p.plcol(chart_edit_colour);
  p.plmtex("b", 7.5f, 0.76f, 0.0f, "suggested edit");
  p.plcol(15);
  p.plmtex("b", 9.5f, 0.0f, 0.0f,
           "A: not significant; B: correlates better at another lag. Segments alternate above and "
           "below the "
           "series' line.");
}

}  // namespace

int32_t chart_colour(const ChartSegment& s, float critical_r) {
  if (!s.valid || s.r < critical_r) return chart_low_colour;
  return s.r <= 0.5f ? chart_mid_colour : chart_high_colour;
}

namespace {

// Segment g of a row at height y: a bar coloured by its r, its flags marked. Segments overlap
// by half: alternate ones stand above and below the line.
void draw_segment(Plotter& p, const ChartSegment& s, std::size_t g, float y, int32_t bar,
                  float critical_r) {
  const float sy = y + (g % 2 == 0 ? 0.18f : -0.18f);
  p.plcol(chart_colour(s, critical_r));
  p.plwid(bar);
  // A year short at either end, so that neighbours on one side stay apart.
  segment_line(p, static_cast<float>(s.start) + 1.0f, static_cast<float>(s.end), sy);
  p.plwid(1);
  if (s.flag_a || s.flag_b) {
    p.plcol(15);
    const std::string marks = std::string(s.flag_a ? "A" : "") + (s.flag_b ? "B" : "");
    const float my = sy + (g % 2 == 0 ? 0.12f : -0.38f);
    p.plptex(0.5f * static_cast<float>(s.start + s.end + 1), my, 1.0f, 0.0f, 0.5f, marks);
  }
}

}  // namespace

void draw_segment_chart(Plotter& p, const SegmentChart& c, const std::string& device) {
  const std::size_t n = c.rows.size();
  const float x0 = static_cast<float>(c.first_year) - 1.0f;
  const float x1 = static_cast<float>(std::max(c.last_year, c.first_year)) + 1.0f;
  // Text and bars shrink with the number of rows so that every row fits the page.
  const float text =
      std::clamp(30.0f / static_cast<float>(std::max<std::size_t>(n, 1)), 0.15f, 0.6f);
  const int32_t bar = std::clamp(
      static_cast<int32_t>(std::lround(120.0 / static_cast<double>(std::max<std::size_t>(n, 1)))),
      1, 6);

  start_page(p, device, 255, 255, 255);
  p.plvpor(0.12f, 0.97f, 0.16f, 0.90f);
  p.plwind(x0, x1, 0.0f, static_cast<float>(n) + 1.0f);
  p.plcol(15);
  p.plaxes(x0, 0.0f, "bcnst", 0.0f, 0, "bc", 0.0f, 0);
  p.pllab("YEARS", "", c.title);
  p.plschr(0.0f, 0.7f);
  p.plmtex("t", 0.5f, 0.0f, 0.0f, c.subtitle);

  for (std::size_t k = 0; k < n; ++k) {
    const ChartRow& row = c.rows[k];
    const float y = row_y(k, n);
    p.plschr(0.0f, text);
    p.plcol(15);
    p.plmtex("lv", 0.5f, y / (static_cast<float>(n) + 1.0f), 1.0f, row.id);
    // The whole span grey; the tested segments over it.
    p.plcol(chart_grey);
    p.plwid(1);
    segment_line(p, static_cast<float>(row.first), static_cast<float>(row.last) + 1.0f, y);
    if (!row.note.empty()) {
      p.plptex(static_cast<float>(row.last) + 0.01f * (x1 - x0), y, 1.0f, 0.0f, 0.0f, row.note);
    }
    for (std::size_t g = 0; g < row.segments.size(); ++g)
      draw_segment(p, row.segments[g], g, y, bar, c.critical_r);
    for (const ChartEdit& e : row.edits) {
      p.plcol(chart_edit_colour);
      p.plwid(2);
      const float ex = static_cast<float>(e.year) + 0.5f;
      const float xs[2] = {ex, ex}, ys[2] = {y - 0.4f, y + 0.4f};
      p.plline(xs, ys);
      p.plwid(1);
      p.plptex(ex + 0.005f * (x1 - x0), y + 0.1f, 1.0f, 0.0f, 0.0f, e.label);
    }
  }
  legend(p, c);
  p.plend();
}

std::string write_segment_chart(Plotter& p, const SegmentChart& chart, const std::string& file) {
  p.plsfnam(file);
  draw_segment_chart(p, chart, file_device);
  return p.failed() ? p.error() : std::string();
}

}  // namespace ringdate
