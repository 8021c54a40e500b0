#include "platform/sim/sim_machine.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace vs::sim {
namespace {

bool equalsIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

std::vector<std::string> splitComponents(const std::string& rest) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : rest) {
    if (c == '\\') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

bool matchFrom(const char* mask, const char* name) {
  for (; *mask; ++mask) {
    if (*mask == '*') {
      for (const char* rest = name;; ++rest) {
        if (matchFrom(mask + 1, rest)) return true;
        if (!*rest) return false;
      }
    }
    if (!*name) return false;
    if (*mask != '?' && std::tolower(static_cast<unsigned char>(*mask)) !=
                            std::tolower(static_cast<unsigned char>(*name))) {
      return false;
    }
    ++name;
  }
  return *name == '\0';
}

DirectoryEntry makeEntry(const std::string& name, std::uint32_t attributes, std::uint64_t size) {
  DirectoryEntry entry{};
  std::snprintf(entry.name, sizeof entry.name, "%s", name.c_str());
  entry.attributes = attributes;
  entry.size = size;
  return entry;
}

// A listing computed when it is opened, as the system's find functions would return it.
class VectorListing : public DirectoryListing {
 public:
  explicit VectorListing(std::vector<DirectoryEntry> entries) : entries_(std::move(entries)) {}
  bool next(DirectoryEntry& entry) override {
    if (index_ >= entries_.size()) return false;
    entry = entries_[index_++];
    return true;
  }

 private:
  std::vector<DirectoryEntry> entries_;
  std::size_t index_ = 0;
};

// A host directory read one entry at a time, so that a large tree costs no more memory than the
// system's own listing would.
class HostListing : public DirectoryListing {
 public:
  HostListing(DIR* dir, std::string folder, std::string mask, bool atRoot)
      : dir_(dir), folder_(std::move(folder)), mask_(std::move(mask)), atRoot_(atRoot) {}
  ~HostListing() override { closedir(dir_); }
  bool next(DirectoryEntry& entry) override {
    while (dirent* item = readdir(dir_)) {
      const bool dotEntry = std::strcmp(item->d_name, ".") == 0 || std::strcmp(item->d_name, "..") == 0;
      if (dotEntry && atRoot_) continue;
      if (!wildcardMatches(mask_, item->d_name)) continue;
      struct stat info;
      if (lstat((folder_ + "/" + item->d_name).c_str(), &info) != 0) continue;
      std::uint32_t attributes = S_ISDIR(info.st_mode) ? kAttrDirectory : kAttrArchive;
      if (S_ISLNK(info.st_mode)) {
        struct stat target;
        if (stat((folder_ + "/" + item->d_name).c_str(), &target) == 0 && S_ISDIR(target.st_mode)) {
          attributes = kAttrDirectory | kAttrReparsePoint;
        }
      }
      if (!(info.st_mode & S_IWUSR)) attributes |= kAttrReadOnly;
      entry = makeEntry(item->d_name, attributes, static_cast<std::uint64_t>(info.st_size));
      return true;
    }
    return false;
  }

 private:
  DIR* dir_;
  std::string folder_;
  std::string mask_;
  bool atRoot_;
};

class MemoryFile : public ReadableFile {
 public:
  explicit MemoryFile(const std::string& content) : content_(content) {}
  std::int64_t length() override { return static_cast<std::int64_t>(content_.size()); }
  bool seek(std::int64_t offset) override {
    if (offset < 0) return false;
    position_ = static_cast<std::uint64_t>(offset);
    return true;
  }
  std::int32_t read(void* buffer, std::uint32_t count) override {
    if (position_ >= content_.size()) return 0;
    const std::size_t available = content_.size() - position_;
    const std::size_t taken = std::min<std::size_t>(count, available);
    std::memcpy(buffer, content_.data() + position_, taken);
    position_ += taken;
    return static_cast<std::int32_t>(taken);
  }

 private:
  const std::string& content_;
  std::uint64_t position_ = 0;
};

class HostFile : public ReadableFile {
 public:
  explicit HostFile(int fd) : fd_(fd) {}
  ~HostFile() override { close(fd_); }
  std::int64_t length() override {
    struct stat info;
    return fstat(fd_, &info) == 0 ? static_cast<std::int64_t>(info.st_size) : -1;
  }
  bool seek(std::int64_t offset) override { return lseek(fd_, offset, SEEK_SET) >= 0; }
  std::int32_t read(void* buffer, std::uint32_t count) override {
    const ssize_t got = ::read(fd_, buffer, count);
    return static_cast<std::int32_t>(got);
  }

 private:
  int fd_;
};

}  // namespace

