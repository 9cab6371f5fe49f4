# Dialog templates, bitmaps and the string table of SETUP.EXE.
list(APPEND SETUP_RC_SOURCES ${CMAKE_CURRENT_LIST_DIR}/setup.rc)
list(APPEND SETUP_INCLUDE_DIRS ${CMAKE_CURRENT_LIST_DIR})
