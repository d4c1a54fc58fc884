# Installed like a desktop application, and packaged for Debian:
#   bin/quenby
#   lib/quenby/quenby_office_host.so                  the office host, loaded when an office is first wanted
#   share/applications/quenby.desktop                 the menu entry
#   share/icons/hicolor/scalable/apps/quenby.svg       the icon as drawn
#   share/icons/hicolor/<n>x<n>/apps/quenby.png        rendered from it at build time
#   share/quenby/账单明细.xls                          the bill workbook template
#   share/man/man1/quenby.1.gz                         the manual page
# `cpack -G DEB` in the build tree makes quenby_<version>_<arch>.deb; the tests check it.

if(NOT TARGET quenby)
  return()
endif()

set(QUENBY_ROOT ${CMAKE_CURRENT_LIST_DIR}/..)

# --- desktop entry and icon ------------------------------------------------------------------
add_executable(render_icon ${QUENBY_ROOT}/resources/render_icon.cpp)
target_link_libraries(render_icon PRIVATE quenby_icon_picture)
set(QUENBY_ICONS ${CMAKE_BINARY_DIR}/icons)
set(QUENBY_ICON_PNGS)
foreach(size 16 24 32 48 64 128 256)
  list(APPEND QUENBY_ICON_PNGS ${QUENBY_ICONS}/${size}x${size}/quenby.png)
endforeach()
add_custom_command(
  OUTPUT ${QUENBY_ICON_PNGS}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:render_icon> ${QUENBY_ICONS}
  DEPENDS render_icon ${QUENBY_ROOT}/resources/quenby.svg
  COMMENT "Rendering the application icon"
  VERBATIM)
add_custom_target(application_icons ALL DEPENDS ${QUENBY_ICON_PNGS})

install(FILES ${QUENBY_ROOT}/resources/quenby.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${QUENBY_ROOT}/resources/quenby.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(png ${QUENBY_ICON_PNGS})
  get_filename_component(dir ${png} DIRECTORY)
  get_filename_component(size ${dir} NAME)
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}/apps)
endforeach()

# --- manual page -----------------------------------------------------------------------------
# Compressed as Debian installs manual pages (gzip -9n: no name, no time stamp).
set(QUENBY_MAN ${CMAKE_BINARY_DIR}/man)
configure_file(${QUENBY_ROOT}/resources/quenby.1.in ${QUENBY_MAN}/quenby.1 @ONLY)
add_custom_command(
  OUTPUT ${QUENBY_MAN}/quenby.1.gz
  COMMAND gzip -9n --force --keep quenby.1
  WORKING_DIRECTORY ${QUENBY_MAN}
  DEPENDS ${QUENBY_MAN}/quenby.1
  COMMENT "Compressing the manual page"
  VERBATIM)
add_custom_target(manual_page ALL DEPENDS ${QUENBY_MAN}/quenby.1.gz)
install(FILES ${QUENBY_MAN}/quenby.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# --- Debian package --------------------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quenby)
set(CPACK_PACKAGE_VENDOR Quenby)
set(CPACK_PACKAGE_CONTACT "Quenby <support@quenby.example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "timber tally calculator for round logs and sawn boards")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "\
Quenby computes log and board volumes in cubic metres, prices every line and
sums counts, volumes and amounts on three tally sheets (round logs by length
group, logs of many lengths, sawn timber), then writes the sheet into the bill
workbook and opens it in LibreOffice Calc for printing. The user interface is
in Simplified Chinese.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_STRIP_FILES ON)
# The libraries the program and its office host module link (Qt 6 widgets, the office's UNO runtime) come from
# dpkg-shlibdeps; what it loads or runs by name is declared here: Qt's window system plugins,
# Qt's Chinese translations (message box buttons, context menus), Qt SQL's SQLite driver (a
# plugin, for the store of autosaved sheets), the office that writes and shows the bill, the
# Song-style font the sheets ask for, and xdg-utils, through which the bill and the web pages are
# opened.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, libqt6sql6-sqlite, libqt6sql6-psql, libreoffice-calc, fonts-arphic-uming, xdg-utils")
include(CPack)
