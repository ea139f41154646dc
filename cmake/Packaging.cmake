# Installation under a prefix (cmake --install) and the Debian package (cpack).
# Included last, so that every executable of the program exists by now.
include(GNUInstallDirs)

set(GRAVIK_APP_ID kz.gravik.Gravik)
set(GRAVIK_MAINTAINER "Gravik developers <gravik@gravik.kz>")
set(GRAVIK_RELEASE_DATE 2026-12-09)
set(GRAVIK_RELEASE_DATE_RFC2822 "Wed, 09 Dec 2026 12:00:00 +0000")

set(pkg ${PROJECT_SOURCE_DIR}/packaging)
set(gen ${CMAKE_BINARY_DIR}/packaging)
configure_file(${pkg}/${GRAVIK_APP_ID}.metainfo.xml.in ${gen}/${GRAVIK_APP_ID}.metainfo.xml @ONLY)
configure_file(${pkg}/changelog.in ${gen}/changelog @ONLY)
configure_file(${pkg}/gravik.1 ${gen}/gravik.1 COPYONLY)
execute_process(COMMAND gzip -9nf ${gen}/changelog ${gen}/gravik.1 COMMAND_ERROR_IS_FATAL ANY)

# Installing needs only what it installs built, not every test.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# Every executable of the program; the installed copies keep their data in
# each user's own folder, filled from share/gravik.
foreach(exe gravik gravik-print)
  if(TARGET ${exe})
    install(TARGETS ${exe} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/defaults/ DESTINATION ${CMAKE_INSTALL_DATADIR}/gravik)
install(FILES ${pkg}/${GRAVIK_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${gen}/${GRAVIK_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/gravik.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${gen}/gravik.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${pkg}/copyright ${gen}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME gravik)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${GRAVIK_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "school-leaving certificate printing onto its blank")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Gravik prints the variable text of a school-leaving certificate onto a
pre-printed bilingual Russian and Kazakh blank: type the values or pick a
pupil from the class list, move each field onto its printed line, choose
the font and print on A4.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so not found by dpkg-shlibdeps: the X11 platform plugin.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# Qt's own Russian for the standard dialogs (file, message, preview).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2, qt6-translations-l10n")
include(CPack)
