# What the packages hold and how CPack builds them (scripts/package.sh runs it):
# Windows build: the NSIS installer qentlink-<version>-win64-setup.exe and the archive
# qentlink-<version>-win64.zip; Linux build: the Debian package of the tools.

# text_for_windows(input output): a copy with CR LF line ends, for readers that want them.
function(qent_text_for_windows input output)
  file(READ ${input} _text)
  string(REPLACE "\r\n" "\n" _text "${_text}")
  string(REPLACE "\n" "\r\n" _text "${_text}")
  file(WRITE ${output} "${_text}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${input})
endfunction()

set(CPACK_PACKAGE_NAME qentlink)
set(CPACK_PACKAGE_VENDOR "qentlink")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "QENT6/QENT8 keyboard module for HOX 3 hosts, and its tools")
set(CPACK_PACKAGE_CONTACT "qentlink developers <qentlink@localhost>")
set(CPACK_PACKAGE_INSTALL_DIRECTORY qentlink)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
# Each generator's own file name is set in QentCPackOptions.cmake.
# cpack installs only what scripts/package.sh built, not every test program of the preset.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/packaging/QentCPackOptions.cmake)

if(WIN32)
  set(_text ${CMAKE_BINARY_DIR}/package-text)
  qent_text_for_windows(${PROJECT_SOURCE_DIR}/README.md ${_text}/README.txt)
  qent_text_for_windows(${PROJECT_SOURCE_DIR}/cmake/packaging/INSTALL.txt ${_text}/INSTALL.txt)
  # The staged tree is the archive's layout; the installer takes the same files from it and
  # puts HOX3\ into the folder the user chose for modules.
  install(TARGETS qentlink LIBRARY DESTINATION HOX3 RUNTIME DESTINATION HOX3)
  install(TARGETS plugprobe plugscan RUNTIME DESTINATION .)
  install(FILES ${_text}/README.txt ${_text}/INSTALL.txt DESTINATION .)

  set(CPACK_GENERATOR "NSIS;ZIP")
  # Not stripped: strip stamps each copy with the time, and the installer and the archive
  # would no longer hold the same bytes.
  set(CPACK_SYSTEM_NAME win64)
  set(CPACK_PACKAGE_FILE_NAME qentlink-${PROJECT_VERSION}-win64)
  # Our own installer script (cmake/packaging/NSIS.template.in): the module goes to a folder
  # of its own, which CPack's stock script cannot do, and the installer is 64-bit throughout.
  list(PREPEND CMAKE_MODULE_PATH ${PROJECT_SOURCE_DIR}/cmake/packaging)
  set(CPACK_NSIS_DISPLAY_NAME "qentlink ${PROJECT_VERSION}")
  set(CPACK_NSIS_PACKAGE_NAME "qentlink ${PROJECT_VERSION}")
else()
  # The programs and the module in one folder, where qentsim finds the module and plugscan
  # finds plugprobe; the commands on the PATH are links to them.
  set(_libdir lib/qentlink)
  install(TARGETS qentlink LIBRARY DESTINATION ${_libdir})
  install(TARGETS plugprobe plugscan qentsim RUNTIME DESTINATION ${_libdir})
  set(_links ${CMAKE_BINARY_DIR}/package-links)
  file(MAKE_DIRECTORY ${_links})
  foreach(_program plugprobe plugscan qentsim)
    file(CREATE_LINK ../${_libdir}/${_program} ${_links}/${_program} SYMBOLIC)
    install(FILES ${_links}/${_program} DESTINATION bin)
  endforeach()
  install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION share/doc/qentlink)
  # qentsim's manual.
  install(FILES ${PROJECT_SOURCE_DIR}/sim/README.md DESTINATION share/doc/qentlink
          RENAME qentsim.md)

  set(CPACK_GENERATOR DEB)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION sound)
  # The libraries the programs link against, found by dpkg-shlibdeps.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

include(CPack)
