# One helper adds every GoogleTest program, so all of them build and register alike.
find_package(GTest REQUIRED)
include(GoogleTest)

function(quorvalen_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    QUORVALEN_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    QUORVALEN_BINARY_DIR="${PROJECT_BINARY_DIR}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
endfunction()
