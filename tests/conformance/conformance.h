// One behaviour for every backend: rows of {state, calls, expected results, expected last error},
// written once and run by each test program against its own backend (the real system under Wine,
// the simulated machine with in-memory and host-folder drives, mounted volumes, disk images). The
// answers are those of Windows, as Wine shows them; where a backend cannot hold a row's state or
// has no such facility, the row says so, and why, in its deviations.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace vs::conformance {

enum class Backend {
  RealSystem,           // the Win32 backend on Windows (Wine)
  SimulatedMemory,      // the simulated machine, in-memory drives
  SimulatedHostFolder,  // the simulated machine, a drive backed by a host folder
  MountedVolume,        // the offline scan's platform over a mounted folder
  DiskImage,            // the offline scan's platform over a disk image
};
const char* backendName(Backend backend);

// What a row puts in its folder before its calls. Paths are relative to the row's folder, with
// backslashes.
struct Item {
  enum class Kind { Directory, File, FileLink, DirectoryLink };
  Kind kind;
  std::string path;
  std::string bytes;               // a file's content
  std::uint32_t attributes = 0;    // read-only, hidden and system bits of a file
  std::string target;              // a link's target, relative to the link's folder
  std::uint64_t sparseLength = 0;  // non-zero: a file of this length that holds no data
};
Item directory(std::string path);
Item file(std::string path, std::string bytes, std::uint32_t attributes = 0);
Item sparseFile(std::string path, std::uint64_t length);
Item fileLink(std::string path, std::string target);
Item directoryLink(std::string path, std::string target);

// A registry value a row puts below its own key ("SOFTWARE\VsConformance\<row>").
struct RegistryItem {
  std::string key;  // below the row's key; empty for the row's key itself
  std::string name;
  std::string text;  // a string value
};

// One entry a listing must give; attributes compared under kComparedAttributes, size when >= 0.
struct Listed {
  Listed(std::string entryName, std::uint32_t bits, std::int64_t length = -1)
      : name(std::move(entryName)), attributes(bits), size(length) {}
  std::string name;
  std::uint32_t attributes;
  std::int64_t size;
};
// The bits a row states: the archive bit is the system's own business.
constexpr std::uint32_t kComparedAttributes =
    kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrDirectory | kAttrReparsePoint;

// One call and what it must answer. A call that must fail names the error lastError() then gives;
// a call that succeeds leaves lastError() unchecked, as the system does.
struct Step {
  enum class Call {
    List,           // listDirectory(path): the entries, in any order
    Exists,         // pathExists(path)
    Readable,       // isReadable(path)
    Open,           // openForReading(path); the file stays open for the calls below
    Length,         // length() of the open file: value
    Seek,           // seek(number) on the open file
    Read,           // read(number bytes) from the open file: bytes (value when bytes is unused)
    SetAttributes,  // setFileAttributes(path, number)
    Delete,         // deleteFile(path)
    Vanish,         // the file goes behind the platform's back (another program deletes it)
    LastError,      // lastError() is error
    DriveType,      // driveType(path): value
    OpenKey,        // openMachineKey(row key + path, number): value is the result; keeps the key
    QueryValue,     // queryValue(path, buffer of number bytes, or none when number < 0)
    ValueCount,     // valueCount: value
    EnumValue,      // enumValueName(number, capacity in value2): result, name in bytes
    DeleteValue,    // deleteValue(path)
    CloseKey,       // close()
    DeleteKey,      // deleteMachineKey(row key + path)
    OpenProcess,    // openProcess(kProcessQueryAccess, number)
    LoadPsapi,      // loadPsapi()
    LoadToolhelp,   // loadToolhelp()
    OpenServiceManager,  // openServiceManager(kServiceAllAccess), kept for OpenService
    OpenService,         // openService(path, kServiceAllAccess)
    PerformanceData,     // performanceData()
    // The wide calls, on the UTF-16 form of the step's path (rows write paths in UTF-8).
    ListWide,           // listDirectoryWide(path): the entries by their wide names, in any order
    ExistsWide,         // pathExistsWide(path)
    OpenWide,           // openForReadingWide(path); the file stays open as for Open
    SetAttributesWide,  // setFileAttributesWide(path, number)
    DeleteWide,         // deleteFileWide(path)
    // listDirectory(path): the wide names (UTF-8) of exactly those entries whose ANSI name is lost
    LostNames,
  };
  Step(Call what, std::string argument = {}, std::int64_t count = 0)
      : call(what), path(std::move(argument)), number(count) {}
  Call call;
  std::string path;
  std::int64_t number;
  bool succeeds = true;
  std::uint32_t error = 0;
  std::vector<Listed> entries;
  std::optional<std::string> bytes;
  std::int64_t value = -1;
  std::int64_t value2 = -1;
};

// A backend that does not answer a row as Windows does, and why: with steps, it must answer
// these instead; without, the row cannot be made there and is reported as not run.
struct Deviation {
  Deviation(Backend which, std::string reason, std::vector<Step> steps = {})
      : backend(which), why(std::move(reason)), instead(std::move(steps)) {}
  Backend backend;
  std::string why;
  std::vector<Step> instead;
};

struct Row {
  Row(std::string rowName, std::vector<Item> state, std::vector<RegistryItem> values,
      std::vector<Step> calls, std::vector<Deviation> exceptions = {})
      : name(std::move(rowName)),
        files(std::move(state)),
        registry(std::move(values)),
        steps(std::move(calls)),
        deviations(std::move(exceptions)) {}
  std::string name;  // letters, digits and underscores: it names the test
  std::vector<Item> files;
  std::vector<RegistryItem> registry;
  std::vector<Step> steps;
  std::vector<Deviation> deviations;
};

// The rows of every area; the file rows include those of the wide calls.
const std::vector<Row>& fileRows();
std::vector<Row> wideFileRows();
const std::vector<Row>& registryRows();
const std::vector<Row>& systemRows();
// All of them, for a backend that has every area.
std::vector<Row> allRows();

// A backend's machine with a row's state in it, made by the backend's own means (never through
// the platform under test). Making what the backend cannot hold fails the test: the row must
// declare it as a deviation.
class World {
 public:
  virtual ~World() = default;
  virtual Backend backend() const = 0;
  // The Windows path of the row's own folder, without a trailing backslash.
  virtual std::string folder() const = 0;
  // The registry key of the row, below HKEY_LOCAL_MACHINE.
  virtual std::string registryKey() const = 0;
  virtual void make(const Item& item) = 0;
  virtual void make(const RegistryItem& item) = 0;
  // Called once the state is made, before the first call.
  virtual void ready() {}
  virtual Platform& platform() = 0;
  // Removes a file as another program would.
  virtual void vanish(const std::string& path) = 0;
};

// Makes the row's state in the world and runs its steps (or the deviation's), with a failure for
// every answer that differs. Returns false, and says why, when the row cannot be made there.
bool runRow(World& world, const Row& row, std::string& notRun);

// A row as a failing test names it.
void PrintTo(const Row& row, std::ostream* out);

// The row's name for a parameterised test.
struct RowName {
  std::string operator()(const ::testing::TestParamInfo<Row>& info) const;
};

}  // namespace vs::conformance
