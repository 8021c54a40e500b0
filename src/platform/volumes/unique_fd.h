// A file descriptor that closes itself, on the same template as the Windows handles.
#pragma once

#include <unistd.h>

#include "platform/unique_handle.h"

namespace vs::volumes {

struct FdTraits {
  using Value = int;
  static Value invalid() noexcept { return -1; }
  static void close(Value fd) noexcept { ::close(fd); }
};

using UniqueFd = UniqueHandle<FdTraits>;

}  // namespace vs::volumes
