// The simulated machine as a whole: its drives and their trees, and the call log.
#include "platform/sim/sim_machine.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "platform/sim/sim_drive.h"
#include "platform/sim/sim_text.h"
#include "platform/volumes/mounted_volume.h"
#include "platform/windows_text.h"

namespace vs::sim {

std::string hexText(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

Node* Node::child(const std::string& childName) const {
  for (const auto& node : children) {
    if (node->wideName.empty() && equalsIgnoringCase(node->name, childName)) return node.get();
  }
  return nullptr;
}

Node* Node::wideChild(const std::u16string& childName) const {
  for (const auto& node : children) {
    if (equalsIgnoringCase(node->spelling(), childName)) return node.get();
  }
  return nullptr;
}

std::u16string Node::spelling() const {
  return wideName.empty() ? latin1Widened(name) : wideName;
}

SimMachine::SimMachine() = default;
SimMachine::~SimMachine() = default;

void SimMachine::addDrive(char letter, unsigned type) {
  auto d = std::make_unique<Drive>();
  d->type = type;
  d->root.attributes = kAttrDirectory;
  drives_[static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))] = std::move(d);
}

void SimMachine::addHostDrive(char letter, const std::string& hostFolder, unsigned type) {
  addDrive(letter, type);
  drive(letter)->onHost = true;
  // A folder that cannot be opened leaves a drive on which nothing can be found.
  if (auto volume = volumes::MountedVolume::open(hostFolder)) {
    hostDrives_.add(letter, std::move(volume));
  }
}

void SimMachine::writeProtect(char letter) {
  drive(letter)->writeProtected = true;
}

SimMachine::Drive* SimMachine::drive(char letter) const {
  auto it = drives_.find(static_cast<char>(std::toupper(static_cast<unsigned char>(letter))));
  return it == drives_.end() ? nullptr : it->second.get();
}

bool SimMachine::onHostDrive(const char* path) const {
  if (!path || path[0] == '\0' || path[1] != ':') return false;
  const Drive* d = drive(path[0]);
  return d && d->onHost;
}

bool SimMachine::onHostDrive(const std::u16string& path) const {
  return onHostDrive(latin1Rendering(std::u16string_view(path).substr(0, 2)).c_str());
}

namespace {

std::vector<std::u16string> splitWidePath(std::u16string_view path) {
  std::vector<std::u16string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find(u'\\', start);
    if (end == std::u16string_view::npos) end = path.size();
    if (end > start) parts.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

Node* childOf(const Node& node, const std::string& name) {
  return node.child(name);
}
Node* childOf(const Node& node, const std::u16string& name) {
  return node.wideChild(name);
}

std::string leafName(const std::string& name) {
  return name;
}
std::string leafName(const std::u16string& name) {
  return latin1Rendering(name);
}

}  // namespace

SimMachine::Resolved SimMachine::resolve(const std::string& path) const {
  if (path.size() < 2 || path[1] != ':') return {};
  return resolveParts(drive(path[0]), splitPath(std::string_view(path).substr(2)));
}

SimMachine::Resolved SimMachine::resolve(const std::u16string& path) const {
  if (path.size() < 2 || path[1] != u':' || path[0] > 0x7F) return {};
  return resolveParts(drive(static_cast<char>(path[0])),
                      splitWidePath(std::u16string_view(path).substr(2)));
}

template <typename Text>
SimMachine::Resolved SimMachine::resolveParts(Drive* where, const std::vector<Text>& parts) const {
  Resolved r;
  r.drive = where;
  if (!r.drive) return r;
  r.atRoot = parts.empty();
  Node* node = &r.drive->root;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (parts[i].size() == 1 && parts[i][0] == '.') continue;
    Node* next = node->isDirectory() ? childOf(*node, parts[i]) : nullptr;
    if (!next) {
      // Only a missing last name has a parent to be created in; a missing folder on the way has
      // none.
      const bool leafMissing = i + 1 == parts.size() && node->isDirectory();
      r.parent = leafMissing ? node : nullptr;
      r.leaf = leafMissing ? leafName(parts[i]) : std::string();
      return r;
    }
    r.parent = node;
    r.leaf = leafName(parts[i]);
    node = next;
  }
  r.node = node;
  return r;
}

