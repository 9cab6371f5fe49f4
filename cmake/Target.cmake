# The 32-bit Windows target build (MinGW-w64 i686), tests run under Wine.
enable_language(RC)

# One file that runs from a bare folder: no runtime DLL beside it.
set(STATIC_RUNTIME -static -static-libgcc -static-libstdc++)

add_library(setupcore STATIC ${SETUP_PURE_SOURCES} ${SETUP_WIN32_LAYER})
target_include_directories(setupcore PUBLIC ${SETUP_INCLUDE_DIRS})
target_compile_options(setupcore PRIVATE ${SETUP_WARNINGS})

# Everything of SETUP.EXE but its resources, so test programs can link it.
add_library(setupwin STATIC ${SETUP_WIN32_SOURCES})
target_compile_options(setupwin PRIVATE ${SETUP_WARNINGS})
target_link_libraries(setupwin PUBLIC setupcore ${SETUP_WIN32_LIBS})

add_executable(setup WIN32 ${SETUP_MAIN_SOURCES} ${SETUP_RC_SOURCES})
set_target_properties(setup PROPERTIES OUTPUT_NAME SETUP SUFFIX .EXE LINKER_LANGUAGE CXX)
target_include_directories(setup PRIVATE ${SETUP_INCLUDE_DIRS})
target_compile_options(setup PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${SETUP_WARNINGS}>)
target_link_libraries(setup setupwin)
# Shipped on a disk: no symbol tables.
target_link_options(setup PRIVATE ${STATIC_RUNTIME} -s)

add_executable(setupinf-check
  ${CMAKE_SOURCE_DIR}/tools/setupinf-check/main.cpp
  ${CMAKE_SOURCE_DIR}/tools/setupinf-check/InfJson.cpp
  ${CMAKE_SOURCE_DIR}/tools/setupinf-check/InfCheck.cpp)
target_compile_options(setupinf-check PRIVATE ${SETUP_WARNINGS})
target_link_libraries(setupinf-check setupwin)
target_link_options(setupinf-check PRIVATE ${STATIC_RUNTIME})

include(${CMAKE_SOURCE_DIR}/tools/setupdist/setupdist.cmake)

# The demo distribution in build/win/demo, made by setupdist from demo/
# and the demo application.
add_executable(demoapp WIN32 ${CMAKE_SOURCE_DIR}/tools/demoapp/DemoApp.cpp)
set_target_properties(demoapp PROPERTIES OUTPUT_NAME DEMO SUFFIX .EXE)
target_compile_options(demoapp PRIVATE ${SETUP_WARNINGS})
target_link_options(demoapp PRIVATE ${STATIC_RUNTIME})
file(GLOB_RECURSE DEMO_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/demo/*)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/demo/SETUP.EXE
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/make-demo.sh ${CMAKE_BINARY_DIR}/demo
          $<TARGET_FILE:setup> $<TARGET_FILE:demoapp> ${SETUPDIST_HOST}
  DEPENDS ${CMAKE_SOURCE_DIR}/scripts/make-demo.sh ${DEMO_SOURCES} setup demoapp
          host_setupdist ${SETUPDIST_HOST}
  COMMENT "Laying out the demo distribution")
add_custom_target(demo ALL DEPENDS ${CMAKE_BINARY_DIR}/demo/SETUP.EXE)

# Win32 tests: GoogleTest programs run by scripts/wine-test.sh, which fails
# unless the program really ran and reported passing tests. Every
# tests/win32/*.cpp goes into win32_tests; a test that needs a program of
# its own adds it in a tests/win32/*.cmake file.
# Compressed files for the copy tests, made once by the real compressor.
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/lzfixtures/BIG.DAT
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/make-lz-fixtures.sh ${CMAKE_BINARY_DIR}/lzfixtures
  DEPENDS ${CMAKE_SOURCE_DIR}/scripts/make-lz-fixtures.sh
  COMMENT "Making the compressed test files")
add_custom_target(lzfixtures ALL DEPENDS ${CMAKE_BINARY_DIR}/lzfixtures/BIG.DAT)

set(WIN32_DRIVER_SOURCES ${CMAKE_SOURCE_DIR}/tests/win32/driver/SetupDriver.cpp
  ${CMAKE_SOURCE_DIR}/tests/win32/driver/ProgramGroup.cpp)
set(WIN32_DRIVER_LIBS shell32 ole32 uuid)

function(add_wine_gtest name)
  add_executable(${name} ${ARGN} ${WIN32_DRIVER_SOURCES})
  target_include_directories(${name} PRIVATE ${SETUP_INCLUDE_DIRS}
    ${CMAKE_SOURCE_DIR}/tests/win32 ${CMAKE_SOURCE_DIR}/tests/win32/driver
    ${CMAKE_SOURCE_DIR}/tools/setupinf-check)
  target_compile_options(${name} PRIVATE ${SETUP_WARNINGS})
  target_link_libraries(${name} setupwin gtest gtest_main ${WIN32_DRIVER_LIBS})
  target_link_options(${name} PRIVATE ${STATIC_RUNTIME})
  add_dependencies(${name} setup demo)
  add_test(NAME win32.${name}
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-test.sh $<TARGET_FILE:${name}>)
  set_tests_properties(win32.${name} PROPERTIES TIMEOUT 300)
endfunction()

file(GLOB WIN32_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*.cpp)
add_wine_gtest(win32_tests ${WIN32_TEST_SOURCES})

file(GLOB WIN32_TEST_FRAGMENTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*.cmake)
foreach(fragment ${WIN32_TEST_FRAGMENTS})
  include(${fragment})
endforeach()

add_test(NAME win32.checker_matches_host
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-parity.sh
          $<TARGET_FILE:setupinf-check> ${CMAKE_SOURCE_DIR}/tests/data
          ${CMAKE_BINARY_DIR}/demo)
set_tests_properties(win32.checker_matches_host PROPERTIES TIMEOUT 300)

# The copy step's benchmark driver (bench/copy-bench.sh runs it).
add_executable(copy_bench ${CMAKE_SOURCE_DIR}/bench/copy_bench.cpp ${WIN32_DRIVER_SOURCES})
target_include_directories(copy_bench PRIVATE ${SETUP_INCLUDE_DIRS} ${CMAKE_SOURCE_DIR}/tests/win32/driver)
target_compile_options(copy_bench PRIVATE ${SETUP_WARNINGS})
target_link_libraries(copy_bench ${WIN32_DRIVER_LIBS})
target_link_options(copy_bench PRIVATE ${STATIC_RUNTIME})

# The walk through the demo installation that scripts/run.sh runs headless.
add_executable(demo_walk ${CMAKE_SOURCE_DIR}/tools/demo-walk/DemoWalk.cpp ${WIN32_DRIVER_SOURCES})
target_include_directories(demo_walk PRIVATE ${SETUP_INCLUDE_DIRS} ${CMAKE_SOURCE_DIR}/tests/win32/driver)
target_compile_options(demo_walk PRIVATE ${SETUP_WARNINGS})
target_link_libraries(demo_walk ${WIN32_DRIVER_LIBS})
target_link_options(demo_walk PRIVATE ${STATIC_RUNTIME})
