# PNG screenshots of the meter and the pictures, from the BMP files the
# Win32 tests write into build/win/screenshots; runs only after they pass.
add_test(NAME win32.screenshots_png
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/screenshots.sh ${CMAKE_BINARY_DIR}/screenshots)
set_tests_properties(win32.win32_tests PROPERTIES FIXTURES_SETUP screenshots)
set_tests_properties(win32.screenshots_png PROPERTIES FIXTURES_REQUIRED screenshots TIMEOUT 60)
