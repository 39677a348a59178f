# Installation: `cmake --install build [--prefix P]` (default prefix
# /opt/recview), and the Debian package (`cmake --build build --target
# package`), which is the same installation with P = /usr.
#
#   P/lib/recview/        the program directory, laid out as build/bin: the
#                         programs, the module libraries, IO_Device/,
#                         Language/, and help -> ../../share/recview/help
#   P/bin/                symbolic links to recview, rectool and recsim there
#   P/share/recview/help/ the help pages
#   P/share/applications/recview.desktop, share/metainfo/, share/mime/packages/,
#   P/share/icons/hicolor/scalable/..., share/man/man1/*.1.gz,
#   P/share/bash-completion/completions/rectool, share/doc/recview/
#   P/share/recview/integrate   links the desktop's side into the desktop's
#                         directories when P is not one the desktop reads (not
#                         installed below /usr, where it is)
#   P/lib/systemd/user/   the place for systemd user units
#
# The program finds its program directory through /proc/self/exe, so the links
# in P/bin lead it there. An installed program keeps its settings in
# ~/.local/share/recview (platform/programdir.h).
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
  set(CMAKE_INSTALL_PREFIX /opt/recview CACHE PATH "Installation prefix" FORCE)
endif()
set(RECVIEW_PROGRAM_DIR lib/recview)
set(RECVIEW_SYSTEMD_USER_DIR lib/systemd/user)

# The project's web address and AppStream identity (its reversed domain).
set(RECVIEW_HOMEPAGE "https://recview.example")
set(RECVIEW_APPSTREAM_ID example.recview.recview)

# The package's version, maintainer and release date come from the newest
# entry of its Debian changelog, which must name the project's version.
set(package ${CMAKE_SOURCE_DIR}/package)
file(STRINGS ${package}/changelog changelog_head LIMIT_COUNT 1)
file(STRINGS ${package}/changelog changelog_trailers REGEX "^ -- ")
list(GET changelog_trailers 0 changelog_trailer)
string(REGEX MATCH "^recview \\(([^)]+)\\)" _ "${changelog_head}")
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "package/changelog: its newest entry is version ${CMAKE_MATCH_1}, "
    "the project's version is ${PROJECT_VERSION}; add an entry for ${PROJECT_VERSION}")
endif()
string(REGEX MATCH "^ -- (.+>)  [A-Z][a-z][a-z], ([0-9][0-9]?) ([A-Z][a-z][a-z]) ([0-9]+)"
  _ "${changelog_trailer}")
set(RECVIEW_MAINTAINER "${CMAKE_MATCH_1}")
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND months "${CMAKE_MATCH_3}" month)
math(EXPR month "${month} + 1" OUTPUT_FORMAT DECIMAL)
string(LENGTH "${CMAKE_MATCH_2}" day_digits)
set(day "${CMAKE_MATCH_2}")
if(day_digits EQUAL 1)
  set(day "0${day}")
endif()
if(month LESS 10)
  set(month "0${month}")
endif()
set(RECVIEW_RELEASE_DATE "${CMAKE_MATCH_4}-${month}-${day}")

# The programs, and their commands in P/bin: relative links, made here and
# installed as links.
foreach(program recview rectool recsim)
  if(TARGET ${program})
    set_target_properties(${program} PROPERTIES INSTALL_RPATH "$ORIGIN")
    install(TARGETS ${program} RUNTIME DESTINATION ${RECVIEW_PROGRAM_DIR})
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/commands)
    file(CREATE_LINK ../${RECVIEW_PROGRAM_DIR}/${program} ${CMAKE_BINARY_DIR}/commands/${program}
      SYMBOLIC)
    install(FILES ${CMAKE_BINARY_DIR}/commands/${program} DESTINATION bin)
  endif()
endforeach()
foreach(module portcfg viewcfg xlsexport)
  if(TARGET ${module})
    set_target_properties(${module} PROPERTIES INSTALL_RPATH "$ORIGIN")
    install(TARGETS ${module} LIBRARY DESTINATION ${RECVIEW_PROGRAM_DIR})
  endif()
endforeach()
foreach(name ${RECVIEW_DRIVERS})
  install(TARGETS driver_${name} LIBRARY DESTINATION ${RECVIEW_PROGRAM_DIR}/IO_Device/${name})
endforeach()
install(DIRECTORY ${RECVIEW_BIN_DIR}/Language/ DESTINATION ${RECVIEW_PROGRAM_DIR}/Language
  FILES_MATCHING PATTERN "*.rcc")
