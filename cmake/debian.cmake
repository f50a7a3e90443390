# The manual page, and the Debian package made by "cpack -G DEB" in the
# Release build (needs dpkg-shlibdeps, from dpkg-dev): the engine in
# /usr/games, the manual page in section 6, README and licence in
# /usr/share/doc/corvantis, with the copyright file and changelog Debian
# asks for, which only the package holds.

# Compressed as Debian's pages are; man reads it so from any prefix.
configure_file(doc/corvantis.6.in corvantis.6 @ONLY)
string(TIMESTAMP CORVANTIS_PACKAGE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/changelog
     "corvantis (${PROJECT_VERSION}) unstable; urgency=medium\n\n"
     "  * Packaged by CPack from the project's build; its history is the git log.\n\n"
     " -- Corvantis maintainers <maintainers@users.noreply.c-seed-0277acb3.example>  ${CORVANTIS_PACKAGE_DATE}\n")
add_custom_command(
  OUTPUT corvantis.6.gz changelog.gz
  COMMAND gzip -9nkf corvantis.6 changelog
  DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/corvantis.6 ${CMAKE_CURRENT_BINARY_DIR}/changelog
  VERBATIM)
add_custom_target(corvantis_docs ALL DEPENDS corvantis.6.gz changelog.gz)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/corvantis.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT debian
        EXCLUDE_FROM_ALL)
install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME copyright COMPONENT debian EXCLUDE_FROM_ALL)

# Linux packages hold the engine without its symbol table, as Debian wants.
set(CPACK_STRIP_FILES ON)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_SOURCE_DIR}/cmake/cpack_per_generator.cmake)
set(CPACK_DEBIAN_PACKAGE_NAME corvantis)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Corvantis maintainers <maintainers@users.noreply.c-seed-0277acb3.example>")
# The libraries the engine links, with their versions, read from the binary.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "polyglot, xboard | scid | pychess")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Corvantis is a chess engine: a graphical interface such as xboard (through
polyglot), Scid or PyChess, or a tournament manager, starts it and talks to
it over standard input and output with the Universal Chess Interface.
It searches with iterative deepening, a principal-variation alpha-beta
search and a transposition table, and judges positions with a hand-written
evaluation whose weights are UCI options. It plays from Polyglot opening
books, shows several lines (MultiPV), plays weaker on request, searches with
several threads and plays Chess960.")
