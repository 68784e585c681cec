// The whole dialogue driven by arbitrary answer lines (one per input line) against small
// files held in memory. The end of the program (a stop, the end of the answers) is a
// normal outcome; afterwards only the corrected file may have been added.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "main/driver.h"
#include "support/test_support.h"

namespace {

using testing_support::cru_series;
using testing_support::tucson_line;

// The files the answers can name: a Tucson measurement file with a header line and three
// series (two share an identifier), an index file, a compact file and a UEA CRU file.
void add_files(testing_support::MemoryFileSystem& fs) {
  std::string rwl = "Small site for the dialogue\n";
  rwl += tucson_line("AB01", 1655, {120, 130, 140, 150, 160});
  rwl += tucson_line("AB01", 1660, {101, 102, 103, 104, 105, 106, 107, 108, 109, 110});
  rwl += tucson_line("AB01", 1670, {111, 112, 113, 114, 115, 116, 117, 118, 119, 120});
  rwl += tucson_line("AB01", 1680, {121, 122, 999});
  rwl += tucson_line("AB02", 1650, {200, 210, 220, 230, 240, 250, 260, 270, 280, 290});
  rwl += tucson_line("AB02", 1660, {300, 310, 320, 330, 340, 350, 360, 370, 380, 390});
  rwl += tucson_line("AB02", 1670, {400, 410, 999});
  rwl += tucson_line("AB01", 1662, {90, 80, 70, 60, 50, 40, 30, 20});
  rwl += tucson_line("AB01", 1670, {15, 16, 17, 18, 19, 20, 21, 22, 23, 24});
  rwl += tucson_line("AB01", 1680, {25, 26, 27, 28, 999});
  fs.files["a.rwl"] = rwl;
  fs.files["i.crn"] =
      "Index chronology\n"
      "CHR1  1650 9990  0 9990  0 9990  0 9990  0 9990  0 1000  3  980  4 1010  4 1200  5  870  5\n"
      "CHR1  1660 1000  6 1001  6  999  6 1002  6 1003  6 1004  6 1005  6 1006  6 1007  6 1008  6\n"
      "CHR1  1670 1009  6 9990  0\n";
  fs.files["c.txt"] =
      "Compact title\n"
      "       5=N    1900=I ABC01                                           -2(26F3.0)~ SED\n"
      " 12150203 90110\n"
      "      12=N    1895=I XYZ02                                            0(13F6.0)~ SED\n"
      "     5   500    50     5   500    50     5   500    50     5   500    50\n";
  fs.files["r.txt"] =
      "CRU title\n" + cru_series("CRU001", 1655, {101, 99, 100, 102, 101, 103, 104, 105, 106, 97},
                                 std::vector<int>(10, 3));
}

}  // namespace

// The renderer draws through the plotting library, which writes its picture files (the
// saved plot, the screen stand-in without a display) into the working folder, outside the
// file-system seam: the harness works in a scratch folder of its own and never opens a
// window.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  unsetenv("DISPLAY");
  char dir[] = "/tmp/ringdate_dialogue_fuzz_XXXXXX";
  if (!mkdtemp(dir) || chdir(dir) != 0) __builtin_trap();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  testing_support::ScriptConsole console;
  console.keep_output = false;
  testing_support::MemoryFileSystem fs;
  add_files(fs);
  std::string_view in(reinterpret_cast<const char*>(data), size);
  std::size_t answers = 0;
  while (!in.empty() && answers < 2000) {
    auto nl = in.find('\n');
    console.add(std::string(in.substr(0, nl)));
    ++answers;
    in = nl == std::string_view::npos ? std::string_view() : in.substr(nl + 1);
  }
  const auto before = fs.files;
  try {
    auto program = std::make_unique<ringdate::Program>(console, fs);
    program->run();
  } catch (const testing_support::Exited&) {
  }
  // The data files are never changed; at most one file is added, named "..._COR".
  for (const auto& [name, content] : before) {
    auto it = fs.files.find(name);
    if (it == fs.files.end() || it->second != content) __builtin_trap();
  }
  for (const auto& [name, content] : fs.files) {
    if (before.count(name)) continue;
    if (name.size() < 4 || name.compare(name.size() - 4, 4, "_COR") != 0) __builtin_trap();
    if (content.rfind("CORRECTED RING-WIDTH DATA: ", 0) != 0) __builtin_trap();
  }
  if (fs.files.size() > before.size() + 1) __builtin_trap();
  return 0;
}
