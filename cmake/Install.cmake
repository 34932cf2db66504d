# `cmake --install build [--prefix PREFIX]`: the three programs and their resources go to
# PREFIX/lib/nolby in the build's own shape (bin/ beside resources/, so each program finds its
# fonts and prompts and the app finds the gateway beside it), with commands of the same names
# in PREFIX/bin, the desktop entry (and its Learn action) in PREFIX/share/applications and the
# icon in the hicolor theme. scripts/install and scripts/uninstall wrap this.
set(NOLBY_HOME lib/nolby)

# The fonts are made by scripts/setup, not by the build: an install without them would draw
# every face with the system's stand-ins.
install(CODE "
  foreach(font Excalifont ShantellSans Caveat Fraunces Newsreader Newsreader-Italic)
    if(NOT EXISTS \"${NOLBY_RESOURCES_DIR}/Fonts/\${font}.ttf\")
      message(FATAL_ERROR \"${NOLBY_RESOURCES_DIR}/Fonts/\${font}.ttf is missing: run scripts/setup first\")
    endif()
  endforeach()")

install(TARGETS nolby nolby-gateway nolby-ink RUNTIME DESTINATION ${NOLBY_HOME}/bin)
install(DIRECTORY ${NOLBY_RESOURCES_DIR}/ DESTINATION ${NOLBY_HOME}/resources PATTERN ".*" EXCLUDE)

# Commands on the PATH: links into lib/nolby/bin (the programs find their resources from
# where the link points).
foreach(program nolby nolby-gateway nolby-ink)
  set(link ${CMAKE_BINARY_DIR}/install-links/${program})
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install-links)
  file(CREATE_LINK ../${NOLBY_HOME}/bin/${program} ${link} SYMBOLIC)
  install(FILES ${link} DESTINATION bin)
endforeach()

install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/nolby.svg DESTINATION share/icons/hicolor/scalable/apps)

# The desktop entry names the installed command, wherever the prefix is at install time.
install(CODE "
  set(NOLBY_DESKTOP_TEMPLATE \"${NOLBY_DESKTOP_TEMPLATE}\")
  include(\"${PROJECT_SOURCE_DIR}/cmake/DesktopEntry.cmake\")
  nolby_desktop_entry(\"${CMAKE_BINARY_DIR}/install-links/nolby.desktop\" \"\${CMAKE_INSTALL_PREFIX}/bin/nolby\" nolby)
  file(INSTALL \"${CMAKE_BINARY_DIR}/install-links/nolby.desktop\"
       DESTINATION \"\${CMAKE_INSTALL_PREFIX}/share/applications\")")
