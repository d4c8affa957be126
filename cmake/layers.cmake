# ketrav_layer(): one layer of the program as a static library whose link
# line says which layers it may use.
#
# A layer's headers are reachable only through forwarding headers that the
# build writes: its PUBLIC_HEADERS under build/include/<layer>/, which every
# user of the layer sees, and its PRIVATE_HEADERS under
# build/private/<layer>/, which only the layer itself sees. Nothing puts
# src/ itself on an include path, so a file that includes a header of a
# layer it does not link, or another layer's private header, fails to build.
#
#   ketrav_layer(name
#     PUBLIC_HEADERS  layer/x.h ...   seen by the layer and its users
#     PRIVATE_HEADERS layer/y.h ...   seen by the layer alone
#     SOURCES         layer/x.cpp ... (paths under src/)
#     USES            lib ...         layers its public headers build on
#     USES_PRIVATELY  lib ...)        layers only its sources call

# Our own code's build options: C++20, the warnings, the sanitizers when
# asked for, and on Windows a self-contained executable.
add_library(ketrav_options INTERFACE)
target_compile_features(ketrav_options INTERFACE cxx_std_20)
target_compile_options(ketrav_options INTERFACE -Wall -Wextra -Wpedantic)
# Every warning stops our own builds; a distribution's build with a newer
# compiler keeps them as warnings (debian/rules turns this off).
option(KETRAV_WARNINGS_AS_ERRORS "Make every compiler warning an error" ON)
if(KETRAV_WARNINGS_AS_ERRORS)
  target_compile_options(ketrav_options INTERFACE -Werror)
endif()
if(KETRAV_SANITIZE)
  target_compile_options(ketrav_options INTERFACE -fsanitize=address,undefined -fno-sanitize-recover=all
                                                  -fno-omit-frame-pointer)
  target_link_options(ketrav_options INTERFACE -fsanitize=address,undefined)
endif()
if(KETRAV_FUZZ)
  # Coverage counters in every layer, for libFuzzer to steer by.
  target_compile_options(ketrav_options INTERFACE -fsanitize=fuzzer-no-link)
endif()
option(KETRAV_COVERAGE "Count line and branch coverage (gcov), for make coverage" OFF)
if(KETRAV_COVERAGE)
  target_compile_options(ketrav_options INTERFACE --coverage)
  target_link_options(ketrav_options INTERFACE --coverage -Wl,--wrap=_exit)
  # In every program, the tests' too: their GoogleTest ends through _exit
  # as well, and an object of the program's own is linked whatever the
  # order of the libraries.
  target_sources(ketrav_options INTERFACE
                 $<$<STREQUAL:$<TARGET_PROPERTY:TYPE>,EXECUTABLE>:${PROJECT_SOURCE_DIR}/cmake/coverage-exit.cpp>)
endif()
if(WIN32)
  # No MinGW runtime DLLs to ship beside ketrav.exe.
  target_link_options(ketrav_options INTERFACE -static -static-libgcc -static-libstdc++)
else()
  # Debian's hardening: checked buffers where the compiler can tell their
  # size (it needs optimisation), a stack guard, and relocations resolved
  # at start and then read-only.
  target_compile_options(ketrav_options INTERFACE -fstack-protector-strong
    $<$<OR:$<CONFIG:Release>,$<CONFIG:RelWithDebInfo>,$<CONFIG:MinSizeRel>>:-D_FORTIFY_SOURCE=2>)
  target_link_options(ketrav_options INTERFACE -Wl,-z,relro -Wl,-z,now)
  if(KETRAV_STATIC)
    # Programs that need no C library of the system's: one .deb runs on
    # every glibc from Debian 11's on (ARCHITECTURE.md says why), still
    # position-independent where the C library allows it (armhf's does not).
    include(CheckLinkerFlag)
    check_linker_flag(CXX -static-pie KETRAV_HAVE_STATIC_PIE)
    if(KETRAV_HAVE_STATIC_PIE)
      target_link_options(ketrav_options INTERFACE -static-pie)
    else()
      target_link_options(ketrav_options INTERFACE -static)
    endif()
  endif()
endif()

# The static Linux programs, which the packages ship, are optimised whole at
# link time: most of a run is calls from one layer to the next (a line
# read, a record written, each through the services and the OS layer), and
# on a 32-bit PC those calls cost a tenth of the run (ARCHITECTURE.md). The
# layers' objects carry machine code beside the intermediate code, so the
# tests link them as they are, without a whole-program pass each.
option(KETRAV_LINK_TIME_OPTIMIZATION "Optimise the programs whole at link time" ${KETRAV_STATIC})
function(ketrav_whole_program_code target)
  if(KETRAV_LINK_TIME_OPTIMIZATION)
    target_compile_options(${target} PRIVATE -flto=auto -ffat-lto-objects)
  endif()
endfunction()
function(ketrav_program target)
  ketrav_whole_program_code(${target})
  if(KETRAV_LINK_TIME_OPTIMIZATION)
    target_link_options(${target} PRIVATE -flto=auto)
  endif()
endfunction()

function(ketrav_forward_headers root)
  foreach(header ${ARGN})
    file(GENERATE OUTPUT ${root}/${header}
         CONTENT "// Generated: forwards to the layer's header in the source tree.\n#include \"${PROJECT_SOURCE_DIR}/src/${header}\"\n")
  endforeach()
endfunction()

function(ketrav_layer name)
  cmake_parse_arguments(arg "" "" "PUBLIC_HEADERS;PRIVATE_HEADERS;SOURCES;USES;USES_PRIVATELY" ${ARGN})
  list(TRANSFORM arg_SOURCES PREPEND ${PROJECT_SOURCE_DIR}/src/)
  add_library(${name} STATIC ${arg_SOURCES})
  ketrav_forward_headers(${CMAKE_BINARY_DIR}/include/${name} ${arg_PUBLIC_HEADERS})
  ketrav_forward_headers(${CMAKE_BINARY_DIR}/private/${name} ${arg_PRIVATE_HEADERS})
  target_include_directories(${name} PUBLIC ${CMAKE_BINARY_DIR}/include/${name}
                                      PRIVATE ${CMAKE_BINARY_DIR}/private/${name})
  target_link_libraries(${name} PUBLIC ${arg_USES} PRIVATE ${arg_USES_PRIVATELY} ketrav_options)
  ketrav_whole_program_code(${name})
endfunction()
