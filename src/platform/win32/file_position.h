// 64-bit file positions through the calls that every line of Windows has: SetFilePointer and
// GetFileSize with their high parts (the Ex forms are missing on the 9x line and NT 4).
#pragma once

#include <windows.h>

#include <cstdint>

namespace vs::win32 {

inline bool setFilePosition(HANDLE handle, std::int64_t offset, DWORD method) {
  LONG high = static_cast<LONG>(offset >> 32);
  const DWORD low = SetFilePointer(handle, static_cast<LONG>(offset & 0xFFFFFFFF), &high, method);
  return low != INVALID_SET_FILE_POINTER || GetLastError() == NO_ERROR;
}

// The file's length, or -1 (GetLastError tells why).
inline std::int64_t fileLength(HANDLE handle) {
  DWORD high = 0;
  const DWORD low = GetFileSize(handle, &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return -1;
  return static_cast<std::int64_t>(std::uint64_t{high} << 32 | low);
}

}  // namespace vs::win32
