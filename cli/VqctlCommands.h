// vqctl's commands, each once: its name and arguments, whether it opens a link, what runs it, and its
// lines in the help text. The help, the argument checks and bash completion all come from here.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class Vqctl;

struct VqctlCommand {
  const char* name;
  const char* arguments;  // as the help shows them, after the name
  size_t least, most;     // how many arguments it takes
  bool needsLink;
  int (Vqctl::*run)();
  const char* help;       // its help; lines after the first are indented below it
};

const std::vector<VqctlCommand>& VqctlCommands();
// The command of that name, or nullptr.
const VqctlCommand* FindVqctlCommand(const std::string& name);
// The whole help text.
const std::string& VqctlUsage();
