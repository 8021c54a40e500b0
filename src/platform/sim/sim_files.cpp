// The simulated machine's files: in-memory drives answered from their trees, host-folder drives
// through the drive table of the mounted volumes, files opened for writing, copies, short names
// and the reboot-time deletion list. Only in-memory drives can be written to.
#include <algorithm>
#include <cstring>
#include <type_traits>

#include "platform/sim/sim_drive.h"
#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_text.h"
#include "platform/windows_text.h"

namespace vs::sim {
namespace {

DirectoryEntry makeEntry(const std::string& name, std::uint32_t attributes, std::uint64_t size) {
  DirectoryEntry entry{};
  std::snprintf(entry.name, sizeof entry.name, "%s", name.c_str());
  entry.attributes = attributes;
  entry.size = size;
  return entry;
}

void setWideName(DirectoryEntry& entry, const std::u16string& name) {
  const std::size_t length = std::min(name.size(), sizeof entry.wideName / 2 - 1);
  std::copy(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(length), entry.wideName);
  entry.wideName[length] = u'\0';
}

// The dot entries of a folder other than a root, as a listing whose mask takes them gives them.
void addDotEntries(std::vector<DirectoryEntry>& entries, bool wideListing) {
  for (const char* dots : {".", ".."}) {
    entries.push_back(makeEntry(dots, kAttrDirectory, 0));
    if (wideListing) setWideName(entries.back(), latin1Widened(dots));
  }
}

// A listing computed when it is opened, as the system's find functions would return it; its end
// leaves ERROR_NO_MORE_FILES, as FindNextFileA does.
class VectorListing : public DirectoryListing {
 public:
  VectorListing(std::vector<DirectoryEntry> entries, std::uint32_t& error)
      : entries_(std::move(entries)), error_(error) {}
  bool next(DirectoryEntry& entry) override {
    if (index_ >= entries_.size()) {
      error_ = kErrorNoMoreFiles;
      return false;
    }
    entry = entries_[index_++];
    return true;
  }

