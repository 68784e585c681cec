// Scripted sessions: the built program runs in a fresh folder with answers piped to its
// standard input; the whole standard output is kept for a byte-for-byte comparison.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace session {

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

// A temporary folder, removed with everything in it at the end of the test.
class Workspace {
 public:
  Workspace();
  ~Workspace();
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  void write(const std::string& name, std::string_view content) const;
  // Makes `name` in the folder stand for a file elsewhere (read-only data stays where it is).
  void link(const std::string& name, const std::string& target) const;
  std::string read(const std::string& name) const;
  bool exists(const std::string& name) const;
  // Runs the program with these answers, one line each; `last_newline` false leaves the
  // last answer without its line end.
  Result run(const std::vector<std::string>& answers, bool last_newline = true) const;

 private:
  std::string dir_;
};

// The program running in a folder, its answers sent one at a time while it runs, with
// DISPLAY set to `display` (unset when empty); standard output and error go to .stdout and
// .stderr in the folder. The program is killed if it still runs at the end.
class Interactive {
 public:
  Interactive(const std::string& dir, const std::string& display);
  ~Interactive();
  Interactive(const Interactive&) = delete;
  Interactive& operator=(const Interactive&) = delete;

  void send(const std::string& line);
  std::string output() const;
  // Waits until the output holds `what` at least `n` times; false after `seconds`.
  bool wait_for(const std::string& what, std::size_t n, int seconds = 60) const;
  // Closes the input and waits for the end: the exit status (128 plus the signal's number
  // for a program ended by a signal), or -1 after `seconds`.
  int finish(int seconds = 60);
  // Sends the signal to the program.
  void signal(int sig) const;

 private:
  std::string out_;
  int pid_ = -1;
  int in_ = -1;
  bool done_ = false;
};

// The top-level windows on the X display, as xwininfo lists them ("" when it cannot).
std::string windows(const std::string& display);
// Waits until a window titled `name` is on the display (the server maps windows on its own
// time); false when none came within `seconds`.
bool wait_for_window(const std::string& display, const std::string& name, int seconds = 60);

// Texts of the dialogue as the program writes them.
std::string rjust(long v, int w);
std::string pad(std::string_view s, std::size_t w);
// A prompt: a blank, the text, "==> " from column 45, the cursor left on the line.
std::string prompt(std::string_view text);
std::string file_prompt();
std::string not_found(std::string_view name);
std::string preview(const std::vector<std::string>& lines);
std::string title_echo(std::string_view line);
std::string summary(int nser, int first, int last);
std::string listing(const std::vector<std::string>& rows);
std::string list_row(int seq, std::string_view id, int first, int last);
std::string pick_row(int k, std::string_view id, int first, int last);
std::string goodbye();

// Lines of a text, without their line ends.
std::vector<std::string> lines_of(std::string_view text);
std::string rtrim(std::string s);

// Values of a Tucson measurement file in thousandths of a millimetre, keyed by
// identifier and year, read by the decadal rules (999 ends a hundredths series, -9999 a
// thousandths one). Lines that are not data lines are skipped.
struct Ring {
  std::string id;
  int year;
  long value;
  bool operator==(const Ring&) const = default;
};
std::vector<Ring> tucson_rings(std::string_view text);

}  // namespace session
