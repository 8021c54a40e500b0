# libFuzzer targets, built with clang under AddressSanitizer and UndefinedBehaviorSanitizer.
include(cmake/sim.cmake)
file(GLOB VS_FUZZ_TARGETS CONFIGURE_DEPENDS tests/fuzz/fuzz_*.cpp)
foreach(source ${VS_FUZZ_TARGETS})
  get_filename_component(name ${source} NAME_WE)
  add_executable(${name} ${source})
  target_link_libraries(${name} PRIVATE vs_sim)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endforeach()
