# The Linux host build: the platform-free code as a library, plain and
# with AddressSanitizer and UBSan.
set(SANITIZE_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

function(add_setup_core name)
  add_library(${name} STATIC ${SETUP_PURE_SOURCES} ${SETUP_HOST_LAYER})
  target_include_directories(${name} PUBLIC ${SETUP_INCLUDE_DIRS})
  target_compile_options(${name} PRIVATE ${SETUP_WARNINGS} ${ARGN})
  target_link_options(${name} PUBLIC ${ARGN})
endfunction()

add_setup_core(setupcore)
add_setup_core(setupcore_asan ${SANITIZE_FLAGS})
