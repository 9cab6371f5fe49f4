# The publisher's kit: the two tools, the SETUP.EXE and LAUNCHER.EXE they
# ship, the guide and a man page per tool. `cmake --install` puts it under
# a prefix; `cpack` (the package target) makes it a Debian package and,
# from the Windows build inside this one, a zip for Windows.

if(WIN32)
  # The zip's content, flat: the Windows tools beside the programs they
  # ship, where setupdist.exe looks first, and the guide.
  if(SETUP_TOOLS_ONLY)
    install(TARGETS setupdist setupinf-check setup launcher RUNTIME DESTINATION .)
    install(FILES ${CMAKE_SOURCE_DIR}/docs/setup-inf.md DESTINATION .)
    target_link_options(setupdist PRIVATE -s)
    target_link_options(setupinf-check PRIVATE -s)
  endif()
  return()
endif()

option(SETUP_KIT_PROGRAMS "Build SETUP.EXE and LAUNCHER.EXE for the kit (MinGW-w64)" ${SETUP_TOOLS_ONLY})
set(SETUPDIST_SETUP_EXE "" CACHE FILEPATH "A SETUP.EXE of your own for the kit instead of the one built here")
set(SETUPDIST_LAUNCHER "" CACHE FILEPATH "A LAUNCHER.EXE of your own for the kit instead of the one built here")

install(TARGETS setupdist setupinf-check RUNTIME DESTINATION bin)
install(FILES docs/setup-inf.md docs/copyright DESTINATION share/doc/setupdist)
if(NOT SETUP_KIT_PROGRAMS)
  return()
endif()

# kit_need(VAR PROGRAM PACKAGE) - stops the configuration, in one line,
# when PROGRAM is not on this machine.
function(kit_need var program package)
  find_program(${var} ${program})
  if(NOT ${var})
    # The leading blank keeps CMake from wrapping the line.
    message(FATAL_ERROR " the kit needs ${program}: install the package ${package}")
  endif()
endfunction()

# The programs the tools ship: the publisher's own when both are named,
# else the 32-bit ones built here with the MinGW-w64 cross compiler, in a
# Windows build of the kit that also makes the zip's tools.
set(KIT_WIN ${CMAKE_BINARY_DIR}/win32)
set(KIT_DEPENDS)
if(SETUPDIST_SETUP_EXE AND SETUPDIST_LAUNCHER)
  set(KIT_SETUP_EXE ${SETUPDIST_SETUP_EXE})
  set(KIT_LAUNCHER ${SETUPDIST_LAUNCHER})
  set(KIT_ZIP OFF)
else()
  kit_need(KIT_MINGW_CXX i686-w64-mingw32-g++-posix g++-mingw-w64-i686)
  kit_need(KIT_MINGW_RC i686-w64-mingw32-windres binutils-mingw-w64-i686)
  kit_need(KIT_MINGW64_CXX x86_64-w64-mingw32-g++-posix g++-mingw-w64-x86-64)
  kit_need(KIT_MINGW64_RC x86_64-w64-mingw32-windres binutils-mingw-w64-x86-64)
  include(ExternalProject)
  # kit_windows(NAME ARCH DIR TARGETS...) - a Windows build of the kit.
  function(kit_windows name arch dir)
    set(build ${CMAKE_COMMAND} --build <BINARY_DIR> --target ${ARGN})
    if(CMAKE_GENERATOR MATCHES "Makefiles")
      # $(MAKE) shares the outer make's jobs.
      set(build $(MAKE) ${ARGN})
    endif()
    ExternalProject_Add(${name}
      SOURCE_DIR ${CMAKE_SOURCE_DIR}
      BINARY_DIR ${dir}
      CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-${arch}.cmake
        -DCMAKE_BUILD_TYPE=Release -DSETUP_TOOLS_ONLY=ON
      BUILD_COMMAND ${build}
      INSTALL_COMMAND ""
      BUILD_ALWAYS ON
      BUILD_BYPRODUCTS ${dir}/SETUP.EXE ${dir}/LAUNCHER.EXE ${dir}/TRYWALK.EXE)
  endfunction()
  kit_windows(kit_win32 i686 ${KIT_WIN} setup launcher trywalk setupdist setupinf-check)
  set(KIT_SETUP_EXE ${KIT_WIN}/SETUP.EXE)
  set(KIT_LAUNCHER ${KIT_WIN}/LAUNCHER.EXE)
  set(KIT_DEPENDS kit_win32)
  set(KIT_ZIP ON)
endif()

# setupdist --try walks through an installation under Wine: the walk, in
# both builds, and the x86-64 SETUP.EXE and launcher for a machine that
# runs no 32-bit code.
set(KIT_TRY OFF)
if(TARGET kit_win32)
  set(KIT_TRY ON)
  set(KIT_WIN64 ${CMAKE_BINARY_DIR}/win64)
  kit_windows(kit_win64 x86_64 ${KIT_WIN64} setup launcher trywalk)
  list(APPEND KIT_DEPENDS kit_win64)
endif()

# Beside the tools in this tree, where setupdist looks first, so the
# built tools work before they are installed.
set(KIT_BESIDE ${CMAKE_BINARY_DIR}/SETUP.EXE ${CMAKE_BINARY_DIR}/LAUNCHER.EXE)
set(KIT_COPY
  COMMAND ${CMAKE_COMMAND} -E copy ${KIT_SETUP_EXE} ${CMAKE_BINARY_DIR}/SETUP.EXE
  COMMAND ${CMAKE_COMMAND} -E copy ${KIT_LAUNCHER} ${CMAKE_BINARY_DIR}/LAUNCHER.EXE)
