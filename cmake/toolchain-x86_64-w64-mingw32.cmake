# Cross build for Windows with the mingw-w64 POSIX-thread compilers.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(ULVO_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${ULVO_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ULVO_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ULVO_TRIPLE}-windres)

# Our own Windows builds of the dependencies live in a prefix outside the build
# trees (scripts/setup builds them).
include(${CMAKE_CURRENT_LIST_DIR}/UlvoCrossRoot.cmake)

# Test programs run through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine/wine-run)

# Static runtime: the module then imports only system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
