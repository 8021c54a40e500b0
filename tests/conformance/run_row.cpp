#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "conformance/conformance.h"
#include "platform/utf16_text.h"

namespace vs::conformance {
namespace {

constexpr std::uint32_t kProcessQueryAccess = kProcessQueryInformation | kProcessVmRead;

bool absolute(const std::string& path) {
  return path.size() >= 2 && path[1] == ':';
}

// The calls of one row, with what they leave open for the next.
class StepRunner {
 public:
  StepRunner(World& world) : world_(world), os_(world.platform()) {}

  void run(const Step& step) {
    switch (step.call) {
      case Step::Call::List:
        return list(step);
      case Step::Call::Exists:
        return answer(step, os_.pathExists(path(step).c_str()));
      case Step::Call::Readable:
        return answer(step, os_.isReadable(path(step).c_str()));
      case Step::Call::Open:
        file_ = os_.openForReading(path(step).c_str());
        return answer(step, file_ != nullptr);
      case Step::Call::Length:
        if (!haveFile()) return;
        EXPECT_EQ(file_->length(), step.value);
        return;
      case Step::Call::Seek:
        if (!haveFile()) return;
        return answer(step, file_->seek(step.number));
      case Step::Call::Read:
        return read(step);
      case Step::Call::SetAttributes:
        return answer(step, os_.setFileAttributes(path(step).c_str(),
                                                  static_cast<std::uint32_t>(step.number)));
      case Step::Call::Delete:
        return answer(step, os_.deleteFile(path(step).c_str()));
      case Step::Call::Vanish:
        world_.vanish(step.path);
        return;
      case Step::Call::LastError:
        EXPECT_EQ(os_.lastError(), step.error);
        return;
      case Step::Call::DriveType: {
        // Without a root, the drive of the row's folder.
        const std::string root = step.path.empty() ? world_.folder().substr(0, 3) : step.path;
        EXPECT_EQ(os_.driveType(root.c_str()), static_cast<unsigned>(step.value));
        return;
      }
      default:
        return runWideOrOther(step);
    }
  }

 private:
  std::string path(const Step& step) const {
    return absolute(step.path) ? step.path : world_.folder() + "\\" + step.path;
  }
  std::u16string widePath(const Step& step) const {
    const std::string utf8 = path(step);
    return utf8ToUtf16(utf8.data(), utf8.size());
  }
  std::string keyPath(const Step& step) const {
    return step.path.empty() ? world_.registryKey() : world_.registryKey() + "\\" + step.path;
  }

  void answer(const Step& step, bool succeeded) {
    EXPECT_EQ(succeeded, step.succeeds);
    if (!succeeded && !step.succeeds) {
      EXPECT_EQ(os_.lastError(), step.error);
    }
  }

  // A registry call's own result: 0 or the error it must give.
  void answerCode(const Step& step, std::int32_t result) {
    EXPECT_EQ(static_cast<std::uint32_t>(result), step.succeeds ? 0u : step.error);
  }

  bool haveFile() {
    EXPECT_NE(file_, nullptr) << "no file is open";
    return file_ != nullptr;
  }
  bool haveKey() {
    EXPECT_NE(key_, nullptr) << "no key is open";
    return key_ != nullptr;
  }

  static std::string wideNameOf(const DirectoryEntry& entry) {
    return utf16ToUtf8(entry.wideName, std::char_traits<char16_t>::length(entry.wideName));
  }

  void runWideOrOther(const Step& step) {
    switch (step.call) {
      case Step::Call::ListWide:
        return list(step, os_.listDirectoryWide(widePath(step).c_str()), wideNameOf);
      case Step::Call::ExistsWide:
        return answer(step, os_.pathExistsWide(widePath(step).c_str()));
      case Step::Call::OpenWide:
        file_ = os_.openForReadingWide(widePath(step).c_str());
        return answer(step, file_ != nullptr);
      case Step::Call::SetAttributesWide:
        return answer(step, os_.setFileAttributesWide(widePath(step).c_str(),
                                                      static_cast<std::uint32_t>(step.number)));
      case Step::Call::DeleteWide:
        return answer(step, os_.deleteFileWide(widePath(step).c_str()));
      case Step::Call::LostNames:
        return lostNames(step);
      default:
        return runRegistryOrSystem(step);
    }
  }

