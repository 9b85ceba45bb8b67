# What `cmake --install` puts in place, and the Debian package CPack makes of it.
set(VORLANIX_LICENSE "LicenseRef-proprietary")
# `make package` builds only the programs and their data, not the whole tree with its tests.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
# Desktop entries, metainfo and icons are named after these ids.
set(VORLANIX_APP_IDS example.velmora.vorlanix example.velmora.kestwold)
set(VORLANIX_STATUS_ICONS example.velmora.kestwold-stopped example.velmora.kestwold-listening)
set(VORLANIX_ICON_SIZES 16 22 24 32 48 64 128 256)

set(res ${PROJECT_SOURCE_DIR}/resources)
set(gen ${PROJECT_BINARY_DIR}/resources)

install(TARGETS vorlanix Kestwold vorlanix-rcon RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${res}/commands.txt ${res}/variables.txt DESTINATION ${CMAKE_INSTALL_DATADIR}/velmora)

foreach(id ${VORLANIX_APP_IDS})
  configure_file(${res}/${id}.metainfo.xml.in ${gen}/${id}.metainfo.xml @ONLY)
  install(FILES ${res}/${id}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${gen}/${id}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endforeach()

# Icons: the drawings are the source; the sizes a desktop looks for are rendered from them.
find_program(RSVG_CONVERT rsvg-convert)
if(NOT RSVG_CONVERT)
  message(WARNING "rsvg-convert (librsvg2-bin) not found: only the scalable icons will be installed")
endif()
set(pngs)
foreach(name ${VORLANIX_APP_IDS} ${VORLANIX_STATUS_ICONS})
  set(context apps)
  if(name IN_LIST VORLANIX_STATUS_ICONS)
    set(context status)
  endif()
  install(FILES ${res}/icons/${name}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/${context})
  if(RSVG_CONVERT)
    foreach(size ${VORLANIX_ICON_SIZES})
      set(png ${gen}/icons/${size}x${size}/${name}.png)
      add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${gen}/icons/${size}x${size}
        COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${res}/icons/${name}.svg
        DEPENDS ${res}/icons/${name}.svg VERBATIM)
      list(APPEND pngs ${png})
      install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/${context})
    endforeach()
  endif()
endforeach()

# Man pages, compressed as Debian keeps them.
set(manpages)
foreach(page vorlanix Kestwold vorlanix-rcon)
  configure_file(${res}/man/${page}.1.in ${gen}/man/${page}.1 @ONLY)
  add_custom_command(OUTPUT ${gen}/man/${page}.1.gz
    COMMAND gzip -9nc ${gen}/man/${page}.1 > ${gen}/man/${page}.1.gz
    DEPENDS ${gen}/man/${page}.1)
  list(APPEND manpages ${gen}/man/${page}.1.gz)
  install(FILES ${gen}/man/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

add_custom_target(install_data ALL DEPENDS ${pngs} ${manpages})
# `make package` builds the two windowed programs and install_data by name; this brings the third.
add_dependencies(install_data vorlanix-rcon)

# The desktop's own checkers, where they are installed.
add_test(NAME desktop_metadata
  COMMAND ${PROJECT_SOURCE_DIR}/scripts/validate-metadata.sh ${res} ${gen})
set_tests_properties(desktop_metadata PROPERTIES SKIP_RETURN_CODE 77)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora-tarnwick)
set(CPACK_PACKAGE_VENDOR Velmora)
set(CPACK_PACKAGE_CONTACT "Velmora <packages@velmora.example>")
set(CPACK_PACKAGE_DESCRIPTION "vorlanix sends rcon commands to game servers that speak the
Quake-engine remote-console protocol (Quake 3 Arena, Return To Castle
Wolfenstein, Elite Force, Quake 2) and shows their replies. Kestwold runs on
the game server's machine and restarts the server when the console asks, with
a window or as a systemd service.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PROJECT_HOMEPAGE_URL})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt finds its display and SQL driver plugins at run time, so no library dependency names them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6sql6-sqlite")
# The keyring library reaches the desktop's secret service through libsecret, which it loads itself.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, fonts-liberation, libsecret-1-0")
include(CPack)
