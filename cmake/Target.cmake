# The Windows target build, tests run under Wine: MinGW-w64 i686 (the
# shipped SETUP.EXE, build/win) or x86-64 (the same sources, build/win64,
# for machines whose Wine cannot run 32-bit programs).
enable_language(RC)

# scripts/wine-env.sh reads which Wine runs this tree.
file(WRITE ${CMAKE_BINARY_DIR}/wine-arch "${CMAKE_SYSTEM_PROCESSOR}")
# The file that ships is the i686 one; tests about the file itself read it.
set(SETUP_SHIPPED_EXE ${CMAKE_BINARY_DIR}/SETUP.EXE CACHE FILEPATH "The i686 SETUP.EXE that ships")

# One file that runs from a bare folder: no runtime DLL beside it.
set(STATIC_RUNTIME -static -static-libgcc -static-libstdc++)

# SETUP.EXE is C-level code: no exceptions or run-time types, small code,
# and every function in a section of its own so the linker drops what is
# not called.
set(SETUP_SMALL -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -Os
  -ffunction-sections -D__USE_MINGW_ANSI_STDIO=0)

add_library(setupcore STATIC ${SETUP_PURE_SOURCES} ${SETUP_WIN32_LAYER})
target_include_directories(setupcore PUBLIC ${SETUP_INCLUDE_DIRS})
target_compile_options(setupcore PRIVATE ${SETUP_WARNINGS} ${SETUP_SMALL})

# Everything of SETUP.EXE but its entry, hooks and resources, so test
# programs can link it.
add_library(setupwin STATIC ${SETUP_WIN32_SOURCES})
target_compile_options(setupwin PRIVATE ${SETUP_WARNINGS} ${SETUP_SMALL})
target_link_libraries(setupwin PUBLIC setupcore ${SETUP_WIN32_LIBS})

# add_setup_exe(TARGET NAME HOOKS...) - a SETUP.EXE with the given hooks:
# the neutral ones, or a publisher's own.
function(add_setup_exe target name)
  add_executable(${target} WIN32 ${SETUP_MAIN_SOURCES} ${ARGN} ${SETUP_RC_SOURCES})
  set_target_properties(${target} PROPERTIES OUTPUT_NAME ${name} SUFFIX .EXE LINKER_LANGUAGE CXX)
  target_include_directories(${target} PRIVATE ${SETUP_INCLUDE_DIRS})
  target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${SETUP_WARNINGS} ${SETUP_SMALL}>)
  target_link_libraries(${target} setupwin)
  target_link_options(${target} PRIVATE ${STATIC_RUNTIME} -Wl,--gc-sections)
endfunction()

add_setup_exe(setup SETUP ${SETUP_HOOK_SOURCES})
# Shipped on a disk: no symbol tables.
target_link_options(setup PRIVATE -s)

# add_wine_test(NAME COMMAND...) - a test that runs programs under this
# tree's own Wine prefix.
function(add_wine_test name)
  add_test(NAME ${name} COMMAND ${ARGN})
  set_tests_properties(${name} PROPERTIES TIMEOUT 300 ENVIRONMENT BUILD_WIN=${CMAKE_BINARY_DIR})
endfunction()

# The shipped file checked on Linux, where no Wine is needed: i386, GUI,
# system DLLs only, its resources present.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  add_test(NAME linux.shipped_setup_exe
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-pe.sh $<TARGET_FILE:setup>)
  set_tests_properties(linux.shipped_setup_exe PROPERTIES LABELS linux)
endif()
