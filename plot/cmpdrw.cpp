#include "plot/cmpdrw.h"

#include <span>

namespace ringdate {

namespace {

void draw_frame(Plotter& pl, const ComparisonPicture& pic) {
  const Pltset& p = pic.style;
  pl.plvpor(0.12f, 0.95f, 0.25f, 0.9f);
  pl.plwind(p.xmin, p.xmax, p.ymin, p.ymax);
  pl.plcol(p.frmcol);
  pl.plaxes(p.xmin, p.ymin, "abinst", p.xtick, p.nxsub, "abinstv", p.ytick, p.nysub);
  pl.plcol(p.txtcol);
  pl.pllab(pic.xlab, pic.ylab, pic.title);
}

void draw_curve(Plotter& pl, const Pltset& p, const ComparisonCurve& c) {
  if (c.first_series) {
    pl.pllsty(p.sty(1));
    pl.plcol(p.colr(2));
    pl.plwid(p.sty(2));
  } else {
    pl.plcol(p.colr(1));
    pl.pllsty(1);
    pl.plwid(1);
  }
  const std::size_t n = std::min(c.years.size(), c.values.size());
  const std::span<const float> xs = std::span<const float>(c.years).first(n);
  const std::span<const float> ys = std::span<const float>(c.values).first(n);
  // Years without a ring width (negative: skipped by the file, a gap code) break the
  // curve: each run of years with a value is one line.
  if (n == 0) pl.plline(xs, ys);
  for (std::size_t a = 0; a < n;) {
    while (a < n && ys[a] < 0.0f) ++a;
    std::size_t b = a;
    while (b < n && !(ys[b] < 0.0f)) ++b;
    if (b > a) pl.plline(xs.subspan(a, b - a), ys.subspan(a, b - a));
    a = b;
  }
}

// The names, six to a row under the plot.
void draw_names(Plotter& pl, const ComparisonPicture& pic) {
  const Pltset& p = pic.style;
  pl.plschr(0.0f, 0.7f);
  pl.plcol(p.colr(2));
  float disp = 8.0f, pos = 0.0f;
  pl.plmtex("b", disp, pos, 0.0f, pic.names.empty() ? std::string() : pic.names[0]);
  pl.plcol(p.colr(1));
  for (std::size_t k = 2; k <= pic.names.size(); ++k) {
    pos += 0.175f;
    if ((k - 1) % 6 == 0) {
      disp += 1.5f;
      pos = 0.0f;
    }
    pl.plmtex("b", disp, pos, 0.0f, pic.names[k - 1]);
  }
}

}  // namespace

void cmpdrw(Plotter& pl, const ComparisonPicture& pic, const std::string& device) {
  const Pltset& p = pic.style;
  start_page(pl, device, p.bgr, p.bgg, p.bgb);
  draw_frame(pl, pic);
  for (const ComparisonCurve& c : pic.curves) draw_curve(pl, p, c);
  draw_names(pl, pic);
  pl.plend();
}

}  // namespace ringdate
