#include "ui/single_instance.h"

#include <windows.h>

#include <initializer_list>

#include "engine/product.h"

namespace vs::ui {
namespace {

// The marker is a named mutex, in the namespace that every session of the machine shares where
// sessions exist. Systems without that namespace (the 9x line, NT 4) refuse a name with a
// backslash; there the plain name is the machine's.
constexpr const char* kSharedMarker = "Global\\Vantosweeper Ver 1.0";
constexpr const char* kLocalMarker = "Vantosweeper Ver 1.0";

}  // namespace

SingleInstance::SingleInstance() {
  // The window of a copy on this desktop carries the product's title.
  if (FindWindowA(nullptr, kProductTitle)) anotherCopy_ = true;
  for (const char* name : {kSharedMarker, kLocalMarker}) {
    // Success leaves the last error alone unless the marker existed: start from a clean one.
    SetLastError(ERROR_SUCCESS);
    marker_.reset(CreateMutexA(nullptr, FALSE, name));
    const DWORD error = GetLastError();
    if (marker_) {
      if (error == ERROR_ALREADY_EXISTS) anotherCopy_ = true;
      return;
    }
    // A marker made by another account may exist without being open to this one.
    if (error == ERROR_ACCESS_DENIED) {
      anotherCopy_ = true;
      return;
    }
  }
}

}  // namespace vs::ui
