#include "plot/datingchart.h"

#include <algorithm>
#include <cmath>

namespace ringdate {

namespace {

void line(Plotter& p, float x0, float y0, float x1, float y1) {
  const float xs[2] = {x0, x1}, ys[2] = {y0, y1};
  p.plline(xs, ys);
}

void page(Plotter& p, const DatingChart& c, const DatingPanel& d) {
  p.pladv(0);
  p.plvpor(0.10f, 0.95f, 0.14f, 0.86f);
  float x0 = 0.0f, x1 = 1.0f, y0 = -4.0f, y1 = 4.0f;
  if (!d.end_years.empty()) {
    x0 = d.end_years.front() - 1.0f;
    x1 = std::max(d.end_years.back(), d.end_years.front()) + 1.0f;
  }
  for (float z : d.z) {
    if (!std::isfinite(z)) continue;
    y0 = std::min(y0, z);
    y1 = std::max(y1, z);
  }
  if (!d.end_years.empty() && std::isfinite(d.threshold)) y1 = std::max(y1, d.threshold);
  const float margin = 0.08f * (y1 - y0);
  y0 -= margin;
  y1 += margin;
  p.plwind(x0, x1, y0, y1);
  p.plcol(15);
  p.plschr(0.0f, 0.8f);
  p.plaxes(x0, y0, "bcnst", 0.0f, 0, "bcnstv", 0.0f, 0);
  p.pllab("END YEAR OF THE POSITION", "STANDARD UNITS", c.title + ": " + d.id);
  p.plschr(0.0f, 0.7f);
  p.plmtex("t", 0.5f, 0.0f, 0.0f, c.subtitle);
  p.plmtex("b", 5.0f, 0.0f, 0.0f, d.verdict);
  // The statistic, in pieces where positions are missing.
  p.plcol(dating_curve_colour);
  p.plwid(1);
  std::size_t k = 0;
  while (k < d.end_years.size()) {
    std::size_t e = k + 1;
    while (e < d.end_years.size() && d.end_years[e] - d.end_years[e - 1] <= 1.0f &&
           std::isfinite(d.z[e]))
      ++e;
    if (e - k >= 2) {
      p.plline(std::span<const float>(d.end_years).subspan(k, e - k),
               std::span<const float>(d.z).subspan(k, e - k));
    }
    k = e;
  }
  if (!d.end_years.empty() && std::isfinite(d.threshold)) {
    p.plcol(dating_threshold_colour);
    p.pllsty(2);
    line(p, x0, d.threshold, x1, d.threshold);
    p.pllsty(1);
    p.plschr(0.0f, 0.6f);
    p.plptex(x1, d.threshold, 1.0f, 0.0f, 1.0f, "needed to date");
  }
  if (!d.end_years.empty()) {
    const float x = d.dated ? d.dated_end : d.best_end;
    p.plcol(d.dated ? dating_mark_colour : dating_best_colour);
    p.plwid(3);
    line(p, x, y0, x, y1);
    p.plwid(1);
    p.plschr(0.0f, 0.7f);
    // The label beside the mark, on the side with more room.
    const bool right_half = x > 0.5f * (x0 + x1);
    const float dx = 0.005f * (x1 - x0);
    p.plptex(right_half ? x - dx : x + dx, y1 - 0.5f * margin, 1.0f, 0.0f, right_half ? 1.0f : 0.0f,
             d.dated ? "dated" : "best, not dated");
  }
}

}  // namespace

void draw_dating_chart(Plotter& p, const DatingChart& c, const std::string& device) {
  p.plsdev(device);
  p.plscol0(0, 255, 255, 255);
  p.plscol0(15, 0, 0, 0);
  p.plscolbg(255, 255, 255);
  p.plinit();
  p.plfontld(1);
  p.plfont(1);
  p.plssub(1, 1);
  for (const DatingPanel& d : c.panels) page(p, c, d);
  if (c.panels.empty()) {
    p.pladv(0);
    p.plvpor(0.10f, 0.95f, 0.14f, 0.86f);
    p.plwind(0.0f, 1.0f, 0.0f, 1.0f);
    p.plcol(15);
    p.pllab("", "", c.title);
    p.plptex(0.5f, 0.5f, 1.0f, 0.0f, 0.5f, "no sample series");
  }
  p.plend();
}

std::string write_dating_chart(Plotter& p, const DatingChart& chart, const std::string& file) {
  p.plsfnam(file);
  draw_dating_chart(p, chart, file_device);
  return p.failed() ? p.error() : std::string();
}

}  // namespace ringdate
