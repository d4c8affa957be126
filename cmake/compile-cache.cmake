# KETRAV_COMPILE_CACHE: compile through ccache, when it is installed, so
# that a tree built again from the same sources (a fresh clone's
# `make check` after an earlier one on this machine) takes each object
# from the cache instead of compiling it anew. The presets' trees turn it
# on; the reproducibility check's second build turns it off, so that it
# compiles everything and compares real output.
#
# The cache is shared by every clone: paths under the source tree are made
# relative (CCACHE_BASEDIR) and the build directory is left out of the key
# (CCACHE_NOHASHDIR), so two clones hit each other's objects (the debug
# information of the sanitizer tree may then name the other clone's build
# directory). GoogleTest's header is precompiled (included with -include),
# which ccache takes only with the sloppiness below.
option(KETRAV_COMPILE_CACHE "Compile through ccache when it is installed" OFF)
if(KETRAV_COMPILE_CACHE)
  find_program(KETRAV_CCACHE ccache)
  if(KETRAV_CCACHE)
    set(CMAKE_CXX_COMPILER_LAUNCHER
        ${CMAKE_COMMAND} -E env CCACHE_BASEDIR=${PROJECT_SOURCE_DIR} CCACHE_NOHASHDIR=1
        CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime ${KETRAV_CCACHE})
  endif()
endif()
