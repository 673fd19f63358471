# Cross build for 64-bit Windows with the mingw-w64 posix-thread compilers.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include("${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake")
