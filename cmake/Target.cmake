# The 32-bit Windows target build (MinGW-w64 i686), tests run under Wine.
enable_language(RC)

# One file that runs from a bare folder: no runtime DLL beside it.
set(STATIC_RUNTIME -static -static-libgcc -static-libstdc++)

add_library(setupcore STATIC ${SETUPINF_SOURCES}
  ${CMAKE_SOURCE_DIR}/setup/setupinf/SetupinfWin32.cpp)
target_include_directories(setupcore PUBLIC ${CMAKE_SOURCE_DIR}/setup/setupinf)
target_compile_options(setupcore PRIVATE ${SETUP_WARNINGS})

add_executable(setup WIN32
  ${CMAKE_SOURCE_DIR}/setup/shell/Shell.cpp
  ${CMAKE_SOURCE_DIR}/setup/shell/SetupMsg.cpp
  ${CMAKE_SOURCE_DIR}/setup/resources/setup.rc)
set_target_properties(setup PROPERTIES OUTPUT_NAME SETUP SUFFIX .EXE)
target_include_directories(setup PRIVATE
  ${CMAKE_SOURCE_DIR}/setup/shell ${CMAKE_SOURCE_DIR}/setup/resources)
target_compile_options(setup PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${SETUP_WARNINGS}>)
target_link_libraries(setup setupcore shlwapi)
target_link_options(setup PRIVATE ${STATIC_RUNTIME})

add_executable(setupinf-check
  ${CMAKE_SOURCE_DIR}/tools/setupinf-check/main.cpp
  ${CMAKE_SOURCE_DIR}/tools/setupinf-check/InfJson.cpp)
target_compile_options(setupinf-check PRIVATE ${SETUP_WARNINGS})
target_link_libraries(setupinf-check setupcore)
target_link_options(setupinf-check PRIVATE ${STATIC_RUNTIME})

# Win32 tests: GoogleTest programs run by scripts/wine-test.sh, which fails
# unless the program really ran and reported passing tests.
file(GLOB WIN32_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*.cpp)
add_executable(win32_tests ${WIN32_TEST_SOURCES})
target_include_directories(win32_tests PRIVATE
  ${CMAKE_SOURCE_DIR}/setup/resources ${CMAKE_SOURCE_DIR}/tools/setupinf-check)
target_compile_options(win32_tests PRIVATE ${SETUP_WARNINGS})
target_link_libraries(win32_tests setupcore gtest gtest_main)
target_link_options(win32_tests PRIVATE ${STATIC_RUNTIME})
add_dependencies(win32_tests setup)

add_test(NAME win32.tests
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-test.sh $<TARGET_FILE:win32_tests>)
add_test(NAME win32.checker_matches_host
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-parity.sh
          $<TARGET_FILE:setupinf-check> ${CMAKE_SOURCE_DIR}/tests/data)
set_tests_properties(win32.tests win32.checker_matches_host PROPERTIES TIMEOUT 300)