  // The entries of an ANSI listing that the ANSI calls cannot reach, by their wide names.
  void lostNames(const Step& step) {
    std::unique_ptr<DirectoryListing> listing = os_.listDirectory(path(step).c_str());
    ASSERT_NE(listing, nullptr) << "error " << os_.lastError();
    std::vector<std::string> lost, wanted;
    DirectoryEntry entry;
    while (listing->next(entry)) {
      if (entry.ansiNameLost) lost.push_back(wideNameOf(entry));
    }
    for (const Listed& listed : step.entries) wanted.push_back(listed.name);
    std::sort(lost.begin(), lost.end());
    std::sort(wanted.begin(), wanted.end());
    EXPECT_EQ(lost, wanted);
  }

  void list(const Step& step) {
    list(step, os_.listDirectory(path(step).c_str()),
         [](const DirectoryEntry& entry) { return std::string(entry.name); });
  }

  // Compares a listing's entries, named by nameOf, with the step's.
  template <typename NameOf>
  void list(const Step& step, std::unique_ptr<DirectoryListing> listing, NameOf nameOf) {
    answer(step, listing != nullptr);
    if (!listing) return;
    std::map<std::string, DirectoryEntry> found;
    DirectoryEntry entry;
    while (listing->next(entry)) found[nameOf(entry)] = entry;
    std::map<std::string, Listed> wanted;
    for (const Listed& listed : step.entries) wanted.insert_or_assign(listed.name, listed);
    std::vector<std::string> foundNames, wantedNames;
    for (const auto& [name, unused] : found) foundNames.push_back(name);
    for (const auto& [name, unused] : wanted) wantedNames.push_back(name);
    EXPECT_EQ(foundNames, wantedNames);
    for (const auto& [name, listed] : wanted) {
      const auto it = found.find(name);
      if (it == found.end()) continue;
      SCOPED_TRACE(name);
      EXPECT_EQ(it->second.attributes & kComparedAttributes, listed.attributes);
      if (listed.size >= 0) {
        EXPECT_EQ(it->second.size, static_cast<std::uint64_t>(listed.size));
      }
    }
  }

  void read(const Step& step) {
    if (!haveFile()) return;
    std::string buffer(static_cast<std::size_t>(step.number), '\0');
    const std::int32_t got = file_->read(buffer.data(), static_cast<std::uint32_t>(step.number));
    if (step.bytes) {
      ASSERT_GE(got, 0);
      EXPECT_EQ(buffer.substr(0, static_cast<std::size_t>(got)), *step.bytes);
    } else {
      EXPECT_EQ(got, step.value);
    }
  }

  void runRegistryOrSystem(const Step& step) {
    switch (step.call) {
      case Step::Call::OpenKey:
        key_.reset();
        return answerCode(step, os_.openMachineKey(keyPath(step).c_str(),
                                                   static_cast<std::uint32_t>(step.number), key_));
      case Step::Call::QueryValue:
        return queryValue(step);
      case Step::Call::ValueCount: {
        if (!haveKey()) return;
        std::uint32_t count = 0;
        answerCode(step, key_->valueCount(count));
        if (step.succeeds) {
          EXPECT_EQ(count, static_cast<std::uint32_t>(step.value));
        }
        return;
      }
      case Step::Call::EnumValue: {
        if (!haveKey()) return;
        std::string name(static_cast<std::size_t>(step.value2), '\0');
        auto length = static_cast<std::uint32_t>(step.value2);
        answerCode(step, key_->enumValueName(static_cast<std::uint32_t>(step.number), name.data(),
                                             &length));
        if (step.succeeds && step.bytes) {
          EXPECT_EQ(name.substr(0, length), *step.bytes);
        }
        return;
      }
      case Step::Call::DeleteValue:
        if (!haveKey()) return;
        return answerCode(step, key_->deleteValue(step.path.c_str()));
      case Step::Call::CloseKey:
        if (!haveKey()) return;
        return answerCode(step, key_->close());
      case Step::Call::DeleteKey:
        return answerCode(step, os_.deleteMachineKey(keyPath(step).c_str()));
      case Step::Call::OpenProcess:
        return answer(step, os_.openProcess(kProcessQueryAccess,
                                            static_cast<std::uint32_t>(step.number)) != nullptr);
      case Step::Call::LoadPsapi:
        return answer(step, os_.loadPsapi() != nullptr);
      case Step::Call::LoadToolhelp:
        return answer(step, os_.loadToolhelp() != nullptr);
      case Step::Call::OpenServiceManager:
        manager_ = os_.openServiceManager(kServiceAllAccess);
        return answer(step, manager_ != nullptr);
      case Step::Call::OpenService:
        EXPECT_NE(manager_, nullptr) << "no service manager is open";
        if (!manager_) return;
        return answer(step, manager_->openService(step.path.c_str(), kServiceAllAccess) != nullptr);
      case Step::Call::PerformanceData:
        EXPECT_EQ(os_.performanceData() != nullptr, step.succeeds);
        return;
      default:
        ADD_FAILURE() << "a step of no known kind";
    }
  }

