# Cross build for 32-bit Windows with the mingw-w64 posix-thread compilers.
set(CMAKE_SYSTEM_PROCESSOR i686)
include("${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake")
