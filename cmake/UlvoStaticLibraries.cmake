# Included after every project() of a build with the 32-bit Linux toolchain:
# its programs are linked statically, so libraries are looked for as static
# archives only (the platform's default would find libm.so first).
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
