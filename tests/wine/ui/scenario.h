// The drivers' command line: the scenario its first argument names is run, and the number of its
// failed checks becomes the exit code.
#pragma once

#include <algorithm>
#include <cstdio>
#include <span>
#include <string>

namespace vs::uitest {

struct Scenario {
  const char* name;
  int (*run)();
};

// The named scenario's failures, capped at 100 (101 and more: it could not be run at all); 101
// with the usage text on standard error when no scenario has that name.
inline int runScenario(const std::string& wanted, std::span<const Scenario> scenarios,
                       const char* usage) {
  for (const Scenario& scenario : scenarios) {
    if (wanted != scenario.name) continue;
    const int result = scenario.run();
    return result > 100 ? result : std::min(result, 100);
  }
  std::fputs(usage, stderr);
  return 101;
}

}  // namespace vs::uitest
