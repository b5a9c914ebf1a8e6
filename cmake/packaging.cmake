# Installation and the Debian package.
# `cmake --install build [--prefix P]` (P is /usr/local unless given) writes the three programs
# to P/bin, their manual pages to P/share/man/man1 and the README to P/share/doc/zemra-telvo,
# and nothing else. `cpack -G DEB` in the build folder makes zemra-telvo_VERSION_ARCH.deb,
# installed under /usr, its dependencies read from the programs by dpkg-shlibdeps.
include(GNUInstallDirs)

install(TARGETS zemra-telvo zemra-module zemra-quorvel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES man/zemra-telvo.1 man/zemra-module.1 man/zemra-quorvel.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/zemra-telvo)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zemra-telvo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Zemra Telvo developers <zemra-telvo@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "terminal for Bluetooth serial modules and USB serial adapters")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Zemra Telvo lists the serial modules that are connected, opens a session\n"
       "with one and works as a terminal in a text console: typed text is sent,\n"
       "what comes back is shown in a time-stamped log with byte counters, a text\n"
       "can be repeated at an interval and a test file sent in paced packets.\n"
       "Traffic can be enciphered with the Quorvel service (two-key triple DES).\n"
       "With a module emulator (zemra-module) and the cipher on the command line\n"
       "(zemra-quorvel).")
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
include(CPack)
