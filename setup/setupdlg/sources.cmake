# The dialogs of the installation steps and the copy loops.
list(APPEND SETUP_PURE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/DestPath.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CopyPath.cpp)
list(APPEND SETUP_WIN32_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/WelcomeDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DestDirDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DlgPicture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProgressDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WorkLoop.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CopyFiles.cpp)
list(APPEND SETUP_INCLUDE_DIRS ${CMAKE_CURRENT_LIST_DIR})
