# Run at the end of `cmake --install` (and of CPack's install): opens the
# directories that hold KetRAV's files to every user (go+rx), whatever the
# umask they were made under. CMake makes them with the right mode, but
# through mkdir, which the umask cuts: under umask 027 they would be 0750,
# and the BBS's user could reach neither the helpers nor the documents.
# Bits are only ever added, so a prefix's own settings (2775 for
# /usr/local's directories on Debian) stay.
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
foreach(directory IN LISTS directories)
  if(IS_DIRECTORY "${directory}")
    execute_process(COMMAND chmod go+rx "${directory}" RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "install: could not open ${directory} to every user")
    endif()
  endif()
endforeach()
