# The native Linux build: the simulated machine, the unit tests and the benchmark programs.
find_package(GTest REQUIRED)
include(GoogleTest)

include(cmake/sim.cmake)

add_executable(make_sample tools/make_sample.cpp)
target_link_libraries(make_sample PRIVATE vs_samples)

# The rows every backend must answer alike; each test program runs them on its own backends.
set(VS_CONFORMANCE_ROWS tests/conformance/run_row.cpp tests/conformance/file_rows.cpp
  tests/conformance/wide_file_rows.cpp tests/conformance/registry_rows.cpp
  tests/conformance/system_rows.cpp)

file(GLOB VS_NATIVE_TESTS CONFIGURE_DEPENDS tests/native/*.cpp)
add_executable(vs_native_tests ${VS_NATIVE_TESTS} ${VS_CONFORMANCE_ROWS}
  tests/conformance/host_folder.cpp)
target_include_directories(vs_native_tests PRIVATE tests)
target_link_libraries(vs_native_tests PRIVATE vs_sim vs_samples vs_ui_rules vs_unattended
  GTest::gtest_main)
gtest_discover_tests(vs_native_tests DISCOVERY_TIMEOUT 60)


add_executable(export_signatures tools/export_signatures.cpp)
target_link_libraries(export_signatures PRIVATE vs_engine)

add_executable(detect bench/detect.cpp)
target_link_libraries(detect PRIVATE vs_sim)

include(cmake/offline.cmake)