  void queryValue(const Step& step) {
    if (!haveKey()) return;
    std::uint32_t type = 0;
    const bool sizeOnly = step.number < 0;
    std::string buffer(sizeOnly ? 0 : static_cast<std::size_t>(step.number), '\0');
    std::uint32_t size = sizeOnly ? 0 : static_cast<std::uint32_t>(step.number);
    answerCode(step, key_->queryValue(step.path.c_str(), &type, sizeOnly ? nullptr : buffer.data(),
                                      &size));
    // The size is told also when the buffer is too small.
    if (step.value >= 0) {
      EXPECT_EQ(size, static_cast<std::uint32_t>(step.value));
    }
    if (step.succeeds && step.bytes) {
      EXPECT_EQ(type, kRegSz);
      EXPECT_EQ(buffer.substr(0, size), *step.bytes);
    }
  }

  World& world_;
  Platform& os_;
  std::unique_ptr<ReadableFile> file_;
  std::unique_ptr<RegistryKey> key_;
  std::unique_ptr<ServiceManager> manager_;
};

}  // namespace

const char* backendName(Backend backend) {
  switch (backend) {
    case Backend::RealSystem:
      return "the real system";
    case Backend::SimulatedMemory:
      return "the simulated machine's in-memory drives";
    case Backend::SimulatedHostFolder:
      return "the simulated machine's host-folder drives";
    case Backend::MountedVolume:
      return "mounted volumes";
    case Backend::DiskImage:
      return "disk images";
  }
  return "?";
}

Item directory(std::string path) {
  return {Item::Kind::Directory, std::move(path), {}, 0, {}, 0};
}
Item file(std::string path, std::string bytes, std::uint32_t attributes) {
  return {Item::Kind::File, std::move(path), std::move(bytes), attributes, {}, 0};
}
Item sparseFile(std::string path, std::uint64_t length) {
  return {Item::Kind::File, std::move(path), {}, 0, {}, length};
}
Item fileLink(std::string path, std::string target) {
  return {Item::Kind::FileLink, std::move(path), {}, 0, std::move(target), 0};
}
Item directoryLink(std::string path, std::string target) {
  return {Item::Kind::DirectoryLink, std::move(path), {}, 0, std::move(target), 0};
}

bool runRow(World& world, const Row& row, std::string& notRun) {
  const std::vector<Step>* steps = &row.steps;
  for (const Deviation& deviation : row.deviations) {
    if (deviation.backend != world.backend()) continue;
    if (deviation.instead.empty()) {
      notRun = std::string("not on ") + backendName(deviation.backend) + ": " + deviation.why;
      return false;
    }
    steps = &deviation.instead;
  }
  for (const Item& item : row.files) world.make(item);
  for (const RegistryItem& item : row.registry) world.make(item);
  world.ready();
  StepRunner runner(world);
  for (std::size_t i = 0; i < steps->size(); ++i) {
    const Step& step = (*steps)[i];
    SCOPED_TRACE(::testing::Message() << "step " << i + 1 << " (" << step.path << ")");
    runner.run(step);
  }
  return true;
}

std::vector<Row> allRows() {
  std::vector<Row> rows = fileRows();
  for (const auto* more : {&registryRows(), &systemRows()}) {
    rows.insert(rows.end(), more->begin(), more->end());
  }
  return rows;
}

void PrintTo(const Row& row, std::ostream* out) {
  *out << row.name;
}

std::string RowName::operator()(const ::testing::TestParamInfo<Row>& info) const {
  return info.param.name;
}

}  // namespace vs::conformance
