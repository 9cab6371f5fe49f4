# The Linux host build.
set(SANITIZE_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

function(add_setup_core name)
  add_library(${name} STATIC ${SETUP_PURE_SOURCES} ${SETUP_HOST_LAYER})
  target_include_directories(${name} PUBLIC ${SETUP_INCLUDE_DIRS})
  target_compile_options(${name} PRIVATE ${SETUP_WARNINGS} ${ARGN})
  target_link_options(${name} PUBLIC ${ARGN})
endfunction()

add_setup_core(setupcore)
add_setup_core(setupcore_asan ${SANITIZE_FLAGS})

include(GoogleTest)
file(GLOB HOST_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/host/*.cpp)
set(HOST_TEST_SUPPORT ${CMAKE_SOURCE_DIR}/tools/setupinf-check/InfJson.cpp
  ${CMAKE_SOURCE_DIR}/tools/setupinf-check/InfCheck.cpp)

add_executable(host_tests ${HOST_TEST_SOURCES} ${HOST_TEST_SUPPORT})
target_include_directories(host_tests PRIVATE ${CMAKE_SOURCE_DIR}/tools/setupinf-check)
target_compile_options(host_tests PRIVATE ${SETUP_WARNINGS})
target_link_libraries(host_tests setupcore gtest gtest_main)
gtest_discover_tests(host_tests TEST_PREFIX "host." PROPERTIES TIMEOUT 60)

add_executable(host_tests_asan ${HOST_TEST_SOURCES} ${HOST_TEST_SUPPORT})
target_include_directories(host_tests_asan PRIVATE ${CMAKE_SOURCE_DIR}/tools/setupinf-check)
target_compile_options(host_tests_asan PRIVATE ${SETUP_WARNINGS} ${SANITIZE_FLAGS})
target_link_libraries(host_tests_asan setupcore_asan gtest gtest_main)
gtest_discover_tests(host_tests_asan TEST_PREFIX "asan." PROPERTIES TIMEOUT 120)

add_executable(setupinf-check
  ${CMAKE_SOURCE_DIR}/tools/setupinf-check/main.cpp
  ${CMAKE_SOURCE_DIR}/tools/setupinf-check/InfJson.cpp
  ${CMAKE_SOURCE_DIR}/tools/setupinf-check/InfCheck.cpp)
target_compile_options(setupinf-check PRIVATE ${SETUP_WARNINGS})
target_link_libraries(setupinf-check setupcore)

add_executable(parse_bench ${CMAKE_SOURCE_DIR}/bench/parse_bench.cpp)
target_compile_options(parse_bench PRIVATE ${SETUP_WARNINGS})
target_link_libraries(parse_bench setupcore)

# The fuzz target needs clang's libFuzzer, so it is built by clang++ directly.
find_program(CLANGXX clang++)
if(CLANGXX)
  set(FUZZ_SOURCES ${SETUP_PURE_SOURCES} ${SETUP_HOST_LAYER}
    ${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz_setupinf.cpp)
  set(FUZZ_INCLUDES)
  foreach(dir ${SETUP_INCLUDE_DIRS})
    list(APPEND FUZZ_INCLUDES -I${dir})
  endforeach()
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/fuzz_setupinf
    COMMAND ${CLANGXX} -std=c++17 -g -O1 -Wall -Wextra -Werror
            -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
            ${FUZZ_INCLUDES} ${FUZZ_SOURCES}
            -o ${CMAKE_BINARY_DIR}/fuzz_setupinf
    DEPENDS ${FUZZ_SOURCES}
    COMMENT "Building the libFuzzer target with clang")
  add_custom_target(fuzz_target ALL DEPENDS ${CMAKE_BINARY_DIR}/fuzz_setupinf)
endif()

# The generator of the program's pictures; its output is committed in
# setup/resources, and the test keeps the two in step.
add_executable(bmpgen ${CMAKE_SOURCE_DIR}/tools/bmpgen/bmpgen.cpp)
target_compile_options(bmpgen PRIVATE ${SETUP_WARNINGS})
add_test(NAME host.bitmaps_match_generator
  COMMAND bmpgen --compare ${CMAKE_SOURCE_DIR}/setup/resources)
include(${CMAKE_SOURCE_DIR}/tools/setupdist/setupdist.cmake)
