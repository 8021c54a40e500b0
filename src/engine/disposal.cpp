#include "engine/disposal.h"

namespace vs {

// The disposal step (attribute reset, deletion, killing the holder, deletion at the next start)
// supplies these; until it lands a matched file is counted by the matcher and left in place.
void disposeInfectedFile(ScanContext&, const char*, const char*) {}

void disposeMemoryImage(ScanContext&, const char*, const char*) {}

}  // namespace vs
