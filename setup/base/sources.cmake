# The shared base every part builds on: the types of both builds, the
# consistency checks and the code page's text and path helpers (pure, with
# their two platform layers), and the program's globals with the message
# helper and dialog placement (Win32).
list(APPEND SETUP_PURE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/SetupCheck.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SetupText.cpp)
list(APPEND SETUP_HOST_LAYER ${CMAKE_CURRENT_LIST_DIR}/SetupOsHost.cpp)
list(APPEND SETUP_WIN32_LAYER ${CMAKE_CURRENT_LIST_DIR}/SetupOsWin32.cpp)
list(APPEND SETUP_WIN32_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/SetupGlobals.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SetupMsg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SystemDll.cpp)
list(APPEND SETUP_INCLUDE_DIRS ${CMAKE_CURRENT_LIST_DIR})
