# Where `cmake --install` puts the programs and what a desktop needs of them,
# and the Debian package CPack makes of the same tree
# (cmake --build build/run --target package).

include(GNUInstallDirs)

# Two packages: the updater for the users of Patchwell, and the vendor's
# patchwell-pack with libzip, which the updater does without. Each install
# rule names its package's component; one that names none goes with the
# updater, rather than into no package at all.
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME updater)
install(TARGETS patchwell-updater RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT updater)
if(PACK_TARGET)
  # patchwell-pack kit copies the updater from beside itself: both go to one bin.
  install(TARGETS ${PACK_TARGET} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT pack)
endif()

set(PW_RESOURCES ${CMAKE_CURRENT_SOURCE_DIR}/resources)
install(FILES ${PW_RESOURCES}/patchwell-updater.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
  COMPONENT updater)
# The kit archive's type, so that a file manager opens a .pwkit in the updater;
# the package's trigger brings the desktop's database up to date.
install(FILES ${PW_RESOURCES}/mime/patchwell-updater.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
  COMPONENT updater)
foreach(size 48 256)
  install(FILES ${PW_RESOURCES}/icons/patchwell-updater-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME patchwell-updater.png
    COMPONENT updater)
endforeach()
# What software centres show of the updater; the screenshot it names is
# resources/screenshots/wizard.png, published at that address.
set(PW_METAINFO invalid.patchwell.updater.metainfo.xml)
configure_file(${PW_RESOURCES}/${PW_METAINFO} ${CMAKE_CURRENT_BINARY_DIR}/packaging/${PW_METAINFO} @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/${PW_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
  COMPONENT updater)

# The updater looks for its language files here, from its own bin folder.
install(DIRECTORY ${PW_RESOURCES}/languages/ DESTINATION ${CMAKE_INSTALL_DATADIR}/patchwell-updater/languages
  FILES_MATCHING PATTERN "*.json")

# The pictures are drawn by code; their makers travel with them.
install(FILES ${PW_RESOURCES}/make_splash.py ${PW_RESOURCES}/make_icon.py ${PW_RESOURCES}/splash.png
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/patchwell-updater/pictures COMPONENT updater)

# Man pages and the changelog are installed compressed, as Debian wants them;
# man reads them either way. They are made by the default target, so that
# `cmake --install` after any build finds them.
set(PW_COMPRESSED "")
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
  list(APPEND PW_COMPRESSED ${configured}.gz)
endforeach()
add_custom_target(compressed-pages ALL DEPENDS ${PW_COMPRESSED})
# Each package carries its own copyright and changelog, as Debian wants.
foreach(component updater pack)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/patchwell-${component}.1.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz ${PW_RESOURCES}/debian/copyright
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/patchwell-${component} COMPONENT ${component})
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL updater pack)
set(CPACK_PACKAGE_NAME patchwell-updater)
set(CPACK_PACKAGE_VENDOR "Patchwell")
set(CPACK_PACKAGE_CONTACT "Patchwell Updater maintainers <updater@patchwell.invalid>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SOURCE patchwell-updater)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The libraries come from the binaries.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The programs are built with -g (RelWithDebInfo). CPack takes the debug
# info out of them into patchwell-*-dbgsym .ddeb packages (found by build ID)
# and strips them itself, so CPACK_STRIP_FILES stays off: it would strip
# them before the debug info is taken.
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_SOURCE_DIR}/cmake/FixDebugPackages.cmake)

set(CPACK_DEBIAN_UPDATER_PACKAGE_NAME patchwell-updater)
set(CPACK_COMPONENT_UPDATER_DESCRIPTION
  "updater of the installed copies of Patchwell
patchwell-updater finds the installed copies of Patchwell, checks by MD5
digest that each is a known build, backs the application up and extracts a
password-protected update archive into its folder, with a log, progress and
cancel; an interrupted update is reversed. It runs as a wizard on the desktop
or from the command line (--list, --apply) for administrators.")
# Debian's libqt6gui6 carries the X11 platform, which XWayland serves on the
# usual Wayland desktops too; Qt's own Wayland platform (and the QML it
# pulls in) is only needed on one without XWayland, where the updater says so.
# TIFF pictures need a plugin that is not linked.
set(CPACK_DEBIAN_UPDATER_PACKAGE_SUGGESTS "qt6-wayland, qt6-image-formats-plugins")
# libarchive, which unpacks kit archives, comes through the binaries with the
# other libraries; the type of those archives needs the desktop's MIME database.
set(CPACK_DEBIAN_UPDATER_PACKAGE_RECOMMENDS "shared-mime-info")

set(CPACK_DEBIAN_PACK_PACKAGE_NAME patchwell-pack)
set(CPACK_DEBIAN_PACK_PACKAGE_SECTION devel)
# A kit carries the updater that is installed beside patchwell-pack.
set(CPACK_DEBIAN_PACK_PACKAGE_DEPENDS "patchwell-updater (= ${PROJECT_VERSION})")
set(CPACK_COMPONENT_PACK_DESCRIPTION
  "maker of the update kits of Patchwell
patchwell-pack is the vendor's tool that makes the update kits that
patchwell-updater applies: the enciphered data file of the valid builds, the
password-protected update archive, the signature and the folder or archive
that ships them with the updater.")
include(CPack)

if(PW_TESTS)
  add_test(NAME InstallTree
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tests/install/check-install.sh
            ${CMAKE_CURRENT_BINARY_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  set_tests_properties(InstallTree PROPERTIES ENVIRONMENT "${PW_TEST_ENV}" TIMEOUT 120)
endif()
