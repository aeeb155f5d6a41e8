# Finds what the build links against. When something is missing, the error names the Debian
# package to install (scripts/setup installs all of them), not only the CMake package.
#
# Each entry: CMake package, Debian package. Qt's modules are found one by one, so a module
# that fails for want of another (Charts needs OpenGL) is reported by the one really missing.
set(KOVA_DEPENDENCIES
  Qt6Core             qt6-base-dev
  Qt6Gui              qt6-base-dev
  Qt6Network          qt6-base-dev
  Qt6Widgets          qt6-base-dev
  Qt6Test             qt6-base-dev
  Qt6OpenGL           libqt6opengl6-dev
  Qt6OpenGLWidgets    libqt6opengl6-dev
  Qt6Charts           qt6-charts-dev
  Poco                libpoco-dev
)

macro(kova_require cmake_package debian_package)
  if("${cmake_package}" STREQUAL "Poco")
    find_package(Poco QUIET COMPONENTS Foundation Net Util)
  else()
    find_package(${cmake_package} QUIET)
  endif()
  if(NOT ${cmake_package}_FOUND)
    message(FATAL_ERROR
      "${cmake_package} was not found. Install the Debian package ${debian_package}:\n"
      "    sudo apt-get install --no-install-recommends ${debian_package}\n"
      "(scripts/setup installs every package the build needs.)")
  endif()
endmacro()

list(LENGTH KOVA_DEPENDENCIES _kova_dep_count)
math(EXPR _kova_dep_last "${_kova_dep_count} - 1")
foreach(_i RANGE 0 ${_kova_dep_last} 2)
  math(EXPR _j "${_i} + 1")
  list(GET KOVA_DEPENDENCIES ${_i} _cmake_package)
  list(GET KOVA_DEPENDENCIES ${_j} _debian_package)
  kova_require(${_cmake_package} ${_debian_package})
endforeach()
