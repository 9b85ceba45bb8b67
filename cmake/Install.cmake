# What `cmake --install` puts in place, and the Debian package CPack makes of it.
set(VORLANIX_LICENSE "GPL-2.0-or-later")
set(VORLANIX_PACKAGE velmora-tarnwick)
# `make package` builds only the programs and their data, not the whole tree with its tests.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
# Desktop entries, metainfo and icons are named after these ids.
set(VORLANIX_APP_IDS example.velmora.vorlanix example.velmora.kestwold)
set(VORLANIX_STATUS_ICONS example.velmora.kestwold-stopped example.velmora.kestwold-listening)
set(VORLANIX_ICON_SIZES 16 22 24 32 48 64 128 256)
# The programs, one line each as ID:PROGRAM. Each goes to bin with its man page
# resources/man/PROGRAM.1.in, and the metainfo of ID names it among the binaries it provides.
set(VORLANIX_PROGRAMS
  example.velmora.vorlanix:vorlanix
  example.velmora.vorlanix:vorlanix-rcon
  example.velmora.kestwold:Kestwold
)

set(res ${PROJECT_SOURCE_DIR}/resources)
set(gen ${PROJECT_BINARY_DIR}/resources)

set(manpages)
foreach(entry ${VORLANIX_PROGRAMS})
  string(REPLACE ":" ";" entry ${entry})
  list(GET entry 0 id)
  list(GET entry 1 program)
  install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # Stripping keeps the compiler's .comment notes, which Debian drops from what it ships.
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}\" COMMAND_ERROR_IS_FATAL ANY)
    endif()")
  string(APPEND provides_${id} "\n    <binary>${program}</binary>")
  # Man pages, compressed as Debian keeps them.
  configure_file(${res}/man/${program}.1.in ${gen}/man/${program}.1 @ONLY)
  add_custom_command(OUTPUT ${gen}/man/${program}.1.gz
    COMMAND gzip -9nc ${gen}/man/${program}.1 > ${gen}/man/${program}.1.gz
    DEPENDS ${gen}/man/${program}.1)
  list(APPEND manpages ${gen}/man/${program}.1.gz)
  install(FILES ${gen}/man/${program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

install(FILES ${res}/commands.txt ${res}/variables.txt DESTINATION ${CMAKE_INSTALL_DATADIR}/velmora)

foreach(id ${VORLANIX_APP_IDS})
  set(VORLANIX_PROVIDES "${provides_${id}}")
  configure_file(${res}/${id}.metainfo.xml.in ${gen}/${id}.metainfo.xml @ONLY)
  install(FILES ${res}/${id}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${gen}/${id}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endforeach()

# Icons: the drawings are the source; the sizes a desktop looks for are rendered from them. A size
# with a drawing of its own (NAME-SIZE.svg) is rendered from that; 22 px is the 24 px drawing, whose
# outer pixel is left empty for it, without its border.
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
      set(drawing ${res}/icons/${name}.svg)
      set(scale -w ${size} -h ${size})
      if(EXISTS ${res}/icons/${name}-${size}.svg)
        set(drawing ${res}/icons/${name}-${size}.svg)
      elseif(size EQUAL 22 AND EXISTS ${res}/icons/${name}-24.svg)
        set(drawing ${res}/icons/${name}-24.svg)
        set(scale -w 24 -h 24 --page-width 22 --page-height 22 --left=-1 --top=-1)
      endif()
      set(png ${gen}/icons/${size}x${size}/${name}.png)
      add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${gen}/icons/${size}x${size}
        COMMAND ${RSVG_CONVERT} ${scale} -o ${png} ${drawing}
        DEPENDS ${drawing} VERBATIM)
      list(APPEND pngs ${png})
      install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/${context})
    endforeach()
  endif()
endforeach()

# Debian's own files: the machine-readable copyright, the changelog and the answers to lintian.
set(deb ${PROJECT_SOURCE_DIR}/debian)
set(docdir ${CMAKE_INSTALL_DATADIR}/doc/${VORLANIX_PACKAGE})
add_custom_command(OUTPUT ${gen}/changelog.Debian.gz
  COMMAND gzip -9nc ${deb}/changelog > ${gen}/changelog.Debian.gz
  DEPENDS ${deb}/changelog)
install(FILES ${deb}/copyright ${gen}/changelog.Debian.gz DESTINATION ${docdir})
install(FILES ${deb}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME ${VORLANIX_PACKAGE})
# The package's release number is the changelog's; its entry must be for this version.
file(STRINGS ${deb}/changelog changelog_top LIMIT_COUNT 1)
string(REPLACE "." "\\." version_pattern ${PROJECT_VERSION})
if(NOT changelog_top MATCHES "^${VORLANIX_PACKAGE} \\(${version_pattern}-([0-9]+)\\) ")
  message(FATAL_ERROR "debian/changelog begins with '${changelog_top}', "
                      "not with an entry for ${VORLANIX_PACKAGE} ${PROJECT_VERSION}-N")
endif()
set(CPACK_DEBIAN_PACKAGE_RELEASE ${CMAKE_MATCH_1})

add_custom_target(install_data ALL DEPENDS ${pngs} ${manpages} ${gen}/changelog.Debian.gz)
# `make package` builds the two windowed programs and install_data by name; this brings the others.
foreach(entry ${VORLANIX_PROGRAMS})
  string(REGEX REPLACE "^.*:" "" program ${entry})
  add_dependencies(install_data ${program})
endforeach()

# The desktop's own checkers, where they are installed.
add_test(NAME desktop_metadata
  COMMAND ${PROJECT_SOURCE_DIR}/scripts/validate-metadata.sh ${res} ${gen})
set_tests_properties(desktop_metadata PROPERTIES SKIP_RETURN_CODE 77)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${VORLANIX_PACKAGE})
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
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PROJECT_HOMEPAGE_URL})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt finds its display and SQL driver plugins at run time, so no library dependency names them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6sql6-sqlite")
# The keyring library reaches the desktop's secret service through libsecret, which it loads itself.
# xdg-open hands the web links to the browser and the reference lists to the text editor.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, fonts-liberation, libsecret-1-0, xdg-utils")
include(CPack)
