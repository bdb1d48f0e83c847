# Installation into the freedesktop layout and the Debian package.

# Directories made by an install are 755 whatever the umask, as packages want.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS kavrelo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET kavrelo-cli)
    install(TARGETS kavrelo-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(TARGETS kavrelo_pictures kavrelo_sites kavrelo_vectorfiles LIBRARY DESTINATION ${KAVRELO_MODULE_DIR})
endif()

if(UNIX AND NOT APPLE)
    set(app_id com.example.Kavrelo)
    install(FILES resources/${app_id}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    configure_file(resources/${app_id}.metainfo.xml.in ${app_id}.metainfo.xml @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/${app_id}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    foreach(size 16 32 48 64 128 256)
        install(FILES resources/icons/${size}x${size}/${app_id}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
    install(FILES resources/kavrelo.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME ${app_id}.svg)
    install(FILES src/cli/kavrelo-cli.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME kavrelo-cli)

    # Debian wants the manual page and changelog compressed without a
    # timestamp, and the copyright file beside the changelog.
    find_program(KAVRELO_GZIP gzip)
    if(KAVRELO_GZIP)
        configure_file(resources/kavrelo.1 kavrelo.1 @ONLY)
        configure_file(src/cli/kavrelo-cli.1 kavrelo-cli.1 @ONLY)
        configure_file(resources/debian/changelog changelog COPYONLY)
        foreach(file kavrelo.1 kavrelo-cli.1 changelog)
            execute_process(COMMAND ${KAVRELO_GZIP} -9nf ${file}
                WORKING_DIRECTORY ${PROJECT_BINARY_DIR} COMMAND_ERROR_IS_FATAL ANY)
        endforeach()
        install(FILES ${PROJECT_BINARY_DIR}/kavrelo.1.gz ${PROJECT_BINARY_DIR}/kavrelo-cli.1.gz
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
        install(FILES ${PROJECT_BINARY_DIR}/changelog.gz
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kavrelo)
    endif()
    install(FILES resources/debian/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kavrelo)
    install(FILES resources/debian/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME kavrelo)
endif()

set(CPACK_PACKAGE_NAME kavrelo)
set(CPACK_PACKAGE_VENDOR "Kavrelo Imaging Works Co., Ltd.")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "field-of-view and target-distance calculator, with a command line")
set(CPACK_PACKAGE_CONTACT "Kavrelo Imaging Works <packages@example.com>")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The pictures and reports are drawn in DejaVu Sans, which a report embeds.
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-dejavu-core)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PROJECT_HOMEPAGE_URL})
# CPack puts the summary first; this is the extended description below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Kavrelo matches image sensors and lenses to a viewing task. It turns a sensor
resolution, a pixel size and a focal length into the horizontal, vertical and
diagonal angles of view, and a camera's horizontal field of view and
resolution into the distances at which a person, a car and a boat span 250,
125, 62.5 and 25 pixels. Beside the window, kavrelo-cli does the same arithmetic
for scripts and whole camera schedules in CSV, with text, CSV or JSON Lines
out, and adds pixel density as IEC 62676-4 counts it, lens sizing and cameras
on a pole with SVG pictures of their coverage, whole sites on the map (GeoJSON,
KML) and a printable PDF report of a site for the client.")
include(CPack)
