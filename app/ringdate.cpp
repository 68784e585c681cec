// ringdate: examine tree-ring series and correct their dating. Without arguments the
// dialogue; with arguments a command-line mode (see --help).
#include <iostream>
#include <string_view>
#include <vector>

#include "app/cli.h"
#include "main/driver.h"

int main(int argc, char** argv) {
  if (argc <= 1) return ringdate::run_program();
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  const ringdate::app::Parsed parsed = ringdate::app::parse_arguments(args);
  return ringdate::app::run_command(parsed, std::cout, std::cerr);
}
