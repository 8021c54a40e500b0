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
  src/ui/single_instance.cpp
  src/ui/skin_button.cpp
  src/ui/suite_check.cpp
  src/ui/title_static.cpp
  src/ui/web_pages.cpp
  src/ui/window_shape.cpp
)
target_link_libraries(vs_ui PUBLIC vs_win32 vs_ui_rules vs_unattended user32 gdi32 advapi32 shell32)

# The maker's web site, whose two pages the link buttons open: "https://" and a host, nothing
# more (the page paths are the window's own). A removal tool must never send its users to a site
# its makers do not own, nor over a connection anyone on the way can rewrite: the default is a
# name reserved for examples (RFC 2606), which can never belong to anyone, until the maker's own
# site is set.
set(VS_SITE "https://www.kestrin.example" CACHE STRING
  "Scheme and host of the maker's web site that the window's links open")
if(NOT VS_SITE MATCHES "^https://[A-Za-z0-9]([A-Za-z0-9.-]*[A-Za-z0-9])?(:[0-9]+)?$")
  message(FATAL_ERROR "VS_SITE must be https:// followed by a host name, not \"${VS_SITE}\"")
endif()
target_compile_definitions(vs_ui PRIVATE "VS_SITE=\"${VS_SITE}\"")

add_executable(vantosweeper WIN32 src/ui/main.cpp src/ui/resources/vantosweeper.rc)
target_link_libraries(vantosweeper PRIVATE vs_ui)
# The resource script names its bitmaps and icon relative to its own folder; a changed picture
# rebuilds the resources.
target_include_directories(vantosweeper PRIVATE src/ui/resources)
file(GLOB VS_UI_ART CONFIGURE_DEPENDS src/ui/resources/*.bmp src/ui/resources/*.ico
  src/ui/resources/*.h)
set_property(SOURCE src/ui/resources/vantosweeper.rc APPEND PROPERTY OBJECT_DEPENDS ${VS_UI_ART})

# The program that drives the tool from outside in the window tests and the demo.
add_executable(ui_driver tests/wine/ui/ui_driver.cpp tests/wine/ui/tool_window.cpp
  tests/wine/ui/demo_machine.cpp tests/wine/ui/page_recorder.cpp)
target_link_libraries(ui_driver PRIVATE vs_samples user32 advapi32)
# The driver checks that the links open exactly the configured site's pages.
target_compile_definitions(ui_driver PRIVATE "VS_SITE=\"${VS_SITE}\"")

# The program that starts the tool with a command line in the tests of unattended runs.
add_executable(unattended_driver tests/wine/ui/unattended_driver.cpp tests/wine/ui/tool_window.cpp
  tests/wine/ui/demo_machine.cpp tests/wine/ui/wide_machine.cpp)
target_link_libraries(unattended_driver PRIVATE vs_samples user32 advapi32)

# In-process tests of the user interface on the real system: the message box's answers and
# layout, the region from a picture, the scaling of controls and the skins.
file(GLOB VS_UI_TESTS CONFIGURE_DEPENDS tests/wine/ui/*_test.cpp)
add_executable(vs_ui_tests ${VS_UI_TESTS} src/ui/resources/vantosweeper.rc)
target_include_directories(vs_ui_tests PRIVATE src/ui/resources)
target_link_libraries(vs_ui_tests PRIVATE vs_ui GTest::gtest_main)

if(CMAKE_CROSSCOMPILING_EMULATOR)
  add_test(NAME vs_ui_tests COMMAND vs_ui_tests)
  # The window tests: the real program driven from outside, one scenario (and one Wine start)
  # each. They share the X display's pointer and screen, so they run one at a time.
  foreach(scenario full-scan cancel suite restart)
    add_test(NAME ui_${scenario}
      COMMAND bash ${CMAKE_SOURCE_DIR}/tests/wine/ui/${scenario}.sh ${CMAKE_BINARY_DIR})
    set_tests_properties(ui_${scenario} PROPERTIES TIMEOUT 900)
  endforeach()
  set_tests_properties(vs_ui_tests ui_full-scan ui_cancel ui_suite ui_restart PROPERTIES
    RESOURCE_LOCK x_display TIMEOUT 900)
  # Unattended runs: the tool started with a command line on the demo machine, beside the driver.
  # The wide-names scenarios: files that only the wide calls reach (names the code page cannot
  # spell, paths of 300 characters), running, held, and shown in the window.
  foreach(scenario silent silent-detect silent-while-open window-report command-line wide-names
      wide-names-held wide-names-window)
    add_test(NAME unattended_${scenario} COMMAND unattended_driver ${scenario})
    set_tests_properties(unattended_${scenario} PROPERTIES
      ENVIRONMENT "VS_WINE_WITH=$<TARGET_FILE:vantosweeper>;VS_WINE_XVFB=1"
      RESOURCE_LOCK x_display TIMEOUT 900)
  endforeach()
  # The same files on the 9x line, which has no wide calls.
  add_test(NAME unattended_wide-names-9x COMMAND unattended_driver wide-names-9x)
  set_tests_properties(unattended_wide-names-9x PROPERTIES
    ENVIRONMENT "VS_WINE_WITH=$<TARGET_FILE:vantosweeper>;VS_WINE_XVFB=1;VS_WINE_VERSION=win98"
    RESOURCE_LOCK x_display TIMEOUT 900)
endif()
