# Cross-builds for Windows with mingw-w64, for the architecture that PELORIN_WINDOWS_ARCH names:
# x64 (the default) or x86. The -posix compilers have the C++ thread support that GoogleTest
# needs; with -static no winpthread DLL is needed at run time.
set(PELORIN_WINDOWS_ARCH x64 CACHE STRING "The Windows architecture to build for: x64 or x86")
set_property(CACHE PELORIN_WINDOWS_ARCH PROPERTY STRINGS x64 x86)
# The checks that CMake compiles while it configures build for the same architecture.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES PELORIN_WINDOWS_ARCH)
if(PELORIN_WINDOWS_ARCH STREQUAL "x64")
    set(CMAKE_SYSTEM_PROCESSOR AMD64)
    set(target x86_64-w64-mingw32)
elseif(PELORIN_WINDOWS_ARCH STREQUAL "x86")
    set(CMAKE_SYSTEM_PROCESSOR X86)
    set(target i686-w64-mingw32)
else()
    message(FATAL_ERROR "PELORIN_WINDOWS_ARCH is ${PELORIN_WINDOWS_ARCH}: x64 or x86")
endif()
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${target}-gcc-posix)
set(CMAKE_CXX_COMPILER ${target}-g++-posix)
set(CMAKE_RC_COMPILER ${target}-windres)
# The build's own tools come from the same toolchain: 32-bit names differ from 64-bit ones.
set(CMAKE_DLLTOOL ${target}-dlltool)
set(CMAKE_NM ${target}-nm)
set(CMAKE_OBJDUMP ${target}-objdump)
set(CMAKE_FIND_ROOT_PATH /usr/${target})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
