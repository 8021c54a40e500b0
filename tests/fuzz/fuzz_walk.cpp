// The directory walk over trees of arbitrary names on the simulated machine: names of any bytes
// and lengths, dots and blanks anywhere, links, unlistable folders, trees deep enough to pass the
// 260-character limit. The walk must hand every file it can name in 259 characters to the
// detectors exactly once, by a path that names that very file, and nothing else.
//
// Input: entries, each a kind byte and a name ending at a zero byte. Kind bit 0: a directory,
// which the following entries go into; bit 1: a directory link; bit 2: a directory that cannot be
// listed; bit 7: before this entry, go back up one level.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "engine/walk.h"
#include "platform/sim/sim_machine.h"

namespace {

constexpr std::size_t kLongestName = 255;  // what NTFS and FAT allow

void require(bool condition) {
  if (!condition) std::abort();
}

std::set<std::string>* handed = nullptr;

int recordingDetector(vs::ScanContext& ctx, const char*, const char* path) {
  require(std::strlen(path) < vs::kMaxPath);
  const vs::sim::SimMachine& os = static_cast<vs::sim::SimMachine&>(ctx.os);
  const vs::sim::Node* node = os.find(path);
  require(node != nullptr && !node->isDirectory());
  require(handed->insert(path).second);
  return 0;
}

const vs::DetectorEntry kRecordingTable[] = {{"W32/Talvorn.Trojan ", recordingDetector},
                                             {nullptr, nullptr}};

// A name the listing can give: no backslash, not a dot entry, unique in its folder ignoring case.
std::string usableName(std::string name, const vs::sim::Node& folder) {
  for (char& c : name) {
    if (c == '\\') c = '_';
  }
  if (name.size() > kLongestName) name.resize(kLongestName);
  if (name.empty() || name == "." || name == "..") name = "_" + name;
  while (folder.child(name)) name += "~";
  if (name.size() > kLongestName) name = "u" + std::to_string(folder.children.size());
  return name;
}

// The files the walk can reach and name: paths of at most 259 characters, in folders whose
// pattern fits and that are neither links nor unlistable.
void expectedFiles(const vs::sim::Node& folder, const std::string& path,
                   std::set<std::string>& out) {
  if (folder.denyList) return;
  for (const auto& child : folder.children) {
    const std::string childPath = path + "\\" + child->name;
    if (!child->isDirectory()) {
      if (childPath.size() < vs::kMaxPath) out.insert(childPath);
    } else if (!(child->attributes & vs::kAttrReparsePoint) &&
               childPath.size() + 4 < vs::kMaxPath) {
      expectedFiles(*child, childPath, out);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vs::sim::SimMachine os;
  os.logCalls = false;
  vs::sim::Node* root = &os.addDirectory("C:\\");
  std::vector<vs::sim::Node*> stack{root};
  for (std::size_t at = 0; at < size;) {
    const std::uint8_t kind = data[at++];
    const void* zero = std::memchr(data + at, 0, size - at);
    const std::size_t end =
        zero ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - data) : size;
    const std::string name(reinterpret_cast<const char*>(data + at), end - at);
    at = end + 1;
    if ((kind & 0x80) && stack.size() > 1) stack.pop_back();
    vs::sim::Node& folder = *stack.back();
    auto node = std::make_unique<vs::sim::Node>();
    node->name = usableName(name, folder);
    if (kind & 1) {
      node->attributes = vs::kAttrDirectory | ((kind & 2) ? vs::kAttrReparsePoint : 0);
      node->denyList = (kind & 4) != 0;
    }
    vs::sim::Node* added = node.get();
    folder.children.push_back(std::move(node));
    if (kind & 1) stack.push_back(added);
  }

  std::set<std::string> expected;
  expectedFiles(*root, "C:", expected);
  std::set<std::string> seen;
  handed = &seen;
  vs::ScanSession session;
  session.singleFileMode = 0;
  vs::ScanContext ctx(os, session, kRecordingTable);
  const int result = vs::walkDirectory(ctx, "C:\\*.*");
  handed = nullptr;
  require(result == session.filesScanned);
  require(seen == expected);
  require(session.filesScanned == static_cast<std::int32_t>(expected.size()));
  return 0;
}
