# What both cross builds share: the mingw-w64 posix-thread compilers for the processor that
# the including toolchain file sets (CMAKE_SYSTEM_PROCESSOR), and where their libraries lie.
set(CMAKE_SYSTEM_NAME Windows)

set(NB_TOOL_PREFIX ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
set(CMAKE_C_COMPILER ${NB_TOOL_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${NB_TOOL_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${NB_TOOL_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${NB_TOOL_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
