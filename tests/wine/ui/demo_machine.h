// The contents of a demonstration machine, written from inside the prefix before the tool starts:
// an ordinary-looking tree of documents and programs on C: and D: with a few infected files among
// them (one read-only), and the Run value that starts one of them.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vs::uitest {

struct PlantedSample {
  std::string path;
  std::string detectionName;
};

// Writes the tree; returns the infected files it planted, or nothing when writing failed.
std::vector<PlantedSample> plantDemoMachine();

// The clean files of the tree, which a scan must leave in place.
std::vector<std::string> demoCleanFiles();

// The Run value that starts one of the infected files, and its file.
inline constexpr const char* kPlantedRunTarget = "C:\\Downloads\\svchost32.exe";
// Whether the Run value is still in the registry.
bool runValuePresent();

// Writes one more infected file, a program that sleeps until it is killed, and starts it, so that
// the tool's memory scan finds it running. Nothing when it could not be written or started.
std::optional<PlantedSample> startInfectedProgram();

// Writes one more infected file and keeps it open for the rest of the driver's run without letting
// anyone delete it, as a program that holds its data would: the tool can neither delete it nor
// kill its holder, and leaves its deletion for the next start. Nothing when it could not be
// written or opened.
std::optional<PlantedSample> plantHeldSample();

// Marks the maker's antivirus suite as installed.
bool registerSuite();

}  // namespace vs::uitest
