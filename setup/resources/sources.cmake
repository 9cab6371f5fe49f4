# Dialog templates, bitmaps and the string table of SETUP.EXE.
list(APPEND SETUP_RC_SOURCES ${CMAKE_CURRENT_LIST_DIR}/setup.rc)
list(APPEND SETUP_INCLUDE_DIRS ${CMAKE_CURRENT_LIST_DIR})
# windres does not see the pictures as dependencies of the script.
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/setup.rc PROPERTIES OBJECT_DEPENDS
  "${CMAKE_CURRENT_LIST_DIR}/BACK.BMP;${CMAKE_CURRENT_LIST_DIR}/SETUP.BMP;${CMAKE_CURRENT_LIST_DIR}/STATUS.BMP;${CMAKE_CURRENT_LIST_DIR}/resource.h")
