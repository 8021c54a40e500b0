# The simulated machine behind the platform interface, for the native tests, benchmarks and fuzzers.
file(GLOB VS_SIM_SOURCES CONFIGURE_DEPENDS src/platform/sim/*.cpp)
add_library(vs_sim STATIC ${VS_SIM_SOURCES})
target_link_libraries(vs_sim PUBLIC vs_engine)
