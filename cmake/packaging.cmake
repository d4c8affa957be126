# Packages through CPack (`make packages` builds them all):
#   Linux:   ketrav_VERSION-REVISION_ARCH.deb, for the architecture of the
#            build (amd64 natively; arm64, armhf and i386 from the cross
#            builds), with statically linked programs (KETRAV_STATIC).
#   Windows: KetRAV-VERSION-windows.zip from the 64-bit build, which takes
#            the 32-bit build's ketrav.exe too when KETRAV_WINDOWS_32BIT_BUILD
#            names that build's tree.
set(CPACK_PACKAGE_NAME ketrav)
set(CPACK_PACKAGE_VENDOR "The KetRAV developers")
set(CPACK_PACKAGE_VERSION ${KETRAV_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "echomail traffic report from the qtoss log")
set(CPACK_PACKAGE_CONTACT "KetRAV developers <ketrav@example.org>")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME "KetRAV-${KETRAV_VERSION}-windows")
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
  set(KETRAV_WINDOWS_32BIT_BUILD "" CACHE PATH "Tree of the 32-bit Windows build whose ketrav.exe the zip takes")
  # Each entry: build tree, project, component, folder inside the package.
  set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};KetRAV;program;/64-bit"
                                   "${CMAKE_BINARY_DIR};KetRAV;documents;/")
  if(KETRAV_WINDOWS_32BIT_BUILD)
    list(APPEND CPACK_INSTALL_CMAKE_PROJECTS "${KETRAV_WINDOWS_32BIT_BUILD};KetRAV;program;/32-bit")
  endif()
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # No Homepage field: KetRAV has no web page of its own to name.
  set(CPACK_PACKAGE_DESCRIPTION
      "KetRAV reads the log of the qtoss mail tosser, counts every echomail\n"
      "import per echo area, and writes a plain-text traffic report,\n"
      "KetRAV.Rpt, ready to post to a network: each area with its count and\n"
      "share, the period, a title and the total. The report is byte for byte\n"
      "the one the Windows program writes from the same log, but for the order\n"
      "of areas whose tags differ only in letter case, which Windows' own sort\n"
      "decides there.")
  list(JOIN CPACK_PACKAGE_DESCRIPTION "" CPACK_PACKAGE_DESCRIPTION)
  # Each release's version is above the last one's, so its package upgrades
  # the last (every one from 1.5 on is above the 1.0.E-N of the first
  # releases).
  set(CPACK_DEBIAN_PACKAGE_RELEASE ${KETRAV_REVISION})
  # The cross builds cannot ask dpkg for their architecture; a toolchain
  # may name it outright (the ARMv5TE programs of the armhf .deb).
  if(KETRAV_DEB_ARCHITECTURE)
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${KETRAV_DEB_ARCHITECTURE})
  elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64)$")
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
  elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(armhf|armv7.*|arm)$")
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE armhf)
  elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(i[3-6]86|x86)$")
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE i386)
  elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
  endif()
  # Depends is read off the built programs when CPack runs.
  configure_file(${CMAKE_CURRENT_LIST_DIR}/deb-depends.cmake.in ${CMAKE_BINARY_DIR}/deb-depends.cmake @ONLY)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/deb-built-using.cmake.in ${CMAKE_BINARY_DIR}/deb-built-using.cmake @ONLY)
  set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/deb-depends.cmake)
  set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};KetRAV;ALL;/")
endif()

include(CPack)
