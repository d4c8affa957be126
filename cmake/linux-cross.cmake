# Shared by the Linux cross toolchain files: the compilers of the Debian
# cross package for KETRAV_CROSS_TRIPLET, and the target's own root for its
# headers and libraries (never for the programs the build runs).
set(CMAKE_SYSTEM_NAME Linux)

set(CMAKE_C_COMPILER ${KETRAV_CROSS_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${KETRAV_CROSS_TRIPLET}-g++)

set(CMAKE_FIND_ROOT_PATH /usr/${KETRAV_CROSS_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
