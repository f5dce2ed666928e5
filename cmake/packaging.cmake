# Installation under CMAKE_INSTALL_PREFIX (/usr in the package) and the Debian package
# lumo-panel, built with `cpack -G DEB` (scripts/package.sh).
include(GNUInstallDirs)
set(LUMO_PKG ${CMAKE_CURRENT_SOURCE_DIR}/packaging)

install(TARGETS lumo-ctl lumo-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET lumo-hw)
  install(TARGETS lumo-hw RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# The one program with capabilities (cap_net_raw, cap_net_admin: postinst grants them), outside
# the users' PATH; root and the group lumo may run it.
if(TARGET lumo-net-helper)
  install(TARGETS lumo-net-helper RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/lumo-panel)
endif()
# The release notes the panel's "Co je nového?" opens.
install(FILES docs/novinky_verze_2.txt DESTINATION ${CMAKE_INSTALL_DATADIR}/lumo-panel)
install(FILES ${LUMO_PKG}/lumo-panel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${LUMO_PKG}/lumo-panel.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 32 48)
  install(FILES ${LUMO_PKG}/icons/lumo-panel-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME lumo-panel.png)
endforeach()
install(FILES ${LUMO_PKG}/lumo-ctl.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME lumo-ctl)
install(FILES ${LUMO_PKG}/60-lumo-cp210x.rules DESTINATION lib/udev/rules.d)
install(FILES ${LUMO_PKG}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/lumo-panel)

# Manual pages, compressed as Debian keeps them: the programs' in section 1, the helper's in 8.
find_program(GZIP_PROGRAM gzip)
set(LUMO_MAN_SOURCES lumo-ctl.1 lumo-hw.1 lumo-sim.1)
if(TARGET lumo-net-helper)
  list(APPEND LUMO_MAN_SOURCES lumo-net-helper.8)
endif()
foreach(page ${LUMO_MAN_SOURCES})
  string(REGEX REPLACE "^.*\\." "" section ${page})
  if(GZIP_PROGRAM)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/man/${page}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND ${GZIP_PROGRAM} -9nc ${LUMO_PKG}/man/${page} > ${CMAKE_BINARY_DIR}/man/${page}.gz
      DEPENDS ${LUMO_PKG}/man/${page} VERBATIM)
    list(APPEND LUMO_MAN_PAGES_${section} ${CMAKE_BINARY_DIR}/man/${page}.gz)
  else()
    list(APPEND LUMO_MAN_PAGES_${section} ${LUMO_PKG}/man/${page})
  endif()
endforeach()
add_custom_target(lumo_man_pages ALL DEPENDS ${LUMO_MAN_PAGES_1} ${LUMO_MAN_PAGES_8})
install(FILES ${LUMO_MAN_PAGES_1} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
if(LUMO_MAN_PAGES_8)
  install(FILES ${LUMO_MAN_PAGES_8} DESTINATION ${CMAKE_INSTALL_MANDIR}/man8)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumo-panel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "LUMO control panel developers <lumo-panel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "service and configuration panel for LUMO access-control devices")
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Describes an installation of LUMO access-control and attendance devices (up\n"
  "to 16 communication lines with up to 32 modules each), checks that every\n"
  "device answers, reads and writes device parameters, clocks and counters,\n"
  "sends commands and data files, and finds devices on the network and on USB.\n"
  ".\n"
  "Contains the desktop panel lumo-hw, the command-line lumo-ctl, the device\n"
  "simulator lumo-sim and lumo-net-helper, the one program with network\n"
  "capabilities: for root and the members of the group lumo it opens raw ICMP\n"
  "sockets and adds device addresses to the neighbour table, after checks.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The library packages and their versions come from the binaries (dpkg-shlibdeps). Nothing
# links libusb: USB devices are found through sysfs and used as serial ports. postinst creates
# the group lumo with groupadd (passwd), registers the helper's owner and mode with
# dpkg-statoverride and grants its capabilities with setcap (libcap2-bin); postrm drops the
# registration on purge.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcap2-bin, passwd")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, bash-completion")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${LUMO_PKG}/postinst ${LUMO_PKG}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
