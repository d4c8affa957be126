# Every object, library and program is written under a name of its own
# (`.part` after its name) and renamed into place only once whole. A
# build killed at any moment (a clock, Ctrl-C, kill -9 of its process
# group, a power cut), which no compiler or linker can clean up after,
# then leaves no half-written file with a new time stamp that make would
# take for up to date: the next build makes it again. A compile rule is
# one shell line (hence `&&`); a link or archive rule is a list of
# commands that CMake runs one after the other, stopping at a failure,
# without a shell, so its steps are CMake's own.
set(ketrav_rename "\"${CMAKE_COMMAND}\" -E rename")
foreach(lang IN ITEMS CXX C)
  if(DEFINED CMAKE_${lang}_COMPILE_OBJECT)
    string(REPLACE "-o <OBJECT>" "-o <OBJECT>.part" rule "${CMAKE_${lang}_COMPILE_OBJECT}")
    set(CMAKE_${lang}_COMPILE_OBJECT "${rule} && mv -f <OBJECT>.part <OBJECT>")
  endif()
  if(DEFINED CMAKE_${lang}_LINK_EXECUTABLE)
    string(REPLACE "-o <TARGET>" "-o <TARGET>.part" rule "${CMAKE_${lang}_LINK_EXECUTABLE}")
    set(CMAKE_${lang}_LINK_EXECUTABLE "${rule}" "${ketrav_rename} <TARGET>.part <TARGET>")
  endif()
  # An archive is made in steps (create, append, finish), all on the
  # `.part`, which a killed build may have left and `qc` would add to.
  if(DEFINED CMAKE_${lang}_ARCHIVE_CREATE)
    foreach(step IN ITEMS CREATE APPEND FINISH)
      string(REPLACE "<TARGET>" "<TARGET>.part" rule_${step} "${CMAKE_${lang}_ARCHIVE_${step}}")
    endforeach()
    set(CMAKE_${lang}_ARCHIVE_CREATE "\"${CMAKE_COMMAND}\" -E rm -f <TARGET>.part" "${rule_CREATE}")
    set(CMAKE_${lang}_ARCHIVE_APPEND "${rule_APPEND}")
    set(CMAKE_${lang}_ARCHIVE_FINISH ${rule_FINISH} "${ketrav_rename} <TARGET>.part <TARGET>")
  endif()
endforeach()
unset(ketrav_rename)
