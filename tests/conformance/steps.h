// Short names for the steps of the rows, so that a row reads as what it checks.
#pragma once

#include "conformance/conformance.h"

namespace vs::conformance::steps {

using Call = Step::Call;

inline Step listed(std::string pattern, std::vector<Listed> entries) {
  Step s{Call::List, std::move(pattern)};
  s.entries = std::move(entries);
  return s;
}
inline Step fails(Call call, std::string path, std::uint32_t error, std::int64_t number = 0) {
  Step s{call, std::move(path), number};
  s.succeeds = false;
  s.error = error;
  return s;
}
inline Step listFails(std::string pattern, std::uint32_t error) {
  return fails(Call::List, std::move(pattern), error);
}
inline Step exists(std::string path) {
  return {Call::Exists, std::move(path)};
}
inline Step existsFails(std::string path, std::uint32_t error) {
  return fails(Call::Exists, std::move(path), error);
}
inline Step readable(std::string path) {
  return {Call::Readable, std::move(path)};
}
inline Step readableFails(std::string path, std::uint32_t error) {
  return fails(Call::Readable, std::move(path), error);
}
inline Step opens(std::string path) {
  return {Call::Open, std::move(path)};
}
inline Step openFails(std::string path, std::uint32_t error) {
  return fails(Call::Open, std::move(path), error);
}
inline Step lengthIs(std::int64_t length) {
  Step s{Call::Length};
  s.value = length;
  return s;
}
inline Step seeks(std::int64_t offset) {
  return {Call::Seek, {}, offset};
}
inline Step seekFails(std::int64_t offset, std::uint32_t error) {
  return fails(Call::Seek, {}, error, offset);
}
inline Step reads(std::int64_t count, std::string bytes) {
  Step s{Call::Read, {}, count};
  s.bytes = std::move(bytes);
  return s;
}
inline Step readsCount(std::int64_t count, std::int64_t got) {
  Step s{Call::Read, {}, count};
  s.value = got;
  return s;
}
inline Step setsAttributes(std::string path, std::uint32_t attributes) {
  return {Call::SetAttributes, std::move(path), attributes};
}
inline Step setAttributesFails(std::string path, std::uint32_t attributes, std::uint32_t error) {
  return fails(Call::SetAttributes, std::move(path), error, attributes);
}
inline Step deletes(std::string path) {
  return {Call::Delete, std::move(path)};
}
inline Step deleteFails(std::string path, std::uint32_t error) {
  return fails(Call::Delete, std::move(path), error);
}
inline Step vanishes(std::string path) {
  return {Call::Vanish, std::move(path)};
}
inline Step lastErrorIs(std::uint32_t error) {
  Step s{Call::LastError};
  s.error = error;
  return s;
}
inline Step driveTypeIs(std::string root, unsigned type) {
  Step s{Call::DriveType, std::move(root)};
  s.value = type;
  return s;
}

// Registry steps: key paths below the row's key, results as the registry gives them.
inline Step opensKey(std::string path, std::uint32_t access) {
  return {Call::OpenKey, std::move(path), access};
}
inline Step openKeyFails(std::string path, std::uint32_t access, std::uint32_t error) {
  return fails(Call::OpenKey, std::move(path), error, access);
}
// A query with a buffer of bufferSize bytes (none when negative): its result, the size it tells
// and, when it succeeds with a buffer, the bytes.
inline Step queries(std::string name, std::int64_t bufferSize, std::int64_t size,
                    std::optional<std::string> bytes = std::nullopt) {
  Step s{Call::QueryValue, std::move(name), bufferSize};
  s.value = size;
  s.bytes = std::move(bytes);
  return s;
}
inline Step queryFails(std::string name, std::int64_t bufferSize, std::uint32_t error,
                       std::int64_t size = -1) {
  Step s = fails(Call::QueryValue, std::move(name), error, bufferSize);
  s.value = size;
  return s;
}
inline Step countsValues(std::int64_t count) {
  Step s{Call::ValueCount};
  s.value = count;
  return s;
}
inline Step enumerates(std::int64_t index, std::int64_t capacity, std::string name) {
  Step s{Call::EnumValue, {}, index};
  s.value2 = capacity;
  s.bytes = std::move(name);
  return s;
}
inline Step enumerateFails(std::int64_t index, std::int64_t capacity, std::uint32_t error) {
  Step s = fails(Call::EnumValue, {}, error, index);
  s.value2 = capacity;
  return s;
}
inline Step deletesValue(std::string name) {
  return {Call::DeleteValue, std::move(name)};
}
inline Step deleteValueFails(std::string name, std::uint32_t error) {
  return fails(Call::DeleteValue, std::move(name), error);
}
inline Step closesKey() {
  return {Call::CloseKey};
}
inline Step closeKeyFails(std::uint32_t error) {
  return fails(Call::CloseKey, {}, error);
}
inline Step deletesKey(std::string path) {
  return {Call::DeleteKey, std::move(path)};
}
inline Step deleteKeyFails(std::string path, std::uint32_t error) {
  return fails(Call::DeleteKey, std::move(path), error);
}

// The wide calls.
inline Step listedWide(std::string pattern, std::vector<Listed> entries) {
  Step s{Call::ListWide, std::move(pattern)};
  s.entries = std::move(entries);
  return s;
}
inline Step listWideFails(std::string pattern, std::uint32_t error) {
  return fails(Call::ListWide, std::move(pattern), error);
}
inline Step existsWide(std::string path) {
  return {Call::ExistsWide, std::move(path)};
}
inline Step existsWideFails(std::string path, std::uint32_t error) {
  return fails(Call::ExistsWide, std::move(path), error);
}
inline Step opensWide(std::string path) {
  return {Call::OpenWide, std::move(path)};
}
inline Step openWideFails(std::string path, std::uint32_t error) {
  return fails(Call::OpenWide, std::move(path), error);
}
inline Step setsAttributesWide(std::string path, std::uint32_t attributes) {
  return {Call::SetAttributesWide, std::move(path), attributes};
}
inline Step setAttributesWideFails(std::string path, std::uint32_t attributes,
                                   std::uint32_t error) {
  return fails(Call::SetAttributesWide, std::move(path), error, attributes);
}
inline Step deletesWide(std::string path) {
  return {Call::DeleteWide, std::move(path)};
}
inline Step deleteWideFails(std::string path, std::uint32_t error) {
  return fails(Call::DeleteWide, std::move(path), error);
}
inline Step lostNames(std::string pattern, std::vector<std::string> names) {
  Step s{Call::LostNames, std::move(pattern)};
  for (std::string& name : names) s.entries.emplace_back(std::move(name), 0);
  return s;
}

}  // namespace vs::conformance::steps
