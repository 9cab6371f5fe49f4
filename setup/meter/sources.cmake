# The percentage meter control: its figures (pure) and the window class.
list(APPEND SETUP_PURE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/meterfig.cpp)
list(APPEND SETUP_WIN32_SOURCES ${CMAKE_CURRENT_LIST_DIR}/meter.cpp)
list(APPEND SETUP_WIN32_LIBS gdi32)
list(APPEND SETUP_INCLUDE_DIRS ${CMAKE_CURRENT_LIST_DIR})
