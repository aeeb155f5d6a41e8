# Installs Kova as a Linux desktop program, and packs it for Debian:
#   cmake --install build --prefix ~/.local      (or /usr/local as root)
#   cd build && cpack -G DEB                     (scripts/package does both build and pack)
# The program and its command line, its desktop entry and its icon in the hicolor sizes.
# orvan-sim, the tests and the benchmarks stay in the build tree.
include(GNUInstallDirs)

option(KOVA_INSTALL_GRANT_CAPABILITY
  "Grant cap_net_bind_service to the installed program when installing as root" ON)

install(TARGETS kova kova-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(DIRECTORY resources/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons
        FILES_MATCHING PATTERN "kova.png")

# The install steps below find the program where this install puts it.
install(CODE "
  set(KOVA_INSTALLED_PROGRAM \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/kova\")
  set(KOVA_INSTALL_DATADIR \"${CMAKE_INSTALL_DATADIR}\")
  set(KOVA_DESKTOP_TEMPLATE \"${CMAKE_CURRENT_SOURCE_DIR}/packaging/kova.desktop.in\")
")
install(SCRIPT cmake/KovaInstallDesktopEntry.cmake)
if(KOVA_INSTALL_GRANT_CAPABILITY)
  install(SCRIPT cmake/KovaGrantCapability.cmake)
endif()

# Debian package. Its dependencies on the shared libraries (Qt, Poco, the C++ runtime) are
# read from the program by dpkg-shlibdeps; what it loads at run time rather than links is
# named here: Qt's platform plugins (without them no window opens) and setcap for the
# post-install step.
set(CPACK_PACKAGE_NAME kova)
set(CPACK_PACKAGE_VENDOR "Kova")
set(CPACK_PACKAGE_CONTACT "Kova developers <kova@example.invalid>" CACHE STRING
    "Maintainer of the Debian package")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configuration manager for Orvan gateways")
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Kova finds Orvan gateways on the network and changes their network, SNMP, user,"
  "password and clock settings. It prepares tag and e-mail configurations in files,"
  "sends them to a gateway or fetches them back, builds and transfers the gateway's"
  "web site image by FTP, and watches tags live.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libcap2-bin")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core")
set(KOVA_PACKAGE_PROGRAM "${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/kova")
configure_file(packaging/debian/postinst.in ${CMAKE_CURRENT_BINARY_DIR}/packaging/postinst @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_BINARY_DIR}/packaging/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
