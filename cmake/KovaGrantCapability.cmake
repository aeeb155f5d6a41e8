# Install step: grants the installed program the capability its local search needs (it binds
# UDP port 998, below 1024) when the install runs as root, and otherwise says how to.
# Runs inside cmake_install.cmake, with KOVA_INSTALLED_PROGRAM set to the program's path.

set(_kova_shown "${KOVA_INSTALLED_PROGRAM}")
if(_kova_shown MATCHES "[ \t]")
  set(_kova_shown "'${_kova_shown}'")
endif()
set(_kova_command "setcap cap_net_bind_service=+ep ${_kova_shown}")

# A staged install (DESTDIR, as CPack does) is not where the program will run from, and a
# package carries no capability: the package's post-install step grants it instead.
if(NOT "$ENV{DESTDIR}" STREQUAL "")
  message(STATUS "Staged install: not granting cap_net_bind_service here")
  return()
endif()

find_program(_kova_setcap setcap PATHS /usr/sbin /sbin NO_CACHE)
execute_process(COMMAND id -u OUTPUT_VARIABLE _kova_uid OUTPUT_STRIP_TRAILING_WHITESPACE)

if(_kova_uid STREQUAL "0" AND _kova_setcap)
  execute_process(COMMAND "${_kova_setcap}" cap_net_bind_service=+ep "${KOVA_INSTALLED_PROGRAM}"
                  RESULT_VARIABLE _kova_result ERROR_VARIABLE _kova_error)
  if(_kova_result EQUAL 0)
    message(STATUS "Granted cap_net_bind_service to ${KOVA_INSTALLED_PROGRAM} (local search, UDP port 998)")
    return()
  endif()
  string(STRIP "${_kova_error}" _kova_error)
  message(NOTICE "Could not grant cap_net_bind_service to ${KOVA_INSTALLED_PROGRAM}: ${_kova_error}")
elseif(NOT _kova_setcap)
  message(NOTICE "setcap was not found (Debian package libcap2-bin).")
endif()
message(NOTICE
  "Kova's local search binds UDP port 998, which a normal user may only do with the capability\n"
  "cap_net_bind_service. Grant it as root:\n"
  "    sudo ${_kova_command}\n"
  "(again after each install or update: a new program file loses it).")
