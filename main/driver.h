// The main dialogue: from the file-name prompt to the goodbye line. One Program holds the
// whole run's state: the session, the series store, the picks, and the routines the
// dialogue calls.
#pragma once

#include <cstdint>
#include <string>

#include "core/store.h"
#include "detrend/spline.h"
#include "formats/format_guess.h"
#include "formats/heidelberg.h"
#include "formats/refusal.h"
#include "formats/trread.h"
#include "main/answers.h"
#include "main/cmpplt.h"
#include "main/edit.h"
#include "main/picking.h"
#include "main/plotmenu.h"
#include "main/xdwindow.h"
#include "plot/plotter.h"
#include "recio/session.h"

namespace ringdate {

class Program {
 public:
  Program(recio::Console& console, recio::FileSystem& fs);
  // Runs the dialogue; it ends through the session (stop), never by returning.
  [[noreturn]] void run();

 private:
  recio::Session session_;
  Store store_;
  Tsi1 tsi1_;
  Query query_;
  Qforma qforma_;
  Trread trread_;
  Spline spline_;
  PlplotPlotter plotter_;
  PlotMenu plot_menu_;
  Cmpplt cmpplt_;
  // The crossdating window beside the comparison plot, on a plotting stream of its own.
  PlplotPlotter xdplotter_{"ringdate crossdating", "760x675+920+20"};
  CrossdatingWindow xdwindow_;
  PickPass pass_;

  char guess_ = ' ';
  std::string yesno_ = std::string(1, ' ');
  std::string preview_ = std::string(80, ' ');
  std::string record_;
  std::string seq_ = std::string(10, ' ');
  std::string seqfmt_ = std::string(10, ' ');
  int32_t seqno_ = 0;
  int32_t choice_ = 0;
  bool file_read_ = false;  // a file has been read: every way out writes the corrected file
  bool edited_ = false;     // an insert, delete or merge has been carried into the store
  // The series of a Heidelberg file as read, headers and all: the corrected file keeps them.
  std::vector<fh::Series> heidelberg_;

  void ask_file_name();
  void preview();
  void settle_format();
  void menu();
  void read_file();
  void ask_detrending();
  [[noreturn]] void examine();
  void carry_edit(const PostedEdit& edit);
  [[noreturn]] void end_on_refusal(const Refusal& refusal);
  [[noreturn]] void quit_program();
  [[noreturn]] void exit_program();
  bool write_corrected();
  [[nodiscard]] Refused read_heidelberg();
  void report_write_failure();
  void report_refused_edit(const PostedEdit& edit);
};

// Runs the program on the process's console and file system.
int run_program();

}  // namespace ringdate
