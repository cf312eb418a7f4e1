// vqctl's entry point.
#include <iostream>
#include <string>
#include <vector>

#include "cli/Vqctl.h"
#include "platform/ProgramArguments.h"
#include "platform/StandardDescriptors.h"
#include "platform/StopSignals.h"

int main(int argc, char** argv) {
  EnsureStandardDescriptors();
  StopSignals::Install();
  int status = RunVqctl(ProgramArguments(argc, argv), std::cout, std::cerr);
  std::cout.flush();
  return status;
}
