// The report in machine-readable form: one JSON object per line.
//   {"type":"file","path":"C:\\x.exe","detection":"W32/Talvorn.Cgx.Trojan","outcome":"removed",
//    "line":"C:\\x.exe     W32/Talvorn.Cgx.Trojan removed"}
//   outcome: "detected" (scan without --remove), "removed", "unable_to_remove", "remove_failed"
//   {"type":"registry","detection":"W32/Talvorn.Trojan","outcome":"removed","line":"..."}
//   {"type":"line","line":"..."} for any other line
//   {"type":"statistics","files_scanned":1200,"files_infected":2,"files_removed":2}
//   {"type":"status","text":"Scanning completed"}
#pragma once

#include <cstdint>
#include <string>

namespace vs::offline {

// A text as a JSON string, quotes included. Bytes that are not UTF-8 are taken as Latin-1.
std::string jsonString(const std::string& text);

std::string reportLineAsJson(const std::string& line);
std::string statisticsAsJson(std::int32_t scanned, std::int32_t infected, std::int32_t removed);
std::string statusAsJson(const std::string& text);

}  // namespace vs::offline
