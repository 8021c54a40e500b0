# The Windows build: the real backend, the tool, and the tests that run under Wine.

add_library(vs_win32 STATIC
  src/platform/win32/win32_files.cpp
  src/platform/win32/win32_registry.cpp
  src/platform/win32/win32_processes.cpp
  src/platform/win32/win32_services.cpp
  src/platform/win32/win32_system_information.cpp
  src/platform/win32/win32_window_queue.cpp
  src/platform/win32/wide_calls.cpp
)
target_link_libraries(vs_win32 PUBLIC vs_engine user32 kernel32 advapi32)

# GoogleTest from the distribution's sources, built with the cross compiler; only gtest is needed.
# It uses Win32 threads, not pthreads. The compiler's "win32" thread model has no std::mutex, so
# the one class of gtest written with it comes from tests/wine/gtest_custom instead.
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
target_include_directories(gtest BEFORE PUBLIC ${CMAKE_SOURCE_DIR}/tests/wine/gtest_custom)
target_sources(gtest PRIVATE ${CMAKE_SOURCE_DIR}/tests/wine/gtest_custom/notification.cpp)

# Tests of the real backend and of the engine on a real file system, run under Wine, one fresh
# prefix per run (tests/wine/run-in-prefix, which takes the Wine of the program's architecture).
# The 64-bit tree always runs them. The 32-bit tree holds the shipped program: it runs them under
# 32-bit Wine where this kernel starts 32-bit programs and 32-bit Wine is installed, and elsewhere
# only builds them.
file(GLOB VS_WINE_TESTS CONFIGURE_DEPENDS tests/wine/*.cpp)
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/tests/wine/run-in-prefix)
  else()
    execute_process(COMMAND ${CMAKE_SOURCE_DIR}/scripts/runs-32bit RESULT_VARIABLE VS_32BIT_PROBE)
    if(VS_32BIT_PROBE EQUAL 0 AND EXISTS /usr/lib/wine/wine)
      set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/tests/wine/run-in-prefix)
    endif()
  endif()
endif()
add_executable(vs_wine_tests ${VS_WINE_TESTS} tests/conformance/run_row.cpp
  tests/conformance/file_rows.cpp tests/conformance/wide_file_rows.cpp
  tests/conformance/registry_rows.cpp tests/conformance/system_rows.cpp)
target_include_directories(vs_wine_tests PRIVATE tests)
target_link_libraries(vs_wine_tests PRIVATE vs_win32 vs_samples GTest::gtest_main)
if(CMAKE_CROSSCOMPILING_EMULATOR)
  # One test per program: every run starts Wine in a prefix of its own.
  add_test(NAME vs_wine_tests COMMAND vs_wine_tests)
  set_tests_properties(vs_wine_tests PROPERTIES TIMEOUT 900)
  # The system family, the restart's token road and deletion at the next start under each
  # Windows version Wine can report; the harness and the tests both read VS_WINE_VERSION.
  foreach(version win98 nt40 win2k winxp win7)
    add_test(NAME vs_wine_version_${version} COMMAND vs_wine_tests
      --gtest_filter=SystemFamilyUnderWine.*:RestartUnderWine.*:RemediationTest.AFileThatStaysHeld*)
    set_tests_properties(vs_wine_version_${version} PROPERTIES
      ENVIRONMENT VS_WINE_VERSION=${version} TIMEOUT 300)
  endforeach()
  # The remediation on the NT 5.x road: the memory scan and the kill by module path through
  # psapi, as Windows XP has them.
  add_test(NAME vs_wine_remediation_winxp COMMAND vs_wine_tests
    --gtest_filter=MemoryScanUnderWine.*:ServiceUnderWine.*)
  set_tests_properties(vs_wine_remediation_winxp PROPERTIES
    ENVIRONMENT VS_WINE_VERSION=winxp TIMEOUT 300)
  # No false deletion: a scan of every drive with the clean corpus (copied into the tree, since
  # the scan may delete what it wrongly matches) on E: beside the prefix's own C:.
  add_test(NAME vs_wine_clean_corpus COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/make-clean-corpus
    ${CMAKE_BINARY_DIR}/clean-corpus)
  set_tests_properties(vs_wine_clean_corpus PROPERTIES FIXTURES_SETUP vs_clean_corpus)
  add_test(NAME vs_wine_no_false_deletion COMMAND vs_wine_tests
    --gtest_filter=NoFalseDeletionUnderWine.*)
  set_tests_properties(vs_wine_no_false_deletion PROPERTIES FIXTURES_REQUIRED vs_clean_corpus
    ENVIRONMENT VS_WINE_DRIVES=E=${CMAKE_BINARY_DIR}/clean-corpus TIMEOUT 900)
endif()

# The detection-only scanner of the benchmarks, on the real backend.
add_executable(detect bench/detect.cpp)
target_link_libraries(detect PRIVATE vs_win32 psapi)

# The tool, and its tests under Wine (which use the emulator set above).
include(cmake/ui.cmake)
