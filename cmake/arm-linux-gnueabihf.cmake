# Cross build for 32-bit ARM Linux boards (armhf: Raspberry Pi OS 32-bit and
# Debian armhf); tests run under qemu-user.
set(CMAKE_SYSTEM_PROCESSOR armhf)
set(KETRAV_CROSS_TRIPLET arm-linux-gnueabihf)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm;-L;/usr/arm-linux-gnueabihf)