 private:
  std::vector<DirectoryEntry> entries_;
  std::uint32_t& error_;
  std::size_t index_ = 0;
};

// The folder part and the last name of a Windows path.
bool splitLeaf(const std::string& path, std::string& folder, std::string& leaf) {
  const std::size_t slash = path.rfind('\\');
  if (slash == std::string::npos || slash + 1 == path.size()) return false;
  folder = path.substr(0, slash);
  leaf = path.substr(slash + 1);
  return true;
}

}  // namespace

// A file of an in-memory drive, read from the node's bytes as they are while it is open.
class SimMachine::MemoryFile : public ReadableFile {
 public:
  MemoryFile(SimMachine& machine, const std::string& content)
      : machine_(machine), content_(content) {}
  std::int64_t length() override { return static_cast<std::int64_t>(content_.size()); }
  bool seek(std::int64_t offset) override {
    if (offset < 0) return machine_.fail(kErrorNegativeSeek);
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
  SimMachine& machine_;
  const std::string& content_;
  std::uint64_t position_ = 0;
};

// The system's ANSI calls refuse a longer path before they look for it.
bool SimMachine::refusedForLength(const char* path) {
  return std::strlen(path) > static_cast<std::size_t>(kMaxPath) && !fail(kErrorFilenameExcedRange);
}

bool SimMachine::refusedWide(const std::u16string& path) {
  if (!hasWideFileCalls()) return !fail(kErrorCallNotImplemented);
  return path.size() > static_cast<std::size_t>(kMaxWidePath) && !fail(kErrorFilenameExcedRange);
}

bool SimMachine::hasWideFileCalls() {
  return versionInfo && versionInfo->platformId == kPlatformWin32Nt;
}

// A name Latin-1 cannot spell is listed with "?" in its place, and its wide name where the system
// has wide calls; a wide listing gives every name's wide spelling.
DirectoryEntry SimMachine::entryOf(const Node& node, bool wideListing) {
  DirectoryEntry entry = makeEntry(node.name, node.attributes, node.content.size());
  entry.ansiNameLost = !node.wideName.empty();
  if (wideListing || (entry.ansiNameLost && hasWideFileCalls())) {
    setWideName(entry, node.spelling());
  }
  return entry;
}

std::unique_ptr<DirectoryListing> SimMachine::listDirectory(const char* pattern) {
  log(std::string("list ") + pattern);
  if (onHostDrive(pattern)) return hostDrives_.listDirectory(pattern);
  if (refusedForLength(pattern)) return nullptr;
  return listTree(std::string(pattern));
}

// An in-memory drive's listing, of ANSI names or of wide ones (Text is the pattern's string type).
template <typename Text>
std::unique_ptr<DirectoryListing> SimMachine::listTree(const Text& text) {
  using Unit = typename Text::value_type;
  constexpr bool wide = std::is_same_v<Text, std::u16string>;
  const std::size_t slash = text.rfind(Unit('\\'));
  if (slash == Text::npos) {
    fail(kErrorPathNotFound);
    return nullptr;
  }
  const Text mask = text.substr(slash + 1);
  const Resolved where = resolve(text.substr(0, slash + 1));
  if (!where.node || !where.node->isDirectory()) {
    fail(kErrorPathNotFound);
    return nullptr;
  }
  if (where.node->denyList) {
    fail(kErrorAccessDenied);
    return nullptr;
  }
  std::vector<DirectoryEntry> entries;
  if (!where.atRoot && wildcardMatches(mask, Text(1, Unit('.')))) addDotEntries(entries, wide);
  for (const auto& node : where.node->children) {
    if constexpr (wide) {
      if (wildcardMatches(mask, node->spelling())) entries.push_back(entryOf(*node, true));
    } else {
      if (wildcardMatches(mask, node->name)) entries.push_back(entryOf(*node, false));
    }
  }
  if (entries.empty()) {
    fail(kErrorFileNotFound);
    return nullptr;
  }
  return std::make_unique<VectorListing>(std::move(entries), lastError_);
}

std::unique_ptr<DirectoryListing> SimMachine::listDirectoryWide(const char16_t* pattern) {
  const std::u16string text = pattern;
  log("listWide " + logText(text));
  if (refusedWide(text)) return nullptr;
  if (onHostDrive(text)) {
    return hostDrives_.listDirectoryWide(pattern);
  }
  return listTree(text);
}

bool SimMachine::pathExistsWide(const char16_t* path) {
  const std::u16string text = path;
  log("existsWide " + logText(text));
  if (refusedWide(text)) return false;
  if (onHostDrive(text)) {
    return hostDrives_.pathExistsWide(path);
  }
  return nodeFound(resolve(text));
}

std::unique_ptr<ReadableFile> SimMachine::openForReadingWide(const char16_t* path) {
  const std::u16string text = path;
  log("openWide " + logText(text));
  if (refusedWide(text)) return nullptr;
  if (onHostDrive(text)) {
    return hostDrives_.openForReadingWide(path);
  }
  return openNode(resolve(text));
}

bool SimMachine::setFileAttributesWide(const char16_t* path, std::uint32_t attributes) {
  const std::u16string text = path;
  log("setAttributesWide " + logText(text) + " " + hexText(attributes));
  if (refusedWide(text)) return false;
  if (onHostDrive(text)) {
    if (drive(static_cast<char>(text[0]))->writeProtected) return fail(kErrorAccessDenied);
    return hostDrives_.setFileAttributesWide(path, attributes);
  }
  return setNodeAttributes(resolve(text), attributes);
}

bool SimMachine::deleteFileWide(const char16_t* path) {
  const std::u16string text = path;
  log("deleteWide " + logText(text));
  if (refusedWide(text)) return false;
  if (onHostDrive(text)) {
    if (drive(static_cast<char>(text[0]))->writeProtected) return fail(kErrorAccessDenied);
    return hostDrives_.deleteFileWide(path);
  }
  return removeNode(resolve(text));
}

bool SimMachine::deleteAtRebootWide(const char16_t* path) {
  const std::u16string text = path;
  log("deleteAtRebootWide " + logText(text));
  if (refusedWide(text)) return false;
  if (deleteAtRebootError) return fail(deleteAtRebootError);
  pendingWideDeletes.push_back(text);
  return true;
}

unsigned SimMachine::driveType(const char* root) {
  log(std::string("driveType ") + root);
  Drive* d = drive(root[0]);
  return d ? d->type : kDriveNoRootDir;
}

bool SimMachine::pathExists(const char* path) {
  log(std::string("exists ") + path);
  return attributesFound(path);
}

// The system's read test asks only for the attributes: whatever exists passes it.
bool SimMachine::isReadable(const char* path) {
  log(std::string("readable ") + path);
  return attributesFound(path);
}

bool SimMachine::attributesFound(const char* path) {
  if (onHostDrive(path)) return hostDrives_.pathExists(path);
  if (refusedForLength(path)) return false;
  return nodeFound(resolve(path));
}

std::unique_ptr<ReadableFile> SimMachine::openForReading(const char* path) {
  log(std::string("open ") + path);
  if (onHostDrive(path)) return hostDrives_.openForReading(path);
  if (refusedForLength(path)) return nullptr;
  return openNode(resolve(path));
}

bool SimMachine::setFileAttributes(const char* path, std::uint32_t attributes) {
  log(std::string("setAttributes ") + path + " " + hexText(attributes));
  if (onHostDrive(path)) {
    if (drive(path[0])->writeProtected) return fail(kErrorAccessDenied);
    return hostDrives_.setFileAttributes(path, attributes);
  }
  if (refusedForLength(path)) return false;
  return setNodeAttributes(resolve(path), attributes);
}

bool SimMachine::deleteFile(const char* path) {
  log(std::string("delete ") + path);
  if (onHostDrive(path)) {
    if (drive(path[0])->writeProtected) return fail(kErrorAccessDenied);
    return hostDrives_.deleteFile(path);
  }
  if (refusedForLength(path)) return false;
  return removeNode(resolve(path));
}

// The calls on a resolved path of an in-memory drive, for ANSI and wide paths alike: whether it is
// there, opening it for reading (no folder, nothing denied), setting its attributes (a folder
// stays one), and DeleteFile (no folder, no file held or read-only).
bool SimMachine::nodeFound(const Resolved& r) {
  return r.node != nullptr || fail(missingError(r));
}

std::unique_ptr<ReadableFile> SimMachine::openNode(const Resolved& r) {
  if (!r.node) {
    fail(missingError(r));
    return nullptr;
  }
  if (r.node->isDirectory() || r.node->denyOpen) {
    fail(kErrorAccessDenied);
    return nullptr;
  }
  return std::make_unique<MemoryFile>(*this, r.node->content);
}

bool SimMachine::setNodeAttributes(const Resolved& r, std::uint32_t attributes) {
  if (!r.node) return fail(missingError(r));
  if (r.node->denyAttributes) return fail(kErrorAccessDenied);
  r.node->attributes = (r.node->attributes & kAttrDirectory) | attributes;
  return true;
}

bool SimMachine::removeNode(const Resolved& r) {
  if (!r.node) return fail(missingError(r));
  if (r.node->isDirectory()) return fail(kErrorAccessDenied);
  if (r.node->deleteError) return fail(r.node->deleteError);
  if (r.node->attributes & kAttrReadOnly) return fail(kErrorAccessDenied);
  auto& siblings = r.parent->children;
  siblings.erase(std::find_if(siblings.begin(), siblings.end(),
                              [&](const auto& node) { return node.get() == r.node; }));
  return true;
}

class SimMachine::Writer : public WritableFile {
 public:
  Writer(SimMachine& machine, Node& node) : machine_(machine), node_(node) {}

