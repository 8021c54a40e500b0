// The Windows tool's command line, in the usual Windows form: options begin with "/" or "-" and
// their names ignore letter case; double quotes hold a path with spaces together.
//
//   /silent        the whole scan with no window and no question
//   /report:PATH   the report, line for line, into the file PATH (also with the window)
//   /detect        report what is found and change nothing
//   /restart       with /silent: restart the computer when a removal needs it
//   /?             the usage text
#pragma once

#include <string>

namespace vs::unattended {

struct CommandLine {
  bool silent = false;
  bool detect = false;
  bool restart = false;
  bool help = false;
  std::string reportPath;  // empty: no report file
  // Anything at all after the program's name. Without it the tool is the window a person uses.
  bool hasArguments = false;
  // What is wrong with the command line (the first fault found); empty when it can be used. The
  // options around a fault are still read, so that /silent keeps its meaning.
  std::string error;
};

// Reads the arguments that follow the program's name.
CommandLine parseCommandLine(const char* arguments);

// The usage text, headed by what is wrong with the command line when something is.
std::string usageText(const CommandLine& commandLine);

}  // namespace vs::unattended
