// Ownership of drawing objects and other user-interface handles, on the same template as the
// system handles of the backend, plus scope guards for a window's device context and for an
// object selected into a context. Every object is released on every path.
#pragma once

#include <windows.h>

#include "platform/win32/handle.h"

namespace vs::ui {

using Bitmap = UniqueHandle<NullHandleTraits<HBITMAP, DeleteObject>>;
using Font = UniqueHandle<NullHandleTraits<HFONT, DeleteObject>>;
using Brush = UniqueHandle<NullHandleTraits<HBRUSH, DeleteObject>>;
using Region = UniqueHandle<NullHandleTraits<HRGN, DeleteObject>>;
using MemoryDc = UniqueHandle<NullHandleTraits<HDC, DeleteDC>>;
using Cursor = UniqueHandle<NullHandleTraits<HCURSOR, DestroyCursor>>;
using Module = win32::ModuleHandle;

// A window's device context from GetDC, released when the guard ends.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects an object into a context and puts the previous one back when the guard ends.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~SelectedObject() {
    if (selected()) SelectObject(dc_, previous_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;
  bool selected() const { return previous_ != nullptr && previous_ != HGDI_ERROR; }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// The program's own module: its resources are the templates, bitmaps and icon.
inline HINSTANCE programModule() {
  return GetModuleHandleA(nullptr);
}

// A bitmap resource at its own size, the greys of its colour table mapped to the system's 3-D
// colours; empty when the resource is missing.
inline Bitmap loadSkinBitmap(const char* name) {
  return Bitmap(static_cast<HBITMAP>(
      LoadImageA(programModule(), name, IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS)));
}

}  // namespace vs::ui
