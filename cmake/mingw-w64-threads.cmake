# For both mingw-w64 toolchain files: the thread model of mingw-w64's
# runtime. The program starts no thread, and the posix model's runtime
# imports functions that Windows XP lacks, so the builds that ship (no
# tests) use win32. GoogleTest needs std::mutex, which GCC 12 has only in the
# posix model, so the test builds use posix. Set KETRAV_MINGW_THREADS to
# choose otherwise.
if(NOT KETRAV_MINGW_THREADS)
  if(DEFINED BUILD_TESTING AND NOT BUILD_TESTING)
    set(KETRAV_MINGW_THREADS win32)
  else()
    set(KETRAV_MINGW_THREADS posix)
  endif()
endif()
set(KETRAV_MINGW_THREADS ${KETRAV_MINGW_THREADS} CACHE STRING "mingw-w64 thread model: win32 or posix")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KETRAV_MINGW_THREADS)
