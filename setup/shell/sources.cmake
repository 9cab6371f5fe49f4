# Entry, start-up, backdrop, installation sequence, messages, hooks.
list(APPEND SETUP_WIN32_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/Shell.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SetupMsg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Sequence.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Hooks.cpp)
list(APPEND SETUP_WIN32_LIBS shlwapi)
list(APPEND SETUP_INCLUDE_DIRS ${CMAKE_CURRENT_LIST_DIR})
list(APPEND SETUP_MAIN_SOURCES ${CMAKE_CURRENT_LIST_DIR}/WinMain.cpp)
