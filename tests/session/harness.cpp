#include "session/harness.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "support/test_support.h"

namespace session {

namespace fs = std::filesystem;

Workspace::Workspace() {
  std::string tmpl = (fs::temp_directory_path() / "ringdate-session-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  dir_ = tmpl;
}

Workspace::~Workspace() {
  std::error_code ec;
  fs::remove_all(dir_, ec);
}

void Workspace::write(const std::string& name, std::string_view content) const {
  std::ofstream f(path(name), std::ios::binary);
  f << content;
}

void Workspace::link(const std::string& name, const std::string& target) const {
  fs::create_symlink(target, path(name));
}

std::string Workspace::read(const std::string& name) const {
  return testing_support::slurp(path(name));
}

bool Workspace::exists(const std::string& name) const { return fs::exists(path(name)); }

Interactive::Interactive(const std::string& dir, const std::string& display)
    : out_(dir + "/.stdout") {
  int fds[2];
  if (::pipe(fds) != 0) return;
  pid_ = ::fork();
  if (pid_ == 0) {
    ::dup2(fds[0], 0);
    const int o = ::open(out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(o, 1);
    const int e = ::open((dir + "/.stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(e, 2);
    ::close(fds[1]);
    if (::chdir(dir.c_str()) != 0) ::_exit(126);
    if (display.empty()) {
      ::unsetenv("DISPLAY");
    } else {
      ::setenv("DISPLAY", display.c_str(), 1);
    }
    const std::string prog = testing_support::program_path();
    ::execl(prog.c_str(), prog.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(fds[0]);
  in_ = fds[1];
}

Interactive::~Interactive() {
  if (in_ >= 0) ::close(in_);
  if (pid_ > 0 && !done_) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
}

void Interactive::send(const std::string& line) {
  const std::string l = line + "\n";
  if (in_ >= 0 && ::write(in_, l.data(), l.size()) != static_cast<ssize_t>(l.size())) {
    throw std::runtime_error("the program does not take its answers");
  }
}

void Interactive::signal(int sig) const {
  if (pid_ > 0) ::kill(pid_, sig);
}

std::string Interactive::output() const { return testing_support::slurp(out_); }

bool Interactive::wait_for(const std::string& what, std::size_t n, int seconds) const {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < end) {
    const std::string out = output();
    std::size_t count = 0;
    for (auto p = out.find(what); p != std::string::npos; p = out.find(what, p + 1)) ++count;
    if (count >= n) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

int Interactive::finish(int seconds) {
  if (in_ >= 0) ::close(in_);
  in_ = -1;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (pid_ > 0 && std::chrono::steady_clock::now() < end) {
    int st = 0;
    if (::waitpid(pid_, &st, WNOHANG) == pid_) {
      done_ = true;
      if (WIFSIGNALED(st)) return 128 + WTERMSIG(st);
      return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return -1;
}

Result Workspace::run(const std::vector<std::string>& answers, bool last_newline) const {
  std::string in;
  for (std::size_t i = 0; i < answers.size(); ++i) {
    in += answers[i];
    if (i + 1 < answers.size() || last_newline) in += "\n";
  }
  write(".answers", in);
  const std::string cmd = "cd '" + dir_ + "' && env -u DISPLAY timeout 120 '" +
                          testing_support::program_path() + "' < .answers > .stdout 2> .stderr";
  const int rc = std::system(cmd.c_str());
  Result r;
  r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  r.out = read(".stdout");
  r.err = read(".stderr");
  fs::remove(path(".answers"));
  fs::remove(path(".stdout"));
  fs::remove(path(".stderr"));
  return r;
}

std::string windows(const std::string& display) {
  const std::string cmd = "xwininfo -root -children -display " + display + " 2>/dev/null";
  std::FILE* f = ::popen(cmd.c_str(), "r");
  if (!f) return "";
  std::string s;
  char buf[512];
  while (std::fgets(buf, sizeof buf, f)) s += buf;
  ::pclose(f);
  return s;
}

bool wait_for_window(const std::string& display, const std::string& name, int seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  const std::string quoted = "\"" + name + "\"";
  for (;;) {
    if (windows(display).find(quoted) != std::string::npos) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

std::string rjust(long v, int w) {
  std::string s = std::to_string(v);
  if (static_cast<int>(s.size()) > w) return std::string(static_cast<std::size_t>(w), '*');
  return std::string(static_cast<std::size_t>(w) - s.size(), ' ') + s;
}

std::string pad(std::string_view s, std::size_t w) {
  std::string r(s);
  if (r.size() < w) r.resize(w, ' ');
  return r;
}

std::string prompt(std::string_view text) {
  // "==> " stands from column 45 even over a longer text, as the tab puts it there.
  return pad(" " + std::string(text), 44).substr(0, 44) + "==> ";
}

std::string file_prompt() { return "\n\n" + prompt("FILE NAME TO EXAMINE (/ TO EXIT)"); }

std::string not_found(std::string_view name) {
  return "\n FILE NOT FOUND: " + pad(name, 40) + "\n";
}

std::string preview(const std::vector<std::string>& lines) {
  std::string s = "\n FIRST 10 LINES OF DATA FILE:\n";
  for (std::size_t i = 0; i < lines.size() && i < 10; ++i)
    s += " " + pad(lines[i].substr(0, 80), 80) + "\n";
  return s;
}

std::string title_echo(std::string_view line) {
  return "\n Title of data:\n " + pad(line.substr(0, 80), 80) + "\n";
}

std::string summary(int nser, int first, int last) {
  return "\n " + rjust(nser, 6) + " series from" + rjust(first, 7) + " to" + rjust(last, 7) +
         rjust(last - first + 1, 8) + " years\n";
}

std::string listing(const std::vector<std::string>& rows) {
  std::string s = "\n     TREE-RING SERIES READ IN FOR EXAMINATION\n";
  for (const auto& r : rows) s += r;
  return s + "\n OKAY, ENTER SEQUENCE NUMBERS OF THE SERIES TO COMPARE:\n";
}

std::string list_row(int seq, std::string_view id, int first, int last) {
  return "      " + rjust(seq, 5) + "  " + pad(id, 8) + rjust(first, 7) + rjust(last, 7) +
         rjust(last - first + 1, 7) + "\n";
}

std::string pick_row(int k, std::string_view id, int first, int last) {
  return " " + rjust(k, 5) + "  " + pad(id, 8) + rjust(first, 7) + rjust(last, 7) +
         rjust(last - first + 1, 7) + "\n";
}

std::string goodbye() { return " HASTA LA BYE BYE, BABY!\n"; }

std::vector<std::string> lines_of(std::string_view text) {
  std::vector<std::string> out;
  std::size_t p = 0;
  while (p < text.size()) {
    const std::size_t e = text.find_first_of("\r\n", p);
    if (e == std::string_view::npos) {
      out.emplace_back(text.substr(p));
      break;
    }
    out.emplace_back(text.substr(p, e - p));
    p = e + 1;
    if (text[e] == '\r') {  // CR, CRLF or CR CR LF
      if (text.substr(p, 2) == "\r\n")
        p += 2;
      else if (text.substr(p, 1) == "\n")
        p += 1;
    }
  }
  return out;
}

std::string rtrim(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

namespace {

bool parse_int(std::string_view field, long& v) {
  std::size_t a = field.find_first_not_of(' ');
  if (a == std::string_view::npos) {
    v = 0;
    return true;
  }
  std::size_t b = field.find_last_not_of(' ');
  std::string t(field.substr(a, b - a + 1));
  char* end = nullptr;
  v = std::strtol(t.c_str(), &end, 10);
  return end && *end == '\0';
}

}  // namespace

std::vector<Ring> tucson_rings(std::string_view text) {
  std::vector<Ring> out;
  std::vector<Ring> cur;
  bool in_series = false;
  for (std::string line : lines_of(text)) {
    if (line.find_first_not_of(' ') == std::string::npos) continue;
    line = pad(line, 80);
    long year = 0;
    if (!parse_int(std::string_view(line).substr(8, 4), year)) continue;
    long vals[10];
    bool ok = true;
    for (int k = 0; k < 10 && ok; ++k)
      ok = parse_int(std::string_view(line).substr(12 + 6 * k, 6), vals[k]);
    if (!ok) continue;
    const std::string id = rtrim(line.substr(0, 8));
    const int n = in_series ? 10 : 10 - static_cast<int>(((year % 10) + 10) % 10);
    int y = static_cast<int>(year);
    in_series = true;
    for (int k = 0; k < n; ++k, ++y) {
      if (vals[k] == 999) {  // hundredths
        for (Ring& r : cur) r.value *= 10;
        out.insert(out.end(), cur.begin(), cur.end());
        cur.clear();
        in_series = false;
        break;
      }
      if (vals[k] == -9999) {
        out.insert(out.end(), cur.begin(), cur.end());
        cur.clear();
        in_series = false;
        break;
      }
      cur.push_back({id, y, vals[k]});
    }
  }
  return out;
}

}  // namespace session
