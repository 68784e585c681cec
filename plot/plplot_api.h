// The plotting library's C interface, loaded on first use: the command-line modes that draw
// nothing never load it, nor the libraries it needs. Only the renderer (plotter.cpp) uses it.
#pragma once

// Without this the library header renames every pl* name by macro (and would rename the
// methods of the seam); the library is called by its c_pl* names instead.
#define __PLSTUBS_H__
#include <plplot/plplot.h>
#include <plplot/plstrm.h>

namespace ringdate::plplot {

// The library's functions the renderer calls, under their C names.
// clang-format off
#define RINGDATE_PLPLOT_FUNCTIONS(X)                                                            \
  X(c_pladv) X(c_plaxes) X(c_plcol0) X(c_plend1) X(c_plfill) X(c_plflush) X(c_plfont)           \
  X(c_plfontld) X(c_plinit) X(c_pllab) X(c_plline) X(c_pllsty) X(c_plmkstrm) X(c_plmtex)        \
  X(c_plptex) X(c_plschr) X(c_plscol0) X(c_plsdev) X(c_plsetopt) X(c_plsfnam) X(c_plspause)     \
  X(c_plsstrm) X(c_plssub) X(c_plvpor) X(c_plwidth) X(c_plwind) X(pl_cmd) X(plgDevs) X(plgpls) \
  X(plsabort) X(plsexit) X(plsfile)
// clang-format on

struct Api {
#define RINGDATE_PLPLOT_POINTER(name) decltype(&::name) name = nullptr;
  RINGDATE_PLPLOT_FUNCTIONS(RINGDATE_PLPLOT_POINTER)
#undef RINGDATE_PLPLOT_POINTER
};

// The library's functions, loaded by the first call; null when the library or one of its
// functions cannot be loaded (why() then says what failed).
const Api* api();
const char* why();

// Xlib's display open and close, for the renderer's test whether a display is reachable;
// null when Xlib cannot be loaded.
struct Xlib {
  void* (*open_display)(const char*) = nullptr;
  int (*close_display)(void*) = nullptr;
};
const Xlib* xlib();

}  // namespace ringdate::plplot
