# 32-bit x86 Linux build with Debian's cross compiler. It exists to run the
# portable tests as 32-bit code on machines whose kernel cannot run 32-bit
# programs (and so no 32-bit Windows program under Wine): the tests run under
# qemu-i386 instead, with the same floating-point settings and the same math
# library as the 32-bit Windows module.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ULVO_TRIPLE i686-linux-gnu)

set(CMAKE_C_COMPILER ${ULVO_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${ULVO_TRIPLE}-g++)
include(${CMAKE_CURRENT_LIST_DIR}/UlvoSse2Float.cmake)

include(${CMAKE_CURRENT_LIST_DIR}/UlvoCrossRoot.cmake)

# Programs are linked statically: qemu-i386 then needs no 32-bit C library
# installed where the kernel's loader would look for it.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_PROJECT_INCLUDE ${CMAKE_CURRENT_LIST_DIR}/UlvoStaticLibraries.cmake)
