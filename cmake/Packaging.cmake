# The Debian packages: cpack -G DEB in the build folder (see README.md).
# Two components: the office (vornal) and the worker's client
# (vornal-client), each its own package.
set(CPACK_PACKAGE_NAME vornal)
set(CPACK_PACKAGE_VENDOR "Vornal developers")
set(CPACK_PACKAGE_CONTACT "Vornal developers <vornal@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "working time of an office, collected from its workstations")
set(CPACK_PACKAGE_DESCRIPTION
  "Vornal is the office side of a workplace time-tracking system. Client
programs on the workers' machines write the start, the course and the end of
each working day and task to a buffer file in the worker's folder; Vornal
collects those files exactly once, turns the events into work intervals and
shows the hours of each person by year, month and day.
.
The package holds the window program vornal, the command-line tool
vornal-cli, a systemd timer that collects every ten minutes, and vornal-web,
a read-only web view for managers, with its systemd service.")
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://vornal.example.org/")
# Library dependencies come from dpkg-shlibdeps; Qt's platform plugins are
# loaded at run time, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# Qt's own translations make its file choosers and buttons speak the
# program's language.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL office)
set(CPACK_DEBIAN_OFFICE_PACKAGE_NAME vornal)
# Per package: the synopsis on the first line, then the long description.
set(CPACK_DEBIAN_OFFICE_DESCRIPTION
  "${CPACK_PACKAGE_DESCRIPTION_SUMMARY}\n${CPACK_PACKAGE_DESCRIPTION}")
# Else CPack puts the common summary before each package's own lines.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY IGNORE)
if(VORNAL_BUILD_UI)
  list(APPEND CPACK_COMPONENTS_ALL client)
  set(CPACK_DEBIAN_CLIENT_PACKAGE_NAME vornal-client)
  set(CPACK_DEBIAN_CLIENT_DESCRIPTION "worker's side of Vornal: writes the working day for the office
vornal-client runs on a worker's machine: a tray icon (or a small window,
or the headless command vornal-client run) that writes the start, the
course and the end of the working day and of tasks to main.buf in the
worker's folder, which the office collects with Vornal. Screen lock, idle
time and suspend stop the go-on events; logout and shutdown write the end
of the day first. Events wait in a local spool while the folder cannot be
written.")
  # The defaults and the autostart entry are the administrator's to edit.
  file(WRITE ${CMAKE_BINARY_DIR}/debian-client/conffiles
    "${CMAKE_INSTALL_FULL_SYSCONFDIR}/xdg/Vornal/client.conf\n"
    "${CMAKE_INSTALL_FULL_SYSCONFDIR}/xdg/autostart/org.vornal.VornalClient.desktop\n")
  set(CPACK_DEBIAN_CLIENT_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/debian-client/conffiles)
endif()

# Debian's copyright file and changelog.
set(VORNAL_DOC_DIR ${CMAKE_BINARY_DIR}/debian-doc)
file(MAKE_DIRECTORY ${VORNAL_DOC_DIR})
configure_file(${CMAKE_SOURCE_DIR}/res/linux/copyright ${VORNAL_DOC_DIR}/copyright COPYONLY)
string(TIMESTAMP VORNAL_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${CMAKE_SOURCE_DIR}/res/linux/changelog.in ${VORNAL_DOC_DIR}/changelog.Debian @ONLY)
add_custom_command(OUTPUT ${VORNAL_DOC_DIR}/changelog.Debian.gz
  COMMAND ${GZIP_PROGRAM} -9nf -k ${VORNAL_DOC_DIR}/changelog.Debian
  DEPENDS ${VORNAL_DOC_DIR}/changelog.Debian VERBATIM)
add_custom_target(debian_changelog ALL DEPENDS ${VORNAL_DOC_DIR}/changelog.Debian.gz)
install(FILES ${VORNAL_DOC_DIR}/copyright ${VORNAL_DOC_DIR}/changelog.Debian.gz
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vornal)
if(VORNAL_BUILD_UI)
  install(FILES ${VORNAL_DOC_DIR}/copyright ${VORNAL_DOC_DIR}/changelog.Debian.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vornal-client COMPONENT client)
endif()

include(CPack)
