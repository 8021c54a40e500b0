#include "unattended/command_line.h"

#include <vector>

namespace vs::unattended {
namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

char lowerCase(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(const std::string& text, const char* name) {
  std::size_t i = 0;
  for (; i < text.size() && name[i] != '\0'; ++i) {
    if (lowerCase(text[i]) != name[i]) return false;
  }
  return i == text.size() && name[i] == '\0';
}

// Splits at blanks outside double quotes; the quotes themselves are dropped. Backslashes stay as
// they are: paths are full of them.
std::vector<std::string> splitArguments(const char* text) {
  std::vector<std::string> arguments;
  const char* p = text;
  for (;;) {
    while (isBlank(*p)) ++p;
    if (*p == '\0') return arguments;
    std::string argument;
    bool quoted = false;
    for (; *p != '\0' && (quoted || !isBlank(*p)); ++p) {
      if (*p == '"') {
        quoted = !quoted;
      } else {
        argument += *p;
      }
    }
    arguments.push_back(argument);
  }
}

void fault(CommandLine& commandLine, const std::string& what) {
  if (commandLine.error.empty()) commandLine.error = what;
}

void readOption(const std::string& argument, CommandLine& commandLine) {
  const std::string name = argument.substr(1);
  const std::size_t colon = name.find(':');
  if (sameName(name, "silent")) {
    commandLine.silent = true;
  } else if (sameName(name, "detect")) {
    commandLine.detect = true;
  } else if (sameName(name, "restart")) {
    commandLine.restart = true;
  } else if (name == "?") {
    commandLine.help = true;
  } else if (sameName(name, "report")) {
    fault(commandLine, argument + " needs a file: " + argument + ":PATH");
  } else if (colon != std::string::npos && sameName(name.substr(0, colon), "report")) {
    const std::string path = name.substr(colon + 1);
    if (path.empty()) {
      fault(commandLine, argument + " names no file");
    } else if (!commandLine.reportPath.empty()) {
      fault(commandLine, "the report file is given twice");
    } else {
      commandLine.reportPath = path;
    }
  } else {
    fault(commandLine, "unknown option " + argument);
  }
}

}  // namespace

CommandLine parseCommandLine(const char* arguments) {
  CommandLine commandLine;
  for (const std::string& argument : splitArguments(arguments ? arguments : "")) {
    commandLine.hasArguments = true;
    if (argument.size() >= 2 && (argument[0] == '/' || argument[0] == '-')) {
      readOption(argument, commandLine);
    } else if (argument.empty()) {
      fault(commandLine, "an empty argument");
    } else {
      fault(commandLine, "unknown option " + argument);
    }
  }
  return commandLine;
}

std::string usageText(const CommandLine& commandLine) {
  std::string text;
  if (!commandLine.error.empty())
    text = "The command line cannot be used: " + commandLine.error + ".\n\n";
  text +=
      "vantosweeper [/silent] [/report:PATH] [/detect] [/restart]\n"
      "/silent: scan with no window and no question\n"
      "/report:PATH: write the report to the file PATH\n"
      "/detect: report what is found, change nothing\n"
      "/restart: with /silent, restart when a removal needs it\n"
      "Exit code: 0 nothing found, 1 found and removed (or reported), 3 something remains, "
      "2 could not run.";
  return text;
}

}  // namespace vs::unattended
