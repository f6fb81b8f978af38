# Where a cross build finds libraries, headers and packages: the compiler's
# own system folder and our builds of the dependencies for the same triple
# (ULVO_TRIPLE, set by the toolchain file); programs come from the build
# machine.
include(${CMAKE_CURRENT_LIST_DIR}/UlvoDepsPrefix.cmake)
set(CMAKE_FIND_ROOT_PATH /usr/${ULVO_TRIPLE} ${ULVO_DEPS_PREFIX}/${ULVO_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
