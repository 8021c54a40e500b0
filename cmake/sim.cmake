# The simulated machine behind the platform interface, for the native tests, benchmarks and fuzzers.
# Its host-folder drives are the mounted volumes of the offline scan.
include(${CMAKE_CURRENT_LIST_DIR}/volumes.cmake)
file(GLOB VS_SIM_SOURCES CONFIGURE_DEPENDS src/platform/sim/*.cpp)
add_library(vs_sim STATIC ${VS_SIM_SOURCES})
target_link_libraries(vs_sim PUBLIC vs_engine vs_volumes)
