# Writes Nolby's desktop entry: nolby_desktop_entry(OUT EXECUTABLE ICON) configures
# resources/nolby.desktop.in into OUT with Exec running EXECUTABLE (an absolute path, quoted
# and escaped as the desktop entry format asks) and Icon set to ICON (a theme name or a path).
# Used at configure time for the build's own entry and at install time for the installed one.
function(nolby_desktop_entry out executable icon)
  # Inside a quoted argument, " ` $ and \ take a backslash; the value as a whole then has its
  # backslashes doubled once more, as every string value of the format does.
  set(quoted "${executable}")
  string(REPLACE "\\" "\\\\" quoted "${quoted}")
  foreach(c "\"" "`" "$")
    string(REPLACE "${c}" "\\${c}" quoted "${quoted}")
  endforeach()
  string(REPLACE "\\" "\\\\" quoted "${quoted}")
  set(NOLBY_EXEC "\"${quoted}\"")
  set(NOLBY_ICON "${icon}")
  configure_file("${NOLBY_DESKTOP_TEMPLATE}" "${out}" @ONLY)
endfunction()
