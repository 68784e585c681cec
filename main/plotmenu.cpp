#include "main/plotmenu.h"

#include <algorithm>
#include <cstdint>

#include "main/pltsty.h"
#include "plot/lalign.h"
#include "plot/ticit.h"
#include "recio/fields.h"

namespace ringdate {

namespace {

using recio::trimmed;

using recio::Layout;

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

// One drawn series: the years of its span whose rows lie in the compared values.
ComparisonCurve curve_of(const DrawnSeries& d, const Tsi1& tsi1, int32_t yr0) {
  ComparisonCurve c;
  c.first_series = d.pick == 1;
  if (d.pick < 1 || static_cast<std::size_t>(d.pick) > tsi1.sel.cols()) return c;
  const int64_t lo = std::max<int64_t>(d.first, int64_t{yr0});
  const int64_t hi =
      std::min<int64_t>(d.last, int64_t{yr0} + static_cast<int64_t>(tsi1.sel.rows()) - 1);
  for (int64_t y = lo; y <= hi; ++y) {
    c.years.push_back(static_cast<float>(y));
    c.values.push_back(
        tsi1.sel(static_cast<std::size_t>(y - yr0 + 1), static_cast<std::size_t>(d.pick)));
  }
  return c;
}

}  // namespace

std::string PlotMenu::screen_file(const TheNames& names) { return names.stem + "_DATA_SCREEN.ps"; }

std::string PlotMenu::save_file(const TheNames& names) { return names.stem + "_DATA.PLTS"; }

ComparisonPicture PlotMenu::picture(const PlotRecords& rec, const Tsi1& tsi1) const {
  ComparisonPicture pic;
  pic.style = pltset_;
  pic.xlab = trimmed(xlab_);
  pic.ylab = trimmed(ylab_);
  pic.title = trimmed(toplab_);
  for (const DrawnSeries& d : rec.theinput.drawn)
    pic.curves.push_back(curve_of(d, tsi1, rec.thedata.yr0));
  // The first name stands under the plot even when the window took no series.
  const auto names =
      std::clamp<int64_t>(rec.thedata.ndraw, 1, static_cast<int64_t>(rec.thenames.cmpnam.size()));
  for (int64_t k = 1; k <= names; ++k)
    pic.names.push_back(trimmed(rec.thenames.cmpnam[static_cast<std::size_t>(k - 1)]));
  return pic;
}

void PlotMenu::note(const std::string& text) {
  static const Layout a = Layout::fixed("(a)");
  s_->write(a, {recio::Out(text)});
}

void PlotMenu::reset(const PlotRecords& rec) {
  default_style(pltset_);
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

void PlotMenu::draw(const PlotRecords& rec, const Tsi1& tsi1, bool save) {
  draw_plot(rec, tsi1, save);
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

void PlotMenu::draw_plot(const PlotRecords& rec, const Tsi1& tsi1, bool save) {
  const ComparisonPicture pic = picture(rec, tsi1);
  if (save) {
    p_->plsfnam(save_file(rec.thenames));
    ringdate::cmpdrw(*p_, pic, file_device);
    if (p_->failed()) note(" The plot could not be saved: " + p_->error());
    return;
  }
  if (p_->has_screen()) {
    ringdate::cmpdrw(*p_, pic, screen_device);
    if (!p_->failed()) return;
    // The window could not be opened: the picture file takes its place from now on.
  }
  const std::string file = screen_file(rec.thenames);
  if (file != fallback_told_) {
    note(" No plot window can be opened (no display): each plot is drawn into the file " + file);
    fallback_told_ = file;
  }
  p_->plsfnam(file);
  ringdate::cmpdrw(*p_, pic, file_device);
  if (p_->failed()) note(" The plot could not be drawn: " + p_->error());
}

void PlotMenu::cmpdrw(const PlotRecords& rec, const Tsi1& tsi1) {
  reset(rec);
  draw(rec, tsi1, false);
  for (;;) {
    write_menu(*s_);
    const std::string ans = s_->answer(2);
    if (ans == "C " || ans == "c " || ans == "Y " || ans == "y " || ans == "  ") return;
    if (!run_option(ans, rec, tsi1)) {
      static const Layout unknown =
          Layout::fixed("(/13x,'Unknown option ',a2,' re-enter a valid request')");
      s_->write(unknown, {recio::Out(ans)});
    }
  }
}

// Runs the menu answer `ans` other than continue: a save, a style question, a redraw or a
// reset. False for any other answer (another number, a letter such as x).
bool PlotMenu::run_option(const std::string& ans, const PlotRecords& rec, const Tsi1& tsi1) {
  static const Layout i2 = Layout::fixed("(i2)");
  if (ans == "S " || ans == "s ") {
    draw(rec, tsi1, true);
    return true;
  }
  int32_t opt = 0;
  if (recio::read(i2, ans, {recio::In(opt)}) != recio::Outcome::ok) return false;
  if (opt >= 1 && opt <= 17) {
    pltsty(*s_, pltset_, opt);
  } else if (opt == 0) {
    draw(rec, tsi1, false);
  } else if (opt == 99) {
    reset(rec);
    draw(rec, tsi1, false);
  } else {
    return false;
  }
  return true;
}

void PlotMenu::finish() {
  p_->close();
  if (companion_ != nullptr) companion_->finish();
}

}  // namespace ringdate
