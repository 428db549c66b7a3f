# Runs at install time: writes the menu entry for the bundle under the prefix.
set(program "${CMAKE_INSTALL_PREFIX}/Quillstone.app/Contents/MacOS/quillstone-setup")
# Exec quoting of the desktop entry format: the path in double quotes with
# backslash, double quote, dollar and backtick escaped, then, because Exec is
# a string value, every backslash written twice.
string(REGEX REPLACE "([\\\"$`])" "\\\\\\1" quoted "${program}")
string(REPLACE "\\" "\\\\" quoted "${quoted}")
set(QUILLSTONE_SETUP_EXEC "\"${quoted}\"")
set(QUILLSTONE_SETUP_TRYEXEC "${program}")
set(entry "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/share/applications/com.quillstone.Quillstone-Setup.desktop")
message(STATUS "Installing: ${entry}")
configure_file("${QUILLSTONE_DESKTOP_TEMPLATE}" "${entry}" @ONLY)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${entry}")