install(DIRECTORY ${CMAKE_SOURCE_DIR}/help/ DESTINATION share/recview/help)
file(CREATE_LINK ../../share/recview/help ${CMAKE_BINARY_DIR}/commands/help SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/commands/help DESTINATION ${RECVIEW_PROGRAM_DIR})

# The desktop's side. The entry's command names the program by its full
# path, so it is written when the prefix is known: at install time.
set(desktop ${CMAKE_SOURCE_DIR}/desktop)
install(CODE "
  file(READ \"${desktop}/recview.desktop.in\" entry)
  # A command with blanks in its path is quoted, as desktop entries want it.
  set(launcher \"\${CMAKE_INSTALL_PREFIX}/bin/recview\")
  set(command \"\${launcher}\")
  if(launcher MATCHES \" \")
    set(command \"\\\"\${launcher}\\\"\")
  endif()
  string(REPLACE \"@EXEC@\" \"\${command}\" entry \"\${entry}\")
  string(REPLACE \"@TRYEXEC@\" \"\${launcher}\" entry \"\${entry}\")
  file(WRITE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/applications/recview.desktop\" \"\${entry}\")
  message(STATUS \"Installing: \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/applications/recview.desktop\")
")
configure_file(${desktop}/recview.metainfo.xml.in
  ${CMAKE_BINARY_DIR}/desktop/${RECVIEW_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/desktop/${RECVIEW_APPSTREAM_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${desktop}/recview-mime.xml DESTINATION share/mime/packages RENAME recview.xml)
install(FILES ${desktop}/recview.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${desktop}/application-x-recview-data.svg
  DESTINATION share/icons/hicolor/scalable/mimetypes)
install(FILES ${desktop}/rectool.bash-completion DESTINATION share/bash-completion/completions
  RENAME rectool)
install(FILES ${CMAKE_BINARY_DIR}/man/recview.1.gz ${CMAKE_BINARY_DIR}/man/rectool.1.gz
  DESTINATION share/man/man1)
install(FILES ${package}/copyright ${CMAKE_BINARY_DIR}/doc/changelog.gz DESTINATION share/doc/recview)
install(CODE "
  if(NOT CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
    file(INSTALL \"${desktop}/integrate\" DESTINATION \"\${CMAKE_INSTALL_PREFIX}/share/recview\"
      USE_SOURCE_PERMISSIONS)
  endif()
")

# The manual pages, compressed as Debian keeps them; the commands of rectool's
# page are taken from the program. The changelog likewise.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/man/rectool.1.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
  COMMAND sh ${desktop}/mkman $<TARGET_FILE:rectool> ${desktop}/rectool.1.in ${PROJECT_VERSION}
          ${CMAKE_BINARY_DIR}/man/rectool.1
  COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/man/rectool.1
  DEPENDS rectool ${desktop}/rectool.1.in ${desktop}/mkman
  COMMENT "Manual page of rectool")
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/man/recview.1.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
  COMMAND sh -c "gzip -9nc '${desktop}/recview.1' >'${CMAKE_BINARY_DIR}/man/recview.1.gz'"
  DEPENDS ${desktop}/recview.1)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/doc/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/doc
  COMMAND sh -c "gzip -9nc '${package}/changelog' >'${CMAKE_BINARY_DIR}/doc/changelog.gz'"
  DEPENDS ${package}/changelog)
add_custom_target(manpages ALL DEPENDS ${CMAKE_BINARY_DIR}/man/rectool.1.gz
  ${CMAKE_BINARY_DIR}/man/recview.1.gz ${CMAKE_BINARY_DIR}/doc/changelog.gz)

# The Debian package: the installation below /usr with stripped programs and
# no maintainer scripts (dpkg's triggers refresh the desktop's caches).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME recview)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${RECVIEW_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer and downloader for multi-channel measurement recorders")
set(CPACK_PACKAGE_DESCRIPTION
  "recview downloads the samples stored in multi-channel measurement\n\
recorders over a serial port, records live, and shows data files as\n\
curves, bars, circular charts, tables and statistics; it prints them and\n\
exports them to spreadsheets, in Chinese and English.\n\
.\n\
The command-line tool rectool does the same work in scripts and on\n\
machines without a display; the recorder simulator recsim stands in for\n\
a recorder.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${RECVIEW_HOMEPAGE}")
# The libraries the programs link come from dpkg-shlibdeps; named here are
# what they load at run time (Qt's platform plug-ins), the fonts for Chinese
# text, and what shows the menu entry and file types.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/bin)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2, shared-mime-info, desktop-file-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
