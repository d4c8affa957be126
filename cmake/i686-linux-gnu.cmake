# Cross build for 32-bit PCs (Debian i386). An x86-64 kernel runs its
# programs, and so its tests, directly: the build links them statically, so
# that no i386 library need be installed to run them.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KETRAV_CROSS_TRIPLET i686-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)

set(KETRAV_STATIC ON CACHE BOOL "" FORCE)
