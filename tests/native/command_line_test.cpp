// The Windows tool's command line: what each form asks for, and what is wrong with the forms that
// cannot be used.
#include "unattended/command_line.h"

#include <gtest/gtest.h>

namespace vs::test {
namespace {

using unattended::CommandLine;
using unattended::parseCommandLine;

struct Case {
  const char* arguments;
  bool silent, detect, restart, help;
  const char* reportPath;
  const char* error;  // a part of the message; empty when the line can be used
};

const Case kCases[] = {
    // Valid, alone and combined, in any letter case, with "/" or "-".
    {"/silent", true, false, false, false, "", ""},
    {"-SILENT", true, false, false, false, "", ""},
    {"/Detect -restart", false, true, true, false, "", ""},
    {"/?", false, false, false, true, "", ""},
    {"-?", false, false, false, true, "", ""},
    {"/silent /REPORT:\\\\server\\share\\PC-7.txt /detect /restart", true, true, true, false,
     "\\\\server\\share\\PC-7.txt", ""},
    // Quotes hold a path with spaces together, around the path or around the whole option; the
    // path keeps its letter case.
    {"/report:\"C:\\My Reports\\Pc 1.TXT\" /silent", true, false, false, false,
     "C:\\My Reports\\Pc 1.TXT", ""},
    {"\"-report:C:\\a b\\r.txt\"", false, false, false, false, "C:\\a b\\r.txt", ""},
    {"/report:C:\\r.txt:stream", false, false, false, false, "C:\\r.txt:stream", ""},
    {" \t/silent\t ", true, false, false, false, "", ""},
    // Repeated: a flag twice means what it means once; two reports are one too many.
    {"/silent /silent /detect -DETECT", true, true, false, false, "", ""},
    {"/report:a.txt /report:b.txt", false, false, false, false, "a.txt", "given twice"},
    // Empty or missing paths.
    {"/report:", false, false, false, false, "", "/report: names no file"},
    {"/report:\"\"", false, false, false, false, "", "names no file"},
    {"/Report", false, false, false, false, "", "/Report needs a file"},
    // Unknown options and arguments; the options around them are still read.
    {"/silent /scan", true, false, false, false, "", "unknown option /scan"},
    {"--silent /silent", true, false, false, false, "", "unknown option --silent"},
    {"/reports:x.txt", false, false, false, false, "", "unknown option /reports:x.txt"},
    {"C:\\", false, false, false, false, "", "unknown option C:\\"},
    {"/", false, false, false, false, "", "unknown option /"},
    {"/silent \"\"", true, false, false, false, "", "an empty argument"},
};

TEST(CommandLineTest, EachFormAsksForWhatItSays) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.arguments);
    const CommandLine line = parseCommandLine(c.arguments);
    EXPECT_TRUE(line.hasArguments);
    EXPECT_EQ(line.silent, c.silent);
    EXPECT_EQ(line.detect, c.detect);
    EXPECT_EQ(line.restart, c.restart);
    EXPECT_EQ(line.help, c.help);
    EXPECT_EQ(line.reportPath, c.reportPath);
    if (*c.error == '\0') {
      EXPECT_EQ(line.error, "");
    } else {
      EXPECT_NE(line.error.find(c.error), std::string::npos) << line.error;
    }
  }
}

TEST(CommandLineTest, NoArgumentsIsThePersonsTool) {
  for (const char* arguments : {"", "  \t ", static_cast<const char*>(nullptr)}) {
    const CommandLine line = parseCommandLine(arguments);
    EXPECT_FALSE(line.hasArguments);
    EXPECT_EQ(line.error, "");
  }
}

TEST(CommandLineTest, TheUsageTextSaysWhatIsWrongFirst) {
  const std::string usage = unattended::usageText(parseCommandLine("/silent /frobnicate"));
  EXPECT_EQ(usage.rfind("The command line cannot be used: unknown option /frobnicate.", 0), 0u)
      << usage;
  for (const char* option : {"/silent", "/report:PATH", "/detect", "/restart", "Exit code"}) {
    EXPECT_NE(usage.find(option), std::string::npos) << option;
  }
  EXPECT_EQ(unattended::usageText(parseCommandLine("/?")).find("cannot be used"),
            std::string::npos);
}

}  // namespace
}  // namespace vs::test
