// The SOFTWARE hive of a Windows installation on a mounted volume (HKEY_LOCAL_MACHINE\SOFTWARE of
// that system), read and changed through hivex. The file is opened read-only; only the first
// change makes a copy of it next to it ("SOFTWARE.vantoscan-backup") and opens it for writing,
// and every change is written back at once, through a new file put in the hive's place, so that
// the hive on the volume is always whole and says what the report says. A hive the system did not
// close cleanly is never changed.
#pragma once

#include <hivex.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vs::linux_host {

class SoftwareHive {
 public:
  // Tells the user about the hive's copy and about changes that could not be written.
  using Notice = std::function<void(const std::string& text)>;

  // Opens the hive file read-only; null with error set when hivex cannot read it.
  static std::unique_ptr<SoftwareHive> open(const std::string& hivePath, Notice notice,
                                            std::string& error);
  // Opens the hive only to be read (a copy of a hive from a disk image): one the system did not
  // close cleanly is read as it stands, without the changes still waiting in its log files, and
  // nothing is ever changed.
  static std::unique_ptr<SoftwareHive> openForReading(const std::string& hivePath, Notice notice,
                                                      std::string& error);
  ~SoftwareHive();
  SoftwareHive(const SoftwareHive&) = delete;
  SoftwareHive& operator=(const SoftwareHive&) = delete;

  const std::string& path() const { return path_; }
  // False for a hive the system did not close cleanly, and once a change could not be saved or
  // written (the hive in memory may then differ from the file): nothing is read or changed.
  bool usable() const { return usable_; }

  // The key at a path of components below the hive's root, names compared ignoring case; 0 when
  // there is none.
  hive_node_h findKey(const std::vector<std::string>& components) const;
  // The key's values in their stored order (the order the registry enumerates them).
  std::vector<hive_value_h> values(hive_node_h key) const;
  // A value's name, and its type and data as stored; false when hivex cannot read it.
  bool valueName(hive_value_h value, std::string& name) const;
  bool valueData(hive_value_h value, hive_type& type, std::string& data) const;
  // The value of a key with this name (letter case ignored), or 0.
  hive_value_h findValue(hive_node_h key, const char* name) const;

  // Deletes one value and writes the hive back. Returns 0 or a Win32 error code.
  std::int32_t deleteValue(hive_node_h key, hive_value_h value);

  // Whether a file (device and inode) is the copy of the hive that this run saved.
  bool isCopy(dev_t device, ino_t inode) const {
    return copySaved_ && device == copyDevice_ && inode == copyInode_;
  }

 private:
  SoftwareHive(std::string path, hive_h* handle, Notice notice)
      : path_(std::move(path)), handle_(handle), notice_(std::move(notice)) {}
  bool makeWritable();
  bool saveCopy();
  bool writeBack();
  void giveUp(const std::string& what);

  std::string path_;
  hive_h* handle_;
  Notice notice_;
  bool writable_ = false;
  bool readOnly_ = false;
  bool usable_ = true;
  bool copySaved_ = false;
  dev_t copyDevice_ = 0;
  ino_t copyInode_ = 0;
};

}  // namespace vs::linux_host
