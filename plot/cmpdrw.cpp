#include "plot/cmpdrw.h"

#include <algorithm>
#include <cstdint>

#include "plot/lalign.h"
#include "plot/ticit.h"

namespace ringdate {

namespace {

using recio::Layout;

// A text as the library gets it: without its trailing blanks.
std::string trimmed(const std::string& s) {
  const auto end = s.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : s.substr(0, end + 1);
}

void write_menu(recio::Session& s) {
  static const Layout menu = Layout::fixed("(//17(15x,a47/)/15x,' enter option number > ',$)");
  s.write(menu, {
                    "|************* plot options menu *************|",
                    "| replot            [0]  minor ticks  y  [11] |",
                    "| background color  [1]  major ticks  z  [12] |",
                    "| frame color       [2]  minor ticks  z  [13] |",
                    "| text color        [3]  max. x          [14] |",
                    "| line color        [4]  min. x          [15] |",
                    "| curve  color      [5]  max. y          [16] |",
                    "| curve style       [6]  min. y          [17] |",
                    "| curve width       [7]                  [  ] |",
                    "| major ticks  x    [8]                  [  ] |",
                    "| minor ticks  x    [9]                  [  ] |",
                    "| major ticks  y   [10]                  [  ] |",
                    "|                                             |",
                    "|           reset plot options  [99]          |",
                    "|---------------------------------------------|",
                    "|          [s]ave plot   <[c]ontinue>         |",
                    "|_____________________________________________|",
                });
}

}  // namespace

std::string Cmpdrw::screen_file(const TheNames& names) {
  return trimmed(names.datnam) + "_SCREEN.ps";
}

void Cmpdrw::note(const std::string& text) {
  static const Layout a = Layout::fixed("(a)");
  s_->write(a, {recio::Out(text)});
}

void Cmpdrw::reset(const PlotRecords& rec) {
  pltset_.dev = screen_dev;
  pltset_.opt = 99;
  pltsty(*s_, pltset_, 99);
  pltset_.xmin = rec.thedata.xfrom;
  pltset_.xmax = rec.thedata.xto;
  pltset_.ymin = rec.thedata.yfrom;
  pltset_.ymax = rec.thedata.yto;
  ticit(pltset_.xmin, pltset_.xmax, pltset_.ymin, pltset_.ymax, pltset_.zmin, pltset_.zmax,
        pltset_.nxsub, pltset_.nysub, pltset_.nzsub, pltset_.xtick, pltset_.ytick, pltset_.ztick);
  xlab_ = rec.thenames.xlab;
  ylab_ = rec.thenames.ylab;
  toplab_ = rec.thenames.toplab;
  lalign(xlab_);
  lalign(ylab_);
  lalign(toplab_);
}

void Cmpdrw::draw_once(const PlotRecords& rec, const Tsi1& tsi1, const std::string& device) {
  Pltset& p = pltset_;
  Plotter& pl = *p_;
  pl.plsdev(device);
  pl.plscol0(0, 255, 255, 255);
  pl.plscol0(15, 0, 0, 0);
  pl.plscolbg(p.bgr, p.bgg, p.bgb);
  pl.plinit();
  pl.plfontld(1);
  pl.plfont(1);
  pl.plssub(1, 1);
  pl.pladv(0);
  pl.plvpor(0.12f, 0.95f, 0.25f, 0.9f);
  pl.plwind(p.xmin, p.xmax, p.ymin, p.ymax);
  pl.plcol(p.frmcol);
  pl.plaxes(p.xmin, p.ymin, "abinst", p.xtick, p.nxsub, "abinstv", p.ytick, p.nysub);
  pl.plcol(p.txtcol);
  pl.pllab(trimmed(xlab_), trimmed(ylab_), trimmed(toplab_));

  // The series: taken by the loop's test, the j-th taken one over the j-th drawn span.
  const TheData& d = rec.thedata;
  const TheInput& in = rec.theinput;
  const auto picks = static_cast<int64_t>(std::min(tsi1.sel.cols(), in.drwfst.size()));
  const auto ndraw = static_cast<int32_t>(std::clamp<int64_t>(d.ndraw, 0, picks));
  const auto rows = static_cast<int64_t>(tsi1.sel.rows());
  if (p.xpt.size() < tsi1.sel.rows()) {  // room for the points of the longest series
    p.xpt.resize(tsi1.sel.rows());
    p.ypt.resize(tsi1.sel.rows());
  }
  int32_t j = 0;
  for (int32_t k = 1; k <= ndraw; ++k) {
    if (!(tsi1.syr(k, 2) > in.winfst || tsi1.syr(k, 1) < in.winlst)) continue;
    ++j;
    const int64_t first = in.drwfst(j);
    const int64_t last = in.drwlst(j);
    // Only years whose rows lie in the compared values are taken (all of them, for the
    // records the loop fills).
    const int64_t lo = std::max<int64_t>(first, int64_t{d.yr0});
    const int64_t hi = std::min<int64_t>(last, int64_t{d.yr0} + rows - 1);
    p.npt = 0;
    for (int64_t y = lo; y <= hi; ++y) {
      ++p.npt;
      p.xpt(p.npt) = static_cast<float>(y);
      p.ypt(p.npt) = tsi1.sel(static_cast<std::size_t>(y - d.yr0 + 1), k);
    }
    const auto n = static_cast<std::size_t>(p.npt);
    const std::span<const float> xs = p.xpt.span().first(n);
    const std::span<const float> ys = p.ypt.span().first(n);
    if (k == 1) {
      pl.pllsty(p.sty(1));
      pl.plcol(p.colr(2));
      pl.plwid(p.sty(2));
    } else {
      pl.plcol(p.colr(1));
      pl.pllsty(1);
      pl.plwid(1);
    }
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
  pl.plschr(0.0f, 0.7f);
  pl.plcol(p.colr(2));
  p.ldisp = 8.0f;
  p.lpos = 0.0f;
  pl.plmtex("b", p.ldisp, p.lpos, 0.0f, trimmed(rec.thenames.cmpnam[0]));
  pl.plcol(p.colr(1));
  for (int32_t k = 2; k <= ndraw; ++k) {
    p.lpos += 0.175f;
    if ((k - 1) % 6 == 0) {
      p.ldisp += 1.5f;
      p.lpos = 0.0f;
    }
    pl.plmtex("b", p.ldisp, p.lpos, 0.0f, trimmed(rec.thenames.cmpnam[k - 1]));
  }
  pl.plend();
}

void Cmpdrw::draw(const PlotRecords& rec, const Tsi1& tsi1) {
  const bool save = trimmed(pltset_.dev) != trimmed(screen_dev);
  draw_plot(rec, tsi1);
  if (companion_ == nullptr) return;
  const ComparedView view = compared_view(rec, tsi1, pltset_);
  if (save) {
    companion_->saved(view);
    if (const std::string why = companion_->save_error(); !why.empty())
      note(" The crossdating window could not be saved: " + why);
  } else {
    companion_->drawn(view);
  }
}

void Cmpdrw::draw_plot(const PlotRecords& rec, const Tsi1& tsi1) {
  const std::string device = trimmed(pltset_.dev);
  if (device != trimmed(screen_dev)) {
    // A save: the file name was set by the menu.
    draw_once(rec, tsi1, device);
    if (p_->failed()) note(" The plot could not be saved: " + p_->error());
    return;
  }
  if (p_->has_screen()) {
    draw_once(rec, tsi1, screen_device);
    if (!p_->failed()) return;
    // The window could not be opened: the picture file takes its place from now on.
  }
  const std::string file = screen_file(rec.thenames);
  if (file != fallback_told_) {
    note(" No plot window can be opened (no display): each plot is drawn into the file " + file);
    fallback_told_ = file;
  }
  p_->plsfnam(file);
  draw_once(rec, tsi1, file_device);
  if (p_->failed()) note(" The plot could not be drawn: " + p_->error());
}

void Cmpdrw::after_draw() {
  pltset_.ans = "C ";
  pltset_.dev = screen_dev;
  pltset_.opt = 0;
}

void Cmpdrw::cmpdrw(const PlotRecords& rec, const Tsi1& tsi1) {
  static const Layout i2 = Layout::fixed("(i2)");
  static const Layout unknown =
      Layout::fixed("(/13x,'Unknown option ',a2,' re-enter a valid request')");
  reset(rec);
  draw(rec, tsi1);
  after_draw();
  for (;;) {
    write_menu(*s_);
    pltset_.ans = s_->answer(2);
    const std::string& ans = pltset_.ans;
    if (ans == "S " || ans == "s ") {
      pltset_.dev = "psc     ";
      p_->plsfnam(trimmed(rec.thenames.pltnam));
      draw(rec, tsi1);
      after_draw();
      continue;
    }
    if (ans == "C " || ans == "c " || ans == "Y " || ans == "y " || ans == "  ") return;
    int32_t opt = 0;
    const bool number = recio::read(i2, ans, {recio::In(opt)}) == recio::Outcome::ok;
    if (number) pltset_.opt = opt;
    if (number && opt >= 1 && opt <= 17) {
      pltsty(*s_, pltset_, opt);
    } else if (number && opt == 0) {
      draw(rec, tsi1);
      after_draw();
    } else if (number && opt == 99) {
      reset(rec);
      draw(rec, tsi1);
      after_draw();
    } else {
      // Any other number, or an answer that is not a number (a letter such as x).
      s_->write(unknown, {recio::Out(ans)});
    }
  }
}

void Cmpdrw::finish() {
  p_->close();
  if (companion_ != nullptr) companion_->finish();
}

}  // namespace ringdate
