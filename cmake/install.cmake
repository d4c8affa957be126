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

# The same modes whatever the installer's or the builder's umask: 0755
# directories and programs, 0644 files, so that the helpers and the
# documents are open to every user (the BBS's among them).
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                                WORLD_READ WORLD_EXECUTE)
set(ketrav_file_permissions FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
set(ketrav_directory_permissions DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})

# The man pages take the version from the build: English, and Russian
# (UTF-8, for `man -L ru ketrav`). They say how the programs they come with
# were linked: statically for the release's .deb files, dynamically for a
# build from source (the Debian source package among them).
set(ketrav_static_note_en [=[The .deb packages, for amd64, i386, arm64 and armhf, hold statically
linked programs: they run on Debian 11 and later, Ubuntu 20.04 and
later, and Raspberry Pi OS bullseye and bookworm, 32- and 64-bit.]=])
set(ketrav_static_note_ru [=[В пакетах .deb, для amd64, i386, arm64 и armhf, программы собраны
статически: они работают в Debian\~11 и новее, Ubuntu 20.04 и новее и
Raspberry Pi OS bullseye и bookworm, 32- и 64-битной.]=])
if(KETRAV_STATIC)
  set(KETRAV_LINKING_NOTE "${ketrav_static_note_en}")
  set(KETRAV_LINKING_NOTE_RU "${ketrav_static_note_ru}")
else()
  set(KETRAV_LINKING_NOTE [=[These programs are linked dynamically with the libraries of the system
they were built on (a build from source, or the Debian source package),
and run where those libraries are.
]=])
  string(APPEND KETRAV_LINKING_NOTE "${ketrav_static_note_en}")
  set(KETRAV_LINKING_NOTE_RU [=[Эти программы собраны динамически с библиотеками системы, на которой
их собрали (сборка из исходников или пакет исходников Debian), и
работают там, где есть эти библиотеки.
]=])
  string(APPEND KETRAV_LINKING_NOTE_RU "${ketrav_static_note_ru}")
endif()
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
  # What changed, written for Windows, and the licences of the runtime
  # every ketrav.exe carries, in CR LF too.
  foreach(text CHANGES NOTICES)
    file(READ ${PROJECT_SOURCE_DIR}/doc/${text}-windows.txt.in content)
    string(CONFIGURE "${content}" content @ONLY)
    string(REPLACE "\n" "\r\n" content "${content}")
    file(WRITE ${CMAKE_BINARY_DIR}/doc/${text}.txt "${content}")
  endforeach()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/doc/CHANGES-windows.txt.in
               ${PROJECT_SOURCE_DIR}/doc/NOTICES-windows.txt.in)
  install(FILES ${CMAKE_BINARY_DIR}/doc/README.txt ${CMAKE_BINARY_DIR}/doc/README.ru.txt ${KETRAV_SAMPLE_INI}
                ${CMAKE_BINARY_DIR}/doc/CHANGES.txt ${CMAKE_BINARY_DIR}/doc/NOTICES.txt
          DESTINATION . COMPONENT documents)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/bbs DESTINATION examples COMPONENT documents
          ${ketrav_file_permissions} ${ketrav_directory_permissions})
  install(FILES ${PROJECT_SOURCE_DIR}/examples/schedule/ketrav-task.cmd
                ${PROJECT_SOURCE_DIR}/examples/schedule/ketrav-post.cmd
                ${PROJECT_SOURCE_DIR}/examples/schedule/ketrav-monthly.cmd
          DESTINATION examples COMPONENT documents)
