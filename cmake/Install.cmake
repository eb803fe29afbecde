# Installing like any desktop game: the program, its menu entry, its icons and its AppStream
# metadata; `cpack -G DEB` packs the same tree. Included last from the top-level CMakeLists.txt.
include(GNUInstallDirs)

set(DORVANE_APP_ID example.vorn22software.Dorvane)
set(dorvane_desktop_dir ${PROJECT_SOURCE_DIR}/assets/desktop)
set(dorvane_images_dir ${PROJECT_SOURCE_DIR}/assets/images)

if(TARGET dorvane)
  install(TARGETS dorvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# The table server and its system service unit (the unit names the installed program).
set(DORVANE_SYSTEMD_UNIT_DIR lib/systemd/system)
if(TARGET dorvane-server)
  install(TARGETS dorvane-server RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  configure_file(${PROJECT_SOURCE_DIR}/assets/systemd/dorvane-server.service.in
                 ${PROJECT_BINARY_DIR}/dorvane-server.service @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/dorvane-server.service DESTINATION ${DORVANE_SYSTEMD_UNIT_DIR})
endif()
install(FILES ${dorvane_desktop_dir}/${DORVANE_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${dorvane_desktop_dir}/${DORVANE_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The icon theme wants one picture per size, named after the application id.
foreach(size 16 32 48 64 128)
  install(FILES ${dorvane_images_dir}/appicon-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${DORVANE_APP_ID}.png)
endforeach()
install(FILES ${dorvane_images_dir}/appicon.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps
        RENAME ${DORVANE_APP_ID}.png)

# The installed tree, checked in a scratch prefix (needs the program built first).
if(DORVANE_BUILD_TESTS AND TARGET dorvane)
  add_test(NAME install_tree
           COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${PROJECT_BINARY_DIR}
                   -DPREFIX=${PROJECT_BINARY_DIR}/install-test
                   -DAPP_ID=${DORVANE_APP_ID}
                   -DMODULE_DIR=${DORVANE_MODULE_INSTALL_DIR}
                   -DUNIT_DIR=${DORVANE_SYSTEMD_UNIT_DIR}
                   -DBIN_DIR=${CMAKE_INSTALL_FULL_BINDIR}
                   -P ${CMAKE_CURRENT_LIST_DIR}/CheckInstall.cmake)
endif()

set(CPACK_PACKAGE_NAME dorvane)
set(CPACK_PACKAGE_VENDOR "Vorn22 Software")
set(CPACK_PACKAGE_CONTACT "Vorn22 Software <games@vorn22software.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Dice game of ten phases for one to four players")
set(CPACK_PACKAGE_DESCRIPTION
    "Complete ten phases of sets, runs and colours with ten coloured dice, three rolls a turn.\nPlay alone against the computer or host and join games over the internet, with chat.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so the library scan cannot see them: the X11/Wayland window plug-ins
# and the font the board's layout is measured with.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation2")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
include(CPack)
