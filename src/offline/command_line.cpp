#include "offline/command_line.h"

#include <cctype>
#include <cstring>

namespace vs::offline {
namespace {

bool letterTaken(const Options& options, char letter) {
  for (const DriveMapping& drive : options.drives) {
    if (drive.letter == letter) return true;
  }
  return false;
}

bool parseDrive(const std::string& text, Options& options, std::string& error) {
  if (text.size() < 3 || text[1] != '=' || !std::isalpha(static_cast<unsigned char>(text[0]))) {
    error = "--drive wants LETTER=FOLDER, not \"" + text + "\"";
    return false;
  }
  const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  if (letter < 'C') {
    error = std::string("drive ") + letter + ": is never scanned; use C to Z";
    return false;
  }
  if (letterTaken(options, letter)) {
    error = std::string("drive ") + letter + ": is given twice";
    return false;
  }
  options.drives.push_back({letter, text.substr(2)});
  return true;
}

// Folders without a letter take the free letters from C: on, in the order given.
bool assignLetters(const std::vector<std::string>& folders, Options& options, std::string& error) {
  char letter = 'C';
  for (const std::string& folder : folders) {
    while (letter <= 'Z' && letterTaken(options, letter)) ++letter;
    if (letter > 'Z') {
      error = "more volumes than drive letters";
      return false;
    }
    options.drives.push_back({letter, folder});
  }
  return true;
}

}  // namespace

bool parseCommandLine(int argc, const char* const* argv, Options& options, std::string& error) {
  std::vector<std::string> folders;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (optionsEnded || arg.empty() || arg[0] != '-') {
      folders.push_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--remove") {
      options.remove = true;
    } else if (arg == "--json") {
      options.json = true;
    } else if (arg == "--drive") {
      if (i + 1 == argc) {
        error = "--drive wants LETTER=FOLDER";
        return false;
      }
      if (!parseDrive(argv[++i], options, error)) return false;
    } else if (arg.rfind("--drive=", 0) == 0) {
      if (!parseDrive(arg.substr(std::strlen("--drive=")), options, error)) return false;
    } else if (arg == "--image") {
      if (i + 1 == argc || argv[i + 1][0] == '\0') {
        error = "--image wants a disk image file";
        return false;
      }
      options.images.push_back(argv[++i]);
    } else if (arg.rfind("--image=", 0) == 0) {
      if (arg.size() == std::strlen("--image=")) {
        error = "--image wants a disk image file";
        return false;
      }
      options.images.push_back(arg.substr(std::strlen("--image=")));
    } else {
      error = "unknown option " + arg;
      return false;
    }
  }
  if (!options.images.empty()) {
    if (options.remove) {
      error = "--remove cannot be used with --image: a disk image is evidence and is only read";
      return false;
    }
    if (!folders.empty() || !options.drives.empty()) {
      error =
          "--image cannot be combined with folders or --drive: scan images and mounted "
          "volumes in separate runs";
      return false;
    }
    return true;
  }
  if (!assignLetters(folders, options, error)) return false;
  if (options.drives.empty() && !options.help) {
    error = "no volume given";
    return false;
  }
  return true;
}

const char* usageText() {
  return R"(Usage: vantoscan [--remove] [--json] [--drive LETTER=FOLDER]... [FOLDER]...
       vantoscan [--json] --image FILE [--image FILE]...

Scans a Windows installation that is not running, mounted on this system, for the
W32/Talvorn.Trojan family, with the signatures and rules of the Windows tool.

  --drive C=/mnt/win  mounts the folder as drive C: (C to Z; one per drive)
  FOLDER              a folder given without a letter takes the next free one from C:
  --remove            deletes infected files and removes the malware's registry values
                      from the installation's SOFTWARE hive (a copy of the hive is saved
                      next to it first, as SOFTWARE.vantoscan-backup); without it the
                      scan only reports and changes nothing
  --image FILE        reads a disk image directly, without mounting it: raw or split raw
                      (the first file), E01 (the first segment), VHD, VMDK. Every partition
                      with a file system becomes a drive: the one holding \Windows\System32
                      is C:, the others follow from D: in partition order. The image is only
                      read; the installation's SOFTWARE hive is judged as the Windows tool
                      judges it and what it finds is reported as detected. Each finding
                      names the image, the partition's offset and the file's inode.
  --json              one JSON object per line instead of the report's text, with the
                      SHA-256 of every infected file
  --help              this text

Registry values are judged as the Windows tool judges them; %SystemRoot% and %windir%
stand for the installation's Windows folder, other variables are left as they are.

Exit status, the same as the Windows tool's:
  0  nothing found
  1  infected files found, and all removed (without --remove: reported)
  3  infected files found, and some remain (lines ending in "Unable to remove"
     or "Remove failed" tell which)
  2  the scan could not run or did not finish (command line, unusable volume,
     unreadable hive, Ctrl-C), or an image whose partitions or folders could not
     all be read (the report says which)
)";
}

}  // namespace vs::offline
