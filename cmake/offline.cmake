# vantoscan: the offline scan of a Windows installation mounted on this Linux system, over the
# same engine, through the mounted volumes and the installation's SOFTWARE hive (hivex).
find_package(PkgConfig REQUIRED)
pkg_check_modules(HIVEX REQUIRED IMPORTED_TARGET hivex)
include(cmake/images.cmake)

add_library(vs_linux STATIC
  src/platform/linux/variable_expansion.cpp
  src/platform/linux/software_hive.cpp
  src/platform/linux/hive_key.cpp
  src/platform/linux/windows_installation.cpp
  src/platform/linux/linux_files.cpp
  src/platform/linux/linux_registry.cpp
  src/platform/linux/linux_system_information.cpp
  src/platform/linux/linux_window_queue.cpp
)
target_link_libraries(vs_linux PUBLIC vs_engine vs_volumes PkgConfig::HIVEX)

add_library(vs_offline STATIC
  src/offline/command_line.cpp
  src/offline/report_json.cpp
  src/offline/scan_output.cpp
  src/offline/offline_scan.cpp
  src/offline/sha256.cpp
  src/offline/finding_details.cpp
  src/offline/registry_judgement.cpp
  src/offline/image_hive.cpp
  src/offline/image_drives.cpp
  src/offline/image_scan.cpp
)
target_link_libraries(vs_offline PUBLIC vs_linux vs_images)

add_executable(vantoscan src/offline/vantoscan_main.cpp)
target_link_libraries(vantoscan PRIVATE vs_offline)
if(VS_SANITIZE)
  target_sources(vantoscan PRIVATE src/offline/sanitizer_options.cpp)
endif()

# The tests run the command itself as well as its parts.
file(GLOB VS_OFFLINE_TESTS CONFIGURE_DEPENDS tests/offline/*.cpp)
add_executable(vs_offline_tests ${VS_OFFLINE_TESTS} ${VS_CONFORMANCE_ROWS}
  tests/conformance/host_folder.cpp)
target_include_directories(vs_offline_tests PRIVATE tests)
target_link_libraries(vs_offline_tests PRIVATE vs_offline vs_sim vs_samples vs_image_fixtures
  GTest::gmock GTest::gtest_main)
if(VS_SANITIZE)
  target_sources(vs_offline_tests PRIVATE src/offline/sanitizer_options.cpp)
endif()
target_compile_definitions(vs_offline_tests PRIVATE VANTOSCAN_PATH="$<TARGET_FILE:vantoscan>")
add_dependencies(vs_offline_tests vantoscan)
gtest_discover_tests(vs_offline_tests DISCOVERY_TIMEOUT 60)
