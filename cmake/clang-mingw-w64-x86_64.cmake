# Cross-compiles for 64-bit Windows with Debian's clang and lld, against the same mingw-w64 headers
# and libraries, and the same libstdc++ (posix threads flavour), as the GCC build: a second
# compiler's view of the same code.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER clang)
set(CMAKE_C_COMPILER_TARGET x86_64-w64-mingw32)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET x86_64-w64-mingw32)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_SYSROOT /usr/x86_64-w64-mingw32)

# Clang doesn't find Debian's "12-posix" GCC folder by itself: its libstdc++ headers and its
# libraries (libstdc++, libgcc) are named here, and winpthreads, which GCC's posix flavour links.
file(GLOB gcc_folders /usr/lib/gcc/x86_64-w64-mingw32/*-posix)
list(GET gcc_folders -1 gcc_folder)
set(libstdcxx ${gcc_folder}/include/c++)
set(CMAKE_CXX_FLAGS_INIT
    "-isystem ${libstdcxx} -isystem ${libstdcxx}/x86_64-w64-mingw32 -isystem ${libstdcxx}/backward")
foreach(kind EXE SHARED MODULE)
    set(CMAKE_${kind}_LINKER_FLAGS_INIT "-fuse-ld=lld -L${gcc_folder}")
endforeach()
set(CMAKE_CXX_STANDARD_LIBRARIES "-lpthread")

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
