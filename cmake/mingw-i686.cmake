# Toolchain for the 32-bit Windows target, the shipped SETUP.EXE.
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
