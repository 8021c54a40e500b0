// The simulated machine's writing side: copies, files opened for writing, short names and the
// reboot-time deletion list. Only in-memory drives can be written to.
#include <algorithm>
#include <cstring>

#include "platform/sim/sim_machine.h"

namespace vs::sim {
namespace {

// The system's answer for a text asked into a caller's buffer: the length written, or the size
// needed (terminator included) when it does not fit, or 0 when there is no text to give.
std::uint32_t answerText(const std::string& text, char* buffer, std::uint32_t size) {
  if (text.empty()) return 0;
  const auto needed = static_cast<std::uint32_t>(text.size() + 1);
  if (needed > size) return needed;
  std::memcpy(buffer, text.c_str(), needed);
  return needed - 1;
}

// The folder part and the last name of a Windows path.
bool splitLeaf(const std::string& path, std::string& folder, std::string& leaf) {
  const std::size_t slash = path.rfind('\\');
  if (slash == std::string::npos || slash + 1 == path.size()) return false;
  folder = path.substr(0, slash);
  leaf = path.substr(slash + 1);
  return true;
}

}  // namespace

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

std::uint32_t SimMachine::windowsDirectory(char* buffer, std::uint32_t size) {
  log("windowsDirectory");
  const std::uint32_t result = answerText(windowsDirectoryPath, buffer, size);
  if (result == 0) fail(kErrorPathNotFound);
  return result;
}

std::uint32_t SimMachine::systemDirectory(char* buffer, std::uint32_t size) {
  log("systemDirectory");
  const std::uint32_t result = answerText(systemDirectoryPath, buffer, size);
  if (result == 0) fail(kErrorPathNotFound);
  return result;
}

std::uint32_t SimMachine::tempPath(char* buffer, std::uint32_t size) {
  log("tempPath");
  const std::uint32_t result = answerText(tempDirectoryPath, buffer, size);
  if (result == 0) fail(kErrorPathNotFound);
  return result;
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
