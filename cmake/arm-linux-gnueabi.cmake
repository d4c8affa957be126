# Cross build for 32-bit ARM Linux boards, every one from ARMv5TE on: the
# armhf .deb's programs (Raspberry Pi OS 32-bit and Debian armhf), the Pi
# Zero and 1 (ARMv6) among them. Debian's armhf toolchain and its static C
# library are ARMv7 with Thumb-2, which an ARMv6 CPU cannot run; the armel
# toolchain's are ARMv5TE, which every later ARM runs, and a static program
# asks nothing of the system's own libraries or their float ABI
# (ARCHITECTURE.md). Tests run under qemu-user as an ARM1176, the Pi Zero's
# CPU.
set(CMAKE_SYSTEM_PROCESSOR armv5te)
set(KETRAV_CROSS_TRIPLET arm-linux-gnueabi)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)

set(KETRAV_STATIC ON CACHE BOOL "" FORCE)
set(KETRAV_DEB_ARCHITECTURE armhf CACHE STRING "Debian architecture of the .deb")
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm;-cpu;arm1176;-L;/usr/arm-linux-gnueabi)
