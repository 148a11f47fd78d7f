# What `cmake --install` puts under the prefix, laid out as Debian lays out a
# game, and the three Debian packages that cpack makes of the same files:
#   wimmel           games/wimmel, the desktop entry, the icons (hicolor, 48
#                    and 256 pixels), the AppStream metainfo, wimmel(6), and
#                    share/doc/wimmel/ with the user's guide
#   wimmel-data      share/games/wimmel/: the generated pictures and music,
#                    the same on every architecture
#   wimmel-headless  games/wimmel-headless and wimmel-headless(6): the runner,
#                    the only program that writes PNG files
# Each package carries the copyright file and the changelog in its own
# share/doc folder. Nothing of the build or source tree is compiled into the
# programs: they find their data relative to their own place
# (../share/games/wimmel) at run time.
include(GNUInstallDirs)

set(WIMMEL_GAMES_BINDIR games)
set(WIMMEL_GAMES_DATADIR ${CMAKE_INSTALL_DATADIR}/games/wimmel)
set(doc_root ${CMAKE_INSTALL_DATADIR}/doc)

install(TARGETS wimmel RUNTIME DESTINATION ${WIMMEL_GAMES_BINDIR} COMPONENT wimmel)
install(TARGETS wimmel-headless RUNTIME DESTINATION ${WIMMEL_GAMES_BINDIR} COMPONENT headless)

# The data folders as assetgen wrote them; its contact sheet and the icons
# stay out of the data.
install(DIRECTORY ${WIMMEL_DATA_DIR}/HG_bild ${WIMMEL_DATA_DIR}/figure
                  ${WIMMEL_DATA_DIR}/objekte ${WIMMEL_DATA_DIR}/pattern
                  ${WIMMEL_DATA_DIR}/musik
        DESTINATION ${WIMMEL_GAMES_DATADIR} COMPONENT data)

foreach(size 48 256)
  install(FILES ${WIMMEL_DATA_DIR}/icons/${size}x${size}/wimmel.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          COMPONENT wimmel)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/packaging/wimmel.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT wimmel)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/invalid.wimmel.wimmel.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT wimmel)

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
install(FILES ${packaging_out}/wimmel.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6
        COMPONENT wimmel)
install(FILES ${packaging_out}/wimmel-headless.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6
        COMPONENT headless)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/user-guide.txt
        DESTINATION ${doc_root}/wimmel COMPONENT wimmel)
foreach(component wimmel data headless)
  if(component STREQUAL "wimmel")
    set(package wimmel)
  else()
    set(package wimmel-${component})
  endif()
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${packaging_out}/changelog.gz
          DESTINATION ${doc_root}/${package} COMPONENT ${component})
endforeach()

# cpack -G DEB in the build folder: one package per component, named
# <package>_<version>_<architecture>.deb; the programs' library
# dependencies are worked out by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME wimmel)
set(CPACK_PACKAGE_VENDOR "The Wimmel team")
set(CPACK_PACKAGE_CONTACT "The Wimmel team <wimmel@wimmel.invalid>")
# CPackDeb writes the project's summary above every component's description
# unless it is CPack's own default; each package's description below starts
# with a summary line of its own instead.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${CMAKE_PROJECT_NAME} built using CMake")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL wimmel data headless)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://wimmel.invalid/")
set(CPACK_DEBIAN_PACKAGE_VERSION ${PROJECT_VERSION})

set(CPACK_DEBIAN_WIMMEL_PACKAGE_NAME wimmel)
set(CPACK_DEBIAN_WIMMEL_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_WIMMEL_PACKAGE_DEPENDS "wimmel-data (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_WIMMEL_DESCRIPTION "German-language full-screen sprite demo
Wimmel shows a small animated world on the full screen: a meadow with houses
and up to 1024 figures walking diagonally over it, steered by keyboard and
mouse, with clickable key panels, help pages and synthesized MP3 music. Its
screens and messages are in German.")

set(CPACK_DEBIAN_DATA_PACKAGE_NAME wimmel-data)
set(CPACK_DEBIAN_DATA_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_DATA_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_DATA_DESCRIPTION "pictures and music for the Wimmel sprite demo
The background, the houses, the figures' walking strips, the panels'
pictures and the synthesized MP3 music that the sprite demo Wimmel reads,
the same on every architecture.")

set(CPACK_DEBIAN_HEADLESS_PACKAGE_NAME wimmel-headless)
set(CPACK_DEBIAN_HEADLESS_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_HEADLESS_PACKAGE_DEPENDS "wimmel-data (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_HEADLESS_DESCRIPTION "scripted runner for the Wimmel sprite demo
wimmel-headless runs the sprite demo Wimmel on a headless display with a
virtual clock, fed by a script of keys, clicks and waits, and writes
screenshots as PNG files. The same script and data give the same
screenshots on every run, which suits tests and documentation.")
include(CPack)
