# The tool itself: the user interface over the engine and the real backend, one static program
# with the Windows GUI subsystem. psapi and the tool-help functions are looked up by name at run
# time, never linked, so that the same file starts on every Windows line.
add_library(vs_ui STATIC
  src/ui/control.cpp
  src/ui/dialog.cpp
  src/ui/main_dialog.cpp
  src/ui/main_dialog_report.cpp
  src/ui/message_box.cpp
  src/ui/scan_app.cpp
  src/ui/skin_button.cpp
  src/ui/suite_check.cpp
  src/ui/title_static.cpp
  src/ui/web_pages.cpp
  src/ui/window_shape.cpp
)
target_link_libraries(vs_ui PUBLIC vs_win32 vs_ui_rules user32 gdi32 advapi32 shell32)

add_executable(vantosweeper WIN32 src/ui/main.cpp src/ui/resources/vantosweeper.rc)
target_link_libraries(vantosweeper PRIVATE vs_ui)
# The resource script names its bitmaps and icon relative to its own folder; a changed picture
# rebuilds the resources.
target_include_directories(vantosweeper PRIVATE src/ui/resources)
file(GLOB VS_UI_ART CONFIGURE_DEPENDS src/ui/resources/*.bmp src/ui/resources/*.ico
  src/ui/resources/*.h)
set_property(SOURCE src/ui/resources/vantosweeper.rc APPEND PROPERTY OBJECT_DEPENDS ${VS_UI_ART})

