// The file an engine step works on, named as the system's calls reach it: by its ANSI path, or,
// where the ANSI calls cannot reach it (a name the code page cannot spell, a path longer than
// their 260-character buffers), by its wide path through the wide calls of the NT line.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/platform.h"

namespace vs {

struct TargetFile {
  // A file the ANSI calls reach.
  TargetFile(const char* ansiPath) : path(ansiPath) {}
  TargetFile(const char* ansiPath, const char16_t* wide) : path(ansiPath), widePath(wide) {}

  bool wide() const { return widePath != nullptr; }

  // The ANSI path; for a file that only the wide calls reach, the wide path as the code page
  // renders it, for the texts that hold no wide characters (message boxes, the status line).
  const char* path;
  // The wide path ("C:\dir\name"), set only for a file that the ANSI calls cannot reach.
  const char16_t* widePath = nullptr;
};

// The file calls of the platform on a target: the wide call for a wide file, the ANSI one
// otherwise.
std::unique_ptr<ReadableFile> openTarget(Platform& os, const TargetFile& file);
bool setTargetAttributes(Platform& os, const TargetFile& file, std::uint32_t attributes);
bool deleteTarget(Platform& os, const TargetFile& file);

}  // namespace vs