bool wildcardMatches(const std::string& mask, const std::string& name) {
  // "*.*" matches every name, also names without a dot, as on Windows.
  if (mask == "*.*" || mask == "*") return true;
  return matchFrom(mask.c_str(), name.c_str());
}

Node* Node::child(const std::string& childName) const {
  for (const auto& node : children) {
    if (equalsIgnoringCase(node->name, childName)) return node.get();
  }
  return nullptr;
}

struct SimMachine::Drive {
  unsigned type = kDriveFixed;
  Node root;
  std::string hostFolder;  // empty for an in-memory drive
  bool writeProtected = false;
};

// A Windows path taken apart: its drive, and either the in-memory node (or its parent, for a
// name that does not exist yet) or the host path.
struct SimMachine::Resolved {
  Drive* drive = nullptr;
  Node* node = nullptr;
  Node* parent = nullptr;
  std::string leaf;
  std::string hostPath;
  bool atRoot = false;
};

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
  drive(letter)->hostFolder = hostFolder;
}

void SimMachine::writeProtect(char letter) {
  drive(letter)->writeProtected = true;
}

SimMachine::Drive* SimMachine::drive(char letter) const {
  auto it = drives_.find(static_cast<char>(std::toupper(static_cast<unsigned char>(letter))));
  return it == drives_.end() ? nullptr : it->second.get();
}

SimMachine::Resolved SimMachine::resolve(const std::string& path) const {
  Resolved r;
  if (path.size() < 2 || path[1] != ':') return r;
  r.drive = drive(path[0]);
  if (!r.drive) return r;
  const std::vector<std::string> parts = splitComponents(path.substr(2));
  r.atRoot = parts.empty();
  if (!r.drive->hostFolder.empty()) {
    r.hostPath = r.drive->hostFolder;
    for (const std::string& part : parts) r.hostPath += "/" + part;
    return r;
  }
  Node* node = &r.drive->root;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (parts[i] == ".") continue;
    Node* next = node->isDirectory() ? node->child(parts[i]) : nullptr;
    if (!next) {
      if (i + 1 == parts.size() && node->isDirectory()) {
        r.parent = node;
        r.leaf = parts[i];
      }
      return r;
    }
    r.parent = node;
    r.leaf = parts[i];
    node = next;
  }
  r.node = node;
  return r;
}

