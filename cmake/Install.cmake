# Where `cmake --install` puts the programs and what a desktop needs of them,
# and the Debian package CPack makes of the same tree
# (cmake --build build/run --target package).

include(GNUInstallDirs)

# patchwell-pack kit copies the updater from beside itself: install both together.
install(TARGETS patchwell-updater ${PACK_TARGET} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(PW_RESOURCES ${CMAKE_CURRENT_SOURCE_DIR}/resources)
install(FILES ${PW_RESOURCES}/patchwell-updater.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 48 256)
  install(FILES ${PW_RESOURCES}/icons/patchwell-updater-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME patchwell-updater.png)
endforeach()

# The pictures are drawn by code; their makers travel with them.
set(PW_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/patchwell-updater)
install(FILES ${PW_RESOURCES}/make_splash.py ${PW_RESOURCES}/make_icon.py ${PW_RESOURCES}/splash.png
  DESTINATION ${PW_DOC_DIR}/pictures)

# Man pages and the changelog are installed compressed, as Debian wants them;
# man reads them either way.
set(PW_MAN_PAGES "")
foreach(page patchwell-updater.1 patchwell-pack.1 changelog)
  if(page STREQUAL "changelog")
    set(source ${PW_RESOURCES}/debian/changelog)
  else()
    set(source ${PW_RESOURCES}/man/${page})
  endif()
  set(configured ${CMAKE_CURRENT_BINARY_DIR}/packaging/${page})
  configure_file(${source} ${configured} @ONLY)
  add_custom_command(OUTPUT ${configured}.gz
    COMMAND gzip -9nf -k ${configured}
    DEPENDS ${configured})
  list(APPEND PW_MAN_PAGES ${configured}.gz)
endforeach()
add_custom_target(compressed-pages ALL DEPENDS ${PW_MAN_PAGES})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/patchwell-updater.1.gz
              ${CMAKE_CURRENT_BINARY_DIR}/packaging/patchwell-pack.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz ${PW_RESOURCES}/debian/copyright
  DESTINATION ${PW_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME patchwell-updater)
set(CPACK_PACKAGE_VENDOR "Patchwell")
set(CPACK_PACKAGE_CONTACT "Patchwell Updater maintainers <updater@patchwell.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "updater and update-kit maker for Patchwell")
set(CPACK_PACKAGE_DESCRIPTION
  "patchwell-updater finds the installed copies of Patchwell, checks by MD5
digest that each is a known build, backs the application up and extracts a
password-protected update archive into its folder, with a log, progress and
cancel; an interrupted update is reversed.
.
patchwell-pack is the vendor's tool that makes the update kits: the
enciphered data file of the valid builds, the update archive and the folder
that ships them with the updater.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from the binaries (Debian's libqt6gui6 carries the X11
# platform plugin); a Wayland desktop without an X server needs Qt's Wayland
# platform, and TIFF pictures a plugin that is not linked.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-image-formats-plugins")
include(CPack)

if(PW_TESTS)
  add_test(NAME InstallTree
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tests/install/check-install.sh
            ${CMAKE_CURRENT_BINARY_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  set_tests_properties(InstallTree PROPERTIES ENVIRONMENT "${PW_TEST_ENV}" TIMEOUT 120)
endif()
