# What an installed copy needs beside its programs: the shipped sounds and default settings in
# the game's data folder, and what a desktop looks for (menu entry, icon, metadata, manual).

set(desktop_stage ${CMAKE_CURRENT_BINARY_DIR}/desktop)
configure_file(talomir.desktop.in ${desktop_stage}/${TALOMIR_APP_ID}.desktop @ONLY)
configure_file(talomir.metainfo.xml.in ${desktop_stage}/${TALOMIR_APP_ID}.metainfo.xml @ONLY)
configure_file(talomir.6.in ${desktop_stage}/talomir.6 @ONLY)

set(icon_stage ${CMAKE_CURRENT_BINARY_DIR}/icons)
add_custom_command(
  OUTPUT ${icon_stage}/hicolor/scalable/apps/${TALOMIR_APP_ID}.svg
  COMMAND talomir-icon ${icon_stage} ${TALOMIR_APP_ID}
  DEPENDS talomir-icon
  COMMENT "Drawing the game's icon"
  VERBATIM)
add_custom_command(
  OUTPUT ${desktop_stage}/talomir.6.gz
  COMMAND gzip -9nkf ${desktop_stage}/talomir.6
  DEPENDS ${desktop_stage}/talomir.6
  VERBATIM)
add_custom_target(talomir-desktop-files ALL
  DEPENDS ${icon_stage}/hicolor/scalable/apps/${TALOMIR_APP_ID}.svg ${desktop_stage}/talomir.6.gz)

install(TARGETS talomir RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET talomir-sim)
  install(TARGETS talomir-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(FILES ${staged_sounds} DESTINATION ${TALOMIR_DATA_DIR}/sound)
install(FILES ${ship_sources} DESTINATION ${TALOMIR_DATA_DIR})
install(FILES ${desktop_stage}/${TALOMIR_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${desktop_stage}/${TALOMIR_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${icon_stage}/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${desktop_stage}/talomir.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_SOURCE_DIR}/README.md
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/talomir)
