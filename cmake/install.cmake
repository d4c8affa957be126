# What `cmake --install` puts where.
#   POSIX:   bin/ketrav; libexec/ketrav/{cmd,sort} (private: never bin/cmd or
#            bin/sort); share/man/man1/ketrav.1.gz; share/doc/ketrav/ with
#            the README (and README.ru.md), a sample ketrav.ini, and
#            examples/ (the sample host directory, the cron, systemd and
#            logrotate recipes); the Russian man page in share/man/ru/man1.
#   Windows: ketrav.exe alone (the system's own cmd and sort do the
#            sorting), with a README.txt of its own in CR LF (README.ru.txt
#            in Russian, UTF-8 with a byte-order mark), the sample
#            ketrav.ini, and examples\ (the sample host directory and the
#            Task Scheduler batch files).
# Components: "program" holds the programs, "documents" the rest, so that a
# package can take the programs of two builds and the documents once.

set(KETRAV_SAMPLE_INI ${PROJECT_SOURCE_DIR}/examples/ketrav.ini)

# The man pages take the version from the build: English, and Russian
# (UTF-8, for `man -L ru ketrav`).
configure_file(${PROJECT_SOURCE_DIR}/doc/ketrav.1.in ${CMAKE_BINARY_DIR}/doc/ketrav.1 @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/doc/ketrav.ru.1.in ${CMAKE_BINARY_DIR}/doc/ru/ketrav.1 @ONLY)

if(WIN32)
  install(TARGETS ketrav RUNTIME DESTINATION . COMPONENT program)
  # A README of its own for Windows, in CR LF for Notepad on every Windows.
  configure_file(${PROJECT_SOURCE_DIR}/doc/README-windows.txt.in ${CMAKE_BINARY_DIR}/doc/README.txt @ONLY
                 NEWLINE_STYLE CRLF)
  # In Russian: UTF-8 with a byte-order mark (kept from the source), which
  # Notepad on every Windows from XP needs to tell UTF-8.
  configure_file(${PROJECT_SOURCE_DIR}/doc/README-windows.ru.txt.in ${CMAKE_BINARY_DIR}/doc/README.ru.txt @ONLY
                 NEWLINE_STYLE CRLF)
  install(FILES ${CMAKE_BINARY_DIR}/doc/README.txt ${CMAKE_BINARY_DIR}/doc/README.ru.txt ${KETRAV_SAMPLE_INI}
          DESTINATION . COMPONENT documents)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/bbs DESTINATION examples COMPONENT documents)
  install(FILES ${PROJECT_SOURCE_DIR}/examples/schedule/ketrav-task.cmd
                ${PROJECT_SOURCE_DIR}/examples/schedule/ketrav-post.cmd
                ${PROJECT_SOURCE_DIR}/examples/schedule/ketrav-monthly.cmd
          DESTINATION examples COMPONENT documents)
else()
  install(TARGETS ketrav RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT program)
  install(TARGETS cmd sort RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/ketrav COMPONENT program)
  # The compilers' notes (.comment) are of no use in an installed program;
  # Debian's tools take them out, and so does this install.
  if(CMAKE_OBJCOPY)
    foreach(installed ${CMAKE_INSTALL_BINDIR}/ketrav ${CMAKE_INSTALL_LIBEXECDIR}/ketrav/cmd
                      ${CMAKE_INSTALL_LIBEXECDIR}/ketrav/sort)
      install(CODE "execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment --remove-section=.note
                                    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${installed}\")"
              COMPONENT program)
    endforeach()
  endif()
  # The fortified functions are asked for (-D_FORTIFY_SOURCE=2), but the
  # programs call none with a buffer whose size the compiler can see, so
  # lintian's check finds nothing to count: the override says so.
  install(FILES ${PROJECT_SOURCE_DIR}/cmake/lintian-overrides RENAME ketrav
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides COMPONENT documents)

  # Debian's rules want manuals and changelogs compressed, reproducibly (-n:
  # no name or time stamp in the gzip header).
  find_program(KETRAV_GZIP gzip REQUIRED)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/doc/ketrav.1.gz
                     COMMAND ${KETRAV_GZIP} -9nc ${CMAKE_BINARY_DIR}/doc/ketrav.1 > ${CMAKE_BINARY_DIR}/doc/ketrav.1.gz
                     DEPENDS ${CMAKE_BINARY_DIR}/doc/ketrav.1)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/doc/ru/ketrav.1.gz
                     COMMAND ${KETRAV_GZIP} -9nc ${CMAKE_BINARY_DIR}/doc/ru/ketrav.1 > ${CMAKE_BINARY_DIR}/doc/ru/ketrav.1.gz
                     DEPENDS ${CMAKE_BINARY_DIR}/doc/ru/ketrav.1)
  configure_file(${PROJECT_SOURCE_DIR}/doc/changelog.in ${CMAKE_BINARY_DIR}/doc/changelog @ONLY)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/doc/changelog.gz
                     COMMAND ${KETRAV_GZIP} -9nc ${CMAKE_BINARY_DIR}/doc/changelog > ${CMAKE_BINARY_DIR}/doc/changelog.gz
                     DEPENDS ${CMAKE_BINARY_DIR}/doc/changelog)
  add_custom_target(ketrav_documents ALL DEPENDS ${CMAKE_BINARY_DIR}/doc/ketrav.1.gz
                                                 ${CMAKE_BINARY_DIR}/doc/ru/ketrav.1.gz ${CMAKE_BINARY_DIR}/doc/changelog.gz)

  install(FILES ${CMAKE_BINARY_DIR}/doc/ketrav.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT documents)
  install(FILES ${CMAKE_BINARY_DIR}/doc/ru/ketrav.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/ru/man1 COMPONENT documents)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/README.ru.md ${KETRAV_SAMPLE_INI}
                ${PROJECT_SOURCE_DIR}/doc/copyright
                ${CMAKE_BINARY_DIR}/doc/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/ketrav COMPONENT documents)
  # The sample host directory and the schedule recipes the README names.
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/bbs DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/ketrav/examples
          COMPONENT documents)
  install(FILES ${PROJECT_SOURCE_DIR}/examples/schedule/ketrav.cron ${PROJECT_SOURCE_DIR}/examples/schedule/ketrav.service
                ${PROJECT_SOURCE_DIR}/examples/schedule/ketrav.timer
                ${PROJECT_SOURCE_DIR}/examples/schedule/ketrav.logrotate
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/ketrav/examples/schedule COMPONENT documents)
endif()
