// vqctl's entry point.
#include <iostream>
#include <string>
#include <vector>

#include "cli/Vqctl.h"
#include "link/StandardDescriptors.h"
#include "link/StopSignals.h"

int main(int argc, char** argv) {
  EnsureStandardDescriptors();
  StopSignals::Install();
  std::vector<std::string> args(argv + 1, argv + argc);
  int status = RunVqctl(args, std::cout, std::cerr);
  std::cout.flush();
  return status;
}
