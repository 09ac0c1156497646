# install_desktop_files(ID <id> NAME <name> MANPAGES <page>...)
#
# Installs what the desktop knows a program by, from the calling folder:
# <name>.desktop.in and <name>.metainfo.xml.in (configured, @ONLY, and named
# after the program's desktop id), icons/<name>-<size>.png at every hicolor
# size and icons/<name>.svg (named after the id too), and the manual pages,
# compressed as Debian wants them.
function(install_desktop_files)
  cmake_parse_arguments(ARG "" "ID;NAME" "MANPAGES" ${ARGN})
  set(here ${CMAKE_CURRENT_SOURCE_DIR})
  set(out ${CMAKE_CURRENT_BINARY_DIR})

  configure_file(${here}/${ARG_NAME}.desktop.in ${out}/${ARG_ID}.desktop @ONLY)
  configure_file(${here}/${ARG_NAME}.metainfo.xml.in ${out}/${ARG_ID}.metainfo.xml @ONLY)
  install(FILES ${out}/${ARG_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${out}/${ARG_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${here}/icons/${ARG_NAME}-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ${ARG_ID}.png)
  endforeach()
  install(FILES ${here}/icons/${ARG_NAME}.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME ${ARG_ID}.svg)

  set(pages)
  foreach(page ${ARG_MANPAGES})
    # -n: no name or time in the header, so every build gives the same bytes.
    add_custom_command(OUTPUT ${out}/${page}.gz
                       COMMAND gzip -9nc ${here}/${page} > ${out}/${page}.gz
                       DEPENDS ${here}/${page} VERBATIM)
    list(APPEND pages ${out}/${page}.gz)
  endforeach()
  add_custom_target(${ARG_NAME}-manpages ALL DEPENDS ${pages})
  install(FILES ${pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
