// Parsing vqctl's arguments; nothing here touches a camera or a file.
#include "cli/VqctlOptions.h"

#include "cli/VqctlCommands.h"

#include <charconv>

namespace {

bool ParseInt(const std::string& text, int& value) {
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

// The value that follows an option, or an error.
bool TakeValue(const std::vector<std::string>& args, size_t& i, std::string& value, VqctlParse& result) {
  if (i + 1 >= args.size()) {
    result.error = args[i] + " needs a value";
    return false;
  }
  value = args[++i];
  return true;
}

bool TakePath(const std::vector<std::string>& args, size_t& i, std::optional<std::string>& path, VqctlParse& result) {
  std::string value;
  if (!TakeValue(args, i, value, result)) return false;
  path = value;
  return true;
}

// A number where one is due; whether it is a port or speed the link takes is the link's to say.
bool TakeInt(const std::vector<std::string>& args, size_t& i, int& number, VqctlParse& result) {
  std::string value;
  if (!TakeValue(args, i, value, result)) return false;
  if (ParseInt(value, number)) return true;
  result.error = args[i - 1] + " takes a number, not " + value;
  return false;
}

bool ParseLinkOption(const std::vector<std::string>& args, size_t& i, VqctlOptions& options, VqctlParse& result) {
  const std::string& option = args[i];
  std::string value;
  if (option == "--trace") {
    options.trace = true;
    return true;
  }
  if (option == "--json") {
    options.json = true;
    return true;
  }
  if (option == "--device") return TakePath(args, i, options.link.device, result);
  if (option == "--camera-link") return TakePath(args, i, options.link.cameraLink, result);
  if (option == "--camera-link-port") return TakeInt(args, i, options.link.cameraLinkPort, result);
  if (option == "--com") return TakeInt(args, i, options.link.com, result);
  if (option == "--baud") return TakeInt(args, i, options.link.baud, result);
  result.error = "unknown option " + option;
  return false;
}

// An option after the command whose value is a whole number from least to most.
bool TakeNumber(const std::vector<std::string>& args, size_t& i, int least, int most, int& number, VqctlParse& result,
                const std::string& rule) {
  std::string value;
  if (!TakeValue(args, i, value, result)) return false;
  if (ParseInt(value, number) && number >= least && number <= most) return true;
  result.error = rule;
  return false;
}

// Arguments after the command; write-serial also takes --digits, detect --timeout, diff --written,
// and every command --json.
bool ParseCommandArguments(const std::vector<std::string>& args, size_t i, VqctlOptions& options, VqctlParse& result) {
  for (; i < args.size(); ++i) {
    if (args[i] == "--json") {
      options.json = true;
      continue;
    }
    if (options.command == "diff" && args[i] == "--written") {
      options.writtenRows = true;
      continue;
    }
    if (options.command == "write-serial" && args[i] == "--digits") {
      if (!TakeNumber(args, i, 7, 8, options.digits, result, "--digits takes 7 or 8")) return false;
      continue;
    }
    if (options.command == "detect" && args[i] == "--timeout") {
      if (!TakeNumber(args, i, 1, 86400, options.timeoutSeconds, result, "--timeout takes 1 to 86400 seconds")) {
        return false;
      }
      continue;
    }
    options.arguments.push_back(args[i]);
  }
  const VqctlCommand& command = *FindVqctlCommand(options.command);
  const size_t least = command.least;
  const size_t most = command.most;
  if (options.arguments.size() < least || options.arguments.size() > most) {
    result.error = options.command + " takes " +
                   (least == most ? std::to_string(least) : std::to_string(least) + " or " + std::to_string(most)) +
                   (most == 1 ? " argument" : " arguments");
    return false;
  }
  return true;
}

}  // namespace

VqctlParse ParseVqctlOptions(const std::vector<std::string>& args, VqctlOptions& options) {
  VqctlParse result;
  size_t i = 0;
  for (; i < args.size() && (args[i].rfind("--", 0) == 0 || args[i] == "-h"); ++i) {
    if (args[i] == "--help" || args[i] == "-h") {
      result.help = true;
      return result;
    }
    if (args[i] == "--version") {
      result.version = true;
      return result;
    }
    if (!ParseLinkOption(args, i, options, result)) return result;
  }
  if (i == args.size()) {
    result.error = "no command given";
    return result;
  }
  options.command = args[i];
  if (FindVqctlCommand(options.command) == nullptr) {
    result.error = "unknown command " + options.command;
    return result;
  }
  if (std::optional<std::string> error = LinkChoiceError(options.link)) {
    result.error = *error;
    return result;
  }
  result.ok = ParseCommandArguments(args, i + 1, options, result);
  return result;
}
