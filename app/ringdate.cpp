// ringdate: examine tree-ring series and correct their dating. Without arguments the
// dialogue; with arguments a command-line mode (see --help).
#include <csignal>
#include <iostream>
#include <string_view>
#include <vector>

#include "app/cli.h"
#include "core/pages.h"
#include "main/driver.h"

int main(int argc, char** argv) {
  // A file that grows past the process's file-size limit fails its write (and the program
  // says so) instead of ending the program half-way.
  std::signal(SIGXFSZ, SIG_IGN);
  if (argc <= 1) return ringdate::run_program();
  // The command-line modes hold arrays of every series at once: from huge pages.
  ringdate::heap_in_huge_pages(std::size_t(64) << 20);
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  const ringdate::app::Parsed parsed = ringdate::app::parse_arguments(args);
  return ringdate::app::run_command(parsed, std::cout, std::cerr);
}
