#include "offline/report_json.h"

#include <cstdio>

namespace vs::offline {
namespace {

// Between a file's path and its detection name, and between "System Registry" and the name.
constexpr const char* kGap = "     ";
constexpr const char* kRegistryPrefix = "System Registry     ";

struct Outcome {
  const char* suffix;  // as the line ends
  const char* name;    // as the JSON says it
};
constexpr Outcome kOutcomes[] = {{" removed", "removed"},
                                 {" Unable to remove", "unable_to_remove"},
                                 {" Remove failed", "remove_failed"},
                                 {" detected", "detected"}};

// The length of a UTF-8 sequence starting at text[i], or 0 when none starts there.
std::size_t utf8Length(const std::string& text, std::size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  const std::size_t length = lead >= 0xF0 && lead <= 0xF4   ? 4
                             : lead >= 0xE0                 ? 3
                             : lead >= 0xC2 && lead <= 0xDF ? 2
                                                            : 0;
  if (length == 0 || i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 0;
  }
  // No overlong forms, no surrogates, nothing beyond U+10FFFF.
  const auto second = static_cast<unsigned char>(text[i + 1]);
  if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
      (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F)) {
    return 0;
  }
  return length;
}

bool endsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// A line of a file or registry finding taken apart.
struct ParsedLine {
  bool registry = false;
  std::string path;
  std::string detection;
  const Outcome* outcome = nullptr;
};

bool parseLine(const std::string& line, ParsedLine& parsed) {
  for (const Outcome& outcome : kOutcomes) {
    if (!endsWith(line, outcome.suffix)) continue;
    const std::string rest = line.substr(0, line.size() - std::string(outcome.suffix).size());
    parsed.outcome = &outcome;
    if (rest.rfind(kRegistryPrefix, 0) == 0) {
      parsed.registry = true;
      parsed.detection = rest.substr(std::string(kRegistryPrefix).size());
      return true;
    }
    // A name holds no run of five spaces; a path might.
    const std::size_t gap = rest.rfind(kGap);
    if (gap == std::string::npos || gap == 0) return false;
    parsed.path = rest.substr(0, gap);
    parsed.detection = rest.substr(gap + std::string(kGap).size());
    return true;
  }
  return false;
}

std::string field(const char* name, const std::string& text) {
  return std::string(",\"") + name + "\":" + jsonString(text);
}

std::string field(const char* name, std::uint64_t number) {
  return std::string(",\"") + name + "\":" + std::to_string(number);
}

std::string detailFields(const FindingDetails& details) {
  std::string fields;
  if (!details.sha256.empty()) fields += field("sha256", details.sha256);
  if (!details.hive.empty()) fields += field("hive", details.hive);
  if (!details.key.empty()) fields += field("key", details.key) + field("value", details.value);
  if (!details.image.empty()) {
    fields += field("image", details.image) + field("offset", details.offset);
    if (details.inode) fields += field("inode", *details.inode);
  }
  return fields;
}

std::string placeFields(const PartitionPlace& place) {
  return field("image", place.image) +
         field("partition", static_cast<std::uint64_t>(place.partition)) +
         field("offset", place.offset) +
         (place.type.empty() ? "" : field("partition_type", place.type));
}

}  // namespace

std::string jsonString(const std::string& text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (const std::size_t length = utf8Length(text, i)) {
      out.append(text, i, length);
      i += length - 1;
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    }
  }
  return out + "\"";
}

std::optional<std::string> filePathOfLine(const std::string& line) {
  ParsedLine parsed;
  if (!parseLine(line, parsed) || parsed.registry) return std::nullopt;
  return parsed.path;
}

bool isRegistryLine(const std::string& line) {
  ParsedLine parsed;
  return parseLine(line, parsed) && parsed.registry;
}

std::string reportLineAsJson(const std::string& line, const FindingDetails* details) {
  ParsedLine parsed;
  if (!parseLine(line, parsed)) return "{\"type\":\"line\",\"line\":" + jsonString(line) + "}";
  std::string object = parsed.registry ? "{\"type\":\"registry\""
                                       : "{\"type\":\"file\"" + field("path", parsed.path);
  object += field("detection", parsed.detection) + ",\"outcome\":\"" + parsed.outcome->name + "\"";
  if (details) object += detailFields(*details);
  return object + field("line", line) + "}";
}

std::string driveAsJson(char letter, const PartitionPlace& place, const std::string& fileSystem) {
  PartitionPlace untyped = place;
  untyped.type.clear();
  return "{\"type\":\"drive\"" + field("drive", std::string{letter, ':'}) + placeFields(untyped) +
         field("file_system", fileSystem) + "}";
}

std::string skippedPartitionAsJson(const PartitionPlace& place, const std::string& reason) {
  return "{\"type\":\"skipped\"" + placeFields(place) + field("reason", reason) + "}";
}

std::string noFileSystemAsJson(const PartitionPlace& place) {
  return "{\"type\":\"no_file_system\"" + placeFields(place) + "}";
}

std::string truncatedAsJson(const PartitionPlace& place) {
  return "{\"type\":\"truncated\"" + placeFields(place) + "}";
}

std::string skippedFolderAsJson(const std::string& path, const FindingDetails& where,
                                const std::string& reason) {
  return "{\"type\":\"skipped\"" + field("path", path) + detailFields(where) +
         field("reason", reason) + "}";
}

std::string statisticsAsJson(std::int32_t scanned, std::int32_t infected, std::int32_t removed) {
  return "{\"type\":\"statistics\",\"files_scanned\":" + std::to_string(scanned) +
         ",\"files_infected\":" + std::to_string(infected) +
         ",\"files_removed\":" + std::to_string(removed) + "}";
}

std::string statusAsJson(const std::string& text) {
  return "{\"type\":\"status\",\"text\":" + jsonString(text) + "}";
}

}  // namespace vs::offline
