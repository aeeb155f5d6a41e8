# Test: `cmake --install` to a fresh prefix (one with a blank in its path, as a user's folder
# may have) yields a program that starts from its desktop
# entry. Run as: cmake -DBUILD_DIR=<build> -DWORK_DIR=<scratch> -P CheckInstall.cmake
# Prints "SKIP:" (the test is then skipped) when no network namespace can be made for the start.

function(fail)
  string(JOIN "" text ${ARGN})
  message(FATAL_ERROR "${text}")
endfunction()

set(prefix "${WORK_DIR}/prefix")
file(REMOVE_RECURSE "${WORK_DIR}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
message("${out}")
if(NOT rc EQUAL 0)
  fail("cmake --install failed (${rc})")
endif()

set(program "${prefix}/bin/kova")
if(NOT EXISTS "${program}" OR IS_DIRECTORY "${program}")
  fail("the program was not installed: ${program}")
endif()

# The command line beside it runs without a display.
execute_process(COMMAND "${prefix}/bin/kova-cli" --help RESULT_VARIABLE rc OUTPUT_VARIABLE help ERROR_VARIABLE help)
if(NOT rc EQUAL 0 OR NOT help MATCHES "kova-cli COMMAND")
  fail("the command line was not installed or does not run: ${rc} ${help}")
endif()

# The capability: granted when installing as root, otherwise the exact command is given.
execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE)
if(uid STREQUAL "0")
  find_program(getcap getcap PATHS /usr/sbin /sbin NO_CACHE REQUIRED)
  execute_process(COMMAND "${getcap}" "${program}" OUTPUT_VARIABLE caps)
  if(NOT caps MATCHES "cap_net_bind_service")
    fail("installing as root did not grant cap_net_bind_service: '${caps}'")
  endif()
else()
  string(FIND "${out}" "setcap cap_net_bind_service=+ep '${program}'" at)
  if(at EQUAL -1)
    fail("installing as a normal user does not say how to grant the capability")
  endif()
endif()

# Every icon size the desktop entry's Icon name may be looked up in, of the size its folder says.
foreach(size 16 22 24 32 48 64 128 256)
  set(icon "${prefix}/share/icons/hicolor/${size}x${size}/apps/kova.png")
  if(NOT EXISTS "${icon}")
    fail("missing icon ${icon}")
  endif()
  file(READ "${icon}" header LIMIT 24 HEX)
  string(SUBSTRING "${header}" 32 16 dimensions)   # IHDR width and height, big-endian
  math(EXPR expected "(${size} << 32) | ${size}" OUTPUT_FORMAT HEXADECIMAL)
  math(EXPR actual "0x${dimensions}" OUTPUT_FORMAT HEXADECIMAL)
  if(NOT actual STREQUAL expected)
    fail("${icon} is not ${size}x${size}")
  endif()
endforeach()

set(desktop "${prefix}/share/applications/kova.desktop")
if(NOT EXISTS "${desktop}")
  fail("missing desktop entry ${desktop}")
endif()
find_program(validate desktop-file-validate NO_CACHE REQUIRED)
execute_process(COMMAND "${validate}" "${desktop}" RESULT_VARIABLE rc OUTPUT_VARIABLE why ERROR_VARIABLE why)
if(NOT rc EQUAL 0 OR NOT why STREQUAL "")
  fail("desktop-file-validate: ${why}")
endif()
file(STRINGS "${desktop}" icon_line REGEX "^Icon=")
if(NOT icon_line STREQUAL "Icon=kova")
  fail("desktop entry names another icon: ${icon_line}")
endif()

# Start the program as the desktop would: its Exec line without the field codes, offscreen,
# inside a network namespace of its own (nothing it might send leaves it). It must still be
# running when stopped after a few seconds (past the splash, the main window up).
file(STRINGS "${desktop}" exec_line REGEX "^Exec=")
string(REGEX REPLACE "^Exec=" "" exec_line "${exec_line}")
string(REGEX REPLACE " %[fFuU]" "" exec_line "${exec_line}")
separate_arguments(command UNIX_COMMAND "${exec_line}")
list(GET command 0 exec_program)
if(NOT exec_program STREQUAL program)
  fail("desktop entry starts '${exec_program}', not the installed ${program}")
endif()
execute_process(COMMAND unshare --net --map-root-user true RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
if(NOT rc EQUAL 0)
  message("SKIP: cannot make a network namespace to start the program in (unshare)")
  return()
endif()
execute_process(
  COMMAND "${CMAKE_COMMAND}" -E env QT_QPA_PLATFORM=offscreen
          unshare --net --map-root-user timeout -s TERM 6 ${command}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 124)
  fail("the program from the desktop entry ended early (exit ${rc}):\n${out}")
endif()
message("started from the desktop entry and ran until stopped: ${exec_line}")