if(KIT_TRY)
  set(KIT_TRY_SCRIPTS ${CMAKE_SOURCE_DIR}/tools/trywalk/setupdist-try.sh ${CMAKE_SOURCE_DIR}/scripts/wine-env.sh)
  list(APPEND KIT_BESIDE ${CMAKE_BINARY_DIR}/TRYWALK.EXE ${CMAKE_BINARY_DIR}/x86_64/SETUP.EXE
    ${CMAKE_BINARY_DIR}/x86_64/LAUNCHER.EXE ${CMAKE_BINARY_DIR}/x86_64/TRYWALK.EXE)
  list(APPEND KIT_COPY
    COMMAND ${CMAKE_COMMAND} -E copy ${KIT_WIN}/TRYWALK.EXE ${KIT_TRY_SCRIPTS} ${CMAKE_BINARY_DIR}/
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/x86_64
    COMMAND ${CMAKE_COMMAND} -E copy ${KIT_WIN64}/SETUP.EXE ${KIT_WIN64}/LAUNCHER.EXE ${KIT_WIN64}/TRYWALK.EXE
      ${CMAKE_BINARY_DIR}/x86_64/)
  install(FILES ${CMAKE_BINARY_DIR}/TRYWALK.EXE ${CMAKE_SOURCE_DIR}/scripts/wine-env.sh DESTINATION share/setupdist)
  install(PROGRAMS ${CMAKE_SOURCE_DIR}/tools/trywalk/setupdist-try.sh DESTINATION share/setupdist)
  install(FILES ${CMAKE_BINARY_DIR}/x86_64/SETUP.EXE ${CMAKE_BINARY_DIR}/x86_64/LAUNCHER.EXE
    ${CMAKE_BINARY_DIR}/x86_64/TRYWALK.EXE DESTINATION share/setupdist/x86_64)
endif()
set(KIT_SOURCES ${KIT_SETUP_EXE} ${KIT_LAUNCHER})
if(KIT_TRY)
  list(APPEND KIT_SOURCES ${KIT_WIN}/TRYWALK.EXE ${KIT_WIN64}/SETUP.EXE ${KIT_WIN64}/LAUNCHER.EXE
    ${KIT_WIN64}/TRYWALK.EXE ${KIT_TRY_SCRIPTS})
endif()
add_custom_command(OUTPUT ${KIT_BESIDE} ${KIT_COPY} DEPENDS ${KIT_SOURCES} ${KIT_DEPENDS})

# A man page per tool, from its --help and --version.
kit_need(KIT_HELP2MAN help2man help2man)
set(KIT_MAN)
foreach(tool setupdist setupinf-check)
  if(tool STREQUAL setupdist)
    set(what "lay out a distribution for SETUP.EXE, on a folder or as one file")
  else()
    set(what "check a SETUP.INF as SETUP.EXE reads it")
  endif()
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/man/${tool}.1.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${KIT_HELP2MAN} --no-info --section=1 --name=${what} --output=${CMAKE_BINARY_DIR}/man/${tool}.1
      $<TARGET_FILE:${tool}>
    COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/man/${tool}.1
    DEPENDS ${tool} VERBATIM)
  list(APPEND KIT_MAN ${CMAKE_BINARY_DIR}/man/${tool}.1.gz)
endforeach()
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/changelog.gz
  COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/docs/changelog > ${CMAKE_BINARY_DIR}/changelog.gz
  DEPENDS ${CMAKE_SOURCE_DIR}/docs/changelog)
add_custom_target(kit ALL DEPENDS ${KIT_BESIDE} ${KIT_MAN} ${CMAKE_BINARY_DIR}/changelog.gz)

install(FILES ${CMAKE_BINARY_DIR}/SETUP.EXE ${CMAKE_BINARY_DIR}/LAUNCHER.EXE DESTINATION share/setupdist)
install(FILES ${KIT_MAN} DESTINATION share/man/man1)
install(FILES ${CMAKE_BINARY_DIR}/changelog.gz DESTINATION share/doc/setupdist)

# The package target: setupdist_VERSION_ARCH.deb from this tree and
# setupdist-VERSION-win32.zip from the Windows one.
set(CPACK_PACKAGE_NAME setupdist)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Korval")
set(CPACK_PACKAGE_CONTACT "Korval Setup <setup@korval.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "distribution builder for a 32-bit Windows setup program")
# The synopsis is the summary above; this is the long description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "setupdist lays out an installation disk or folder for SETUP.EXE, a small
setup program for 32-bit Windows whose messages are in Simplified Chinese,
from a template and the application's folder, compressing files where that
saves room; with --single-file it also writes the distribution as one
program to download. setupinf-check checks a SETUP.INF as SETUP.EXE reads
it. SETUP.EXE and the one file's launcher come with them.")
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What setupdist --try needs; the rest of the kit runs without.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "wine, wine32, xvfb, xauth, fonts-wqy-microhei, cabextract, locales")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
if(KIT_ZIP)
  list(APPEND CPACK_GENERATOR ZIP)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/KitZip.cmake.in ${CMAKE_BINARY_DIR}/KitZip.cmake @ONLY)
  set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/KitZip.cmake)
endif()
include(CPack)
