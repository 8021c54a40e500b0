// The report in machine-readable form: one JSON object per line.
//   {"type":"file","path":"C:\\x.exe","detection":"W32/Talvorn.Cgx.Trojan","outcome":"removed",
//    "line":"C:\\x.exe     W32/Talvorn.Cgx.Trojan removed"}
//   outcome: "detected" (scan without --remove), "removed", "unable_to_remove", "remove_failed"
//   {"type":"registry","detection":"W32/Talvorn.Trojan","outcome":"removed","line":"..."}
//   {"type":"line","line":"..."} for any other line
//   {"type":"statistics","files_scanned":1200,"files_infected":2,"files_removed":2}
//   {"type":"status","text":"Scanning completed"}
// A file object carries the file's SHA-256 ("sha256") when it could be read; a finding inside a
// disk image carries the image, the partition's byte offset and the file's metadata address
// ("image", "offset", "inode"), and a registry finding there the hive and the value ("hive",
// "key", "value"). Scans of images begin with their drives and what was skipped:
//   {"type":"drive","drive":"C:","image":"disk.raw","partition":2,"offset":1048576,
//    "file_system":"ntfs"}          (partition 0: the image is one file system)
//   {"type":"skipped","image":"disk.raw","partition":3,"offset":...,"partition_type":"...",
//    "reason":"..."}
//   {"type":"no_file_system","image":...,"partition":...,"offset":...,"partition_type":"..."}
//   {"type":"truncated","image":...,"partition":...,"offset":...}  (scanned as far as it goes)
// and a folder of a damaged file system that could not be walked is told where it is met:
//   {"type":"skipped","path":"C:\\A\\LOOP","image":...,"offset":...,"inode":37,"reason":"..."}
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vs::offline {

// What the report tells of a finding beyond its line.
struct FindingDetails {
  std::string sha256;        // of an infected file; empty when it could not be read
  std::string image;         // the disk image holding the finding; empty for a mounted folder
  std::uint64_t offset = 0;  // of the partition in the image
  std::optional<std::uint64_t> inode;  // of the file (the hive, for a registry finding)
  std::string hive;                    // a registry finding: the hive's Windows path,
  std::string key;                     // the key below HKEY_LOCAL_MACHINE
  std::string value;                   // and the value's name
};

// A partition of a disk image, for the records of drives and of what was skipped.
struct PartitionPlace {
  std::string image;
  int partition = 0;  // 0: the image is one file system
  std::uint64_t offset = 0;
  std::string type;  // the partition table's name for it
};

// A text as a JSON string, quotes included. Bytes that are not UTF-8 are taken as Latin-1.
std::string jsonString(const std::string& text);

// The path of a file's report line ("%s     %s removed" and the other outcomes); none for other
// lines.
std::optional<std::string> filePathOfLine(const std::string& line);
// Whether the line is a registry finding ("System Registry     %s removed"...).
bool isRegistryLine(const std::string& line);

std::string reportLineAsJson(const std::string& line, const FindingDetails* details = nullptr);
std::string driveAsJson(char letter, const PartitionPlace& place, const std::string& fileSystem);
std::string skippedPartitionAsJson(const PartitionPlace& place, const std::string& reason);
std::string noFileSystemAsJson(const PartitionPlace& place);
std::string truncatedAsJson(const PartitionPlace& place);
std::string skippedFolderAsJson(const std::string& path, const FindingDetails& where,
                                const std::string& reason);
std::string statisticsAsJson(std::int32_t scanned, std::int32_t infected, std::int32_t removed);
std::string statusAsJson(const std::string& text);

}  // namespace vs::offline
