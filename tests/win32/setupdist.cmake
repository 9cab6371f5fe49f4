# The builder's Win32 tests expand the compressor's output with the LZ
# service and run setupdist.exe.
target_sources(win32_tests PRIVATE ${SETUPDIST_DIR}/Szdd.cpp)
target_include_directories(win32_tests PRIVATE ${SETUPDIST_DIR})
add_dependencies(win32_tests setupdist)