std::uint32_t SimMachine::missingError(const Resolved& where) {
  // A path on a drive that does not exist names nothing to be found, as the system answers.
  if (!where.drive) return kErrorFileNotFound;
  return where.parent ? kErrorFileNotFound : kErrorPathNotFound;
}

Node& SimMachine::addDirectory(const std::string& path) {
  Drive* d = drive(path[0]);
  if (!d) {
    addDrive(path[0]);
    d = drive(path[0]);
  }
  Node* node = &d->root;
  for (const std::string& part : splitPath(std::string_view(path).substr(2))) {
    Node* next = node->child(part);
    if (!next) {
      auto created = std::make_unique<Node>();
      created->name = part;
      created->attributes = kAttrDirectory;
      next = created.get();
      node->children.push_back(std::move(created));
    }
    node = next;
  }
  return *node;
}

Node& SimMachine::addDirectory(const std::u16string& path) {
  Node* node = &addDirectory(std::string(1, static_cast<char>(path[0])) + ":");
  for (const std::u16string& part : splitWidePath(std::u16string_view(path).substr(2))) {
    Node* next = node->wideChild(part);
    if (!next) {
      auto created = std::make_unique<Node>();
      created->name = latin1Rendering(part);
      if (!latin1Spells(part)) created->wideName = part;
      created->attributes = kAttrDirectory;
      next = created.get();
      node->children.push_back(std::move(created));
    }
    node = next;
  }
  return *node;
}

Node& SimMachine::addFile(const std::u16string& path, const std::string& content,
                          std::uint32_t attributes) {
  const std::size_t slash = path.rfind(u'\\');
  Node& parent = addDirectory(path.substr(0, slash));
  const std::u16string name = path.substr(slash + 1);
  auto file = std::make_unique<Node>();
  file->name = latin1Rendering(name);
  if (!latin1Spells(name)) file->wideName = name;
  file->attributes = attributes;
  file->content = content;
  Node& result = *file;
  parent.children.push_back(std::move(file));
  return result;
}

Node& SimMachine::addFile(const std::string& path, const std::string& content,
                          std::uint32_t attributes) {
  const std::size_t slash = path.rfind('\\');
  Node& parent = addDirectory(path.substr(0, slash));
  auto file = std::make_unique<Node>();
  file->name = path.substr(slash + 1);
  file->attributes = attributes;
  file->content = content;
  Node& result = *file;
  parent.children.push_back(std::move(file));
  return result;
}

Node* SimMachine::find(const std::string& path) const {
  return resolve(path).node;
}

Node* SimMachine::find(const std::u16string& path) const {
  return resolve(path).node;
}

bool SimMachine::remove(const std::string& path) {
  const Resolved r = resolve(path);
  if (!r.node || !r.parent) return false;
  auto& siblings = r.parent->children;
  siblings.erase(std::find_if(siblings.begin(), siblings.end(),
                              [&](const auto& node) { return node.get() == r.node; }));
  return true;
}

std::vector<std::string> SimMachine::callsStartingWith(const std::string& prefix) const {
  std::vector<std::string> found;
  for (const std::string& line : calls) {
    if (line.rfind(prefix, 0) == 0) found.push_back(line);
  }
  return found;
}

void SimMachine::log(const std::string& line) {
  if (logCalls) calls.push_back(line);
}

void SimMachine::blocking(const std::string& line) {
  if (beforeBlocking) beforeBlocking(line);
  log(line);
}

bool SimMachine::fail(std::uint32_t error) {
  lastError_ = error;
  return false;
}

}  // namespace vs::sim
