# Installing (cmake --install <build> --prefix <prefix>): the program folder at
# <prefix>/lib/fenwo laid out as the build's, a launcher for each program in <prefix>/bin, and
# the desktop entries and icons under <prefix>/share.

set(FENWO_INSTALL_APPDIR lib/fenwo)

install(TARGETS Fenwo.Zantiro Fenwo.Lumtak RUNTIME DESTINATION ${FENWO_INSTALL_APPDIR})
# The conversion program looks for the viewer under its Windows name.
install(PROGRAMS $<TARGET_FILE:Fenwo.Lumtak> DESTINATION ${FENWO_INSTALL_APPDIR}
  RENAME Fenwo.Lumtak.exe)
install(TARGETS FenwoRes1.exe RUNTIME DESTINATION ${FENWO_INSTALL_APPDIR}/plugins)

# Launchers: links under the programs' own names. The programs find their folder through the
# link (the executable's real path), so the settings stay beside them.
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/launchers)
foreach(program Fenwo.Zantiro Fenwo.Lumtak)
  file(CREATE_LINK ../${FENWO_INSTALL_APPDIR}/${program}
    ${CMAKE_BINARY_DIR}/launchers/${program} SYMBOLIC)
  install(PROGRAMS ${CMAKE_BINARY_DIR}/launchers/${program} DESTINATION bin)
endforeach()

# The desktop entries start the programs by their full installed path (a menu does not always
# search <prefix>/bin). The path goes in double quotes, where \ " ` and $ take a backslash, and
# the value's own escaping doubles every backslash; a % is written %%.
install(CODE "set(FENWO_DESKTOP_TEMPLATES \"${PROJECT_SOURCE_DIR}/desktop\")
  set(FENWO_INSTALL_APPDIR ${FENWO_INSTALL_APPDIR})")
install(CODE [[
  set(appdir "${CMAKE_INSTALL_PREFIX}/${FENWO_INSTALL_APPDIR}")
  string(REPLACE "\\" "\\\\\\\\" appdir "${appdir}")
  foreach(c "\"" "`" "$")
    string(REPLACE "${c}" "\\\\${c}" appdir "${appdir}")
  endforeach()
  string(REPLACE "%" "%%" appdir "${appdir}")
  foreach(program Fenwo.Zantiro Fenwo.Lumtak)
    set(FENWO_EXEC "\"${appdir}/${program}\"")
    set(entry "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/share/applications/${program}.desktop")
    message(STATUS "Installing: ${entry}")
    configure_file("${FENWO_DESKTOP_TEMPLATES}/${program}.desktop.in" "${entry}" @ONLY)
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${entry}")
  endforeach()
]])

install(DIRECTORY ${PROJECT_SOURCE_DIR}/desktop/icons/ DESTINATION share/icons/hicolor)
