// Windows paths ("C:\Windows\system32\x.exe") taken apart for a volume seen from this host.
#pragma once

#include <string>
#include <vector>

namespace vs::volumes {

struct WindowsPath {
  char drive = 0;                       // upper-case letter
  std::vector<std::string> components;  // below the drive's root; empty for the root itself
};

// Splits a path at its backslashes (and forward slashes, which Windows takes alike); empty and "."
// components are dropped. False for a path without a drive letter and colon, and for one with a
// ".." component, which could lead out of the folder it names.
bool parseWindowsPath(const char* path, WindowsPath& out);

// The components joined with "/", relative to the volume's root ("." for the root itself).
std::string relativeHostPath(const std::vector<std::string>& components);

}  // namespace vs::volumes
