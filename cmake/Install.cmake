# Installation: `cmake --install build [--prefix P]` (default prefix
# /opt/recview), and the Debian package (`cmake --build build --target
# package`, package/mkdeb), which is the same installation with P = /usr.
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

# The project's web address (the Homepage of package/control) and its
# AppStream identity.
set(package ${CMAKE_SOURCE_DIR}/package)
file(STRINGS ${package}/control homepage REGEX "^Homepage: ")
string(REGEX REPLACE "^Homepage: *" "" RECVIEW_HOMEPAGE "${homepage}")
set(RECVIEW_APPSTREAM_ID example.recview.recview)

# The newest entry of the package's Debian changelog names the project's
# version and gives the release its date.
file(STRINGS ${package}/changelog changelog_head LIMIT_COUNT 1)
file(STRINGS ${package}/changelog changelog_trailers REGEX "^ -- ")
list(GET changelog_trailers 0 changelog_trailer)
string(REGEX MATCH "^recview \\(([^)]+)\\)" _ "${changelog_head}")
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "package/changelog: its newest entry is version ${CMAKE_MATCH_1}, "
    "the project's version is ${PROJECT_VERSION}; add an entry for ${PROJECT_VERSION}")
endif()
string(REGEX MATCH "^ -- .+>  [A-Z][a-z][a-z], ([0-9][0-9]?) ([A-Z][a-z][a-z]) ([0-9]+)"
  _ "${changelog_trailer}")
set(day ${CMAKE_MATCH_1})
set(year ${CMAKE_MATCH_3})
set(months Jan 01 Feb 02 Mar 03 Apr 04 May 05 Jun 06 Jul 07 Aug 08 Sep 09 Oct 10 Nov 11 Dec 12)
list(FIND months "${CMAKE_MATCH_2}" month)
math(EXPR month "${month} + 1")
list(GET months ${month} month)
string(REGEX REPLACE "^([0-9])$" "0\\1" day "${day}")
set(RECVIEW_RELEASE_DATE "${year}-${month}-${day}")

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
  set(program \"\${CMAKE_INSTALL_PREFIX}/bin/recview\")
  set(command \"\${program}\")
  if(program MATCHES \" \")
    set(command \"\\\"\${program}\\\"\")
  endif()
  string(REPLACE \"@EXEC@\" \"\${command}\" entry \"\${entry}\")
  string(REPLACE \"@TRYEXEC@\" \"\${program}\" entry \"\${entry}\")
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
  ${CMAKE_BINARY_DIR}/man/recsim.1.gz DESTINATION share/man/man1)
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
set(compressed ${CMAKE_BINARY_DIR}/man/rectool.1.gz)
foreach(source ${desktop}/recview.1 ${desktop}/recsim.1 ${package}/changelog)
  get_filename_component(name ${source} NAME)
  set(dir ${CMAKE_BINARY_DIR}/man)
  if(name STREQUAL changelog)
    set(dir ${CMAKE_BINARY_DIR}/doc)
  endif()
  add_custom_command(OUTPUT ${dir}/${name}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND sh -c "gzip -9nc \"$1\" >\"$2\"" sh ${source} ${dir}/${name}.gz
    DEPENDS ${source} VERBATIM)
  list(APPEND compressed ${dir}/${name}.gz)
endforeach()
add_custom_target(manpages ALL DEPENDS ${compressed})

# The Debian package in the build directory. (Build trees configured when
# CPack made the package still hold its configuration, which reserves the name.)
file(REMOVE ${CMAKE_BINARY_DIR}/CPackConfig.cmake ${CMAKE_BINARY_DIR}/CPackSourceConfig.cmake)
add_custom_target(package
  COMMAND sh ${package}/mkdeb ${CMAKE_BINARY_DIR} ${CMAKE_BINARY_DIR}
  DEPENDS ${package}/mkdeb ${package}/control
  USES_TERMINAL)
add_dependencies(package recview rectool recsim plugins manpages language_packages)

# Unattended collection: the systemd user service and timer template and an
# example of a line's settings (rectool collect). The service names rectool
# by its full path, known at install time.
set(units ${CMAKE_SOURCE_DIR}/desktop/systemd)
install(CODE "
  file(READ \"${units}/recview-collect@.service.in\" unit)
  set(rectool \"\${CMAKE_INSTALL_PREFIX}/bin/rectool\")
  if(rectool MATCHES \" \")
    set(rectool \"\\\"\${rectool}\\\"\")
  endif()
  string(REPLACE \"@RECTOOL@\" \"\${rectool}\" unit \"\${unit}\")
  file(WRITE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${RECVIEW_SYSTEMD_USER_DIR}/recview-collect@.service\" \"\${unit}\")
  message(STATUS \"Installing: \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${RECVIEW_SYSTEMD_USER_DIR}/recview-collect@.service\")
")
install(FILES ${units}/recview-collect@.timer DESTINATION ${RECVIEW_SYSTEMD_USER_DIR})
install(FILES ${units}/collect-line.conf DESTINATION share/recview)
