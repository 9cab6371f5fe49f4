# Tests that end what the others rely on (Wine's Program Manager server,
# the session itself): their own program, run after every other test.
add_executable(setup_reboot WIN32 ${SETUP_MAIN_SOURCES} ${SETUP_RC_SOURCES}
  ${CMAKE_SOURCE_DIR}/tests/win32/endgame/RebootHooks.cpp)
set_target_properties(setup_reboot PROPERTIES OUTPUT_NAME SETUP_REBOOT SUFFIX .EXE LINKER_LANGUAGE CXX)
target_include_directories(setup_reboot PRIVATE ${SETUP_INCLUDE_DIRS})
target_compile_options(setup_reboot PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${SETUP_WARNINGS}>)
target_link_libraries(setup_reboot setupwin)
target_link_options(setup_reboot PRIVATE ${STATIC_RUNTIME})

add_wine_gtest(win32_endgame ${CMAKE_SOURCE_DIR}/tests/win32/endgame/EndgameTest.cpp)
add_dependencies(win32_endgame setup_reboot)
set_tests_properties(win32.win32_endgame PROPERTIES
  DEPENDS "win32.win32_tests;win32.checker_matches_host;win32.screenshots_png")
