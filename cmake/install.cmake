# What `cmake --install` puts where.
#   POSIX:   bin/ketrav; libexec/ketrav/{cmd,sort} (private: never bin/cmd or
#            bin/sort); share/man/man1/ketrav.1.gz; share/doc/ketrav/ with
#            the README and a sample ketrav.ini.
#   Windows: ketrav.exe alone (the system's own cmd and sort do the
#            sorting), with README.txt in CR LF and the sample ketrav.ini.
# Components: "program" holds the programs, "documents" the rest, so that a
# package can take the programs of two builds and the documents once.

set(KETRAV_SAMPLE_INI ${PROJECT_SOURCE_DIR}/examples/ketrav.ini)

# The man page takes the version from the build.
configure_file(${PROJECT_SOURCE_DIR}/doc/ketrav.1.in ${CMAKE_BINARY_DIR}/doc/ketrav.1 @ONLY)

if(WIN32)
  install(TARGETS ketrav RUNTIME DESTINATION . COMPONENT program)
  # Notepad and every Windows editor read CR LF.
  configure_file(${PROJECT_SOURCE_DIR}/README.md ${CMAKE_BINARY_DIR}/doc/README.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${CMAKE_BINARY_DIR}/doc/README.txt ${KETRAV_SAMPLE_INI} DESTINATION . COMPONENT documents)
else()
  install(TARGETS ketrav RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT program)
  install(TARGETS cmd sort RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/ketrav COMPONENT program)

  # Debian's rules want manuals and changelogs compressed, reproducibly (-n:
  # no name or time stamp in the gzip header).
  find_program(KETRAV_GZIP gzip REQUIRED)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/doc/ketrav.1.gz
                     COMMAND ${KETRAV_GZIP} -9nc ${CMAKE_BINARY_DIR}/doc/ketrav.1 > ${CMAKE_BINARY_DIR}/doc/ketrav.1.gz
                     DEPENDS ${CMAKE_BINARY_DIR}/doc/ketrav.1)
  configure_file(${PROJECT_SOURCE_DIR}/doc/changelog.in ${CMAKE_BINARY_DIR}/doc/changelog @ONLY)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/doc/changelog.gz
                     COMMAND ${KETRAV_GZIP} -9nc ${CMAKE_BINARY_DIR}/doc/changelog > ${CMAKE_BINARY_DIR}/doc/changelog.gz
                     DEPENDS ${CMAKE_BINARY_DIR}/doc/changelog)
  add_custom_target(ketrav_documents ALL DEPENDS ${CMAKE_BINARY_DIR}/doc/ketrav.1.gz ${CMAKE_BINARY_DIR}/doc/changelog.gz)

  install(FILES ${CMAKE_BINARY_DIR}/doc/ketrav.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT documents)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md ${KETRAV_SAMPLE_INI} ${PROJECT_SOURCE_DIR}/doc/copyright
                ${CMAKE_BINARY_DIR}/doc/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/ketrav COMPONENT documents)
endif()
