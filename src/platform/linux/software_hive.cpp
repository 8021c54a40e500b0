#include "platform/linux/software_hive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"
#include "platform/volumes/unique_fd.h"

namespace vs::linux_host {
namespace {

// Values larger than this lie in a chain of data cells; a key holding one is not rewritten, so
// that no value comes back from a rewrite in a form the system would not read.
constexpr std::size_t kLargestPlainValue = 16344;
constexpr int kMostBackups = 100;

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
template <class T>
using Malloced = std::unique_ptr<T, FreeDeleter>;

std::string reason() {
  return std::strerror(errno);
}

bool copyBytes(int from, int to) {
  char buffer[65536];
  for (;;) {
    const ssize_t got = read(from, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    for (ssize_t done = 0; done < got;) {
      const ssize_t put = write(to, buffer + done, static_cast<std::size_t>(got - done));
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return false;
      done += put;
    }
  }
}

bool syncPath(const std::string& path, int flags) {
  volumes::UniqueFd fd(::open(path.c_str(), flags | O_CLOEXEC));
  return fd && fsync(fd.get()) == 0;
}

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
}

// The base block's two sequence numbers are equal when the system closed the hive: while they
// differ, changes still wait in the hive's log files, which the system replays at its next start;
// a change written now would be lost or undone. hivex opens such a hive without a word.
bool closedCleanly(const std::string& path) {
  volumes::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  unsigned char header[12];
  return fd && pread(fd.get(), header, sizeof header, 0) == sizeof header &&
         std::memcmp(header, "regf", 4) == 0 && std::memcmp(header + 4, header + 8, 4) == 0;
}

}  // namespace

std::unique_ptr<SoftwareHive> SoftwareHive::open(const std::string& hivePath, Notice notice,
                                                 std::string& error) {
  hive_h* handle = hivex_open(hivePath.c_str(), 0);
  if (!handle) {
    error = hivePath + ": not a registry hive that can be read (" + reason() + ")";
    return nullptr;
  }
  std::unique_ptr<SoftwareHive> hive(new SoftwareHive(hivePath, handle, std::move(notice)));
  if (!closedCleanly(hivePath)) {
    hive->giveUp(hivePath +
                 " was not closed cleanly (changes still wait in its log files): the registry is "
                 "not changed; start Windows and shut it down fully before removing its entries");
  }
  return hive;
}

std::unique_ptr<SoftwareHive> SoftwareHive::openForReading(const std::string& hivePath,
                                                           Notice notice, std::string& error) {
  hive_h* handle = hivex_open(hivePath.c_str(), 0);
  if (!handle) {
    error = "not a registry hive that can be read (" + reason() + ")";
    return nullptr;
  }
  std::unique_ptr<SoftwareHive> hive(new SoftwareHive(hivePath, handle, std::move(notice)));
  hive->readOnly_ = true;
  if (!closedCleanly(hivePath)) {
    hive->notice_(
        "the SOFTWARE hive was not closed cleanly: changes still waiting in its log "
        "files are not seen");
  }
  return hive;
}

SoftwareHive::~SoftwareHive() {
  hivex_close(handle_);
}

hive_node_h SoftwareHive::findKey(const std::vector<std::string>& components) const {
  hive_node_h node = hivex_root(handle_);
  for (const std::string& name : components) {
    if (!node) break;
    node = hivex_node_get_child(handle_, node, name.c_str());
  }
  return node;
}

std::vector<hive_value_h> SoftwareHive::values(hive_node_h key) const {
  std::vector<hive_value_h> result;
  Malloced<hive_value_h> list(hivex_node_values(handle_, key));
  for (const hive_value_h* v = list.get(); v && *v; ++v) result.push_back(*v);
  return result;
}

bool SoftwareHive::valueName(hive_value_h value, std::string& name) const {
  Malloced<char> key(hivex_value_key(handle_, value));
  if (!key) return false;
  name = key.get();
  return true;
}

bool SoftwareHive::valueData(hive_value_h value, hive_type& type, std::string& data) const {
  std::size_t length = 0;
  Malloced<char> bytes(hivex_value_value(handle_, value, &type, &length));
  if (!bytes) return false;
  data.assign(bytes.get(), length);
  return true;
}

hive_value_h SoftwareHive::findValue(hive_node_h key, const char* name) const {
  return hivex_node_get_value(handle_, key, name);
}

std::int32_t SoftwareHive::deleteValue(hive_node_h key, hive_value_h value) {
  if (readOnly_ || !usable_ || (!writable_ && !makeWritable()))
    return static_cast<std::int32_t>(kErrorAccessDenied);
  // The key's new value list: every other value, name, type and bytes as stored.
  std::vector<std::string> names;
  std::vector<std::string> datas;
  std::vector<hive_type> types;
  for (const hive_value_h other : values(key)) {
    if (other == value) continue;
    names.emplace_back();
    datas.emplace_back();
    types.emplace_back();
    if (!valueName(other, names.back()) || !valueData(other, types.back(), datas.back())) {
      return static_cast<std::int32_t>(kErrorAccessDenied);
    }
    if (datas.back().size() > kLargestPlainValue) {
      notice_("a key of " + path_ + " holds a value too large to rewrite safely (\"" +
              names.back() + "\"): no value of that key is deleted");
      return static_cast<std::int32_t>(kErrorAccessDenied);
    }
  }
  std::vector<hive_set_value> kept(names.size());
  for (std::size_t i = 0; i < kept.size(); ++i) {
    kept[i] = {names[i].data(), types[i], datas[i].size(), datas[i].data()};
  }
  if (hivex_node_set_values(handle_, key, kept.size(), kept.data(), 0) != 0) {
    giveUp("cannot change " + path_ + " (" + reason() + "): the hive keeps its earlier content");
    return static_cast<std::int32_t>(kErrorAccessDenied);
  }
  return writeBack() ? 0 : static_cast<std::int32_t>(kErrorAccessDenied);
}

bool SoftwareHive::makeWritable() {
  if (!saveCopy()) return false;
  // The file is as it was when it was opened, so the keys and values found so far lie at the
  // same places in the hive opened for writing.
  hive_h* writable = hivex_open(path_.c_str(), HIVEX_OPEN_WRITE);
  if (!writable || hivex_root(writable) != hivex_root(handle_)) {
    if (writable) hivex_close(writable);
    giveUp("cannot open " + path_ + " for writing: the registry was not changed");
    return false;
  }
  hivex_close(handle_);
  handle_ = writable;
  writable_ = true;
  return true;
}

bool SoftwareHive::saveCopy() {
  volumes::UniqueFd source(::open(path_.c_str(), O_RDONLY | O_CLOEXEC));
  if (!source) {
    giveUp("cannot read " + path_ + " (" + reason() + "): the registry was not changed");
    return false;
  }
  // An earlier run's copy holds the older state: it is kept, and this copy takes the next name.
  for (int n = 0; n < kMostBackups; ++n) {
    std::string name = path_ + ".vantoscan-backup";
    if (n > 0) name += '.' + std::to_string(n);
    volumes::UniqueFd copy(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!copy && errno == EEXIST) continue;
    struct stat saved;
    if (copy && copyBytes(source.get(), copy.get()) && fsync(copy.get()) == 0 &&
        fstat(copy.get(), &saved) == 0) {
      copySaved_ = true;
      copyDevice_ = saved.st_dev;
      copyInode_ = saved.st_ino;
      notice_("saved a copy of " + path_ + " as " + name + " before changing it");
      return true;
    }
    const std::string why = reason();
    if (copy) unlink(name.c_str());
    giveUp("cannot save a copy of " + path_ + " (" + why + "): the registry was not changed");
    return false;
  }
  giveUp("cannot save a copy of " + path_ + ": every backup name is taken");
  return false;
}

bool SoftwareHive::writeBack() {
  const std::string fresh = path_ + ".vantoscan-new";
  if (hivex_commit(handle_, fresh.c_str(), 0) == 0 && syncPath(fresh, O_RDONLY) &&
      rename(fresh.c_str(), path_.c_str()) == 0) {
    syncPath(folderOf(path_), O_RDONLY | O_DIRECTORY);
    return true;
  }
  const std::string why = reason();
  unlink(fresh.c_str());
  giveUp("cannot write " + path_ + " (" + why + "): the hive keeps its earlier content");
  return false;
}

void SoftwareHive::giveUp(const std::string& what) {
  usable_ = false;
  notice_(what);
}

}  // namespace vs::linux_host
