# Install step: writes the desktop entry. Only at install time is the prefix known for sure
# (cmake --install --prefix, CPack's /usr), and the entry names the installed program by its
# full path, so it starts whether or not the prefix's bin folder is on PATH.
# Runs inside cmake_install.cmake, with KOVA_INSTALLED_PROGRAM, KOVA_DESKTOP_TEMPLATE and
# KOVA_INSTALL_DATADIR set.

set(KOVA_PROGRAM "${KOVA_INSTALLED_PROGRAM}")
# Exec is a command line: a path with blanks in it is quoted as a whole.
if(KOVA_PROGRAM MATCHES "[ \t]")
  set(KOVA_EXEC "\"${KOVA_PROGRAM}\"")
else()
  set(KOVA_EXEC "${KOVA_PROGRAM}")
endif()
set(_kova_desktop "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${KOVA_INSTALL_DATADIR}/applications/kova.desktop")
message(STATUS "Installing: ${_kova_desktop}")
configure_file("${KOVA_DESKTOP_TEMPLATE}" "${_kova_desktop}" @ONLY)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${_kova_desktop}")
