# The shared base every part builds on: types for the host build, the
# consistency checks (pure), and the program's globals with the message
# helper and dialog placement (Win32).
list(APPEND SETUP_PURE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/SetupCheck.cpp)
list(APPEND SETUP_WIN32_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/SetupGlobals.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SetupMsg.cpp)
list(APPEND SETUP_WIN32_LIBS shlwapi)
list(APPEND SETUP_INCLUDE_DIRS ${CMAKE_CURRENT_LIST_DIR})
