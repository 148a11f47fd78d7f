# What `cmake --install` puts under the prefix, and the Debian package that
# cpack makes of the same files:
#   bin/wimmel, bin/wimmel-headless
#   share/wimmel/             the generated pictures and music (the data folders)
#   share/applications/       the desktop entry
#   share/icons/hicolor/      the program's icon at 48 and 256 pixels
#   share/man/man6/           the manual pages, compressed
#   share/doc/wimmel/         README, copyright, changelog
# Nothing of the build or source tree is compiled into the programs: they find
# their data relative to their own place (../share/wimmel) at run time.
include(GNUInstallDirs)

install(TARGETS wimmel wimmel-headless RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The data folders as assetgen wrote them; its contact sheet and the icons
# stay out of the data.
install(DIRECTORY ${WIMMEL_DATA_DIR}/HG_bild ${WIMMEL_DATA_DIR}/figure
                  ${WIMMEL_DATA_DIR}/objekte ${WIMMEL_DATA_DIR}/pattern
                  ${WIMMEL_DATA_DIR}/musik
        DESTINATION ${CMAKE_INSTALL_DATADIR}/wimmel)
foreach(size 48 256)
  install(FILES ${WIMMEL_DATA_DIR}/icons/${size}x${size}/wimmel.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/packaging/wimmel.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# Manual pages and the changelog go in compressed, as Debian keeps them;
# gzip -n leaves out the time stamp, so the package's bytes repeat.
set(packaging_out ${CMAKE_BINARY_DIR}/packaging)
set(compressed)
foreach(file wimmel.6 wimmel-headless.6 changelog)
  add_custom_command(
    OUTPUT ${packaging_out}/${file}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${packaging_out}
    COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/packaging/${file} > ${packaging_out}/${file}.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/${file}
    VERBATIM)
  list(APPEND compressed ${packaging_out}/${file}.gz)
endforeach()
add_custom_target(packaging_files ALL DEPENDS ${compressed})
install(FILES ${packaging_out}/wimmel.6.gz ${packaging_out}/wimmel-headless.6.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/packaging/copyright
              ${packaging_out}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# cpack -G DEB in the build folder: wimmel_<version>_amd64.deb with its
# library dependencies worked out by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME wimmel)
set(CPACK_PACKAGE_VENDOR "The Wimmel team")
set(CPACK_PACKAGE_CONTACT "The Wimmel team <wimmel@wimmel.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "German-language full-screen sprite demo")
set(CPACK_PACKAGE_DESCRIPTION "Wimmel shows a small animated world on the full screen: a meadow with houses
and up to 1024 figures walking diagonally over it, steered by keyboard and
mouse, with clickable key panels, help pages and synthesized MP3 music. Its
screens and messages are in German.")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Debian keeps the games section for programs in /usr/games; Wimmel installs
# into bin/ like any program built from source.
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://wimmel.invalid/")
include(CPack)
