// The command line: drives with and without letters, and what cannot be used.
#include "offline/command_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vs::offline {
namespace {

bool parse(std::vector<const char*> arguments, Options& options, std::string& error) {
  arguments.insert(arguments.begin(), "vantoscan");
  return parseCommandLine(static_cast<int>(arguments.size()), arguments.data(), options, error);
}

std::string drivesOf(const Options& options) {
  std::string text;
  for (const DriveMapping& drive : options.drives)
    text += std::string(1, drive.letter) + "=" + drive.folder + " ";
  return text;
}

TEST(CommandLineTest, FoldersWithoutALetterTakeTheFreeOnesFromC) {
  Options options;
  std::string error;
  ASSERT_TRUE(parse({"/mnt/data", "--drive", "c=/mnt/win", "--remove", "--drive=E=/mnt/e", "--json",
                     "/mnt/more", "--", "--odd"},
                    options, error))
      << error;
  EXPECT_EQ(drivesOf(options), "C=/mnt/win E=/mnt/e D=/mnt/data F=/mnt/more G=--odd ");
  EXPECT_TRUE(options.remove);
  EXPECT_TRUE(options.json);
}

TEST(CommandLineTest, UnusableCommandLinesAreRefused) {
  const struct {
    std::vector<const char*> arguments;
    const char* error;
  } cases[] = {
      {{}, "no volume given"},
      {{"--remove"}, "no volume given"},
      {{"--drive"}, "--drive wants LETTER=FOLDER"},
      {{"--drive", "/mnt/win"}, "--drive wants LETTER=FOLDER"},
      {{"--drive", "C="}, "--drive wants LETTER=FOLDER"},
      {{"--drive", "B=/mnt/b"}, "drive B: is never scanned"},
      {{"--drive", "C=/a", "--drive", "c=/b"}, "drive C: is given twice"},
      {{"-r", "/mnt/win"}, "unknown option -r"},
  };
  for (const auto& c : cases) {
    Options options;
    std::string error;
    EXPECT_FALSE(parse(c.arguments, options, error)) << c.error;
    EXPECT_THAT(error, ::testing::HasSubstr(c.error));
  }
  std::vector<const char*> many;
  for (int i = 0; i < 25; ++i) many.push_back("/mnt/x");
  Options options;
  std::string error;
  EXPECT_FALSE(parse(many, options, error));
  EXPECT_EQ(error, "more volumes than drive letters");
}

TEST(CommandLineTest, ImagesAreOnlyReadAndScannedOnTheirOwn) {
  Options options;
  std::string error;
  ASSERT_TRUE(parse({"--image", "/cases/a.E01", "--json", "--image=/cases/b.raw"}, options, error))
      << error;
  EXPECT_EQ(options.images, (std::vector<std::string>{"/cases/a.E01", "/cases/b.raw"}));
  EXPECT_TRUE(options.drives.empty());

  const struct {
    std::vector<const char*> arguments;
    const char* error;
  } refused[] = {
      {{"--image", "a.raw", "--remove"}, "--remove cannot be used with --image"},
      {{"--image", "a.raw", "/mnt/win"}, "--image cannot be combined with folders or --drive"},
      {{"--drive", "C=/mnt/win", "--image", "a.raw"}, "--image cannot be combined"},
      {{"--image"}, "--image wants a disk image file"},
      {{"--image="}, "--image wants a disk image file"},
  };
  for (const auto& c : refused) {
    Options refusedOptions;
    EXPECT_FALSE(parse(c.arguments, refusedOptions, error)) << c.error;
    EXPECT_THAT(error, ::testing::HasSubstr(c.error));
  }
}

TEST(CommandLineTest, HelpNeedsNoVolume) {
  Options options;
  std::string error;
  ASSERT_TRUE(parse({"--help"}, options, error));
  EXPECT_TRUE(options.help);
}

}  // namespace
}  // namespace vs::offline
