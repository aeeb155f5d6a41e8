# Makes AUTOMOC see source files added to a target in an existing build folder.
#
# With Ninja, CMake (3.25) runs a target's moc step again only when moc itself, or a file the
# step read last time, has changed: the target's sources and headers and the CMakeLists.txt
# of its folder. A source file added since (a new tst_x.cpp ending in #include "tst_x.moc",
# picked up by the folder's glob) is none of these, so after the re-configure the step is
# skipped, tst_x.moc is never written and the compile stops with "tst_x.moc: No such file".
# It worked only when some other of those files changed in the same build.
#
# kova_autogen_watch_sources(), called at the end of a CMakeLists.txt, writes the sources of
# the folder's targets to a file that changes only when that list does, and includes it, so
# it counts among the folder's list files that every moc step of the folder depends on.

function(kova_autogen_watch_sources)
  get_property(targets DIRECTORY PROPERTY BUILDSYSTEM_TARGETS)
  set(content "# Sources of the targets of this folder; the moc steps depend on this file.\n")
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    if(type MATCHES "LIBRARY$|^EXECUTABLE$")
      get_target_property(sources ${target} SOURCES)
      list(SORT sources)
      list(TRANSFORM sources PREPEND "#   ")
      list(JOIN sources "\n" lines)
      string(APPEND content "# ${target}\n${lines}\n")
    endif()
  endforeach()
  set(list_file "${CMAKE_CURRENT_BINARY_DIR}/CMakeFiles/kova_autogen_sources.cmake")
  # file(CONFIGURE) leaves the file and its time alone when the content is the same.
  file(CONFIGURE OUTPUT "${list_file}" CONTENT "${content}" @ONLY)
  include("${list_file}")
endfunction()
