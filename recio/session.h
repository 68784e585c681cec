// The dialogue layer every subsystem writes and asks through: records and prompts by
// layout on the console, answers read into fixed-width fields, pauses, stops, and the file
// units. One Session lives for the whole run.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "recio/console.h"
#include "recio/layout.h"
#include "recio/units.h"

namespace recio {

class Session {
 public:
  Session(Console& console, FileSystem& fs);
  explicit Session(Console& console) : Session(console, system_file_system()) {}

  Console& console() { return *console_; }
  Units& units() { return units_; }

  // Writes the records of a layout to the console. As a Fortran runtime does, the first
  // record continues a record left open by a prompt; a layout ending in "$" leaves its last
  // record open (the cursor stays there) and flushes.
  void write(const Layout& layout, std::span<const Out> items);
  void write(const Layout& layout, std::initializer_list<Out> items = {}) {
    write(layout, std::span<const Out>(items.begin(), items.size()));
  }
  // Writes one text as one console line.
  void line(std::string_view text);

  // Reads one answer line into a blank-padded field of `width` characters (longer input
  // cut). At the end of the input the program ends: a notice on the error stream, the
  // end-of-input action (if any), and status 1.
  std::string answer(std::size_t width);
  // Reads one whole answer line, uncut (file names). End of input as for answer().
  std::string answer_line();

  // Writes `text` as one console line and waits for a line (end of input ends the wait).
  void pause(std::string_view text);
  // Ends the program: units closed (written ones committed), `text` (if any) as one line
  // on the error stream, then exit with `status`.
  [[noreturn]] void stop(int status = 0, std::string_view text = {});

  // The action run when the input ends at a question, or when a signal (hangup, terminate,
  // interrupt, quit) asks the program to end while it waits for an answer; the driver sets
  // it once a file has been read, so that the corrected file is written before the program
  // ends. After a signal the program ends as the signal would have ended it.
  void on_input_end(std::function<void()> action) { on_input_end_ = std::move(action); }

 private:
  Console* console_;
  Units units_;
  bool line_open_ = false;  // a prompt left its record open
  std::function<void()> on_input_end_;
  bool ending_ = false;  // input_ended() is running (its action may meet the end again)
  [[noreturn]] void input_ended();
  [[noreturn]] void signalled();
};

}  // namespace recio
