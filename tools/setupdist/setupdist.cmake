# The distribution builder, setupdist, in both builds. The compressor, the
# plan and the script are platform-free and tested in the host build; the
# file system is reached through DistOsHost.cpp or DistOsWin32.cpp.
# Included by cmake/Host.cmake and cmake/Target.cmake; the Win32 tests'
# part is tests/win32/setupdist.cmake.
set(SETUPDIST_DIR ${CMAKE_CURRENT_LIST_DIR})
set(SETUPDIST_PURE_SOURCES ${SETUPDIST_DIR}/Szdd.cpp ${SETUPDIST_DIR}/DistNames.cpp
  ${SETUPDIST_DIR}/DistPlan.cpp ${SETUPDIST_DIR}/DistScript.cpp ${SETUPDIST_DIR}/SetupDist.cpp)
set(SETUPDIST_CHECKER_DIR ${CMAKE_SOURCE_DIR}/tools/setupinf-check)

if(WIN32)
  add_executable(setupdist ${SETUPDIST_PURE_SOURCES} ${SETUPDIST_DIR}/DistOsWin32.cpp
    ${SETUPDIST_DIR}/main.cpp ${SETUPDIST_CHECKER_DIR}/InfCheck.cpp)
  target_include_directories(setupdist PRIVATE ${SETUPDIST_DIR} ${SETUPDIST_CHECKER_DIR})
  target_compile_options(setupdist PRIVATE ${SETUP_WARNINGS})
  target_link_libraries(setupdist setupcore shell32)
  target_link_options(setupdist PRIVATE ${STATIC_RUNTIME})

  # The build lays out the demo with a setupdist that runs here, on Linux:
  # a host build of its own, inside this one.
  include(ExternalProject)
  set(SETUPDIST_HOST ${CMAKE_BINARY_DIR}/host-tools/setupdist)
  # $(MAKE) shares the outer make's jobs.
  set(SETUPDIST_HOST_BUILD ${CMAKE_COMMAND} --build <BINARY_DIR> --target setupdist)
  if(CMAKE_GENERATOR MATCHES "Makefiles")
    set(SETUPDIST_HOST_BUILD $(MAKE) setupdist)
  endif()
  ExternalProject_Add(host_setupdist
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/host-tools
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DSETUPDIST_SETUP_EXE=${CMAKE_BINARY_DIR}/SETUP.EXE
    BUILD_COMMAND ${SETUPDIST_HOST_BUILD}
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${SETUPDIST_HOST})
else()
  # Without --setup-exe and with no SETUP.EXE beside it, the host tool
  # takes the one of the target build.
  set(SETUPDIST_SETUP_EXE ${CMAKE_SOURCE_DIR}/build/win/SETUP.EXE CACHE FILEPATH
    "SETUP.EXE that setupdist ships when it finds none beside itself")

  function(add_setupdist_core name core)
    add_library(${name} STATIC ${SETUPDIST_PURE_SOURCES} ${SETUPDIST_DIR}/DistOsHost.cpp)
    target_include_directories(${name} PUBLIC ${SETUPDIST_DIR} ${SETUPDIST_CHECKER_DIR})
    target_compile_options(${name} PRIVATE ${SETUP_WARNINGS} ${ARGN})
    target_compile_definitions(${name} PRIVATE SETUPDIST_BUILD_SETUP_EXE="${SETUPDIST_SETUP_EXE}")
    target_link_libraries(${name} PUBLIC ${core})
  endfunction()
  add_setupdist_core(setupdistcore setupcore)
  add_setupdist_core(setupdistcore_asan setupcore_asan ${SANITIZE_FLAGS})

  add_executable(setupdist ${SETUPDIST_DIR}/main.cpp ${SETUPDIST_CHECKER_DIR}/InfCheck.cpp)
  target_compile_options(setupdist PRIVATE ${SETUP_WARNINGS})
  target_link_libraries(setupdist setupdistcore)

  target_link_libraries(host_tests setupdistcore)
  target_link_libraries(host_tests_asan setupdistcore_asan)

  # The compressor timed against mscompress (bench/dist-bench.sh).
  add_executable(szdd_bench ${CMAKE_SOURCE_DIR}/bench/szdd_bench.cpp ${SETUPDIST_DIR}/Szdd.cpp)
  target_include_directories(szdd_bench PRIVATE ${SETUPDIST_DIR})
  target_compile_options(szdd_bench PRIVATE ${SETUP_WARNINGS})
endif()
