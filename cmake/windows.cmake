# The Windows build: the real backend, the tool, and the tests that run under Wine.

add_library(vs_win32 STATIC
  src/platform/win32/win32_files.cpp
  src/platform/win32/win32_window.cpp
  src/platform/win32/win32_system.cpp
)
target_link_libraries(vs_win32 PUBLIC vs_engine user32 kernel32 advapi32)
