# Cross build of the 64-bit Windows program with mingw-w64 GCC.
#
# The thread model of mingw-w64's runtime: the program starts no thread, and
# the posix model's runtime imports functions that Windows XP lacks, so the
# builds that ship (no tests) use win32. GoogleTest needs std::mutex, which
# GCC 12 has only in the posix model, so the test builds use posix. Set
# KETRAV_MINGW_THREADS to choose otherwise.
if(NOT KETRAV_MINGW_THREADS)
  if(DEFINED BUILD_TESTING AND NOT BUILD_TESTING)
    set(KETRAV_MINGW_THREADS win32)
  else()
    set(KETRAV_MINGW_THREADS posix)
  endif()
endif()
set(KETRAV_MINGW_THREADS ${KETRAV_MINGW_THREADS} CACHE STRING "mingw-w64 thread model: win32 or posix")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KETRAV_MINGW_THREADS)

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-${KETRAV_MINGW_THREADS})
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-${KETRAV_MINGW_THREADS})
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Tests run as Windows programs under Wine, in a prefix of the build's own.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