Node& SimMachine::addDirectory(const std::string& path) {
  Drive* d = drive(path[0]);
  if (!d) {
    addDrive(path[0]);
    d = drive(path[0]);
  }
  Node* node = &d->root;
  for (const std::string& part : splitComponents(path.substr(2))) {
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

Node* SimMachine::find(const std::string& path) const { return resolve(path).node; }

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

std::unique_ptr<DirectoryListing> SimMachine::listDirectory(const char* pattern) {
  log(std::string("list ") + pattern);
  const std::string text = pattern;
  const std::size_t slash = text.rfind('\\');
  if (slash == std::string::npos) {
    fail(kErrorPathNotFound);
    return nullptr;
  }
  const std::string mask = text.substr(slash + 1);
  const Resolved where = resolve(text.substr(0, slash + 1));
  if (!where.drive) {
    fail(kErrorPathNotFound);
    return nullptr;
  }
  if (!where.hostPath.empty()) {
    DIR* dir = opendir(where.hostPath.c_str());
    if (!dir) {
      fail(kErrorPathNotFound);
      return nullptr;
    }
    return std::make_unique<HostListing>(dir, where.hostPath, mask, where.atRoot);
  }
  if (!where.node || !where.node->isDirectory()) {
    fail(kErrorPathNotFound);
    return nullptr;
  }
  if (where.node->denyList) {
    fail(kErrorAccessDenied);
    return nullptr;
  }
  std::vector<DirectoryEntry> entries;
  if (!where.atRoot && wildcardMatches(mask, ".")) {
    entries.push_back(makeEntry(".", kAttrDirectory, 0));
    entries.push_back(makeEntry("..", kAttrDirectory, 0));
  }
  for (const auto& node : where.node->children) {
    if (wildcardMatches(mask, node->name)) {
      entries.push_back(makeEntry(node->name, node->attributes, node->content.size()));
    }
  }
  if (entries.empty()) {
    fail(kErrorFileNotFound);
    return nullptr;
  }
  return std::make_unique<VectorListing>(std::move(entries));
}

unsigned SimMachine::driveType(const char* root) {
  log(std::string("driveType ") + root);
  Drive* d = drive(root[0]);
  return d ? d->type : kDriveNoRootDir;
}

bool SimMachine::pathExists(const char* path) {
  log(std::string("exists ") + path);
  const Resolved r = resolve(path);
  if (!r.hostPath.empty()) return access(r.hostPath.c_str(), F_OK) == 0;
  return r.node != nullptr || fail(kErrorFileNotFound);
}

bool SimMachine::isReadable(const char* path) {
  log(std::string("readable ") + path);
  const Resolved r = resolve(path);
  if (!r.hostPath.empty()) return access(r.hostPath.c_str(), R_OK) == 0;
  if (!r.node) return fail(kErrorFileNotFound);
  return !r.node->denyOpen || fail(kErrorAccessDenied);
}

std::unique_ptr<ReadableFile> SimMachine::openForReading(const char* path) {
  log(std::string("open ") + path);
  const Resolved r = resolve(path);
  if (!r.hostPath.empty()) {
    const int fd = open(r.hostPath.c_str(), O_RDONLY);
    if (fd < 0) {
      fail(errno == EACCES ? kErrorAccessDenied : kErrorFileNotFound);
      return nullptr;
    }
    return std::make_unique<HostFile>(fd);
  }
  if (!r.node || r.node->isDirectory()) {
    fail(r.node ? kErrorAccessDenied : kErrorFileNotFound);
    return nullptr;
  }
  if (r.node->denyOpen) {
    fail(kErrorAccessDenied);
    return nullptr;
  }
  return std::make_unique<MemoryFile>(r.node->content);
}

bool SimMachine::setFileAttributes(const char* path, std::uint32_t attributes) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%X", attributes);
  log(std::string("setAttributes ") + path + " " + hex);
  const Resolved r = resolve(path);
  if (!r.hostPath.empty()) {
    if (r.drive->writeProtected) return fail(kErrorAccessDenied);
    const mode_t mode = (attributes & kAttrReadOnly) ? 0444 : 0644;
    return chmod(r.hostPath.c_str(), mode) == 0 || fail(kErrorFileNotFound);
  }
  if (!r.node) return fail(kErrorFileNotFound);
  if (r.node->denyAttributes) return fail(kErrorAccessDenied);
  r.node->attributes = (r.node->attributes & kAttrDirectory) | attributes;
  return true;
}

bool SimMachine::deleteFile(const char* path) {
  log(std::string("delete ") + path);
  const Resolved r = resolve(path);
  if (!r.hostPath.empty() && r.drive->writeProtected) return fail(kErrorAccessDenied);
  if (!r.hostPath.empty()) return unlink(r.hostPath.c_str()) == 0 || fail(kErrorAccessDenied);
  if (!r.node || r.node->isDirectory()) return fail(r.node ? kErrorAccessDenied : kErrorFileNotFound);
  if (r.node->deleteError) return fail(r.node->deleteError);
  if (r.node->attributes & kAttrReadOnly) return fail(kErrorAccessDenied);
  auto& siblings = r.parent->children;
  siblings.erase(std::find_if(siblings.begin(), siblings.end(),
                              [&](const auto& node) { return node.get() == r.node; }));
  return true;
}

std::intptr_t SimMachine::sendMessage(WindowHandle, std::uint32_t message, std::uintptr_t,
                                      std::intptr_t) {
  if (onSendAnswered) return onSendAnswered(message);
  if (onSend) onSend(message);
  return 0;
}

bool SimMachine::peekMessage(WindowMessage& message) {
  if (queue.empty()) return false;
  message = queue.front();
  queue.pop_front();
  return true;
}

void SimMachine::dispatchMessage(const WindowMessage& message) { dispatched.push_back(message); }

int SimMachine::skinMessageBox(const char* text, const char* caption, unsigned type) {
  blocking(std::string("messageBox ") + text);
  messageBoxes.push_back({text, caption, type});
  if (messageBoxAnswers.empty()) return kIdNo;
  const int answer = messageBoxAnswers.front();
  messageBoxAnswers.pop_front();
  return answer;
}

void SimMachine::sleep(unsigned milliseconds) {
  blocking("sleep " + std::to_string(milliseconds));
  sleeps.push_back(milliseconds);
  clock += milliseconds;
}

std::uint32_t SimMachine::tickCount() { return clock += clockStep; }

}  // namespace vs::sim
