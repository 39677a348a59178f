# Installation: `cmake --install build [--prefix P]` (default prefix
# /opt/recview) and the Debian package (`cmake --build build --target package`).
#
#   P/lib/recview/        the program directory, laid out as build/bin: the
#                         programs, the module libraries, IO_Device/,
#                         Language/, help/
#   P/bin/                launchers of recview, rectool and recsim
#   P/share/applications/recview.desktop, share/mime/packages/recview.xml,
#   P/share/icons/hicolor/scalable/..., share/man/man1/, and
#   P/share/bash-completion/completions/rectool
#   P/share/recview/integrate   links those into the desktop's directories when
#                         P is not one the desktop reads (e.g. /opt/recview)
#
# The program directory of an installed program is not writable for its
# users: the settings then live in ~/.local/share/recview (platform/programdir.h).
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
  set(CMAKE_INSTALL_PREFIX /opt/recview CACHE PATH "Installation prefix" FORCE)
endif()
set(RECVIEW_PROGRAM_DIR lib/recview)

foreach(program recview rectool recsim)
  if(TARGET ${program})
    set_target_properties(${program} PROPERTIES INSTALL_RPATH "$ORIGIN")
    install(TARGETS ${program} RUNTIME DESTINATION ${RECVIEW_PROGRAM_DIR})
    set(PROGRAM ${program})
    set(TOPROGRAMDIR ../${RECVIEW_PROGRAM_DIR})
    configure_file(${CMAKE_SOURCE_DIR}/desktop/launcher.in
      ${CMAKE_BINARY_DIR}/launchers/${program} @ONLY)
    install(PROGRAMS ${CMAKE_BINARY_DIR}/launchers/${program} DESTINATION bin)
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
install(DIRECTORY ${CMAKE_SOURCE_DIR}/help/ DESTINATION ${RECVIEW_PROGRAM_DIR}/help)

# The desktop's side. The entry's command names the launcher by its full
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
install(FILES ${desktop}/recview-mime.xml DESTINATION share/mime/packages RENAME recview.xml)
install(FILES ${desktop}/recview.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${desktop}/application-x-recview-data.svg
  DESTINATION share/icons/hicolor/scalable/mimetypes)
install(FILES ${desktop}/rectool.bash-completion DESTINATION share/bash-completion/completions
  RENAME rectool)
install(FILES ${desktop}/recview.1 ${CMAKE_BINARY_DIR}/man/rectool.1 DESTINATION share/man/man1)
install(PROGRAMS ${desktop}/integrate DESTINATION share/recview)

# The manual page of rectool, its commands taken from the program.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/man/rectool.1
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
  COMMAND sh ${desktop}/mkman $<TARGET_FILE:rectool> ${desktop}/rectool.1.in ${PROJECT_VERSION}
          ${CMAKE_BINARY_DIR}/man/rectool.1
  DEPENDS rectool ${desktop}/rectool.1.in ${desktop}/mkman
  COMMENT "Manual page of rectool")
add_custom_target(manpages ALL DEPENDS ${CMAKE_BINARY_DIR}/man/rectool.1)

# The Debian package: the same layout below /opt/recview; its scripts link
# the desktop's side into /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME recview)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "recview maintainers <recview@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Viewer and downloader for multi-channel measurement recorders")
set(CPACK_PACKAGE_DESCRIPTION
  "recview downloads the samples stored in multi-channel measurement recorders over a serial\n\
port, records live, and shows data files as curves, tables and statistics, prints and exports\n\
them, in Chinese and English. With the command-line tool rectool and the recorder simulator\n\
recsim.")
set(CPACK_PACKAGING_INSTALL_PREFIX /opt/recview)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The Debian 12 packages of the libraries the programs load (dpkg-shlibdeps
# would find the same from the binaries; written out so that the package
# builds without it), the fonts for Chinese text, and the desktop tools the
# scripts call when present.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libc6 (>= 2.34), libstdc++6 (>= 12), libgcc-s1, libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), libqt6printsupport6 (>= 6.4), libqt6network6 (>= 6.4), qt6-qpa-plugins, libxlsxwriter4, fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2, shared-mime-info, desktop-file-utils")
configure_file(${desktop}/postinst.in ${CMAKE_BINARY_DIR}/deb/postinst @ONLY)
configure_file(${desktop}/prerm.in ${CMAKE_BINARY_DIR}/deb/prerm @ONLY)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/deb/postinst ${CMAKE_BINARY_DIR}/deb/prerm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

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
  file(WRITE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/lib/systemd/user/recview-collect@.service\" \"\${unit}\")
  message(STATUS \"Installing: \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/lib/systemd/user/recview-collect@.service\")
")
install(FILES ${units}/recview-collect@.timer DESTINATION lib/systemd/user)
install(FILES ${units}/collect-line.conf DESTINATION share/recview)
