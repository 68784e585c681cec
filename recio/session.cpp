// The dialogue layer: records and prompts on the console, answers, pauses and stops.
#include "recio/session.h"

#include <csignal>
#include <cstdlib>

namespace recio {

Session::Session(Console& console, FileSystem& fs) : console_(&console), units_(fs) {}

void Session::write(const Layout& layout, std::span<const Out> items) {
  Records r = recio::write(layout, items);
  if (r.lines.empty()) return;
  std::string text;
  for (size_t k = 0; k < r.lines.size(); ++k) {
    if (k > 0) text += '\n';
    text += r.lines[k];
  }
  if (r.open_end) {
    console_->out(text);
    console_->flush();
    line_open_ = true;
  } else {
    text += '\n';
    console_->out(text);
    line_open_ = false;
  }
}

void Session::line(std::string_view text) {
  std::string t(text);
  t += '\n';
  console_->out(t);
  line_open_ = false;
}

// The user's Enter is not echoed by the program: the next write continues the prompt's
// line, as a Fortran runtime does with piped answers.
std::string Session::answer(std::size_t width) {
  std::string l = answer_line();
  l.resize(width, ' ');
  return l;
}

std::string Session::answer_line() {
  console_->flush();
  std::string l;
  if (console_->in(l) != Outcome::ok) {
    if (console_->ending_signal() != 0) signalled();
    input_ended();
  }
  return l;
}

void Session::pause(std::string_view text) {
  line(text);
  console_->flush();
  std::string l;
  console_->in(l);  // the end of the input just ends the wait
  if (console_->ending_signal() != 0) signalled();
}

void Session::stop(int status, std::string_view text) {
  std::vector<std::string> failed = units_.close_all();
  console_->flush();
  for (const std::string& name : failed) {
    console_->err("ringdate: could not write " + name);
    if (status == 0) status = 1;
  }
  if (!text.empty()) console_->err(text);
  console_->exit(status);
  std::abort();  // exit() never returns
}

namespace {

std::string signal_name(int sig) {
  switch (sig) {
    case SIGHUP:
      return "HUP";
    case SIGTERM:
      return "TERM";
    case SIGINT:
      return "INT";
    case SIGQUIT:
      return "QUIT";
  }
  return std::to_string(sig);
}

}  // namespace

// A signal asked the program to end: what an end of the input keeps is kept (the action
// writes the corrected file as a normal end writes it), then the program ends as the
// signal would have ended it.
void Session::signalled() {
  const int sig = console_->ending_signal();
  if (!ending_) {
    ending_ = true;
    console_->err("ringdate: ended by signal " + signal_name(sig));
    if (on_input_end_) {
      std::function<void()> action = on_input_end_;
      action();
    }
  }
  for (const std::string& name : units_.close_all())
    console_->err("ringdate: could not write " + name);
  console_->flush();
  console_->exit_by_signal(sig);
  std::abort();  // never returns
}

// The input ended at a question: asking again would never end. The action (writing the
// corrected file) runs once; if it meets the end of the input itself, the program stops.
void Session::input_ended() {
  if (ending_) {
    if (console_->ending_signal() != 0) signalled();
    stop(1);
  }
  ending_ = true;
  console_->err("ringdate: end of input");
  if (on_input_end_) {
    std::function<void()> action = on_input_end_;
    action();
  }
  stop(1);
}

}  // namespace recio
