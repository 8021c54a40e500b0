#include "system/process_scan.h"

namespace vs {

void scanMemory(ScanContext& ctx) {
  ctx.session.singleFileMode = 1;
  // The process step supplies the tool-help and psapi roads that list the running programs and
  // test each image; until it lands no process is examined.
  ctx.session.singleFileMode = 0;
}

}  // namespace vs
