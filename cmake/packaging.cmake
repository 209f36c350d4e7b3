# Installing the game and its manual page, and the Debian package made from
# that installation (cpack -G DEB).
include(GNUInstallDirs)

# A Debian package puts games in /usr/games; a plain install uses bin/.
set(TIDEWRACK_INSTALL_BINDIR "${CMAKE_INSTALL_BINDIR}"
    CACHE STRING "Where the program goes under the install prefix (games for a Debian package)")
option(TIDEWRACK_COMPRESS_MANPAGE "Install the manual page gzip-compressed, as Debian wants it" OFF)

install(TARGETS tidewrack RUNTIME DESTINATION ${TIDEWRACK_INSTALL_BINDIR})

set(tidewrack_manpage ${CMAKE_CURRENT_SOURCE_DIR}/doc/tidewrack.6)
if(TIDEWRACK_COMPRESS_MANPAGE)
  find_program(TIDEWRACK_GZIP gzip REQUIRED)
  add_custom_command(
    OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/tidewrack.6.gz
    COMMAND ${TIDEWRACK_GZIP} -9 -n -c ${tidewrack_manpage} > ${CMAKE_CURRENT_BINARY_DIR}/tidewrack.6.gz
    DEPENDS ${tidewrack_manpage}
    COMMENT "Compressing the manual page")
  add_custom_target(tidewrack_manpage ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/tidewrack.6.gz)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/tidewrack.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
else()
  install(FILES ${tidewrack_manpage} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tidewrack)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Tidewrack authors")
set(CPACK_PACKAGE_CONTACT "The Tidewrack authors <tidewrack@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "text adventure: shipwrecked on a small tropical isle")
set(CPACK_PACKAGE_DESCRIPTION
    "A storm has driven your boat onto a reef and you have woken on a shore\n\
that is on no chart. Explore the island, its jungle, its temple and the\n\
caves under its cliff, and find a way home before the chance is gone.\n\
Type commands of one or two words; every word is known by its first three\n\
letters. Games can be saved and loaded. Plays at any terminal, or from a\n\
pipe or a file of commands.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_NAME tidewrack)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
# The libraries the program was linked against, as dpkg-shlibdeps finds them;
# without that tool, the C and C++ runtime libraries by name.
find_program(TIDEWRACK_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(TIDEWRACK_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 12)")
  if(TIDEWRACK_HAVE_LIBEDIT)
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", libedit2 (>= 3.1)")
  endif()
endif()

include(CPack)
