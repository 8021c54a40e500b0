// The Win32 error codes that the backends answer with and the code compares against. Every
// backend leaves the code the system would give, so that the same road is taken on each.
#pragma once

#include <cstdint>

namespace vs {

constexpr std::uint32_t kErrorInvalidFunction = 1;
constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kErrorPathNotFound = 3;
constexpr std::uint32_t kErrorAccessDenied = 5;
constexpr std::uint32_t kErrorInvalidHandle = 6;
constexpr std::uint32_t kErrorNoMoreFiles = 18;
constexpr std::uint32_t kErrorWriteProtect = 19;
constexpr std::uint32_t kErrorSharingViolation = 32;
constexpr std::uint32_t kErrorFileExists = 80;
constexpr std::uint32_t kErrorInvalidParameter = 87;
constexpr std::uint32_t kErrorDiskFull = 112;
constexpr std::uint32_t kErrorCallNotImplemented = 120;
constexpr std::uint32_t kErrorInsufficientBuffer = 122;
constexpr std::uint32_t kErrorInvalidName = 123;
constexpr std::uint32_t kErrorProcNotFound = 127;
constexpr std::uint32_t kErrorNegativeSeek = 131;
constexpr std::uint32_t kErrorFilenameExcedRange = 206;
constexpr std::uint32_t kErrorMoreData = 234;
constexpr std::uint32_t kErrorNoMoreItems = 259;
constexpr std::uint32_t kErrorRegistryCorrupt = 1015;
constexpr std::uint32_t kErrorKeyDeleted = 1018;
constexpr std::uint32_t kErrorServiceDoesNotExist = 1060;
constexpr std::uint32_t kErrorServiceNotActive = 1062;
constexpr std::uint32_t kErrorNoUnicodeTranslation = 1113;
constexpr std::uint32_t kErrorNotAllAssigned = 1300;
constexpr std::uint32_t kErrorNoSuchPrivilege = 1313;
constexpr std::uint32_t kErrorFileCorrupt = 1392;

}  // namespace vs