else()
  # The directories that hold one of these files: those this install makes
  # are opened to every user at its end, whatever the umask; those that are
  # there already keep their mode (a private prefix stays private). First,
  # which of them are there.
  set(installed_directories ${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_LIBEXECDIR}/ketrav ${CMAKE_INSTALL_MANDIR}/man1
                            ${CMAKE_INSTALL_MANDIR}/ru/man1 ${CMAKE_INSTALL_DATAROOTDIR}/doc/ketrav)
  if(KETRAV_STATIC)
    list(APPEND installed_directories ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides)
  endif()
  install(CODE "set(KETRAV_INSTALLED_DIRECTORIES \"${installed_directories}\")\nset(KETRAV_INSTALL_STEP before)")
  install(SCRIPT ${PROJECT_SOURCE_DIR}/cmake/open-directories.cmake)

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
  # Statically linked programs, as the packages ship them: lintian is told
  # that this is on purpose, in the words of the way they were linked.
  if(KETRAV_STATIC)
    if(KETRAV_HAVE_STATIC_PIE)
      set(KETRAV_STATIC_LINTIAN_TAG shared-library-lacks-prerequisites)
    else()
      set(KETRAV_STATIC_LINTIAN_TAG statically-linked-binary)
    endif()
    configure_file(${PROJECT_SOURCE_DIR}/cmake/lintian-overrides.in ${CMAKE_BINARY_DIR}/doc/lintian-overrides @ONLY)
    install(FILES ${CMAKE_BINARY_DIR}/doc/lintian-overrides RENAME ketrav
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides COMPONENT documents)
  endif()

  # Debian's rules want manuals and changelogs compressed, reproducibly (-n:
  # no name or time stamp in the gzip header); each written whole before
  # it takes its name, as every output of the build is.
  find_program(KETRAV_GZIP gzip REQUIRED)
  function(ketrav_gzip input output)
    add_custom_command(OUTPUT ${output} COMMAND ${KETRAV_GZIP} -9nc ${input} > ${output}.part
                       COMMAND mv -f ${output}.part ${output} DEPENDS ${input})
  endfunction()
  ketrav_gzip(${CMAKE_BINARY_DIR}/doc/ketrav.1 ${CMAKE_BINARY_DIR}/doc/ketrav.1.gz)
  ketrav_gzip(${CMAKE_BINARY_DIR}/doc/ru/ketrav.1 ${CMAKE_BINARY_DIR}/doc/ru/ketrav.1.gz)
  # The package's own changelog: a Debian revision makes it
  # changelog.Debian.gz.
  ketrav_gzip(${PROJECT_SOURCE_DIR}/debian/changelog ${CMAKE_BINARY_DIR}/doc/changelog.Debian.gz)
  # What an upgrade asks of the sysop, where apt-listchanges reads it.
  ketrav_gzip(${PROJECT_SOURCE_DIR}/debian/NEWS ${CMAKE_BINARY_DIR}/doc/NEWS.Debian.gz)
  add_custom_target(ketrav_documents ALL DEPENDS ${CMAKE_BINARY_DIR}/doc/ketrav.1.gz
                                                 ${CMAKE_BINARY_DIR}/doc/ru/ketrav.1.gz
                                                 ${CMAKE_BINARY_DIR}/doc/changelog.Debian.gz
                                                 ${CMAKE_BINARY_DIR}/doc/NEWS.Debian.gz)

  install(FILES ${CMAKE_BINARY_DIR}/doc/ketrav.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT documents)
  install(FILES ${CMAKE_BINARY_DIR}/doc/ru/ketrav.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/ru/man1 COMPONENT documents)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/README.ru.md ${KETRAV_SAMPLE_INI}
                ${PROJECT_SOURCE_DIR}/debian/copyright
                ${CMAKE_BINARY_DIR}/doc/changelog.Debian.gz ${CMAKE_BINARY_DIR}/doc/NEWS.Debian.gz
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/ketrav COMPONENT documents)
  # The sample host directory and the schedule recipes the README names.
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/bbs DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/ketrav/examples
          COMPONENT documents ${ketrav_file_permissions} ${ketrav_directory_permissions})
  install(FILES ${PROJECT_SOURCE_DIR}/examples/schedule/ketrav.cron ${PROJECT_SOURCE_DIR}/examples/schedule/ketrav.service
                ${PROJECT_SOURCE_DIR}/examples/schedule/ketrav.timer
                ${PROJECT_SOURCE_DIR}/examples/schedule/ketrav.logrotate
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/ketrav/examples/schedule COMPONENT documents)

  # Last: the directories this install made, open to every user.
  install(CODE "set(KETRAV_INSTALL_STEP after)")
  install(SCRIPT ${PROJECT_SOURCE_DIR}/cmake/open-directories.cmake)
endif()