  std::int32_t write(const void* data, std::uint32_t count) override {
    std::string& content = node_.content;
    std::uint64_t end = position_ + count;
    const std::uint64_t size = content.size();
    if (end > size && end - size > machine_.freeSpace) end = size + machine_.freeSpace;
    const std::uint64_t taken = end > position_ ? end - position_ : 0;
    if (end > size) {
      machine_.freeSpace -= end - size;
      content.resize(static_cast<std::size_t>(end));
    }
    if (taken > 0) std::memcpy(content.data() + position_, data, static_cast<std::size_t>(taken));
    position_ += taken;
    if (taken < count) machine_.fail(kErrorDiskFull);
    return static_cast<std::int32_t>(taken);
  }

  bool seek(std::int64_t offset) override {
    if (offset < 0) return machine_.fail(kErrorAccessDenied);
    position_ = static_cast<std::uint64_t>(offset);
    return true;
  }

  bool truncate() override {
    std::string& content = node_.content;
    if (position_ < content.size()) {
      machine_.releaseSpace(content.size() - position_);
      content.resize(static_cast<std::size_t>(position_));
    } else if (position_ > content.size()) {
      const std::uint64_t growth = position_ - content.size();
      if (growth > machine_.freeSpace) return machine_.fail(kErrorDiskFull);
      machine_.freeSpace -= growth;
      content.resize(static_cast<std::size_t>(position_));
    }
    return true;
  }

