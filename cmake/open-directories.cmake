# Run twice by `cmake --install` (and by CPack's install): before anything is
# installed (KETRAV_INSTALL_STEP "before"), it notes which directories that
# are to hold KetRAV's files are there already; at the end ("after"), it
# opens to every user (go+rx) the ones the install made, whatever the umask
# they were made under. CMake makes them with the right mode, but through
# mkdir, which the umask cuts: under umask 027 they would be 0750, and the
# BBS's user could reach neither the helpers nor the documents. A directory
# that was there before keeps its mode: a prefix of the user's own (0700,
# say), or a directory of theirs below bin/, is none of the install's
# business, and neither is /usr/local's 2775.
#   KETRAV_INSTALLED_DIRECTORIES: the directories, relative to the prefix.
set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(directories "${root}")
foreach(relative IN LISTS KETRAV_INSTALLED_DIRECTORIES)
  set(path "${root}")
  string(REPLACE "/" ";" parts "${relative}")
  foreach(part IN LISTS parts)
    set(path "${path}/${part}")
    list(APPEND directories "${path}")
  endforeach()
  file(GLOB_RECURSE below LIST_DIRECTORIES true "${path}/*")
  foreach(entry IN LISTS below)
    if(IS_DIRECTORY "${entry}")
      list(APPEND directories "${entry}")
    endif()
  endforeach()
endforeach()
list(REMOVE_DUPLICATES directories)

if(KETRAV_INSTALL_STEP STREQUAL "before")
  set(KETRAV_DIRECTORIES_BEFORE "")
  foreach(directory IN LISTS directories)
    if(IS_DIRECTORY "${directory}")
      list(APPEND KETRAV_DIRECTORIES_BEFORE "${directory}")
    endif()
  endforeach()
  return()
endif()

foreach(directory IN LISTS directories)
  list(FIND KETRAV_DIRECTORIES_BEFORE "${directory}" there_before)
  if(IS_DIRECTORY "${directory}" AND there_before EQUAL -1)
    execute_process(COMMAND chmod go+rx "${directory}" RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "install: could not open ${directory} to every user")
    endif()
  endif()
endforeach()
