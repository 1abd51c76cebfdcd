# Installation and the Debian package (`make package`): the program in bin/, help.chm in
# share/korvo/ (where the program looks for it last), the desktop entry, the icon in the
# hicolor theme, the AppStream metainfo, the man page and the copyright file.
include(GNUInstallDirs)

set(package_dir "${PROJECT_SOURCE_DIR}/packaging/linux")
set(app_id example.korvo.Korvo)

install(TARGETS korvo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(KORVO_HELP_FILE)
    install(FILES "${KORVO_HELP_FILE}" DESTINATION ${CMAKE_INSTALL_DATADIR}/korvo)
endif()
install(FILES "${package_dir}/${app_id}.desktop" DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES "${package_dir}/${app_id}.metainfo.xml" DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 22 24 32 48 64 128 256)
    install(FILES "${package_dir}/icons/korvo-${size}.png"
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME korvo.png)
endforeach()
install(FILES "${package_dir}/icons/korvo.svg"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Debian wants the man page and the changelog compressed, reproducibly.
set(man_page "${PROJECT_BINARY_DIR}/packaging/korvo.1.gz")
set(changelog "${PROJECT_BINARY_DIR}/packaging/changelog.gz")
add_custom_command(
    OUTPUT "${man_page}" "${changelog}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${PROJECT_BINARY_DIR}/packaging"
    COMMAND gzip -9n -c "${package_dir}/korvo.1" > "${man_page}"
    COMMAND gzip -9n -c "${package_dir}/changelog" > "${changelog}"
    DEPENDS "${package_dir}/korvo.1" "${package_dir}/changelog"
    VERBATIM)
add_custom_target(korvo_package_files ALL DEPENDS "${man_page}" "${changelog}")
install(FILES "${man_page}" DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES "${package_dir}/copyright" "${changelog}" DESTINATION ${CMAKE_INSTALL_DOCDIR})

# `make package` builds only what the package holds, not the tests.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Korvo developers")
set(CPACK_PACKAGE_CONTACT "The Korvo developers <maintainers@korvo.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small remote-desktop tool")
set(CPACK_PACKAGE_DESCRIPTION
    "Korvo shares this desktop with clients that log in to it, or shows another\n\
Korvo's desktop and sends it the clicks and keys made over that picture. One\n\
program plays either role; it is a Qt program for X11 desktops.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The toolkit reaches the X server through a plugin, which the library scan cannot see; a
# compiled-help viewer shows help.chm.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xchm")
include(CPack)