 private:
  SimMachine& machine_;
  Node& node_;
  std::uint64_t position_ = 0;
};

void SimMachine::releaseSpace(std::uint64_t bytes) {
  freeSpace = bytes > UINT64_MAX - freeSpace ? UINT64_MAX : freeSpace + bytes;
}

bool SimMachine::copyFile(const char* source, const char* destination) {
  log(std::string("copy ") + source + " " + destination);
  const Node* from = find(source);
  if (!from || from->isDirectory()) return fail(from ? kErrorAccessDenied : kErrorFileNotFound);
  if (from->denyOpen) return fail(kErrorAccessDenied);
  if (copyError) return fail(copyError);
  Node* to = find(destination);
  if (to) {
    if (to->isDirectory() || (to->attributes & kAttrReadOnly) || to->denyWrite) {
      return fail(kErrorAccessDenied);
    }
  } else {
    std::string folder, leaf;
    Node* parent = splitLeaf(destination, folder, leaf) ? find(folder) : nullptr;
    if (!parent || !parent->isDirectory()) return fail(kErrorPathNotFound);
    auto created = std::make_unique<Node>();
    created->name = leaf;
    to = created.get();
    parent->children.push_back(std::move(created));
  }
  const std::uint64_t growth =
      from->content.size() > to->content.size() ? from->content.size() - to->content.size() : 0;
  if (growth > freeSpace) return fail(kErrorDiskFull);
  freeSpace -= growth;
  if (to->content.size() > from->content.size()) {
    releaseSpace(to->content.size() - from->content.size());
  }
  to->content = from->content;
  to->attributes = from->attributes;
  return true;
}

std::unique_ptr<WritableFile> SimMachine::openForWriting(const char* path, WriteMode mode) {
  const char* verb = mode == WriteMode::CreateNew         ? "create "
                     : mode == WriteMode::CreateOrReplace ? "createOrReplace "
                                                          : "openForWriting ";
  log(verb + std::string(path));
  Node* node = find(path);
  if (mode == WriteMode::CreateOrReplace && node) {
    if (node->isDirectory() || (node->attributes & kAttrReadOnly) || node->denyWrite) {
      fail(kErrorAccessDenied);
      return nullptr;
    }
    releaseSpace(node->content.size());
    node->content.clear();
    return std::make_unique<Writer>(*this, *node);
  }
  if (mode != WriteMode::ExistingAtStart) {
    if (node) {
      fail(kErrorFileExists);
      return nullptr;
    }
    std::string folder, leaf;
    Node* parent = splitLeaf(path, folder, leaf) ? find(folder) : nullptr;
    if (!parent || !parent->isDirectory()) {
      fail(kErrorPathNotFound);
      return nullptr;
    }
    auto created = std::make_unique<Node>();
    created->name = leaf;
    node = created.get();
    parent->children.push_back(std::move(created));
    return std::make_unique<Writer>(*this, *node);
  }
  if (!node) {
    fail(kErrorFileNotFound);
    return nullptr;
  }
  if (node->isDirectory() || (node->attributes & kAttrReadOnly) || node->denyWrite) {
    fail(kErrorAccessDenied);
    return nullptr;
  }
  return std::make_unique<Writer>(*this, *node);
}

bool SimMachine::deleteAtReboot(const char* path) {
  log(std::string("deleteAtReboot ") + path);
  if (deleteAtRebootError) return fail(deleteAtRebootError);
  pendingDeletes.push_back(path);
  return true;
}

std::uint32_t SimMachine::shortPathName(const char* path, char* buffer, std::uint32_t size) {
  log(std::string("shortPathName ") + path);
  const std::string text = path;
  if (!find(text)) {
    fail(kErrorFileNotFound);
    return 0;
  }
  // Each component in its 8.3 form, found by walking down from the drive's root.
  std::string shortened = text.substr(0, 2);
  std::string walked = shortened;
  std::size_t start = 2;
  while (start < text.size()) {
    std::size_t slash = text.find('\\', start);
    if (slash == std::string::npos) slash = text.size();
    if (slash > start) {
      walked.append(1, '\\').append(text, start, slash - start);
      const Node* node = find(walked);
      shortened.append(1, '\\').append(node->shortName.empty() ? node->name : node->shortName);
    }
    start = slash + 1;
  }
  if (text.back() == '\\') shortened += "\\";
  return answerText(shortened, buffer, size);
}

}  // namespace vs::sim
