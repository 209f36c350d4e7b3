# Installing the game, its manual page, its menu entry, icon and software
# centre metadata, and the Debian package made from that installation
# (cpack -G DEB).
include(GNUInstallDirs)

# A Debian package puts games in /usr/games; a plain install uses bin/.
set(TIDEWRACK_INSTALL_BINDIR "${CMAKE_INSTALL_BINDIR}"
    CACHE STRING "Where the program goes under the install prefix (games for a Debian package)")
option(TIDEWRACK_COMPRESS_MANPAGE "Install the manual page gzip-compressed, as Debian wants it" OFF)
option(TIDEWRACK_DEBIAN_DOCS
       "Install the copyright file and the changelogs in share/doc/tidewrack as a Debian package has them" OFF)

install(TARGETS tidewrack RUNTIME DESTINATION ${TIDEWRACK_INSTALL_BINDIR})

# Files written from the sources with the version in them.
set(tidewrack_manpage ${CMAKE_CURRENT_BINARY_DIR}/tidewrack.6)
configure_file(doc/tidewrack.6.in ${tidewrack_manpage} @ONLY)
set(tidewrack_id org.example.tidewrack)
set(tidewrack_metainfo ${CMAKE_CURRENT_BINARY_DIR}/${tidewrack_id}.metainfo.xml)
configure_file(data/${tidewrack_id}.metainfo.xml.in ${tidewrack_metainfo} @ONLY)

# gzip -n: no name or time in the compressed file, so that it is the same
# whenever it is made.
function(tidewrack_gzip source compressed target)
  find_program(TIDEWRACK_GZIP gzip REQUIRED)
  add_custom_command(OUTPUT ${compressed}
                     COMMAND ${TIDEWRACK_GZIP} -9 -n -c ${source} > ${compressed}
                     DEPENDS ${source}
                     COMMENT "Compressing ${source}")
  add_custom_target(${target} ALL DEPENDS ${compressed})
endfunction()

if(TIDEWRACK_COMPRESS_MANPAGE)
  tidewrack_gzip(${tidewrack_manpage} ${CMAKE_CURRENT_BINARY_DIR}/tidewrack.6.gz tidewrack_manpage)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/tidewrack.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
else()
  install(FILES ${tidewrack_manpage} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
endif()

# The menu entry (it opens the game in a terminal), the icon, and what
# software centres show, under the one id. The entry names the program by
# where it was installed, known only when it is installed (a --prefix may
# move it): a menu's PATH may lack /usr/games (root's does).
set(tidewrack_desktop ${CMAKE_CURRENT_BINARY_DIR}/${tidewrack_id}.desktop)
if(IS_ABSOLUTE "${TIDEWRACK_INSTALL_BINDIR}")
  set(tidewrack_program "${TIDEWRACK_INSTALL_BINDIR}/tidewrack")
else()
  set(tidewrack_program "\${CMAKE_INSTALL_PREFIX}/${TIDEWRACK_INSTALL_BINDIR}/tidewrack")
endif()
install(CODE "set(TIDEWRACK_PROGRAM \"${tidewrack_program}\")
  configure_file(\"${CMAKE_CURRENT_SOURCE_DIR}/data/${tidewrack_id}.desktop.in\"
                 \"${tidewrack_desktop}\" @ONLY)")
install(FILES ${tidewrack_desktop} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${tidewrack_metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES data/icons/tidewrack.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 192 512)
  install(FILES data/icons/tidewrack-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME tidewrack.png)
endforeach()

# The package's copyright file and its two changelogs: the players' one
# (CHANGELOG.md) and the package's own, dated by SOURCE_DATE_EPOCH when it is
# set (the time of the commit, for a release), as Debian's tools date it.
if(TIDEWRACK_DEBIAN_DOCS)
  set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/tidewrack)
  string(TIMESTAMP TIDEWRACK_DEBIAN_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
  configure_file(data/debian/changelog.in ${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian @ONLY)
  tidewrack_gzip(${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian ${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian.gz
                 tidewrack_debian_changelog)
  tidewrack_gzip(${CMAKE_CURRENT_SOURCE_DIR}/CHANGELOG.md ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
                 tidewrack_changelog)
  install(FILES data/debian/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian.gz
                ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz DESTINATION ${doc_dir})
else()
  install(FILES LICENSE CHANGELOG.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
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
# The package's folders readable by every player, whatever the build's umask.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_SOURCE_DIR}/cmake/package_folders.cmake)
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
  # libedit is loaded at run time, so dpkg-shlibdeps cannot see it: named
  # here, with the version that brought the wide-character calls used.
  if(TIDEWRACK_HAVE_LIBEDIT)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "libedit2 (>= 3.1-20140620)")
  endif()
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 12)")
  if(TIDEWRACK_HAVE_LIBEDIT)
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", libedit2 (>= 3.1)")
  endif()
endif()

include(CPack)
